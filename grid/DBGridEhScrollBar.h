// DBGridEhScrollBar: the settings of one of the data grid's scroll bars. The bar knows
// its grid only as a generic grid (for thumb tracking) and tells the data grid of a new
// visible mode through the callback it was made with.
#pragma once

#include <functional>

#include "grid/GridSets.h"
#include "grid/ScrollInfo.h"

namespace qelvor {

class TCustomGrid;

class TDBGridEhScrollBar {
public:
    // visibleModeChanged runs after every change of VisibleMode.
    TDBGridEhScrollBar(TCustomGrid& grid, TScrollBarKind kind, std::function<void()> visibleModeChanged);
    virtual ~TDBGridEhScrollBar() = default;
    TDBGridEhScrollBar(const TDBGridEhScrollBar&) = delete;
    TDBGridEhScrollBar& operator=(const TDBGridEhScrollBar&) = delete;

    bool Tracking() const { return tracking_; }
    // Thumb drags scroll while dragging (the horizontal bar: through the base grid).
    void SetTracking(bool tracking);
    // True unless VisibleMode is sbNeverShowEh.
    bool Visible() const { return visibleMode_ != sbNeverShowEh; }
    // True: sbAutoShowEh; false: sbNeverShowEh.
    void SetVisible(bool visible);
    TScrollBarVisibleModeEh VisibleMode() const { return visibleMode_; }
    void SetVisibleMode(TScrollBarVisibleModeEh mode);

private:
    TCustomGrid& grid_;  // the grid whose thumb tracking the horizontal bar sets
    TScrollBarKind kind_;  // which of the grid's bars this is
    std::function<void()> visibleModeChanged_;  // tells the data grid of a new visible mode
    bool tracking_ = false;  // thumb drags scroll while dragging
    TScrollBarVisibleModeEh visibleMode_ = sbAutoShowEh;  // when the bar shows
};

class TVertDBGridEhScrollBar : public TDBGridEhScrollBar {
public:
    using TDBGridEhScrollBar::TDBGridEhScrollBar;
};

}  // namespace qelvor
