// DBGridEhParts: the data grid as its parts see it — the answers and reactions behind
// TColumnGridEh (columns, titles, column defaults), TDataLinkGridEh (the data link) and
// TSelectionGridEh (the selection), and the base grid's hook for a moved current cell.
#include "grid/DBGridEh.h"
#include "grid/DBGridEhPrivate.h"
#include "grid/GridAccessibility.h"

namespace qelvor {

// --- TColumnGridEh ---

TCustomDBGridEh* TCustomDBGridEh::DataGrid() { return this; }
const QFont& TCustomDBGridEh::GridFont() const { return Font(); }
const QFont& TCustomDBGridEh::GridTitleFont() const { return TitleFont(); }
TColor TCustomDBGridEh::GridColor() const { return Color(); }
TColor TCustomDBGridEh::GridFixedColor() const { return FixedColor(); }
bool TCustomDBGridEh::GridReadOnly() const { return ReadOnly(); }
int TCustomDBGridEh::GridDefaultColWidth() const { return DefaultColWidth(); }
bool TCustomDBGridEh::GridDrawMemoText() const { return DrawMemoText(); }
bool TCustomDBGridEh::GridMultiTitle() const { return UseMultiTitle(); }
const TColumnDefValuesEh& TCustomDBGridEh::GridColumnDefValues() const { return ColumnDefValues(); }
TDataSet* TCustomDBGridEh::GridDataSet() const { return d_->dataLink->DataSet(); }
bool TCustomDBGridEh::GridLinkActive() const { return d_->dataLink->Active(); }
TComponent* TCustomDBGridEh::GridFieldWatcher() { return this; }
bool TCustomDBGridEh::GridLoading() const { return Loading(); }
bool TCustomDBGridEh::GridLayoutFromLink() const { return LayoutFromLink(); }
void TCustomDBGridEh::GridLockLayout() { LockLayout(); }
void TCustomDBGridEh::GridUnlockLayout() { UnlockLayout(); }
void TCustomDBGridEh::GridColumnsChanged(TColumnEh* column) { ColumnsChanged(column); }
void TCustomDBGridEh::GridRequestLayout() { RequestLayout(); }
void TCustomDBGridEh::GridInvalidate() { InvalidateGrid(); }

// --- TDataLinkGridEh ---

TComponent* TCustomDBGridEh::LinkFieldWatcher() { return this; }
void TCustomDBGridEh::LinkActiveChanged(bool active) { LinkActive(active); }
void TCustomDBGridEh::LinkDataChanged() { DataChanged(); }
void TCustomDBGridEh::LinkScrolled(int distance) { Scroll(distance); }
void TCustomDBGridEh::LinkRecordChanged(TField* field) { RecordChanged(field); }
void TCustomDBGridEh::LinkLayoutChanged() { LayoutChangedFromLink(); }
void TCustomDBGridEh::LinkEditingChanged() { EditingChanged(); }
void TCustomDBGridEh::LinkUpdateData() { UpdateData(); }
void TCustomDBGridEh::LinkFocusField(TField** field) { FocusField(field); }
void TCustomDBGridEh::LinkReset() { ResetFromLink(); }

// --- TSelectionGridEh ---

TDataSet* TCustomDBGridEh::SelectionDataSet() const { return d_->dataLink->DataSet(); }
bool TCustomDBGridEh::SelectionLinkActive() const { return d_->dataLink->Active(); }
bool TCustomDBGridEh::SelectionAllowed(TDBGridEhSelectionType type) const { return SelectionTypeAllowed(type); }

TColumnEh* TCustomDBGridEh::SelectionColumn(int dataCol) const
{
    return dataCol >= 0 && dataCol < d_->columns->Count() ? d_->columns->Items(dataCol) : nullptr;
}

void TCustomDBGridEh::SelectionInvalidate() { InvalidateGrid(); }

void TCustomDBGridEh::SelectionCleared()
{
    if (d_->options.Contains(dgAlwaysShowEditor))
        ShowEditor();
}

// --- the base grid's hook ---

void TCustomDBGridEh::CurrentCellMoved()
{
    AccessibleCurrentCellMoved(this);
}

}  // namespace qelvor
