// DBGridEhLinkReactions: what the grid does when its data link reports a change (the
// data link's share of TCustomDBGridEh::Parts) —
// activation, a changed or scrolled record window, a changed record, layout and
// editing changes, focus requests and resets.
#include <cstdlib>

#include "grid/InplaceEdit.h"

#include "data/DataSet.h"
#include "grid/DBGridEh.h"
#include "grid/DBGridEhPrivate.h"
#include "grid/GridAccessibility.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

void TCustomDBGridEh::Parts::LinkActiveChanged(bool active)
{
    if (grid_.Destroying())
        return;
    if (!active)
        grid_.HideEditor();
    grid_.d_->selection->LinkActiveChanged(active);
    grid_.RequestLayout();
    if (active && grid_.d_->options.Contains(dgAlwaysShowEditor))
        grid_.ShowEditor();
    grid_.UpdateVertScrollBar();
}

void TCustomDBGridEh::Parts::LinkDataChanged()
{
    if (grid_.Destroying())
        return;
    grid_.UpdateRowCount();
    grid_.UpdateVertScrollBar();
    grid_.UpdateActive();
    grid_.InvalidateEditor();
    grid_.InvalidateGrid();
    AccessibleTableReset(&grid_);
}

void TCustomDBGridEh::Parts::LinkScrolled(int distance)
{
    if (grid_.Destroying())
        return;
    const int oldRow = grid_.Row();
    if (grid_.d_->dataLink->ActiveRecord() >= grid_.RowCount() - grid_.d_->titleRows)
        grid_.UpdateRowCount();
    grid_.UpdateVertScrollBar();
    grid_.UpdateActive();
    grid_.InvalidateRow(oldRow);
    grid_.InvalidateRow(grid_.Row());
    if (distance != 0) {
        grid_.HideEditor();
        if (std::abs(distance) > grid_.VisibleDataRows()) {
            grid_.InvalidateGrid();
        } else {
            const bool indicator = grid_.d_->options.Contains(dgIndicator);
            if (indicator && grid_.d_->indicatorRow >= 0 && grid_.d_->indicatorRow < grid_.RowCount())
                grid_.InvalidateRow(grid_.d_->indicatorRow);
            const TGridDrawInfo drawInfo = grid_.CalcDrawInfo();
            const QRect firstRow = grid_.CellRect(0, grid_.d_->titleRows);
            const int top = firstRow.isEmpty() ? drawInfo.Vert.FixedBoundary : firstRow.top();
            // Only the rows move: pixels of the filler strip below them must never slide
            // into a row, which a scroll of a whole screenful would otherwise leave there.
            const int bottom = drawInfo.Vert.GridBoundary;
            grid_.ScrollClientRect(0, -distance * grid_.DataRowPitch(), QRect(0, top, grid_.ClientWidth(), bottom - top));
            if (indicator)
                grid_.InvalidateRow(grid_.Row());
        }
        if (grid_.d_->options.Contains(dgAlwaysShowEditor))
            grid_.ShowEditor();
    }
    if (grid_.d_->updateLock == 0)
        grid_.UpdateNow();
    AccessibleCurrentCellMoved(&grid_);
}

void TCustomDBGridEh::Parts::LinkRecordChanged(TField* field)
{
    if (grid_.Destroying())
        return;
    if (field) {
        for (int i = 0; i < grid_.d_->columns->Count(); ++i)
            if (grid_.d_->columns->Items(i)->BoundField() == field)
                grid_.InvalidateRow(grid_.Row());
    } else {
        grid_.InvalidateGrid();
    }
    const int dataCol = grid_.ToDataColumn(grid_.Col());
    if (dataCol < 0 || dataCol >= grid_.d_->columns->Count())
        return;
    TColumnEh* column = grid_.d_->columns->Items(dataCol);
    TField* current = column->Field();
    if (!current || (field && field != current) || !grid_.InplaceEditor())
        return;
    std::string text;
    if (grid_.d_->drawMemoText && current->DataType() == TFieldType::ftMemo) {
        text = current->AsString();
    } else if (column->ColumnKind() == TColumnEhKind::KeyPickList) {
        text = column->ColumnDisplayText();
    } else {
        text = current->EditText();
    }
    if (QString::fromStdString(text) != grid_.InplaceEditor()->text()) {
        grid_.InvalidateEditor();
        grid_.InplaceEditor()->deselect();
    }
}

void TCustomDBGridEh::Parts::LinkLayoutChanged()
{
    if (grid_.Destroying())
        return;
    const ScopedFlag fromLink(grid_.d_->layoutFromLink);
    grid_.RequestLayout();
}

void TCustomDBGridEh::Parts::LinkEditingChanged()
{
    if (grid_.d_->options.Contains(dgIndicator) && grid_.d_->indicatorRow >= 0)
        grid_.InvalidateCell(0, grid_.d_->indicatorRow);
}

void TCustomDBGridEh::Parts::LinkUpdateData()
{
    // The in-place editor is read-only: it never changes a cell's text, so there is
    // nothing to write back; the pending flag is dropped.
    grid_.d_->dataLink->SetModifiedSinceEdit(false);
}

void TCustomDBGridEh::Parts::LinkFocusField(TField** field)
{
    if (!field || !*field)
        return;
    for (int i = 0; i < grid_.d_->columns->Count(); ++i)
        if (grid_.d_->columns->Items(i)->BoundField() == *field && grid_.ToGridColumn(i) < grid_.ColCount())
            grid_.MoveCurrent(grid_.ToGridColumn(i), grid_.Row(), true, false);
    const int dataCol = grid_.ToDataColumn(grid_.Col());
    if (dataCol < 0 || dataCol >= grid_.d_->columns->Count() || grid_.d_->columns->Items(dataCol)->BoundField() != *field)
        return;
    if (grid_.isVisible() && grid_.focusPolicy() != Qt::NoFocus) {
        grid_.setFocus(Qt::OtherFocusReason);
        *field = nullptr;
        grid_.ShowEditor();
    }
}

void TCustomDBGridEh::Parts::LinkReset()
{
    if (grid_.d_->dataLink->ModifiedSinceEdit()) {
        LinkRecordChanged(nullptr);
    } else if (TDataSet* dataSet = grid_.d_->dataLink->DataSet()) {
        dataSet->Cancel();
    }
}

}  // namespace qelvor
