#include "platform/FormPlacement.h"

#include <algorithm>

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

QSize FitIntoArea(const QSize& outerSize, const QRect& available)
{
    if (available.isEmpty())
        return outerSize;
    return outerSize.boundedTo(available.size());
}

QPoint KeepOnScreen(const QPoint& topLeft, const QSize& outerSize, const QRect& available)
{
    if (available.isEmpty())
        return topLeft;
    // The far edge first, then the near one: the near edge wins when the frame is too big.
    const auto clamp = [](int position, int extent, int first, int length) {
        return std::max(first, std::min(position, first + length - extent));
    };
    return {clamp(topLeft.x(), outerSize.width(), available.left(), available.width()),
            clamp(topLeft.y(), outerSize.height(), available.top(), available.height())};
}

}  // namespace qelvor
