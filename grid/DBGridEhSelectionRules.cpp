// DBGridEhSelectionRules: the grid's side of the selection — which kinds may start,
// clearing on the grid's options, and what the selection asks of the grid.
#include "grid/DBGridEh.h"

namespace qelvor {

bool TCustomDBGridEh::SelectionTypeAllowed(TDBGridEhSelectionType type) const
{
    if (type == gstNon)
        return true;
    if (!options_.Contains(dgMultiSelect) || !allowedSelections_.Contains(type))
        return false;
    if (type == gstRecordBookmarks || type == gstAll)
        return true;
    return !options_.Contains(dgRowSelect);
}

void TCustomDBGridEh::ClearSelection()
{
    if (options_.Contains(dgMultiSelect) && optionsEh_.Contains(dghClearSelection))
        selection_->SelectedRows().Clear();
    if (selection_->SelectionType() != gstNon && optionsEh_.Contains(dghClearSelection)) {
        selection_->Clear();
        InvalidateGrid();
        InvalidateEditor();
    }
}

void TCustomDBGridEh::SetAllowedSelections(TDBGridEhAllowedSelections selections)
{
    if (selections == allowedSelections_)
        return;
    allowedSelections_ = selections;
    if (selection_->SelectionType() != gstNon && !selections.Contains(selection_->SelectionType()))
        selection_->Clear();
}

}  // namespace qelvor
