// The browse form's grid: its stored design and the form's sort handler.
#include "browse/QELVOR_Unit.h"

#include "browse/BrowseGridDesign.h"
#include "grid/DBGridEh.h"
#include "platform/DesignFont.h"

namespace qelvor {

void TQELVOR_Form::ConfigureGrid()
{
    TDBGridEh& grid = *DBGridEh1;
    grid.Events().OnSortMarkingChanged = [this](TCustomDBGridEh&) { DBGridEh1SortMarkingChanged(); };
    ApplyBrowseGridDesign(grid, DataSource1, DesignFont());
}

}  // namespace qelvor
