// CustomGrid: construction, cell counts and extents, the current cell, invalidation,
// the in-place editor and the event entry points of the generic grid base.
#include "grid/CustomGrid.h"
#include "grid/CustomGridPrivate.h"

#include <algorithm>
#include "runtime/Assert.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QScrollBar>

#include "grid/GridScrollBarStyle.h"
#include "grid/InplaceEdit.h"
#include "platform/ExceptionDispatch.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

TCustomGrid::TCustomGrid(QWidget* parent) : QAbstractScrollArea(parent), d_(std::make_unique<Private>())
{
    d_->titleRow = std::make_unique<TGridTitleRow>(static_cast<TGridTitleRow::Host&>(*this));
    // A sunken two-pixel client edge, as the grid's window border.
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The bars take the system's thickness; the style lives as long as the grid.
    setHorizontalScrollBar(new TGridScrollBar(Qt::Horizontal));
    setVerticalScrollBar(new TGridScrollBar(Qt::Vertical));
    auto* barStyle = new TGridScrollBarStyle;
    barStyle->setParent(this);
    horizontalScrollBar()->setStyle(barStyle);
    verticalScrollBar()->setStyle(barStyle);
    ConnectScrollBar(TScrollBarKind::sbHorizontal);
    ConnectScrollBar(TScrollBarKind::sbVertical);
    ResizeExtents(d_->colWidths, d_->colCount, d_->defaultColWidth);
    ResizeExtents(d_->rowHeights, d_->rowCount, d_->defaultRowHeight);
    // Moves without a button pressed still come: the cursor shows the sizing zones.
    viewport()->setMouseTracking(true);
    horizontalScrollBar()->installEventFilter(this);
    verticalScrollBar()->installEventFilter(this);
}

TCustomGrid::~TCustomGrid() = default;

// --- plain accessors ---

int TCustomGrid::ColCount() const { return d_->colCount; }
int TCustomGrid::RowCount() const { return d_->rowCount; }
int TCustomGrid::FixedCols() const { return d_->fixedCols; }
int TCustomGrid::FixedRows() const { return d_->fixedRows; }
int TCustomGrid::DefaultColWidth() const { return d_->defaultColWidth; }
int TCustomGrid::DefaultRowHeight() const { return d_->defaultRowHeight; }
int TCustomGrid::GridLineWidth() const { return d_->gridLineWidth; }
TGridOptions TCustomGrid::GridOptions() const { return d_->gridOptions; }
TScrollStyle TCustomGrid::ScrollBars() const { return d_->scrollBars; }
int TCustomGrid::LeftCol() const { return d_->leftCol; }
int TCustomGrid::TopRow() const { return d_->topRow; }
int TCustomGrid::Col() const { return d_->current.X; }
int TCustomGrid::Row() const { return d_->current.Y; }
TInplaceEdit* TCustomGrid::InplaceEditor() const { return d_->editor; }
TGridState TCustomGrid::GridState() const { return d_->press.state; }
bool TCustomGrid::Dragging() const { return d_->press.state == TGridState::gsColSizing || d_->press.state == TGridState::gsColMoving; }
bool TCustomGrid::MouseCapture() const { return d_->press.mouse.captured; }
bool TCustomGrid::Timer1Running() const { return d_->timer1.isActive(); }
int TCustomGrid::Timer1Interval() const { return d_->timer1Interval; }
void TCustomGrid::SetMouseCapture(bool captured) { d_->press.mouse.captured = captured; }
const TGridPress& TCustomGrid::Press() const { return d_->press; }
void TCustomGrid::SetRightButtonAsLeft(bool on) { d_->press.mouse.rightAsLeft = on; }
const TGridTitleRow& TCustomGrid::TitleRow() const { return *d_->titleRow; }
const TGridPress& TCustomGrid::CurrentPress() const { return d_->press; }
TGridCoord TCustomGrid::Anchor() const { return d_->anchor; }

void TCustomGrid::ResizeExtents(std::vector<int>& extents, int count, int defaultExtent)
{
    extents.resize(static_cast<std::size_t>(std::max(count, 0)), defaultExtent);
}

// --- counts and extents ---

void TCustomGrid::AssertCountsConsistent() const
{
    QELVOR_ASSERT(d_->colCount >= 1 && d_->rowCount >= 1);
    QELVOR_ASSERT(d_->colWidths.size() == static_cast<std::size_t>(d_->colCount));
    QELVOR_ASSERT(d_->rowHeights.size() == static_cast<std::size_t>(d_->rowCount));
    QELVOR_ASSERT(d_->fixedCols >= 0 && d_->fixedCols <= d_->colCount && d_->fixedRows >= 0 && d_->fixedRows <= d_->rowCount);
    QELVOR_ASSERT(d_->leftCol >= d_->fixedCols && d_->leftCol < std::max(d_->colCount, d_->fixedCols + 1));
    QELVOR_ASSERT(d_->topRow >= d_->fixedRows && d_->topRow < std::max(d_->rowCount, d_->fixedRows + 1));
    QELVOR_ASSERT(d_->current.X >= 0 && d_->current.X < d_->colCount && d_->current.Y >= 0 && d_->current.Y < d_->rowCount);
    QELVOR_ASSERT(d_->anchor.X >= 0 && d_->anchor.X < d_->colCount && d_->anchor.Y >= 0 && d_->anchor.Y < d_->rowCount);
}

void TCustomGrid::SetColCount(int count)
{
    count = std::max(count, 1);
    if (count == d_->colCount)
        return;
    const int oldCols = d_->colCount;
    d_->colCount = count;
    ResizeExtents(d_->colWidths, d_->colCount, d_->defaultColWidth);
    if (d_->fixedCols > d_->colCount)
        d_->fixedCols = d_->colCount;
    if (d_->current.X >= d_->colCount)
        d_->current.X = std::max(d_->colCount - 1, 0);
    if (d_->anchor.X >= d_->colCount)
        d_->anchor.X = d_->current.X;
    if (d_->leftCol >= d_->colCount)
        d_->leftCol = std::max(d_->fixedCols, d_->colCount - 1);
    AssertCountsConsistent();
    SizeChanged(oldCols, d_->rowCount);
}

void TCustomGrid::SetRowCount(int count)
{
    count = std::max(count, 1);
    if (count == d_->rowCount)
        return;
    const int oldRows = d_->rowCount;
    d_->rowCount = count;
    ResizeExtents(d_->rowHeights, d_->rowCount, d_->defaultRowHeight);
    if (d_->fixedRows > d_->rowCount)
        d_->fixedRows = d_->rowCount;
    if (d_->current.Y >= d_->rowCount)
        d_->current.Y = std::max(d_->rowCount - 1, 0);
    if (d_->anchor.Y >= d_->rowCount)
        d_->anchor.Y = d_->current.Y;
    if (d_->topRow >= d_->rowCount)
        d_->topRow = std::max(d_->fixedRows, d_->rowCount - 1);
    AssertCountsConsistent();
    SizeChanged(d_->colCount, oldRows);
}

void TCustomGrid::SizeChanged(int, int)
{
    InvalidateGrid();
    UpdateScrollRange();
}

void TCustomGrid::SetFixedCols(int count)
{
    count = std::clamp(count, 0, d_->colCount);
    d_->fixedCols = count;
    d_->leftCol = std::max(d_->leftCol, d_->fixedCols);
    if (d_->current.X < d_->fixedCols && d_->fixedCols < d_->colCount)
        d_->current.X = d_->anchor.X = d_->fixedCols;
    AssertCountsConsistent();
    InvalidateGrid();
    UpdateScrollRange();
}

void TCustomGrid::SetFixedRows(int count)
{
    count = std::clamp(count, 0, d_->rowCount);
    d_->fixedRows = count;
    d_->topRow = std::max(d_->topRow, d_->fixedRows);
    if (d_->current.Y < d_->fixedRows && d_->fixedRows < d_->rowCount)
        d_->current.Y = d_->anchor.Y = d_->fixedRows;
    AssertCountsConsistent();
    InvalidateGrid();
}

int TCustomGrid::ColWidths(int col) const
{
    QELVOR_ASSERT(col >= 0 && col < d_->colCount);
    return d_->colWidths[static_cast<std::size_t>(col)];
}

void TCustomGrid::SetColWidths(int col, int width)
{
    QELVOR_ASSERT(col >= 0 && col < d_->colCount);
    int& stored = d_->colWidths[static_cast<std::size_t>(col)];
    if (stored == width)
        return;
    stored = width;
    InvalidateGrid();
    ColWidthsChanged();
    UpdateScrollRange();
}

int TCustomGrid::RowHeights(int row) const
{
    QELVOR_ASSERT(row >= 0 && row < d_->rowCount);
    return d_->rowHeights[static_cast<std::size_t>(row)];
}

void TCustomGrid::SetRowHeights(int row, int height)
{
    QELVOR_ASSERT(row >= 0 && row < d_->rowCount);
    int& stored = d_->rowHeights[static_cast<std::size_t>(row)];
    if (stored == height)
        return;
    stored = height;
    InvalidateGrid();
    RowHeightsChanged();
}

void TCustomGrid::SetDefaultColWidth(int width)
{
    d_->defaultColWidth = width;
    std::fill(d_->colWidths.begin(), d_->colWidths.end(), width);
    InvalidateGrid();
    ColWidthsChanged();
    UpdateScrollRange();
}

void TCustomGrid::SetDefaultRowHeight(int height)
{
    d_->defaultRowHeight = height;
    std::fill(d_->rowHeights.begin(), d_->rowHeights.end(), height);
    InvalidateGrid();
    RowHeightsChanged();
}

void TCustomGrid::SetGridLineWidth(int width)
{
    if (width == d_->gridLineWidth)
        return;
    d_->gridLineWidth = std::max(width, 0);
    InvalidateGrid();
    UpdateScrollRange();
}

void TCustomGrid::SetGridOptions(TGridOptions options)
{
    if (options == d_->gridOptions)
        return;
    d_->gridOptions = options;
    InvalidateGrid();
}

void TCustomGrid::SetScrollBars(TScrollStyle style)
{
    if (style == d_->scrollBars)
        return;
    d_->scrollBars = style;
    ApplyScrollPolicy();
    UpdateScrollRange();
}

// --- origin and current cell ---

void TCustomGrid::SetLeftCol(int col)
{
    MoveLeftCol(std::clamp(col, d_->fixedCols, std::max(d_->fixedCols, MaxLeftCol())));
}

void TCustomGrid::SetTopRow(int row)
{
    row = std::clamp(row, d_->fixedRows, std::max(d_->fixedRows, d_->rowCount - 1));
    if (row == d_->topRow)
        return;
    d_->topRow = row;
    InvalidateGrid();
    TopLeftChanged();
}

void TCustomGrid::SetCol(int col)
{
    if (col != d_->current.X)
        FocusCell(col, d_->current.Y, true);
}

void TCustomGrid::SetRow(int row)
{
    if (row != d_->current.Y)
        FocusCell(d_->current.X, row, true);
}

void TCustomGrid::FocusCell(int col, int row, bool moveAnchor)
{
    MoveCurrent(col, row, moveAnchor, true);
}

bool TCustomGrid::SelectCell(int, int)
{
    return true;
}

void TCustomGrid::MoveCurrent(int col, int row, bool moveAnchor, bool show)
{
    if (col < 0 || row < 0 || col >= d_->colCount || row >= d_->rowCount)
        return;
    if (!SelectCell(col, row))
        return;
    const TGridCoord old = d_->current;
    d_->current = {col, row};
    if (moveAnchor)
        d_->anchor = d_->current;
    if (old != d_->current) {
        InvalidateCell(old.X, old.Y);
        InvalidateCell(col, row);
    }
    // Keep the current column in view.
    if (col >= d_->fixedCols) {
        if (col < d_->leftCol) {
            MoveLeftCol(col);
        } else {
            const TGridDrawInfo info = CalcDrawInfo();
            if (col > info.Horz.LastFullVisibleCell && col > d_->leftCol)
                MoveLeftCol(std::min(MaxLeftCol(), col));
        }
    }
    if (show && EditorMode())
        InvalidateEditor();
    CurrentCellMoved();
}

int TCustomGrid::VisibleColCount() const
{
    const TGridDrawInfo info = CalcDrawInfo();
    return info.Horz.LastFullVisibleCell - d_->leftCol + 1;
}

int TCustomGrid::VisibleRowCount() const
{
    const TGridDrawInfo info = CalcDrawInfo();
    return info.Vert.LastFullVisibleCell - d_->topRow + 1;
}

// --- invalidation ---

void TCustomGrid::InvalidateClientRect(const QRect& rect)
{
    if (!rect.isEmpty())
        viewport()->update(rect);
}

void TCustomGrid::InvalidateCell(int col, int row)
{
    InvalidateClientRect(CellRect(col, row));
}

void TCustomGrid::InvalidateCol(int col)
{
    const QRect cell = CellRect(col, std::min(d_->topRow, d_->rowCount - 1));
    if (cell.isEmpty())
        return;
    InvalidateClientRect(QRect(cell.left(), 0, cell.width() + d_->gridLineWidth, ClientHeight()));
}

void TCustomGrid::InvalidateRow(int row)
{
    const TGridDrawInfo info = CalcDrawInfo();
    const QRect cell = CellRect(0, row);
    if (cell.isEmpty())
        return;
    InvalidateClientRect(QRect(0, cell.top(), info.Horz.GridBoundary, cell.height() + d_->gridLineWidth));
}

void TCustomGrid::InvalidateGrid()
{
    viewport()->update();
}

void TCustomGrid::UpdateNow()
{
    // Pending updates of a window are painted by its posted update request; only the
    // invalid parts are painted (repaint() would paint the whole client area).
    if (isVisible())
        QCoreApplication::sendPostedEvents(window(), QEvent::UpdateRequest);
}

// --- in-place editor ---

bool TCustomGrid::EditorMode() const
{
    return d_->editorShown;
}

QString TCustomGrid::GetEditText(int, int) const
{
    return {};
}

TInplaceEdit* TCustomGrid::CreateEditor()
{
    return new TInplaceEdit(EditorHost());
}

void TCustomGrid::ShowEditor()
{
    if (!CanEditShow())
        return;
    if (!d_->editor)
        d_->editor = CreateEditor();
    const bool wasShown = d_->editorShown;
    d_->editorShown = true;
    if (!wasShown)
        d_->editorCell = {-1, -1};
    InvalidateEditor();
}

void TCustomGrid::HideEditor()
{
    if (!d_->editorShown)
        return;
    d_->editorShown = false;
    HideEditorWidget();
    InvalidateCell(d_->current.X, d_->current.Y);
}

void TCustomGrid::HideEditorWidget()
{
    // The focus comes back first, so that hiding never passes it on to another control.
    if (window()->focusWidget() == d_->editor)
        setFocus(Qt::OtherFocusReason);
    InvalidateClientRect(d_->editor->geometry());
    d_->editor->hide();
}

bool TCustomGrid::FocusWidgetHere() const
{
    const QWidget* focused = window()->focusWidget();
    return focused && (focused == this || focused == d_->editor);
}

bool TCustomGrid::TakeFocus(Qt::FocusReason reason)
{
    if (!FocusWidgetHere())
        setFocus(reason);
    return FocusWidgetHere();
}

void TCustomGrid::InvalidateEditor()
{
    if (!d_->editorShown || !d_->editor)
        return;
    const QRect cell = CellRect(d_->current.X, d_->current.Y);
    if (cell.isEmpty()) {
        HideEditorWidget();
        return;
    }
    // The whole text is selected each time the editor lands on a cell, not on reloads.
    const bool newCell = d_->editorCell != d_->current;
    const QString text = GetEditText(d_->current.X, d_->current.Y);
    if (newCell || d_->editor->text() != text)
        d_->editor->Place(cell, text);
    else
        d_->editor->setGeometry(cell);
    d_->editorCell = d_->current;
    InvalidateClientRect(cell);
    if (!d_->editor->isVisible())
        d_->editor->show();
    if (window()->focusWidget() == this)
        d_->editor->setFocus(Qt::OtherFocusReason);
}

// --- events ---

void TCustomGrid::Paint(QPainter& painter, const QRegion& clip)
{
    const TGridDrawInfo info = CalcDrawInfo();
    auto paintRow = [&](int row) {
        auto paintCol = [&](int col) {
            const QRect cell = CellRect(col, row);
            if (cell.isEmpty() || !clip.intersects(cell))
                return;
            TGridDrawState state;
            if (col < d_->fixedCols || row < d_->fixedRows)
                state.Include(gdFixed);
            DrawCellGuarded(painter, col, row, cell, state);
        };
        for (int col = 0; col < d_->fixedCols; ++col)
            paintCol(col);
        for (int col = d_->leftCol; col < d_->colCount && CellLeft(info.Horz, col) < info.Horz.GridBoundary; ++col)
            paintCol(col);
    };
    for (int row = 0; row < d_->fixedRows; ++row)
        paintRow(row);
    for (int row = d_->topRow; row < d_->rowCount && CellLeft(info.Vert, row) < info.Vert.GridBoundary; ++row)
        paintRow(row);
}

void TCustomGrid::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    try {
        Paint(painter, event->region());
    } catch (...) {
        NotePaintFailure(-1, -1, std::current_exception());
    }
    d_->titleRow->PaintOverlay(painter);
    ReportPaintFailure();
}

void TCustomGrid::DrawCellGuarded(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state)
{
    try {
        DrawCell(col, row, rect, state);
        if (!d_->failedCells.empty())
            d_->failedCells.erase({col, row});
    } catch (...) {
        NotePaintFailure(col, row, std::current_exception());
        // The failed drawing may have left any composition mode behind.
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        EraseFailedCell(painter, rect, state);
    }
}

void TCustomGrid::EraseFailedCell(QPainter& painter, const QRect& rect, TGridDrawState)
{
    painter.fillRect(rect, viewport()->palette().base());
}

void TCustomGrid::NotePaintFailure(int col, int row, std::exception_ptr failure)
{
    d_->failedCells.insert({col, row});
    if (!d_->paintFailure)
        d_->paintFailure = failure;
}

void TCustomGrid::ReportPaintFailure()
{
    const std::exception_ptr failure = std::exchange(d_->paintFailure, nullptr);
    d_->failedCells.erase({-1, -1});  // a failure outside the cells counts for one paint
    if (!failure) {
        if (d_->failedCells.empty())
            d_->reportedPaintFailure.clear();
        return;
    }
    // Compared by what the user would read: the same message is not shown again.
    const std::string message = ExceptionMessage(failure);
    if (d_->paintReportPending || message == d_->reportedPaintFailure)
        return;
    d_->reportedPaintFailure = message;
    d_->paintReportPending = true;
    // Through the event loop: the box must not open inside this paint.
    QMetaObject::invokeMethod(
        this,
        [this, failure] {
            HandleException(failure);
            d_->paintReportPending = false;
        },
        Qt::QueuedConnection);
}

void TCustomGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
}

bool TCustomGrid::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Resize && !d_->handlingResize) {
        const ScopedFlag handling(d_->handlingResize);
        GuardedCall([&] { ClientResized(); });
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void TCustomGrid::ClientResized()
{
    UpdateScrollRange();
}

void TCustomGrid::scrollContentsBy(int, int)
{
    // The grid moves its pixels itself when its origin changes.
}

}  // namespace qelvor
