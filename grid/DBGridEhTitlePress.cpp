// DBGridEhTitlePress: column titles as push buttons — the press, its tracking, the
// release that makes a click (marker cycle, d_->events.OnTitleBtnClick, d_->events.OnSortMarkingChanged),
// the turn of a press into a column move, and the notification deferred while Ctrl
// is held (raised at Ctrl's release, at focus loss or by the next plain click).
//
// A title press is the press state gsTitlePressed; it ends in StopTracking. A click asked
// for by a screen reader takes the same way from TitleClicked on.
#include <cstdlib>

#include <QApplication>

#include "data/DataSet.h"
#include "grid/DBGridEh.h"
#include "grid/DBGridEhPrivate.h"

namespace qelvor {

namespace {

// A sideways move of more than this turns a title press into a column move.
constexpr int kTitleDragThreshold = 3;

}  // namespace

void TCustomDBGridEh::CheckTitleButton(int aCol, bool& enabled)
{
    if (aCol < 0 || aCol >= d_->columns->Count()) {
        enabled = false;
        return;
    }
    if (d_->events.OnCheckButton)
        d_->events.OnCheckButton(*this, aCol, d_->columns->Items(aCol), enabled);
}

void TCustomDBGridEh::DoTitleBtnClick(int aCol, TColumnEh* column)
{
    if (d_->events.OnTitleBtnClick)
        d_->events.OnTitleBtnClick(*this, aCol, column);
}

bool TCustomDBGridEh::TitleButtonEnabled(int aCol)
{
    bool enabled = aCol >= 0 && aCol < d_->columns->Count() && d_->columns->Items(aCol)->Title()->TitleButton();
    CheckTitleButton(aCol, enabled);
    return enabled;
}

bool TCustomDBGridEh::TitlePressStep(int gridCol, int x, int y)
{
    if (!TitleButtonEnabled(ToDataColumn(gridCol)))
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
    if (std::abs(x - d_->mouseDownPoint.x()) <= kTitleDragThreshold || !d_->options.Contains(dgColumnResize))
        return;
    // The press becomes the start of a column move at the point it was made.
    const QPoint pressed = d_->mouseDownPoint;
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
    const int aCol = d_->options.Contains(dgIndicator) ? gridCol - 1 : gridCol;
    if (aCol < 0 || aCol >= d_->columns->Count())
        return;
    // The state at the release counts: a press made without Ctrl released with it is a Ctrl+click.
    TitleClicked(aCol, shift.Contains(ssCtrl));
}

void TCustomDBGridEh::TitleClicked(int aCol, bool ctrl)
{
    DoTitleBtnClick(aCol, d_->columns->Items(aCol));
    d_->sortMarking->SetChangePending(ctrl);
    if (d_->optionsEh.Contains(dghAutoSortMarking) && aCol < d_->columns->Count())
        d_->columns->Items(aCol)->Title()->CycleSortMarker(ctrl);
    if (!ctrl)
        DoSortMarkingChanged();
}

bool TCustomDBGridEh::TitleClickAccepted() const
{
    if (Destroying() || !isVisible() || !isEnabled() || d_->titleRows == 0 || GridState() != TGridState::gsNormal)
        return false;
    // A box over the window (an error message) takes all input, as it does the mouse's.
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != window())
        return false;
    // While a search opens or a re-sort runs, the window waits and takes no input.
    const TDataSet* dataSet = d_->dataLink->DataSet();
    return !d_->notifyingSortMarking && !(dataSet && dataSet->State() == TDataSetState::dsOpening);
}

bool TCustomDBGridEh::RequestTitleClick(int aCol, bool addKey)
{
    if (!TitleClickAccepted() || !TitleButtonEnabled(aCol))
        return false;
    const TColumnEh* column = d_->columns->Items(aCol);
    QMetaObject::invokeMethod(
        this,
        [this, aCol, column, addKey] {
            // The columns may have changed meanwhile: the click belongs to the column asked about.
            if (aCol >= d_->columns->Count() || d_->columns->Items(aCol) != column || !TitleClickAccepted()
                || !TitleButtonEnabled(aCol))
                return;
            TitleClicked(aCol, addKey);
            if (d_->sortMarking->TakeChangePending())
                DoSortMarkingChanged();
            if (d_->events.OnTitleClick)
                d_->events.OnTitleClick(d_->columns->Items(aCol));
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
    Press() = TGridPress{};
    SetMouseCapture(false);
}

void TCustomDBGridEh::FocusLeft()
{
    // Ctrl+clicks made before the focus went are not lost: their one notification comes now.
    if (d_->sortMarking->TakeChangePending())
        DoSortMarkingChanged();
    TCustomGrid::FocusLeft();
}

}  // namespace qelvor
