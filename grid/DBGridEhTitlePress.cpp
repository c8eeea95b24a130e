// DBGridEhTitlePress: column titles as push buttons — the press, its tracking, the
// release that makes a click (marker cycle, OnTitleBtnClick, OnSortMarkingChanged),
// the turn of a press into a column move, and the notification deferred while Ctrl
// is held (raised at Ctrl's release, at focus loss or by the next plain click).
//
// A title press is the press state gsTitlePressed; it ends in StopTracking. A click asked
// for by a screen reader takes the same way from TitleClicked on.
#include <cstdlib>

#include <QApplication>

#include "data/DataSet.h"
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

bool TCustomDBGridEh::TitleButtonEnabled(int aCol)
{
    bool enabled = aCol >= 0 && aCol < columns_->Count() && columns_->Items(aCol)->Title()->TitleButton();
    CheckTitleButton(aCol, enabled);
    return enabled;
}

bool TCustomDBGridEh::TitlePressStep(int gridCol, int x, int y)
{
    if (!TitleButtonEnabled(ToDataColumn(gridCol)))
        return false;
    if (MouseCapture()) {
        StartTitlePress(gridCol);
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
    if (SetTitleDown(down))
        InvalidateRow(0);
}

void TCustomDBGridEh::TitleMoveStep(TShiftState shift, int x, int y)
{
    TrackTitleButton(x, y);
    const QPoint pressed = Press().mouse.downPoint;
    if (std::abs(x - pressed.x()) <= kTitleDragThreshold || !options_.Contains(dgColumnResize))
        return;
    // The press becomes the start of a column move at the point it was made.
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
    // The state at the release counts: a press made without Ctrl released with it is a Ctrl+click.
    TitleClicked(aCol, shift.Contains(ssCtrl));
}

void TCustomDBGridEh::TitleClicked(int aCol, bool ctrl)
{
    DoTitleBtnClick(aCol, columns_->Items(aCol));
    const bool marks = optionsEh_.Contains(dghAutoSortMarking) && aCol < columns_->Count();
    if (SortMarking().Click(marks ? columns_->Items(aCol) : nullptr, ctrl))
        DoSortMarkingChanged();
}

bool TCustomDBGridEh::TitleClickAccepted() const
{
    if (Destroying() || !isVisible() || !isEnabled() || titleRows_ == 0 || GridState() != TGridState::gsNormal)
        return false;
    // A box over the window (an error message) takes all input, as it does the mouse's.
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != window())
        return false;
    // While a search opens or a re-sort runs, the window waits and takes no input.
    const TDataSet* dataSet = dataLink_->DataSet();
    return !notifyingSortMarking_ && !(dataSet && dataSet->State() == TDataSetState::dsOpening);
}

bool TCustomDBGridEh::RequestTitleClick(int aCol, bool addKey)
{
    if (!TitleClickAccepted() || !TitleButtonEnabled(aCol))
        return false;
    const TColumnEh* column = columns_->Items(aCol);
    QMetaObject::invokeMethod(
        this,
        [this, aCol, column, addKey] {
            // The columns may have changed meanwhile: the click belongs to the column asked about.
            if (aCol >= columns_->Count() || columns_->Items(aCol) != column || !TitleClickAccepted()
                || !TitleButtonEnabled(aCol))
                return;
            TitleClicked(aCol, addKey);
            if (SortMarking().TakeChangePending())
                DoSortMarkingChanged();
            if (OnTitleClick)
                OnTitleClick(columns_->Items(aCol));
        },
        Qt::QueuedConnection);
    return true;
}

void TCustomDBGridEh::StopTracking()
{
    if (!Tracking())
        return;
    StopTimer1();
    TrackTitleButton(-1, -1);
    EndPressState();
    SetMouseCapture(false);
}

void TCustomDBGridEh::FocusLeft()
{
    // Ctrl+clicks made before the focus went are not lost: their one notification comes now.
    if (SortMarking().TakeChangePending())
        DoSortMarkingChanged();
    TCustomGrid::FocusLeft();
}

}  // namespace qelvor
