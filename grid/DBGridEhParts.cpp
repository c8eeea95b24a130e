// DBGridEhParts: the data grid as its parts see it — the answers and reactions behind
// TColumnGridEh (columns, titles, column defaults), TDataLinkGridEh (the data link) and
// TSelectionGridEh (the selection), and the base grid's hook for a moved current cell.
#include "grid/DBGridEh.h"
#include "grid/DBGridEhPrivate.h"
#include "grid/GridAccessibility.h"

namespace qelvor {

// --- TColumnGridEh ---

TCustomDBGridEh* TCustomDBGridEh::Parts::DataGrid() { return &grid_; }
const QFont& TCustomDBGridEh::Parts::GridFont() const { return grid_.Font(); }
const QFont& TCustomDBGridEh::Parts::GridTitleFont() const { return grid_.TitleFont(); }
TColor TCustomDBGridEh::Parts::GridColor() const { return grid_.Color(); }
TColor TCustomDBGridEh::Parts::GridFixedColor() const { return grid_.FixedColor(); }
bool TCustomDBGridEh::Parts::GridReadOnly() const { return grid_.ReadOnly(); }
int TCustomDBGridEh::Parts::GridDefaultColWidth() const { return grid_.DefaultColWidth(); }
bool TCustomDBGridEh::Parts::GridDrawMemoText() const { return grid_.DrawMemoText(); }
bool TCustomDBGridEh::Parts::GridMultiTitle() const { return grid_.UseMultiTitle(); }
const TColumnDefValuesEh& TCustomDBGridEh::Parts::GridColumnDefValues() const { return grid_.ColumnDefValues(); }
TDataSet* TCustomDBGridEh::Parts::GridDataSet() const { return grid_.d_->dataLink->DataSet(); }
bool TCustomDBGridEh::Parts::GridLinkActive() const { return grid_.d_->dataLink->Active(); }
TComponent* TCustomDBGridEh::Parts::GridFieldWatcher() { return &grid_; }
bool TCustomDBGridEh::Parts::GridLoading() const { return grid_.Loading(); }
bool TCustomDBGridEh::Parts::GridLayoutFromLink() const { return grid_.LayoutFromLink(); }
void TCustomDBGridEh::Parts::GridLockLayout() { grid_.LockLayout(); }
void TCustomDBGridEh::Parts::GridUnlockLayout() { grid_.UnlockLayout(); }
void TCustomDBGridEh::Parts::GridColumnsChanged(TColumnEh* column) { grid_.ColumnsChanged(column); }
void TCustomDBGridEh::Parts::GridRequestLayout() { grid_.RequestLayout(); }
void TCustomDBGridEh::Parts::GridInvalidate() { grid_.InvalidateGrid(); }

// --- TDataLinkGridEh ---

TComponent* TCustomDBGridEh::Parts::LinkFieldWatcher() { return &grid_; }

// --- TSelectionGridEh ---

TDataSet* TCustomDBGridEh::Parts::SelectionDataSet() const { return grid_.d_->dataLink->DataSet(); }
bool TCustomDBGridEh::Parts::SelectionLinkActive() const { return grid_.d_->dataLink->Active(); }
bool TCustomDBGridEh::Parts::SelectionAllowed(TDBGridEhSelectionType type) const { return grid_.SelectionTypeAllowed(type); }

TColumnEh* TCustomDBGridEh::Parts::SelectionColumn(int dataCol) const
{
    return dataCol >= 0 && dataCol < grid_.d_->columns->Count() ? grid_.d_->columns->Items(dataCol) : nullptr;
}

void TCustomDBGridEh::Parts::SelectionInvalidate() { grid_.InvalidateGrid(); }

void TCustomDBGridEh::Parts::SelectionCleared()
{
    if (grid_.d_->options.Contains(dgAlwaysShowEditor))
        grid_.ShowEditor();
}

// --- the base grid's hook ---

void TCustomDBGridEh::CurrentCellMoved()
{
    AccessibleCurrentCellMoved(this);
}

}  // namespace qelvor
