// DBGridEhColumns: column reconciliation during a rebuild (persistent columns rebind,
// generated ones follow the field map), the visible column list and the grid's
// reactions to column changes and to widths changed in the grid.
#include <algorithm>

#include "data/DataSet.h"
#include "grid/DBGridEh.h"
#include "grid/DBGridEhPrivate.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

void TCustomDBGridEh::DefineFieldMap()
{
    if (d_->columns->ColumnsArePersistent()) {
        d_->dataLink->SetSparseMap(true);
        for (int i = 0; i < d_->columns->Count(); ++i)
            d_->dataLink->AddFieldMapping(d_->columns->Items(i)->FieldName());
        return;
    }
    d_->dataLink->SetSparseMap(false);
    TDataSet* dataSet = d_->dataLink->DataSet();
    for (int i = 0; i < dataSet->FieldCount(); ++i) {
        TField* field = dataSet->Fields(i);
        if (field->Visible())
            d_->dataLink->AddFieldMapping(field->FieldName());
    }
}

void TCustomDBGridEh::ReconcileColumns()
{
    // A persistent column after a generated one: the generated ones go.
    bool seenGenerated = false;
    for (int i = 0; i < d_->columns->Count(); ++i) {
        if (!d_->columns->Items(i)->Persistent()) {
            seenGenerated = true;
        } else if (seenGenerated) {
            for (int j = d_->columns->Count() - 1; j >= 0; --j)
                if (!d_->columns->Items(j)->Persistent())
                    d_->columns->Delete(j);
            break;
        }
    }
    d_->dataLink->ClearFieldMap();
    if (d_->dataLink->Active())
        DefineFieldMap();

    if (d_->columns->ColumnsArePersistent()) {
        for (int i = 0; i < d_->columns->Count(); ++i)
            d_->columns->Items(i)->SetBoundField(nullptr);
    } else {
        TDataSet* dataSet = d_->dataLink->DataSet();
        const int mapped = d_->dataLink->FieldMapCount();
        if (d_->dataLink->Active() || (dataSet && !dataSet->DefaultFields())) {
            for (int i = d_->columns->Count() - 1; i >= 0; --i) {
                TField* field = d_->columns->Items(i)->BoundField();
                bool isMapped = false;
                for (int m = 0; m < mapped && field && !isMapped; ++m)
                    isMapped = d_->dataLink->MappedField(m) == field;
                if (!isMapped)
                    d_->columns->Delete(i);
            }
        } else {
            d_->columns->Clear();
        }
        for (int i = 0; i < mapped; ++i) {
            TField* field = d_->dataLink->MappedField(i);
            int found = -1;
            for (int j = i; j < d_->columns->Count() && field && found < 0; ++j)
                if (d_->columns->Items(j)->BoundField() == field)
                    found = j;
            if (found >= 0) {
                if (found != i)
                    d_->columns->Move(found, i);
                continue;
            }
            TDBGridColumnEh* column = d_->columns->AddGenerated();
            d_->columns->Move(d_->columns->Count() - 1, std::min(i, d_->columns->Count() - 1));
            column->SetBoundField(field);
        }
        if (mapped == 0 && d_->columns->Count() == 0)
            d_->columns->AddGenerated();
    }
    RebuildVisibleColumnList();
}

void TCustomDBGridEh::RebuildVisibleColumnList()
{
    d_->visibleColumns.Clear();
    for (int i = 0; i < d_->columns->Count(); ++i)
        if (d_->columns->Items(i)->Visible())
            d_->visibleColumns.Add(d_->columns->Items(i));
}

void TCustomDBGridEh::ColumnsChanged(TColumnEh* column)
{
    if (Loading() || Destroying())
        return;
    if (column) {
        const int gridCol = ToGridColumn(column->Index());
        if (gridCol >= 0 && gridCol < ColCount()) {
            InvalidateCol(gridCol);
            const int width = column->Visible() ? column->Width() : (d_->options.Contains(dgColLines) ? -1 : 0);
            if (ColWidths(gridCol) != width)
                SetColWidths(gridCol, width);
        }
    } else {
        RebuildSortMarkedColumnList();
        RequestLayout();
    }
    // The current cell never stays on a hidden column.
    const int dataCol = ToDataColumn(Col());
    if (dataCol >= 0 && dataCol < d_->columns->Count() && !d_->columns->Items(dataCol)->Visible()
        && d_->visibleColumns.Count() > 0) {
        const int first = ToGridColumn(d_->visibleColumns[0]->Index());
        if (first < ColCount())
            MoveCurrent(first, Row(), true, false);
    }
    if (d_->layoutLock == 0)
        InvalidateEditor();
}

void TCustomDBGridEh::ColWidthsChanged()
{
    if (Destroying())
        return;
    const bool adopt = (d_->dataLink->Active() || d_->columns->ColumnsArePersistent())
                       && d_->layoutLock == 0 && d_->updateLock == 0;
    if (adopt) {
        LockLayout();
        const ScopeExit unlock([this] { UnlockLayout(); });
        const int count = std::min(d_->columns->Count(), ColCount() - d_->indicatorColumns);
        for (int i = 0; i < count; ++i) {
            const int gridCol = ToGridColumn(i);
            TColumnEh* column = d_->columns->Items(i);
            if (column->Visible())
                SetColWidths(gridCol, column->AllowableWidth(ColWidths(gridCol)));
        }
        for (int i = 0; i < count; ++i) {
            TColumnEh* column = d_->columns->Items(i);
            if (column->Visible())
                column->SetWidth(ColWidths(ToGridColumn(i)));
        }
    }
    InvalidateEditor();
}

}  // namespace qelvor
