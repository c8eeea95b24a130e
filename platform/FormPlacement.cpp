#include "platform/FormPlacement.h"

namespace qelvor {

namespace {

QPoint CentreIn(const QRect& area, const QSize& size)
{
    return {area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2};
}

}  // namespace

QPoint PlaceForm(TPosition position, const QPoint& designed, const QSize& outerSize, const QRect& screen,
                 const std::optional<QRect>& ownerForm)
{
    switch (position) {
    case TPosition::poDesigned:
        return designed;
    case TPosition::poOwnerFormCenter:
        if (ownerForm)
            return CentreIn(*ownerForm, outerSize);
        return CentreIn(screen, outerSize);
    case TPosition::poScreenCenter:
        return CentreIn(screen, outerSize);
    }
    return designed;
}

}  // namespace qelvor
