#!/usr/bin/env python3
"""Reads the browse window's grid over the accessibility bus as a screen reader would.

   atspi_table_probe.py find            prints "ROWS COLUMNS" of the first table found
   atspi_table_probe.py headers         prints the column titles, one per line
   atspi_table_probe.py cell ROW COL    prints a cell's name
   atspi_table_probe.py focus           prints "ROW COLUMN" of the selected row's focused cell
   atspi_table_probe.py describe COL    prints a column header's description (its sort state)
   atspi_table_probe.py actions COL     prints a column header's action names, one per line
   atspi_table_probe.py act COL NAME    runs the header's action NAME; prints "true" or "false"
   atspi_table_probe.py column COL      prints the names of a column's cells, one per line

The tree is walked down to the table only; a table's children (one per cell) are never
enumerated: cells are asked for through the Table interface."""
import sys

import dbus

ROLE_TABLE = 55
STATE_FOCUSED = 12
ACCESSIBLE = "org.a11y.atspi.Accessible"
TABLE = "org.a11y.atspi.Table"
ACTION = "org.a11y.atspi.Action"
PROPS = "org.freedesktop.DBus.Properties"


def a11y_bus():
    session = dbus.SessionBus()
    address = session.get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(dbus_interface="org.a11y.Bus")
    return dbus.bus.BusConnection(str(address))


def node(bus, ref):
    return bus.get_object(str(ref[0]), str(ref[1]), introspect=False)


def role(obj):
    return int(obj.GetRole(dbus_interface=ACCESSIBLE))


def find_table(bus):
    root = bus.get_object("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root", introspect=False)
    pending = list(root.GetChildren(dbus_interface=ACCESSIBLE))
    while pending:
        ref = pending.pop(0)
        if str(ref[1]) == "/org/a11y/atspi/null":
            continue
        obj = node(bus, ref)
        try:
            if role(obj) == ROLE_TABLE:
                return obj
            pending.extend(obj.GetChildren(dbus_interface=ACCESSIBLE))
        except dbus.DBusException:
            continue
    return None


def name_of(bus, ref):
    return str(node(bus, ref).Get(ACCESSIBLE, "Name", dbus_interface=PROPS))


def focused(bus, ref):
    states = node(bus, ref).GetState(dbus_interface=ACCESSIBLE)
    return bool(int(states[STATE_FOCUSED // 32]) & (1 << (STATE_FOCUSED % 32)))


def action_names(header):
    return [str(header.GetName(i, dbus_interface=ACTION))
            for i in range(int(header.Get(ACTION, "NActions", dbus_interface=PROPS)))]


def main():
    bus = a11y_bus()
    table = find_table(bus)
    if table is None:
        print("no table")
        return 1
    columns = int(table.Get(TABLE, "NColumns", dbus_interface=PROPS))
    if sys.argv[1] == "find":
        print(int(table.Get(TABLE, "NRows", dbus_interface=PROPS)), columns)
    elif sys.argv[1] == "headers":
        for column in range(columns):
            print(name_of(bus, table.GetColumnHeader(column, dbus_interface=TABLE)))
    elif sys.argv[1] == "cell":
        print(name_of(bus, table.GetAccessibleAt(int(sys.argv[2]), int(sys.argv[3]), dbus_interface=TABLE)))
    elif sys.argv[1] == "focus":
        rows = [int(r) for r in table.GetSelectedRows(dbus_interface=TABLE)]
        for row in rows:
            for column in range(columns):
                if focused(bus, table.GetAccessibleAt(row, column, dbus_interface=TABLE)):
                    print(row, column)
                    return 0
        print(-1, -1)
    elif sys.argv[1] in ("describe", "actions", "act"):
        header = node(bus, table.GetColumnHeader(int(sys.argv[2]), dbus_interface=TABLE))
        if sys.argv[1] == "describe":
            print(str(header.Get(ACCESSIBLE, "Description", dbus_interface=PROPS)))
        elif sys.argv[1] == "actions":
            for name in action_names(header):
                print(name)
        else:
            names = action_names(header)
            done = sys.argv[3] in names and bool(header.DoAction(names.index(sys.argv[3]), dbus_interface=ACTION))
            print("true" if done else "false")
    elif sys.argv[1] == "column":
        column = int(sys.argv[2])
        for row in range(int(table.Get(TABLE, "NRows", dbus_interface=PROPS))):
            print(name_of(bus, table.GetAccessibleAt(row, column, dbus_interface=TABLE)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
