// GridAccessibility: the factory and the notifications. The grid's classes carry no
// meta-object of their own, so the factory is asked under the scroll area's class
// name and recognises a data grid by its C++ type.
#include "grid/GridAccessibility.h"

#include <QAccessible>
#include <QCoreApplication>

#include "grid/DBGridEh.h"
#include "grid/DBGridEhAccessible.h"

namespace qelvor {

namespace {

QAccessibleInterface* GridAccessibleFactory(const QString& className, QObject* object)
{
    if (className != QLatin1String("QAbstractScrollArea"))
        return nullptr;
    auto* grid = dynamic_cast<TCustomDBGridEh*>(object);
    return grid && !grid->Destroying() ? new TDBGridEhAccessible(grid) : nullptr;
}

// The grid's accessible table, or nullptr while no client listens.
TDBGridEhAccessible* ActiveTable(QWidget* grid)
{
    // Asking Qt during construction or destruction would cache a plain scroll area's interface.
    auto* dataGrid = dynamic_cast<TCustomDBGridEh*>(grid);
    if (!dataGrid || dataGrid->Destroying() || !QAccessible::isActive())
        return nullptr;
    return dynamic_cast<TDBGridEhAccessible*>(QAccessible::queryAccessibleInterface(grid));
}

bool installed = false;
// The registration stands while the application object it was made under lives: when
// that object goes, Qt forgets its factories and, through the clean-up routine added
// with them, so do we. (Not its address: a host without an application object gets a
// new one for every window, often where the last one was.)
bool registeredUnderApplication = false;

void ApplicationGone()
{
    registeredUnderApplication = false;
}

}  // namespace

void InstallGridAccessibility()
{
    if (installed && registeredUnderApplication)
        return;
    // Qt does not consult a factory registered before the application object existed;
    // registered anew, it does.
    QAccessible::removeFactory(&GridAccessibleFactory);
    QAccessible::installFactory(&GridAccessibleFactory);
    installed = true;
    registeredUnderApplication = QCoreApplication::instance() != nullptr;
    if (registeredUnderApplication) {
        qRemovePostRoutine(&ApplicationGone);
        qAddPostRoutine(&ApplicationGone);
    }
}

void RemoveGridAccessibility()
{
    if (!installed)
        return;
    QAccessible::removeFactory(&GridAccessibleFactory);
    qRemovePostRoutine(&ApplicationGone);
    installed = false;
    registeredUnderApplication = false;
}

void AccessibleGridConstructed(QWidget* grid)
{
    InstallGridAccessibility();
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(grid);
    if (iface && !dynamic_cast<TDBGridEhAccessible*>(iface))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

void AccessibleCurrentCellMoved(QWidget* grid)
{
    if (TDBGridEhAccessible* table = ActiveTable(grid))
        table->CurrentCellMoved();
}

void AccessibleTableReset(QWidget* grid)
{
    TDBGridEhAccessible* table = ActiveTable(grid);
    if (!table || !table->isValid())
        return;
    QAccessibleTableModelChangeEvent event(grid, QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&event);
    table->CurrentCellMoved();
}

void AccessibleSortMarkersChanged(QWidget* grid)
{
    TDBGridEhAccessible* table = ActiveTable(grid);
    if (!table || !table->isValid())
        return;
    for (int column = 0; column < table->columnCount(); ++column) {
        QAccessibleEvent event(grid, QAccessible::DescriptionChanged);
        event.setChild(table->ChildIndex(-1, column));
        QAccessible::updateAccessibility(&event);
    }
}

}  // namespace qelvor
