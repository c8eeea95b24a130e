// CustomGrid: construction, cell counts and extents, the current cell, invalidation,
// the in-place editor and the event entry points of the generic grid base.
#include "grid/CustomGrid.h"

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

TCustomGrid::TCustomGrid(QWidget* parent) : QAbstractScrollArea(parent)
{
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
    ResizeExtents(colWidths_, colCount_, defaultColWidth_);
    ResizeExtents(rowHeights_, rowCount_, defaultRowHeight_);
    // Moves without a button pressed still come: the cursor shows the sizing zones.
    viewport()->setMouseTracking(true);
    horizontalScrollBar()->installEventFilter(this);
    verticalScrollBar()->installEventFilter(this);
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::ResizeExtents(std::vector<int>& extents, int count, int defaultExtent)
{
    extents.resize(static_cast<std::size_t>(std::max(count, 0)), defaultExtent);
}

// --- counts and extents ---

void TCustomGrid::AssertCountsConsistent() const
{
    QELVOR_ASSERT(colCount_ >= 1 && rowCount_ >= 1);
    QELVOR_ASSERT(colWidths_.size() == static_cast<std::size_t>(colCount_));
    QELVOR_ASSERT(rowHeights_.size() == static_cast<std::size_t>(rowCount_));
    QELVOR_ASSERT(fixedCols_ >= 0 && fixedCols_ <= colCount_ && fixedRows_ >= 0 && fixedRows_ <= rowCount_);
    QELVOR_ASSERT(leftCol_ >= fixedCols_ && leftCol_ < std::max(colCount_, fixedCols_ + 1));
    QELVOR_ASSERT(topRow_ >= fixedRows_ && topRow_ < std::max(rowCount_, fixedRows_ + 1));
    QELVOR_ASSERT(current_.X >= 0 && current_.X < colCount_ && current_.Y >= 0 && current_.Y < rowCount_);
    QELVOR_ASSERT(anchor_.X >= 0 && anchor_.X < colCount_ && anchor_.Y >= 0 && anchor_.Y < rowCount_);
}

void TCustomGrid::SetColCount(int count)
{
    count = std::max(count, 1);
    if (count == colCount_)
        return;
    const int oldCols = colCount_;
    colCount_ = count;
    ResizeExtents(colWidths_, colCount_, defaultColWidth_);
    if (fixedCols_ > colCount_)
        fixedCols_ = colCount_;
    if (current_.X >= colCount_)
        current_.X = std::max(colCount_ - 1, 0);
    if (anchor_.X >= colCount_)
        anchor_.X = current_.X;
    if (leftCol_ >= colCount_)
        leftCol_ = std::max(fixedCols_, colCount_ - 1);
    AssertCountsConsistent();
    SizeChanged(oldCols, rowCount_);
}

void TCustomGrid::SetRowCount(int count)
{
    count = std::max(count, 1);
    if (count == rowCount_)
        return;
    const int oldRows = rowCount_;
    rowCount_ = count;
    ResizeExtents(rowHeights_, rowCount_, defaultRowHeight_);
    if (fixedRows_ > rowCount_)
        fixedRows_ = rowCount_;
    if (current_.Y >= rowCount_)
        current_.Y = std::max(rowCount_ - 1, 0);
    if (anchor_.Y >= rowCount_)
        anchor_.Y = current_.Y;
    if (topRow_ >= rowCount_)
        topRow_ = std::max(fixedRows_, rowCount_ - 1);
    AssertCountsConsistent();
    SizeChanged(colCount_, oldRows);
}

void TCustomGrid::SizeChanged(int, int)
{
    InvalidateGrid();
    UpdateScrollRange();
}

void TCustomGrid::SetFixedCols(int count)
{
    count = std::clamp(count, 0, colCount_);
    fixedCols_ = count;
    leftCol_ = std::max(leftCol_, fixedCols_);
    if (current_.X < fixedCols_ && fixedCols_ < colCount_)
        current_.X = anchor_.X = fixedCols_;
    AssertCountsConsistent();
    InvalidateGrid();
    UpdateScrollRange();
}

void TCustomGrid::SetFixedRows(int count)
{
    count = std::clamp(count, 0, rowCount_);
    fixedRows_ = count;
    topRow_ = std::max(topRow_, fixedRows_);
    if (current_.Y < fixedRows_ && fixedRows_ < rowCount_)
        current_.Y = anchor_.Y = fixedRows_;
    AssertCountsConsistent();
    InvalidateGrid();
}

int TCustomGrid::ColWidths(int col) const
{
    QELVOR_ASSERT(col >= 0 && col < colCount_);
    return colWidths_[static_cast<std::size_t>(col)];
}

void TCustomGrid::SetColWidths(int col, int width)
{
    QELVOR_ASSERT(col >= 0 && col < colCount_);
    int& stored = colWidths_[static_cast<std::size_t>(col)];
    if (stored == width)
        return;
    stored = width;
    InvalidateGrid();
    ColWidthsChanged();
    UpdateScrollRange();
}

int TCustomGrid::RowHeights(int row) const
{
    QELVOR_ASSERT(row >= 0 && row < rowCount_);
    return rowHeights_[static_cast<std::size_t>(row)];
}

void TCustomGrid::SetRowHeights(int row, int height)
{
    QELVOR_ASSERT(row >= 0 && row < rowCount_);
    int& stored = rowHeights_[static_cast<std::size_t>(row)];
    if (stored == height)
        return;
    stored = height;
    InvalidateGrid();
    RowHeightsChanged();
}

void TCustomGrid::SetDefaultColWidth(int width)
{
    defaultColWidth_ = width;
    std::fill(colWidths_.begin(), colWidths_.end(), width);
    InvalidateGrid();
    ColWidthsChanged();
    UpdateScrollRange();
}

void TCustomGrid::SetDefaultRowHeight(int height)
{
    defaultRowHeight_ = height;
    std::fill(rowHeights_.begin(), rowHeights_.end(), height);
    InvalidateGrid();
    RowHeightsChanged();
}

void TCustomGrid::SetGridLineWidth(int width)
{
    if (width == gridLineWidth_)
        return;
    gridLineWidth_ = std::max(width, 0);
    InvalidateGrid();
    UpdateScrollRange();
}

void TCustomGrid::SetGridOptions(TGridOptions options)
{
    if (options == gridOptions_)
        return;
    gridOptions_ = options;
    InvalidateGrid();
}

void TCustomGrid::SetScrollBars(TScrollStyle style)
{
    if (style == scrollBars_)
        return;
    scrollBars_ = style;
    ApplyScrollPolicy();
    UpdateScrollRange();
}

// --- origin and current cell ---

void TCustomGrid::SetLeftCol(int col)
{
    MoveLeftCol(std::clamp(col, fixedCols_, std::max(fixedCols_, MaxLeftCol())));
}

void TCustomGrid::SetTopRow(int row)
{
    row = std::clamp(row, fixedRows_, std::max(fixedRows_, rowCount_ - 1));
    if (row == topRow_)
        return;
    topRow_ = row;
    InvalidateGrid();
    TopLeftChanged();
}

void TCustomGrid::SetCol(int col)
{
    if (col != current_.X)
        FocusCell(col, current_.Y, true);
}

void TCustomGrid::SetRow(int row)
{
    if (row != current_.Y)
        FocusCell(current_.X, row, true);
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
    if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_)
        return;
    if (!SelectCell(col, row))
        return;
    const TGridCoord old = current_;
    current_ = {col, row};
    if (moveAnchor)
        anchor_ = current_;
    if (old != current_) {
        InvalidateCell(old.X, old.Y);
        InvalidateCell(col, row);
    }
    // Keep the current column in view.
    if (col >= fixedCols_) {
        if (col < leftCol_) {
            MoveLeftCol(col);
        } else {
            const TGridDrawInfo info = CalcDrawInfo();
            if (col > info.Horz.LastFullVisibleCell && col > leftCol_)
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
    return info.Horz.LastFullVisibleCell - leftCol_ + 1;
}

int TCustomGrid::VisibleRowCount() const
{
    const TGridDrawInfo info = CalcDrawInfo();
    return info.Vert.LastFullVisibleCell - topRow_ + 1;
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
    const QRect cell = CellRect(col, std::min(topRow_, rowCount_ - 1));
    if (cell.isEmpty())
        return;
    InvalidateClientRect(QRect(cell.left(), 0, cell.width() + gridLineWidth_, ClientHeight()));
}

void TCustomGrid::InvalidateRow(int row)
{
    const TGridDrawInfo info = CalcDrawInfo();
    const QRect cell = CellRect(0, row);
    if (cell.isEmpty())
        return;
    InvalidateClientRect(QRect(0, cell.top(), info.Horz.GridBoundary, cell.height() + gridLineWidth_));
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
    return editorShown_;
}

QString TCustomGrid::GetEditText(int, int) const
{
    return {};
}

TInplaceEdit* TCustomGrid::CreateEditor()
{
    return new TInplaceEdit(this);
}

void TCustomGrid::ShowEditor()
{
    if (!CanEditShow())
        return;
    if (!editor_)
        editor_ = CreateEditor();
    const bool wasShown = editorShown_;
    editorShown_ = true;
    if (!wasShown)
        editorCell_ = {-1, -1};
    InvalidateEditor();
}

void TCustomGrid::HideEditor()
{
    if (!editorShown_)
        return;
    editorShown_ = false;
    HideEditorWidget();
    InvalidateCell(current_.X, current_.Y);
}

void TCustomGrid::HideEditorWidget()
{
    // The focus comes back first, so that hiding never passes it on to another control.
    if (window()->focusWidget() == editor_)
        setFocus(Qt::OtherFocusReason);
    InvalidateClientRect(editor_->geometry());
    editor_->hide();
}

bool TCustomGrid::FocusWidgetHere() const
{
    const QWidget* focused = window()->focusWidget();
    return focused && (focused == this || focused == editor_);
}

bool TCustomGrid::TakeFocus(Qt::FocusReason reason)
{
    if (!FocusWidgetHere())
        setFocus(reason);
    return FocusWidgetHere();
}

void TCustomGrid::InvalidateEditor()
{
    if (!editorShown_ || !editor_)
        return;
    const QRect cell = CellRect(current_.X, current_.Y);
    if (cell.isEmpty()) {
        HideEditorWidget();
        return;
    }
    // The whole text is selected each time the editor lands on a cell, not on reloads.
    const bool newCell = editorCell_ != current_;
    const QString text = GetEditText(current_.X, current_.Y);
    if (newCell || editor_->text() != text)
        editor_->Place(cell, text);
    else
        editor_->setGeometry(cell);
    editorCell_ = current_;
    InvalidateClientRect(cell);
    if (!editor_->isVisible())
        editor_->show();
    if (window()->focusWidget() == this)
        editor_->setFocus(Qt::OtherFocusReason);
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
            if (col < fixedCols_ || row < fixedRows_)
                state.Include(gdFixed);
            DrawCellGuarded(painter, col, row, cell, state);
        };
        for (int col = 0; col < fixedCols_; ++col)
            paintCol(col);
        for (int col = leftCol_; col < colCount_ && CellLeft(info.Horz, col) < info.Horz.GridBoundary; ++col)
            paintCol(col);
    };
    for (int row = 0; row < fixedRows_; ++row)
        paintRow(row);
    for (int row = topRow_; row < rowCount_ && CellLeft(info.Vert, row) < info.Vert.GridBoundary; ++row)
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
    PaintOverlay(painter);
    ReportPaintFailure();
}

void TCustomGrid::DrawCellGuarded(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state)
{
    try {
        DrawCell(col, row, rect, state);
        if (!failedCells_.empty())
            failedCells_.erase({col, row});
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
    failedCells_.insert({col, row});
    if (!paintFailure_)
        paintFailure_ = failure;
}

void TCustomGrid::ReportPaintFailure()
{
    const std::exception_ptr failure = std::exchange(paintFailure_, nullptr);
    failedCells_.erase({-1, -1});  // a failure outside the cells counts for one paint
    if (!failure) {
        if (failedCells_.empty())
            reportedPaintFailure_.clear();
        return;
    }
    // Compared by what the user would read: the same message is not shown again.
    const std::string message = ExceptionMessage(failure);
    if (paintReportPending_ || message == reportedPaintFailure_)
        return;
    reportedPaintFailure_ = message;
    paintReportPending_ = true;
    // Through the event loop: the box must not open inside this paint.
    QMetaObject::invokeMethod(
        this,
        [this, failure] {
            HandleException(failure);
            paintReportPending_ = false;
        },
        Qt::QueuedConnection);
}

void TCustomGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
}

bool TCustomGrid::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Resize && !handlingResize_) {
        const ScopedFlag handling(handlingResize_);
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
