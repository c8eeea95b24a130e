// GridAccessibility: the factory's registration and the notifications.
#include "grid/GridAccessibility.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QPointer>
#include <QWidget>
#if QELVOR_ATSPI_SIGNALS
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#endif

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

#if QELVOR_ATSPI_SIGNALS
// An object on the accessibility bus: the bus name that serves it and its path.
struct AtspiReference {
    QString service;
    QDBusObjectPath path;
};

QDBusArgument& operator<<(QDBusArgument& argument, const AtspiReference& reference)
{
    argument.beginStructure();
    argument << reference.service << reference.path;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, AtspiReference& reference)
{
    argument.beginStructure();
    argument >> reference.service >> reference.path;
    argument.endStructure();
    return argument;
}
#endif

// Sends the table's own event `member` of the AT-SPI object events (ModelChanged,
// RowReordered) from the grid's table. Qt's bridge forwards no table-level event (it
// drops table model changes), so a reader would never hear that the rows changed; the
// event goes out on the bridge's own connection, from the path the bridge gives the
// table, as the bridge sends its events.
void SendTableEvent(QWidget* grid, const char* member)
{
#if QELVOR_ATSPI_SIGNALS
    QDBusConnection bus(QStringLiteral("a11y"));
    if (!bus.isConnected())
        return;
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
    if (!table || !table->isValid())
        return;
    static const bool registered = [] {
        qDBusRegisterMetaType<AtspiReference>();
        return true;
    }();
    (void)registered;
    const QString path = QStringLiteral("/org/a11y/atspi/accessible/") + QString::number(QAccessible::uniqueId(table));
    QDBusMessage event =
        QDBusMessage::createSignal(path, QStringLiteral("org.a11y.atspi.Event.Object"), QString::fromLatin1(member));
    const AtspiReference application{bus.baseService(), QDBusObjectPath(QStringLiteral("/org/a11y/atspi/accessible/root"))};
    event << QString() << 0 << 0 << QVariant::fromValue(QDBusVariant(0)) << QVariant::fromValue(application);
    bus.send(event);
#else
    (void)grid;
    (void)member;
#endif
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
    SendTableEvent(grid, "ModelChanged");
    table->CurrentCellMoved();
}

void AccessibleRowsReordered(QWidget* grid)
{
    TGridAccessibleTableEh* table = ActiveTable(grid);
    if (table && table->TableValid())
        SendTableEvent(grid, "RowReordered");
}

void AccessibleGridFocused(QWidget* grid)
{
    if (!ActiveTable(grid))
        return;
    // Qt announces the grid itself right after its focus-in; the cell must come after
    // that, or the reader stays on the table.
    QMetaObject::invokeMethod(
        grid,
        [guarded = QPointer<QWidget>(grid)] {
            if (!guarded)
                return;
            if (TGridAccessibleTableEh* table = ActiveTable(guarded); table && table->TableValid())
                table->AnnounceCurrentCell();
        },
        Qt::QueuedConnection);
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
