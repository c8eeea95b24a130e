// DBGridEhTitleRow: the data grid's title buttons — press, pressed look, the turn into a
// column move, release, click and the title cell's paint — and the grid's title-button
// questions (enabled, accepted, asked for without the mouse), the end of tracking and
// the notification held back when the focus leaves.
//
// A click read from the press on: DBGridEhMouse.cpp (MouseDown/MouseUp hand presses on
// titles here), Release and Click below, TSortMarkingEh::Click (SortMarking.cpp), and
// DoSortMarkingChanged (DBGridEhSortMarking.cpp), which raises d_->events.OnSortMarkingChanged.
#include "grid/DBGridEhTitleRow.h"

#include <cstdlib>

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

#include "data/DataSet.h"
#include "grid/CellText.h"
#include "grid/DBGridEh.h"
#include "grid/DBGridEhPrivate.h"
#include "grid/GridResources.h"
#include "grid/GridStyle.h"
#include "grid/TitleCellLayout.h"

namespace qelvor {

namespace {

// A sideways move of more than this turns a title press into a column move.
constexpr int kTitleDragThreshold = 3;

}  // namespace

// --- the press ---

bool TCustomDBGridEh::TitleRow::Press(int gridCol, int x, int y)
{
    if (!grid_.TitleButtonEnabled(grid_.ToDataColumn(gridCol)))
        return false;
    if (grid_.MouseCapture()) {
        grid_.StartTitlePress(gridCol);
        Track(x, y);
    }
    return true;
}

bool TCustomDBGridEh::TitleRow::OnTitle(int gridCol, int x, int y) const
{
    const bool inside = x >= 0 && y >= 0 && x < grid_.ClientWidth() && y < grid_.ClientHeight();
    const TGridCoord cell = grid_.MouseCoord(x, y);
    return inside && cell.Y == 0 && cell.X == gridCol;
}

void TCustomDBGridEh::TitleRow::Track(int x, int y)
{
    if (grid_.GridState() != TGridState::gsTitlePressed)
        return;
    if (grid_.SetTitleDown(OnTitle(grid_.Press().titleCol, x, y)))
        grid_.InvalidateRow(0);
}

void TCustomDBGridEh::TitleRow::Drag(TShiftState shift, int x, int y)
{
    Track(x, y);
    const QPoint pressed = grid_.Press().mouse.downPoint;
    if (std::abs(x - pressed.x()) <= kTitleDragThreshold || !grid_.Options().Contains(dgColumnResize))
        return;
    // The press becomes the start of a column move at the point it was made.
    grid_.StopTracking();
    grid_.SetMouseCapture(true);
    grid_.BaseTitlePress(TMouseButton::mbLeft, shift, pressed.x(), pressed.y());
}

void TCustomDBGridEh::TitleRow::Release(TShiftState shift, int x, int y)
{
    const int gridCol = grid_.PressedTitleCol();
    const bool click = OnTitle(gridCol, x, y);
    grid_.StopTracking();
    if (!click)
        return;
    const int aCol = grid_.Options().Contains(dgIndicator) ? gridCol - 1 : gridCol;
    if (aCol < 0 || aCol >= grid_.Columns().Count())
        return;
    // The state at the release counts: a press made without Ctrl released with it is a Ctrl+click.
    Click(aCol, shift.Contains(ssCtrl));
}

// --- the click ---

void TCustomDBGridEh::TitleRow::Click(int aCol, bool ctrl)
{
    TDBGridColumnsEh& columns = grid_.Columns();
    grid_.DoTitleBtnClick(aCol, columns.Items(aCol));
    const bool marks = grid_.OptionsEh().Contains(dghAutoSortMarking) && aCol < columns.Count();
    if (grid_.SortMarking().Click(marks ? columns.Items(aCol) : nullptr, ctrl))
        grid_.DoSortMarkingChanged();
}

// --- the paint ---

bool TCustomDBGridEh::TitleRow::Paint(QPainter& painter, int gridCol, const QRect& inner, int offset)
{
    const int dataCol = grid_.ToDataColumn(gridCol);
    if (dataCol < 0 || dataCol >= grid_.Columns().Count()) {
        painter.fillRect(inner, ToQColor(grid_.FixedColor()));
        return false;
    }
    TColumnEh* column = grid_.Columns().Items(dataCol);
    TColumnTitleEh* title = column->Title();
    const bool pressed = gridCol == grid_.PressedTitleCol() && grid_.TitleButtonDown();
    const bool bound = column->Field() != nullptr;
    TColor brush = title->Color();
    TSortMarkerEh marker = title->SortMarker();
    if (bound && grid_.d_->events.OnGetBtnParams) {
        QFont font = title->Font();
        grid_.d_->events.OnGetBtnParams(grid_, gridCol, column, font, brush, marker, pressed);
    }
    QString number;
    int numberWidth = 0;
    if (marker != smNoneEh && grid_.SortMarkedColumnList().Count() >= 2) {
        number = QString::number(title->SortIndex());
        numberWidth = QFontMetrics(SortNumberFont()).horizontalAdvance(number);
    }
    const TitleCellLayout layout = LayoutTitleCell(inner, pressed, marker != smNoneEh, numberWidth);
    QFont captionFont = title->Font();
    if (bound && grid_.d_->events.OnGetBtnParams) {
        // Only the font of this second call counts.
        TColor unusedBackground = brush;
        TSortMarkerEh unusedMarker = marker;
        grid_.d_->events.OnGetBtnParams(grid_, gridCol, column, captionFont, unusedBackground, unusedMarker, pressed);
    }
    QColor background = ToQColor(brush);
    QColor textColor = ToQColor(clWindowText);
    bool highlighted = false;
    if (grid_.Selection().SelectionType() == gstColumns && grid_.Selection().IsCellSelected(dataCol, {})) {
        background = kSelectedFixedCellColor;
        textColor = Qt::white;
        highlighted = true;
    }
    if (!layout.markerStrip.isEmpty())
        painter.fillRect(layout.markerStrip, background);
    // The pressed caption moves by one pixel; the strips it leaves are filled too.
    for (const QRect& strip : layout.pressedStrips)
        if (!strip.isEmpty())
            painter.fillRect(strip, background);
    SetPainterFont(painter, captionFont);
    if (layout.caption.width() > 0) {
        WriteCellText(painter, layout.caption, offset, offset, title->Alignment(), title->EndEllipsis(), false,
                      QString::fromStdString(title->Caption()), background, textColor);
    }
    if (layout.showMarker) {
        if (const TGridImageList* images = SortMarkerImages())
            painter.drawImage(layout.marker, images->Image(marker == smDownEh ? 0 : 1));
    }
    if (layout.numberWidth > 0) {
        const QFont& numberFont = SortNumberFont();
        SetPainterFont(painter, numberFont);
        painter.setPen(highlighted ? QColor(Qt::white) : ToQColor(clWindowText));
        painter.drawText(layout.number + QPoint(0, QFontMetrics(numberFont).ascent()), number);
        SetPainterFont(painter, grid_.TitleFont());
    }
    return pressed || highlighted;
}

// --- the grid's title-button questions ---

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

// The grid takes a title click that did not come from the mouse now: shown, enabled,
// with titles, no press under way, no other modal window over it, and no search or
// re-sort running.
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

// A title click asked for without the mouse (a screen reader's header action): what a
// click (addKey false) or a Ctrl+click (addKey true) on the title of column aCol does,
// with the one notification at once, as there is no Ctrl to release. It runs at the
// next turn of the event loop, so that the asking client has its answer first; false
// (and nothing happens) while the title is no button or the grid cannot take input.
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
            TitleRow(*this).Click(aCol, addKey);
            if (SortMarking().TakeChangePending())
                DoSortMarkingChanged();
            if (d_->events.OnTitleClick)
                d_->events.OnTitleClick(d_->columns->Items(aCol));
        },
        Qt::QueuedConnection);
    return true;
}

void TCustomDBGridEh::TrackTitleButton(int x, int y)
{
    TitleRow(*this).Track(x, y);
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
