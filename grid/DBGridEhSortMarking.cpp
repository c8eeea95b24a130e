// DBGridEhSortMarking: the grid's face of its columns' sort marking (TSortMarkingEh holds
// the list, the directions, the click cycle and the pending notification) and the
// notification itself.
#include "grid/DBGridEh.h"
#include "grid/GridAccessibility.h"
#include "grid/GridStyle.h"
#include "grid/SortMarking.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

void TCustomDBGridEh::ConnectSortMarking()
{
    SortMarking().SetMultipleRule([this] { return optionsEh_.Contains(dghMultiSortMarking); });
}

void TCustomDBGridEh::RebuildSortMarkedColumnList()
{
    SortMarking().Rebuild();
}

void TCustomDBGridEh::DoSortMarkingChanged()
{
    if (!optionsEh_.Contains(dghAutoSortMarking))
        return;
    const ScopedFlag notifying(notifyingSortMarking_);
    AccessibleSortMarkersChanged(this);
    if (OnSortMarkingChanged) {
        OnSortMarkingChanged(*this);
    } else if (TDBGridEhDataService* service = DBGridEhDataService()) {
        service->ApplySorting(*this);
    }
}

}  // namespace qelvor
