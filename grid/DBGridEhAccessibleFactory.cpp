// DBGridEhAccessibleFactory: the grid's classes carry no meta-object of their own, so
// the factory is asked under the scroll area's class name and recognises a data grid
// by its C++ type.
#include "grid/DBGridEhAccessibleFactory.h"

#include <QAccessible>

#include "grid/DBGridEh.h"
#include "grid/DBGridEhAccessible.h"
#include "grid/GridAccessibility.h"

namespace qelvor {

namespace {

QAccessibleInterface* GridAccessibleFactory(const QString& className, QObject* object)
{
    if (className != QLatin1String("QAbstractScrollArea"))
        return nullptr;
    auto* grid = dynamic_cast<TCustomDBGridEh*>(object);
    return grid && !grid->Destroying() ? new TDBGridEhAccessible(grid) : nullptr;
}

// A program that makes data grids without starting the grid library (which registers
// the factory too) still gives them tables: the grid library's code, which every data
// grid uses, links this file in.
[[maybe_unused]] const bool registeredAtLoad = (RegisterDataGridAccessibleFactory(), true);

}  // namespace

void RegisterDataGridAccessibleFactory()
{
    SetGridAccessibleFactory(&GridAccessibleFactory);
}

}  // namespace qelvor
