// DBGridEhSortMarking: the grid's face of its columns' sort marking (TSortMarkingEh holds
// the list, the directions, the click cycle and the pending notification) and the
// notification itself.
#include "grid/DBGridEh.h"
#include "grid/DBGridEhPrivate.h"
#include "grid/GridAccessibility.h"
#include "grid/GridStyle.h"
#include "grid/SortMarking.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

void TCustomDBGridEh::ConnectSortMarking()
{
    SortMarking().SetMultipleRule([this] { return d_->optionsEh.Contains(dghMultiSortMarking); });
}

void TCustomDBGridEh::RebuildSortMarkedColumnList()
{
    SortMarking().Rebuild();
}

void TCustomDBGridEh::DoSortMarkingChanged()
{
    if (!d_->optionsEh.Contains(dghAutoSortMarking))
        return;
    const ScopedFlag notifying(d_->notifyingSortMarking);
    AccessibleSortMarkersChanged(this);
    if (d_->events.OnSortMarkingChanged) {
        d_->events.OnSortMarkingChanged(*this);
    } else if (TDBGridEhDataService* service = DBGridEhDataService()) {
        service->ApplySorting(*this);
    } else {
        return;
    }
    AccessibleRowsReordered(this);
}

}  // namespace qelvor
