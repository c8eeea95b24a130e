// DBGridEhColumns: column reconciliation during a rebuild (persistent columns rebind,
// generated ones follow the field map), the visible column list and the grid's
// reactions to column changes and to widths changed in the grid.
#include <algorithm>

#include "data/DataSet.h"
#include "grid/DBGridEh.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

void TCustomDBGridEh::DefineFieldMap()
{
    if (columns_->ColumnsArePersistent()) {
        dataLink_->SetSparseMap(true);
        for (int i = 0; i < columns_->Count(); ++i)
            dataLink_->AddFieldMapping(columns_->Items(i)->FieldName());
        return;
    }
    dataLink_->SetSparseMap(false);
    TDataSet* dataSet = dataLink_->DataSet();
    for (int i = 0; i < dataSet->FieldCount(); ++i) {
        TField* field = dataSet->Fields(i);
        if (field->Visible())
            dataLink_->AddFieldMapping(field->FieldName());
    }
}

void TCustomDBGridEh::ReconcileColumns()
{
    // A persistent column after a generated one: the generated ones go.
    bool seenGenerated = false;
    for (int i = 0; i < columns_->Count(); ++i) {
        if (!columns_->Items(i)->Persistent()) {
            seenGenerated = true;
        } else if (seenGenerated) {
            for (int j = columns_->Count() - 1; j >= 0; --j)
                if (!columns_->Items(j)->Persistent())
                    columns_->Delete(j);
            break;
        }
    }
    dataLink_->ClearFieldMap();
    if (dataLink_->Active())
        DefineFieldMap();

    if (columns_->ColumnsArePersistent()) {
        for (int i = 0; i < columns_->Count(); ++i)
            columns_->Items(i)->SetBoundField(nullptr);
    } else {
        TDataSet* dataSet = dataLink_->DataSet();
        const int mapped = dataLink_->FieldMapCount();
        if (dataLink_->Active() || (dataSet && !dataSet->DefaultFields())) {
            for (int i = columns_->Count() - 1; i >= 0; --i) {
                TField* field = columns_->Items(i)->BoundField();
                bool isMapped = false;
                for (int m = 0; m < mapped && field && !isMapped; ++m)
                    isMapped = dataLink_->MappedField(m) == field;
                if (!isMapped)
                    columns_->Delete(i);
            }
        } else {
            columns_->Clear();
        }
        for (int i = 0; i < mapped; ++i) {
            TField* field = dataLink_->MappedField(i);
            int found = -1;
            for (int j = i; j < columns_->Count() && field && found < 0; ++j)
                if (columns_->Items(j)->BoundField() == field)
                    found = j;
            if (found >= 0) {
                if (found != i)
                    columns_->Move(found, i);
                continue;
            }
            TDBGridColumnEh* column = columns_->AddGenerated();
            columns_->Move(columns_->Count() - 1, std::min(i, columns_->Count() - 1));
            column->SetBoundField(field);
        }
        if (mapped == 0 && columns_->Count() == 0)
            columns_->AddGenerated();
    }
    RebuildVisibleColumnList();
}

void TCustomDBGridEh::RebuildVisibleColumnList()
{
    visibleColumns_.Clear();
    for (int i = 0; i < columns_->Count(); ++i)
        if (columns_->Items(i)->Visible())
            visibleColumns_.Add(columns_->Items(i));
}

void TCustomDBGridEh::ColumnsChanged(TColumnEh* column)
{
    if (Loading() || Destroying())
        return;
    if (column) {
        const int gridCol = ToGridColumn(column->Index());
        if (gridCol >= 0 && gridCol < ColCount()) {
            InvalidateCol(gridCol);
            const int width = column->Visible() ? column->Width() : (options_.Contains(dgColLines) ? -1 : 0);
            if (ColWidths(gridCol) != width)
                SetColWidths(gridCol, width);
        }
    } else {
        RebuildSortMarkedColumnList();
        RequestLayout();
    }
    // The current cell never stays on a hidden column.
    const int dataCol = ToDataColumn(Col());
    if (dataCol >= 0 && dataCol < columns_->Count() && !columns_->Items(dataCol)->Visible()
        && visibleColumns_.Count() > 0) {
        const int first = ToGridColumn(visibleColumns_[0]->Index());
        if (first < ColCount())
            MoveCurrent(first, Row(), true, false);
    }
    if (layoutLock_ == 0)
        InvalidateEditor();
}

void TCustomDBGridEh::ColWidthsChanged()
{
    if (Destroying())
        return;
    const bool adopt = (dataLink_->Active() || columns_->ColumnsArePersistent())
                       && layoutLock_ == 0 && updateLock_ == 0;
    if (adopt) {
        LockLayout();
        const ScopeExit unlock([this] { UnlockLayout(); });
        const int count = std::min(columns_->Count(), ColCount() - indicatorColumns_);
        for (int i = 0; i < count; ++i) {
            const int gridCol = ToGridColumn(i);
            TColumnEh* column = columns_->Items(i);
            if (column->Visible())
                SetColWidths(gridCol, column->AllowableWidth(ColWidths(gridCol)));
        }
        for (int i = 0; i < count; ++i) {
            TColumnEh* column = columns_->Items(i);
            if (column->Visible())
                column->SetWidth(ColWidths(ToGridColumn(i)));
        }
    }
    InvalidateEditor();
}

}  // namespace qelvor
