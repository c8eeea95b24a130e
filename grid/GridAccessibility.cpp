// GridAccessibility: the factory's registration and the notifications.
#include "grid/GridAccessibility.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QWidget>

#include "runtime/Component.h"

namespace qelvor {

namespace {

// The data grid's table factory, handed in by the code that knows the data grid.
QAccessible::InterfaceFactory gridFactory = nullptr;

// The grid's accessible table, or nullptr while no client listens.
TGridAccessibleTableEh* ActiveTable(QWidget* grid)
{
    // Asking Qt during construction or destruction would cache a plain scroll area's interface.
    auto* component = dynamic_cast<TComponent*>(grid);
    if (!component || component->Destroying() || !QAccessible::isActive())
        return nullptr;
    return dynamic_cast<TGridAccessibleTableEh*>(QAccessible::queryAccessibleInterface(grid));
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

void SetGridAccessibleFactory(QAccessible::InterfaceFactory factory)
{
    gridFactory = factory;
}

void InstallGridAccessibility()
{
    if (!gridFactory)
        return;
    if (installed && registeredUnderApplication)
        return;
    // Qt does not consult a factory registered before the application object existed;
    // registered anew, it does.
    QAccessible::removeFactory(gridFactory);
    QAccessible::installFactory(gridFactory);
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
    QAccessible::removeFactory(gridFactory);
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
    if (iface && !dynamic_cast<TGridAccessibleTableEh*>(iface))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

void AccessibleCurrentCellMoved(QWidget* grid)
{
    if (TGridAccessibleTableEh* table = ActiveTable(grid))
        table->CurrentCellMoved();
}

void AccessibleTableReset(QWidget* grid)
{
    TGridAccessibleTableEh* table = ActiveTable(grid);
    if (!table || !table->TableValid())
        return;
    QAccessibleTableModelChangeEvent event(grid, QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&event);
    table->CurrentCellMoved();
}

void AccessibleSortMarkersChanged(QWidget* grid)
{
    TGridAccessibleTableEh* table = ActiveTable(grid);
    if (!table || !table->TableValid())
        return;
    for (int column = 0; column < table->TableColumnCount(); ++column) {
        QAccessibleEvent event(grid, QAccessible::DescriptionChanged);
        event.setChild(table->ChildIndex(-1, column));
        QAccessible::updateAccessibility(&event);
    }
}

}  // namespace qelvor
