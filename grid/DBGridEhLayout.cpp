// DBGridEhLayout: layout batches, the deferred layout message, RebuildLayout with its
// measurements, SetColumnAttributes, the record window's size (UpdateRowCount),
// UpdateActive and the end of loading.
#include <algorithm>
#include "runtime/Assert.h"

#include <QCoreApplication>
#include <QFontMetrics>

#include "platform/DesignFont.h"
#include "grid/InplaceEdit.h"

#include "grid/DBGridEh.h"
#include "grid/DBGridEhPrivate.h"
#include "grid/GridAccessibility.h"
#include "platform/ExceptionDispatch.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

// --- batches ---

void TCustomDBGridEh::LockLayout()
{
    ++d_->updateLock;
    if (d_->layoutLock == 0)
        d_->columns->BeginUpdate();
    ++d_->layoutLock;
}

void TCustomDBGridEh::UnlockLayout()
{
    if (d_->layoutLock <= 0)
        return;
    const ScopeExit release([this] {
        if (d_->layoutLock == 1)
            d_->columns->EndUpdate();
        --d_->layoutLock;
        --d_->updateLock;
    });
    if (d_->layoutLock == 1)
        RebuildLayout();
}

void TCustomDBGridEh::RequestLayout()
{
    if (d_->layoutLock != 0 || d_->updateLock != 0)
        return;
    LockLayout();
    UnlockLayout();
}

void TCustomDBGridEh::DeferLayout()
{
    if (!d_->deferredLayoutQueued) {
        d_->deferredLayoutQueued = true;
        QCoreApplication::postEvent(this, new QEvent(kDeferredLayoutEvent));
    }
    if (d_->layoutLock > 0) {
        if (d_->layoutLock == 1)
            d_->columns->EndUpdate();
        --d_->layoutLock;
        --d_->updateLock;
    }
}

bool TCustomDBGridEh::event(QEvent* event)
{
    if (event->type() == kDeferredLayoutEvent) {
        GuardedCall([&] { HandleDeferredLayout(); });
        return true;
    }
    return TCustomGrid::event(event);
}

void TCustomDBGridEh::HandleDeferredLayout()
{
    d_->deferredLayoutQueued = false;
    if (d_->layoutLock == 0 && d_->updateLock == 0)
        RequestLayout();
    else
        DeferLayout();
}

// --- loading ---

void TCustomDBGridEh::BeginLoad()
{
    SetLoading(true);
    d_->columns->BeginUpdate();
}

void TCustomDBGridEh::EndLoad()
{
    QELVOR_ASSERT(Loading());
    d_->columns->EndUpdate();
    SetLoading(false);
    if (d_->columns->Count() > 0) {
        SetColCount(d_->columns->Count());
        RebuildSortMarkedColumnList();
    }
    RequestLayout();
    DeferLayout();
}

// --- the rebuild ---

void TCustomDBGridEh::RebuildLayout()
{
    if (Loading())
        return;
    if (d_->deferredLayoutQueued) {
        QCoreApplication::removePostedEvents(this, kDeferredLayoutEvent);
        d_->deferredLayoutQueued = false;
    }
    // Announced once the rebuild is over, when the columns and rows are settled.
    const ScopeExit announce([this] { AccessibleTableReset(this); });
    const ScopedFlag inProgress(d_->layoutInProgress);
    const int savedLeftCol = LeftCol();
    const bool rowSelect = d_->options.Contains(dgRowSelect);
    d_->indicatorColumns = d_->options.Contains(dgIndicator) ? 1 : 0;
    ReconcileColumns();

    // Hidden columns at the left are fixed so that scrolling never lands on them.
    const int frozen = (!d_->dataLink->Active() && !d_->columns->ColumnsArePersistent()) ? 0 : d_->frozenCols;
    int hiddenLeft = 0;
    for (int i = 0; i < d_->columns->Count(); ++i) {
        const bool visible = d_->columns->Items(i)->Visible();
        if (i < frozen) {
            hiddenLeft += visible ? 0 : 1;
        } else if (!visible) {
            ++hiddenLeft;
        } else {
            break;
        }
    }
    SetColCount(d_->columns->Count() + d_->indicatorColumns);
    int fixed = d_->indicatorColumns + frozen + hiddenLeft;
    if (d_->visibleColumns.Count() == 0)
        --fixed;
    SetFixedCols(std::clamp(fixed, 0, ColCount() - 1));

    d_->titleRows = d_->options.Contains(dgTitles) ? 1 : 0;
    MeasureRowHeights();
    ApplyHorzScrollBarStyle();
    SetColumnAttributes();
    if (d_->options.Contains(dgTitles) && (d_->titleHeight != 0 || d_->titleLines != 0)) {
        QFont tallest = d_->titleFont;
        int tallestHeight = -1;
        for (int i = 0; i < d_->columns->Count(); ++i) {
            const QFont& font = d_->columns->Items(i)->Title()->Font();
            const int height = TextLineHeight(font);
            if (height > tallestHeight) {
                tallestHeight = height;
                tallest = font;
            }
        }
        const int leading = IsDesignFont(tallest) ? 0 : QFontMetrics(tallest).leading();
        d_->computedTitleHeight = d_->titleLines * TextLineHeight(tallest) + leading + d_->titleHeight + 2
                               + (d_->options.Contains(dgRowLines) ? 1 : 0);
        d_->titleRowHeight = d_->computedTitleHeight;
        SetRowHeights(0, d_->titleRowHeight);
    }
    SetColumnAttributes();
    UpdateRowCount();
    if (rowSelect)
        SetLeftCol(savedLeftCol);
    UpdateActive();
    InvalidateGrid();
    AssertLayoutConsistent();
}

void TCustomDBGridEh::AssertLayoutConsistent() const
{
    QELVOR_ASSERT(ColCount() == std::max(1, d_->columns->Count() + d_->indicatorColumns));
    QELVOR_ASSERT(TopRow() == d_->titleRows && FixedRows() == d_->titleRows);
    QELVOR_ASSERT(FixedCols() < ColCount() || ColCount() == 1);
    QELVOR_ASSERT(LeftCol() >= FixedCols() && LeftCol() < std::max(ColCount(), FixedCols() + 1));
    int visible = 0;
    for (int i = 0; i < d_->columns->Count(); ++i) {
        if (!d_->columns->Items(i)->Visible())
            continue;
        QELVOR_ASSERT(visible < d_->visibleColumns.Count() && d_->visibleColumns[visible] == d_->columns->Items(i));
        ++visible;
    }
    QELVOR_ASSERT(visible == d_->visibleColumns.Count());
    const bool showsRecords = d_->dataLink->Active() && d_->dataLink->RecordCount() != 0;
    QELVOR_ASSERT(RowCount() == d_->titleRows + (showsRecords ? d_->dataLink->RecordCount() : 1));
    if (showsRecords)
        QELVOR_ASSERT(Row() == d_->titleRows + d_->dataLink->ActiveRecord());
}

void TCustomDBGridEh::MeasureRowHeights()
{
    // Lines are measured as the layout was designed (TextLineHeight), not by the face
    // that draws them.
    const int rowMargin = (d_->flat ? 1 : 3) + (d_->options.Contains(dgRowLines) ? GridLineWidth() : 0);
    const int textHeight = TextLineHeight(font());
    const int leading = IsDesignFont(font()) ? 0 : QFontMetrics(font()).leading();
    const int lineHeight = textHeight + leading;
    int rowHeight = 0;
    if (d_->rowHeight > 0 || d_->rowLines > 0)
        rowHeight = d_->rowHeight + lineHeight * d_->rowLines;
    else
        rowHeight = textHeight + rowMargin;
    if (d_->optionsEh.Contains(dghFitRowHeightToText) && lineHeight > 0) {
        const int lines = std::max(1, (rowHeight - rowMargin + lineHeight / 2) / lineHeight);
        rowHeight = lines * lineHeight + rowMargin;
        d_->rowLines = lines;
        d_->rowHeight = rowMargin;
    }
    d_->multiLineRows = lineHeight + d_->titleTextMargin < rowHeight;

    d_->titleRowHeight = 0;
    if (d_->options.Contains(dgTitles)) {
        if (d_->columns->Count() == 0) {
            d_->titleRowHeight = TextLineHeight(d_->titleFont) + d_->titleTextMargin;
        } else {
            for (int i = 0; i < d_->columns->Count(); ++i) {
                const int height = TextLineHeight(d_->columns->Items(i)->Title()->Font()) + d_->titleTextMargin;
                d_->titleRowHeight = std::max(d_->titleRowHeight, height);
            }
        }
    }
    SetDefaultRowHeight(rowHeight);
    if (d_->titleRows > 0 && d_->options.Contains(dgTitles))
        SetRowHeights(0, d_->titleRowHeight);
}

void TCustomDBGridEh::ApplyHorzScrollBarStyle()
{
    const TScrollStyle style = (d_->horzScrollBar.Visible() && !AutoFitColWidths()) ? ssHorizontal : ssNone;
    if (style == ScrollBars())
        return;
    SetScrollBars(style);
    UpdateVertScrollBar();
}

void TCustomDBGridEh::SetColumnAttributes()
{
    const bool active = d_->dataLink->Active();
    d_->tabStops.assign(static_cast<std::size_t>(ColCount()), false);
    for (int i = 0; i < d_->columns->Count(); ++i) {
        const int gridCol = ToGridColumn(i);
        if (gridCol >= ColCount())
            break;
        TColumnEh* column = d_->columns->Items(i);
        TField* field = column->Field();
        d_->tabStops[static_cast<std::size_t>(gridCol)] = column->Visible() && !column->ReadOnly() && active
                                                       && field && !field->Calculated() && !field->ReadOnly();
        const int width = column->Visible() ? column->Width() : (d_->options.Contains(dgColLines) ? -1 : 0);
        SetColWidths(gridCol, width);
    }
    if (d_->options.Contains(dgIndicator) && ColCount() > 0)
        SetColWidths(0, 11);
}

// --- record window ---

void TCustomDBGridEh::UpdateRowCount()
{
    if (!d_->dataLink)
        return;
    if (RowCount() <= d_->titleRows)
        SetRowCount(d_->titleRows + 1);
    SetFixedRows(d_->titleRows);
    const int lineWidth = GridLineWidth();
    int fixedHeight = 0;
    if (d_->options.Contains(dgTitles))
        fixedHeight += d_->titleRowHeight + lineWidth;
    fixedHeight += DataRowPitch() * std::max(0, d_->titleRows - (d_->options.Contains(dgTitles) ? 1 : 0));

    SetDefaultRowHeight(DefaultRowHeight());
    if (d_->options.Contains(dgTitles) && d_->titleRows > 0)
        SetRowHeights(0, d_->titleRowHeight);
    SetTopRow(d_->titleRows);

    int newRowCount = d_->titleRows + 1;
    if (d_->dataLink->Active() && d_->dataLink->RecordCount() != 0) {
        const int pitch = std::max(DataRowPitch(), 1);
        int buffers = (ClientHeight() - fixedHeight) / pitch;
        if (buffers <= 0)
            buffers = 1;
        d_->dataLink->SetBufferCount(buffers);
        newRowCount = d_->titleRows + d_->dataLink->RecordCount();
    }
    if (newRowCount != RowCount()) {
        const bool currentMoves = Row() >= newRowCount;
        if (currentMoves)
            MoveCurrent(Col(), newRowCount - 1, false, false);
        SetRowCount(newRowCount);
        InvalidateGrid();
        // The editor follows the current record to its new row: left behind, it would
        // cover the cell that shows its record while the row it sits on shows another.
        if (currentMoves)
            InvalidateEditor();
    }
    if (d_->dataLink->Active() && d_->dataLink->RecordCount() != 0)
        UpdateActive();
}

void TCustomDBGridEh::UpdateActive()
{
    if (!d_->dataLink->Active() || Loading())
        return;
    const int target = d_->titleRows + d_->dataLink->ActiveRecord();
    if (target != Row() && target < RowCount()) {
        if (!d_->options.Contains(dgAlwaysShowEditor))
            HideEditor();
        MoveCurrent(Col(), target, false, false);
        InvalidateEditor();
    }
    if (EditorMode() && InplaceEditor()) {
        const int dataCol = ToDataColumn(Col());
        if (dataCol >= 0 && dataCol < d_->columns->Count()) {
            TField* field = d_->columns->Items(dataCol)->Field();
            if (field && QString::fromStdString(field->EditText()) != InplaceEditor()->text())
                InvalidateEditor();
        }
    }
}

}  // namespace qelvor
