// DBGridEhLinkReactions: what the grid does when its data link reports a change —
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

void TCustomDBGridEh::LinkActive(bool active)
{
    if (Destroying())
        return;
    if (!active)
        HideEditor();
    d_->selection->LinkActiveChanged(active);
    RequestLayout();
    if (active && d_->options.Contains(dgAlwaysShowEditor))
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
    if (d_->dataLink->ActiveRecord() >= RowCount() - d_->titleRows)
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
            const bool indicator = d_->options.Contains(dgIndicator);
            if (indicator && d_->indicatorRow >= 0 && d_->indicatorRow < RowCount())
                InvalidateRow(d_->indicatorRow);
            const TGridDrawInfo drawInfo = CalcDrawInfo();
            const QRect firstRow = CellRect(0, d_->titleRows);
            const int top = firstRow.isEmpty() ? drawInfo.Vert.FixedBoundary : firstRow.top();
            // Only the rows move: pixels of the filler strip below them must never slide
            // into a row, which a scroll of a whole screenful would otherwise leave there.
            const int bottom = drawInfo.Vert.GridBoundary;
            ScrollClientRect(0, -distance * DataRowPitch(), QRect(0, top, ClientWidth(), bottom - top));
            if (indicator)
                InvalidateRow(Row());
        }
        if (d_->options.Contains(dgAlwaysShowEditor))
            ShowEditor();
    }
    if (d_->updateLock == 0)
        UpdateNow();
    AccessibleCurrentCellMoved(this);
}

void TCustomDBGridEh::RecordChanged(TField* field)
{
    if (Destroying())
        return;
    if (field) {
        for (int i = 0; i < d_->columns->Count(); ++i)
            if (d_->columns->Items(i)->BoundField() == field)
                InvalidateRow(Row());
    } else {
        InvalidateGrid();
    }
    const int dataCol = ToDataColumn(Col());
    if (dataCol < 0 || dataCol >= d_->columns->Count())
        return;
    TColumnEh* column = d_->columns->Items(dataCol);
    TField* current = column->Field();
    if (!current || (field && field != current) || !InplaceEditor())
        return;
    std::string text;
    if (d_->drawMemoText && current->DataType() == TFieldType::ftMemo) {
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
    const ScopedFlag fromLink(d_->layoutFromLink);
    RequestLayout();
}

void TCustomDBGridEh::EditingChanged()
{
    if (d_->options.Contains(dgIndicator) && d_->indicatorRow >= 0)
        InvalidateCell(0, d_->indicatorRow);
}

void TCustomDBGridEh::UpdateData()
{
    // The in-place editor is read-only: it never changes a cell's text, so there is
    // nothing to write back; the pending flag is dropped.
    d_->dataLink->SetModifiedSinceEdit(false);
}

void TCustomDBGridEh::FocusField(TField** field)
{
    if (!field || !*field)
        return;
    for (int i = 0; i < d_->columns->Count(); ++i)
        if (d_->columns->Items(i)->BoundField() == *field && ToGridColumn(i) < ColCount())
            MoveCurrent(ToGridColumn(i), Row(), true, false);
    const int dataCol = ToDataColumn(Col());
    if (dataCol < 0 || dataCol >= d_->columns->Count() || d_->columns->Items(dataCol)->BoundField() != *field)
        return;
    if (isVisible() && focusPolicy() != Qt::NoFocus) {
        setFocus(Qt::OtherFocusReason);
        *field = nullptr;
        ShowEditor();
    }
}

void TCustomDBGridEh::ResetFromLink()
{
    if (d_->dataLink->ModifiedSinceEdit()) {
        RecordChanged(nullptr);
    } else if (TDataSet* dataSet = d_->dataLink->DataSet()) {
        dataSet->Cancel();
    }
}

}  // namespace qelvor
