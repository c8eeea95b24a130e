// DBGridEhTitlePress: column titles as push buttons — the press, its tracking, the
// release that makes a click (marker cycle, OnTitleBtnClick, OnSortMarkingChanged),
// the turn of a press into a column move, and the notification deferred while Ctrl
// is held (raised at Ctrl's release, at focus loss or by the next plain click).
//
// A title press is the press state gsTitlePressed; it ends in StopTracking.
#include <cstdlib>

#include "grid/DBGridEh.h"

namespace qelvor {

namespace {

// A sideways move of more than this turns a title press into a column move.
constexpr int kTitleDragThreshold = 3;

}  // namespace

void TCustomDBGridEh::CheckTitleButton(int aCol, bool& enabled)
{
    if (aCol < 0 || aCol >= columns_->Count()) {
        enabled = false;
        return;
    }
    if (OnCheckButton)
        OnCheckButton(*this, aCol, columns_->Items(aCol), enabled);
}

void TCustomDBGridEh::DoTitleBtnClick(int aCol, TColumnEh* column)
{
    if (OnTitleBtnClick)
        OnTitleBtnClick(*this, aCol, column);
}

bool TCustomDBGridEh::TitlePressStep(int gridCol, int x, int y)
{
    const int aCol = ToDataColumn(gridCol);
    bool enabled = aCol >= 0 && aCol < columns_->Count() && columns_->Items(aCol)->Title()->TitleButton();
    CheckTitleButton(aCol, enabled);
    if (!enabled)
        return false;
    if (MouseCapture()) {
        Press() = TGridPress::In(TGridState::gsTitlePressed);
        Press().titleCol = gridCol;
        TrackTitleButton(x, y);
    }
    return true;
}

void TCustomDBGridEh::TrackTitleButton(int x, int y)
{
    if (GridState() != TGridState::gsTitlePressed)
        return;
    const bool inside = x >= 0 && y >= 0 && x < ClientWidth() && y < ClientHeight();
    const TGridCoord cell = MouseCoord(x, y);
    const bool down = inside && cell.Y == 0 && cell.X == Press().titleCol;
    if (down == Press().titleDown)
        return;
    Press().titleDown = down;
    InvalidateRow(0);
}

void TCustomDBGridEh::TitleMoveStep(TShiftState shift, int x, int y)
{
    TrackTitleButton(x, y);
    if (std::abs(x - mouseDownPoint_.x()) <= kTitleDragThreshold || !options_.Contains(dgColumnResize))
        return;
    // The press becomes the start of a column move at the point it was made.
    const QPoint pressed = mouseDownPoint_;
    StopTracking();
    SetMouseCapture(true);
    TCustomGrid::MouseDown(TMouseButton::mbLeft, shift, pressed.x(), pressed.y());
}

void TCustomDBGridEh::TitleReleaseStep(TShiftState shift, int x, int y)
{
    const bool inside = x >= 0 && y >= 0 && x < ClientWidth() && y < ClientHeight();
    const TGridCoord cell = MouseCoord(x, y);
    const int gridCol = PressedTitleCol();
    const bool click = inside && cell.Y == 0 && cell.X == gridCol;
    StopTracking();
    if (!click)
        return;
    const int aCol = options_.Contains(dgIndicator) ? gridCol - 1 : gridCol;
    if (aCol < 0 || aCol >= columns_->Count())
        return;
    DoTitleBtnClick(aCol, columns_->Items(aCol));
    // The state at the release counts: a press made without Ctrl released with it is a Ctrl+click.
    const bool pending = shift.Contains(ssCtrl);
    sortMarking_->SetChangePending(pending);
    if (optionsEh_.Contains(dghAutoSortMarking) && aCol < columns_->Count())
        columns_->Items(aCol)->Title()->CycleSortMarker(pending);
    if (!pending)
        DoSortMarkingChanged();
}

void TCustomDBGridEh::StopTracking()
{
    if (!Tracking())
        return;
    StopTimer1();
    TrackTitleButton(-1, -1);
    Press() = TGridPress{};
    SetMouseCapture(false);
}

void TCustomDBGridEh::FocusLeft()
{
    // Ctrl+clicks made before the focus went are not lost: their one notification comes now.
    if (sortMarking_->TakeChangePending())
        DoSortMarkingChanged();
    TCustomGrid::FocusLeft();
}

}  // namespace qelvor
