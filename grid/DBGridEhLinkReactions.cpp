// DBGridEhLinkReactions: what the grid does when its data link reports a change —
// activation, a changed or scrolled record window, a changed record, layout and
// editing changes, focus requests and resets.
#include <cstdlib>

#include "grid/InplaceEdit.h"

#include "data/DataSet.h"
#include "grid/DBGridEh.h"
#include "grid/GridAccessibility.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

void TCustomDBGridEh::LinkActive(bool active)
{
    if (Destroying())
        return;
    if (!active)
        HideEditor();
    selection_->LinkActiveChanged(active);
    RequestLayout();
    if (active && options_.Contains(dgAlwaysShowEditor))
        ShowEditor();
    UpdateVertScrollBar();
}

void TCustomDBGridEh::DataChanged()
{
    if (Destroying())
        return;
    UpdateRowCount();
    UpdateVertScrollBar();
    UpdateActive();
    InvalidateEditor();
    InvalidateGrid();
    AccessibleTableReset(this);
}

void TCustomDBGridEh::Scroll(int distance)
{
    if (Destroying())
        return;
    const int oldRow = Row();
    if (dataLink_->ActiveRecord() >= RowCount() - titleRows_)
        UpdateRowCount();
    UpdateVertScrollBar();
    UpdateActive();
    InvalidateRow(oldRow);
    InvalidateRow(Row());
    if (distance != 0) {
        HideEditor();
        if (std::abs(distance) > VisibleDataRows()) {
            InvalidateGrid();
        } else {
            const bool indicator = options_.Contains(dgIndicator);
            if (indicator && indicatorRow_ >= 0 && indicatorRow_ < RowCount())
                InvalidateRow(indicatorRow_);
            const TGridDrawInfo drawInfo = CalcDrawInfo();
            const QRect firstRow = CellRect(0, titleRows_);
            const int top = firstRow.isEmpty() ? drawInfo.Vert.FixedBoundary : firstRow.top();
            // Only the rows move: pixels of the filler strip below them must never slide
            // into a row, which a scroll of a whole screenful would otherwise leave there.
            const int bottom = drawInfo.Vert.GridBoundary;
            ScrollClientRect(0, -distance * DataRowPitch(), QRect(0, top, ClientWidth(), bottom - top));
            if (indicator)
                InvalidateRow(Row());
        }
        if (options_.Contains(dgAlwaysShowEditor))
            ShowEditor();
    }
    if (updateLock_ == 0)
        UpdateNow();
    AccessibleCurrentCellMoved(this);
}

void TCustomDBGridEh::RecordChanged(TField* field)
{
    if (Destroying())
        return;
    if (field) {
        for (int i = 0; i < columns_->Count(); ++i)
            if (columns_->Items(i)->BoundField() == field)
                InvalidateRow(Row());
    } else {
        InvalidateGrid();
    }
    const int dataCol = ToDataColumn(Col());
    if (dataCol < 0 || dataCol >= columns_->Count())
        return;
    TColumnEh* column = columns_->Items(dataCol);
    TField* current = column->Field();
    if (!current || (field && field != current) || !InplaceEditor())
        return;
    std::string text;
    if (drawMemoText_ && current->DataType() == TFieldType::ftMemo) {
        text = current->AsString();
    } else if (column->ColumnKind() == TColumnEhKind::KeyPickList) {
        text = column->ColumnDisplayText();
    } else {
        text = current->EditText();
    }
    if (QString::fromStdString(text) != InplaceEditor()->text()) {
        InvalidateEditor();
        InplaceEditor()->deselect();
    }
}

void TCustomDBGridEh::LayoutChangedFromLink()
{
    if (Destroying())
        return;
    const ScopedFlag fromLink(layoutFromLink_);
    RequestLayout();
}

void TCustomDBGridEh::EditingChanged()
{
    if (options_.Contains(dgIndicator) && indicatorRow_ >= 0)
        InvalidateCell(0, indicatorRow_);
}

void TCustomDBGridEh::UpdateData()
{
    // The in-place editor is read-only: it never changes a cell's text, so there is
    // nothing to write back; the pending flag is dropped.
    dataLink_->SetModifiedSinceEdit(false);
}

void TCustomDBGridEh::FocusField(TField** field)
{
    if (!field || !*field)
        return;
    for (int i = 0; i < columns_->Count(); ++i)
        if (columns_->Items(i)->BoundField() == *field && ToGridColumn(i) < ColCount())
            MoveCurrent(ToGridColumn(i), Row(), true, false);
    const int dataCol = ToDataColumn(Col());
    if (dataCol < 0 || dataCol >= columns_->Count() || columns_->Items(dataCol)->BoundField() != *field)
        return;
    if (isVisible() && focusPolicy() != Qt::NoFocus) {
        setFocus(Qt::OtherFocusReason);
        *field = nullptr;
        ShowEditor();
    }
}

void TCustomDBGridEh::ResetFromLink()
{
    if (dataLink_->ModifiedSinceEdit()) {
        RecordChanged(nullptr);
    } else if (TDataSet* dataSet = dataLink_->DataSet()) {
        dataSet->Cancel();
    }
}

}  // namespace qelvor
