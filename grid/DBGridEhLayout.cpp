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
#include "grid/GridAccessibility.h"
#include "platform/ExceptionDispatch.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

// --- batches ---

void TCustomDBGridEh::LockLayout()
{
    ++updateLock_;
    if (layoutLock_ == 0)
        columns_->BeginUpdate();
    ++layoutLock_;
}

void TCustomDBGridEh::UnlockLayout()
{
    if (layoutLock_ <= 0)
        return;
    const ScopeExit release([this] {
        if (layoutLock_ == 1)
            columns_->EndUpdate();
        --layoutLock_;
        --updateLock_;
    });
    if (layoutLock_ == 1)
        RebuildLayout();
}

void TCustomDBGridEh::RequestLayout()
{
    if (layoutLock_ != 0 || updateLock_ != 0)
        return;
    LockLayout();
    UnlockLayout();
}

void TCustomDBGridEh::DeferLayout()
{
    if (!deferredLayoutQueued_) {
        deferredLayoutQueued_ = true;
        QCoreApplication::postEvent(this, new QEvent(kDeferredLayoutEvent));
    }
    if (layoutLock_ > 0) {
        if (layoutLock_ == 1)
            columns_->EndUpdate();
        --layoutLock_;
        --updateLock_;
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
    deferredLayoutQueued_ = false;
    if (layoutLock_ == 0 && updateLock_ == 0)
        RequestLayout();
    else
        DeferLayout();
}

// --- loading ---

void TCustomDBGridEh::BeginLoad()
{
    SetLoading(true);
    columns_->BeginUpdate();
}

void TCustomDBGridEh::EndLoad()
{
    QELVOR_ASSERT(Loading());
    columns_->EndUpdate();
    SetLoading(false);
    if (columns_->Count() > 0) {
        SetColCount(columns_->Count());
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
    if (deferredLayoutQueued_) {
        QCoreApplication::removePostedEvents(this, kDeferredLayoutEvent);
        deferredLayoutQueued_ = false;
    }
    // Announced once the rebuild is over, when the columns and rows are settled.
    const ScopeExit announce([this] { AccessibleTableReset(this); });
    const ScopedFlag inProgress(layoutInProgress_);
    const int savedLeftCol = LeftCol();
    const bool rowSelect = options_.Contains(dgRowSelect);
    indicatorColumns_ = options_.Contains(dgIndicator) ? 1 : 0;
    ReconcileColumns();

    // Hidden columns at the left are fixed so that scrolling never lands on them.
    const int frozen = (!dataLink_->Active() && !columns_->ColumnsArePersistent()) ? 0 : frozenCols_;
    int hiddenLeft = 0;
    for (int i = 0; i < columns_->Count(); ++i) {
        const bool visible = columns_->Items(i)->Visible();
        if (i < frozen) {
            hiddenLeft += visible ? 0 : 1;
        } else if (!visible) {
            ++hiddenLeft;
        } else {
            break;
        }
    }
    SetColCount(columns_->Count() + indicatorColumns_);
    int fixed = indicatorColumns_ + frozen + hiddenLeft;
    if (visibleColumns_.Count() == 0)
        --fixed;
    SetFixedCols(std::clamp(fixed, 0, ColCount() - 1));

    titleRows_ = options_.Contains(dgTitles) ? 1 : 0;
    MeasureRowHeights();
    ApplyHorzScrollBarStyle();
    SetColumnAttributes();
    if (options_.Contains(dgTitles) && (titleHeight_ != 0 || titleLines_ != 0)) {
        QFont tallest = titleFont_;
        int tallestHeight = -1;
        for (int i = 0; i < columns_->Count(); ++i) {
            const QFont& font = columns_->Items(i)->Title()->Font();
            const int height = TextLineHeight(font);
            if (height > tallestHeight) {
                tallestHeight = height;
                tallest = font;
            }
        }
        const int leading = IsDesignFont(tallest) ? 0 : QFontMetrics(tallest).leading();
        computedTitleHeight_ = titleLines_ * TextLineHeight(tallest) + leading + titleHeight_ + 2
                               + (options_.Contains(dgRowLines) ? 1 : 0);
        titleRowHeight_ = computedTitleHeight_;
        SetRowHeights(0, titleRowHeight_);
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
    QELVOR_ASSERT(ColCount() == std::max(1, columns_->Count() + indicatorColumns_));
    QELVOR_ASSERT(TopRow() == titleRows_ && FixedRows() == titleRows_);
    QELVOR_ASSERT(FixedCols() < ColCount() || ColCount() == 1);
    QELVOR_ASSERT(LeftCol() >= FixedCols() && LeftCol() < std::max(ColCount(), FixedCols() + 1));
    int visible = 0;
    for (int i = 0; i < columns_->Count(); ++i) {
        if (!columns_->Items(i)->Visible())
            continue;
        QELVOR_ASSERT(visible < visibleColumns_.Count() && visibleColumns_[visible] == columns_->Items(i));
        ++visible;
    }
    QELVOR_ASSERT(visible == visibleColumns_.Count());
    const bool showsRecords = dataLink_->Active() && dataLink_->RecordCount() != 0;
    QELVOR_ASSERT(RowCount() == titleRows_ + (showsRecords ? dataLink_->RecordCount() : 1));
    if (showsRecords)
        QELVOR_ASSERT(Row() == titleRows_ + dataLink_->ActiveRecord());
}

void TCustomDBGridEh::MeasureRowHeights()
{
    // Lines are measured as the layout was designed (TextLineHeight), not by the face
    // that draws them.
    const int rowMargin = (flat_ ? 1 : 3) + (options_.Contains(dgRowLines) ? GridLineWidth() : 0);
    const int textHeight = TextLineHeight(font());
    const int leading = IsDesignFont(font()) ? 0 : QFontMetrics(font()).leading();
    const int lineHeight = textHeight + leading;
    int rowHeight = 0;
    if (rowHeight_ > 0 || rowLines_ > 0)
        rowHeight = rowHeight_ + lineHeight * rowLines_;
    else
        rowHeight = textHeight + rowMargin;
    if (optionsEh_.Contains(dghFitRowHeightToText) && lineHeight > 0) {
        const int lines = std::max(1, (rowHeight - rowMargin + lineHeight / 2) / lineHeight);
        rowHeight = lines * lineHeight + rowMargin;
        rowLines_ = lines;
        rowHeight_ = rowMargin;
    }
    multiLineRows_ = lineHeight + titleTextMargin_ < rowHeight;

    titleRowHeight_ = 0;
    if (options_.Contains(dgTitles)) {
        if (columns_->Count() == 0) {
            titleRowHeight_ = TextLineHeight(titleFont_) + titleTextMargin_;
        } else {
            for (int i = 0; i < columns_->Count(); ++i) {
                const int height = TextLineHeight(columns_->Items(i)->Title()->Font()) + titleTextMargin_;
                titleRowHeight_ = std::max(titleRowHeight_, height);
            }
        }
    }
    SetDefaultRowHeight(rowHeight);
    if (titleRows_ > 0 && options_.Contains(dgTitles))
        SetRowHeights(0, titleRowHeight_);
}

void TCustomDBGridEh::ApplyHorzScrollBarStyle()
{
    const TScrollStyle style = (horzScrollBar_.Visible() && !AutoFitColWidths()) ? ssHorizontal : ssNone;
    if (style == ScrollBars())
        return;
    SetScrollBars(style);
    UpdateVertScrollBar();
}

void TCustomDBGridEh::SetColumnAttributes()
{
    const bool active = dataLink_->Active();
    tabStops_.assign(static_cast<std::size_t>(ColCount()), false);
    for (int i = 0; i < columns_->Count(); ++i) {
        const int gridCol = ToGridColumn(i);
        if (gridCol >= ColCount())
            break;
        TColumnEh* column = columns_->Items(i);
        TField* field = column->Field();
        tabStops_[static_cast<std::size_t>(gridCol)] = column->Visible() && !column->ReadOnly() && active
                                                       && field && !field->Calculated() && !field->ReadOnly();
        const int width = column->Visible() ? column->Width() : (options_.Contains(dgColLines) ? -1 : 0);
        SetColWidths(gridCol, width);
    }
    if (options_.Contains(dgIndicator) && ColCount() > 0)
        SetColWidths(0, 11);
}

// --- record window ---

void TCustomDBGridEh::UpdateRowCount()
{
    if (!dataLink_)
        return;
    if (RowCount() <= titleRows_)
        SetRowCount(titleRows_ + 1);
    SetFixedRows(titleRows_);
    const int lineWidth = GridLineWidth();
    int fixedHeight = 0;
    if (options_.Contains(dgTitles))
        fixedHeight += titleRowHeight_ + lineWidth;
    fixedHeight += DataRowPitch() * std::max(0, titleRows_ - (options_.Contains(dgTitles) ? 1 : 0));

    SetDefaultRowHeight(DefaultRowHeight());
    if (options_.Contains(dgTitles) && titleRows_ > 0)
        SetRowHeights(0, titleRowHeight_);
    SetTopRow(titleRows_);

    int newRowCount = titleRows_ + 1;
    if (dataLink_->Active() && dataLink_->RecordCount() != 0) {
        const int pitch = std::max(DataRowPitch(), 1);
        int buffers = (ClientHeight() - fixedHeight) / pitch;
        if (buffers <= 0)
            buffers = 1;
        dataLink_->SetBufferCount(buffers);
        newRowCount = titleRows_ + dataLink_->RecordCount();
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
    if (dataLink_->Active() && dataLink_->RecordCount() != 0)
        UpdateActive();
}

void TCustomDBGridEh::UpdateActive()
{
    if (!dataLink_->Active() || Loading())
        return;
    const int target = titleRows_ + dataLink_->ActiveRecord();
    if (target != Row() && target < RowCount()) {
        if (!options_.Contains(dgAlwaysShowEditor))
            HideEditor();
        MoveCurrent(Col(), target, false, false);
        InvalidateEditor();
    }
    if (EditorMode() && InplaceEditor()) {
        const int dataCol = ToDataColumn(Col());
        if (dataCol >= 0 && dataCol < columns_->Count()) {
            TField* field = columns_->Items(dataCol)->Field();
            if (field && QString::fromStdString(field->EditText()) != InplaceEditor()->text())
                InvalidateEditor();
        }
    }
}

}  // namespace qelvor
