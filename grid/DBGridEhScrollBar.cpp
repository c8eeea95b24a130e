// DBGridEhScrollBar: the settings of one of the data grid's scroll bars.
#include "grid/DBGridEhScrollBar.h"

#include <utility>

#include "grid/CustomGrid.h"

namespace qelvor {

TDBGridEhScrollBar::TDBGridEhScrollBar(TCustomGrid& grid, TScrollBarKind kind, std::function<void()> visibleModeChanged)
    : grid_(grid), kind_(kind), visibleModeChanged_(std::move(visibleModeChanged))
{
}

void TDBGridEhScrollBar::SetTracking(bool tracking)
{
    tracking_ = tracking;
    if (kind_ != TScrollBarKind::sbHorizontal)
        return;
    TGridOptions options = grid_.GridOptions();
    if (tracking)
        options.Include(goThumbTracking);
    else
        options.Exclude(goThumbTracking);
    grid_.SetGridOptions(options);
}

void TDBGridEhScrollBar::SetVisible(bool visible)
{
    SetVisibleMode(visible ? sbAutoShowEh : sbNeverShowEh);
}

void TDBGridEhScrollBar::SetVisibleMode(TScrollBarVisibleModeEh mode)
{
    if (mode == visibleMode_)
        return;
    visibleMode_ = mode;
    if (visibleModeChanged_)
        visibleModeChanged_();
}

}  // namespace qelvor
