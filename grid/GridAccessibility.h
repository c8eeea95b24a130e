// GridAccessibility: the grid's link to Qt's accessibility — the registration of the
// factory that gives every data grid its accessible table, and the notifications the
// grid sends when what a client sees changes. Notifications cost nothing while no client
// is active and never fail; they are safe during construction and destruction.
//
// This file knows no grid class: a grid is a QWidget (and a TComponent, to tell a grid
// being destroyed), its table anything that offers TGridAccessibleTableEh. The factory
// that knows the data grid stands above the grid and hands itself in
// (SetGridAccessibleFactory, see DBGridEhAccessibleFactory.h).
#pragma once

#include <QAccessible>

class QWidget;

namespace qelvor {

// What the notifications need of a grid's accessible table.
class TGridAccessibleTableEh {
public:
    // The table still reads a live grid.
    virtual bool TableValid() const = 0;
    virtual int TableColumnCount() const = 0;
    // Child index of a cell (row -1: its title); -1 outside the table.
    virtual int ChildIndex(int row, int column) const = 0;
    // Announces the current cell when it changed since the last announcement.
    virtual void CurrentCellMoved() = 0;
    // Announces the current cell, also where it was announced last.
    virtual void AnnounceCurrentCell() = 0;

protected:
    ~TGridAccessibleTableEh() = default;
};

// The factory making the data grid's accessible table (set by the code that knows it).
void SetGridAccessibleFactory(QAccessible::InterfaceFactory factory);

// Registers the factory of the data grid's accessible table (idempotent). Data grids
// call it when made, so that a registration from before the application object
// existed, which Qt does not consult, is renewed.
void InstallGridAccessibility();
// Unregisters it (before the code that holds it is unloaded).
void RemoveGridAccessibility();

// A data grid's constructor is done: the factory is registered, and an interface Qt made for it while it was not yet
// a data grid (a plain scroll area's) is dropped, so that clients get the table.
void AccessibleGridConstructed(QWidget* grid);
// The current record or column of `grid` moved: a focus event for the new cell.
void AccessibleCurrentCellMoved(QWidget* grid);
// Rows, columns or their order changed (a result opened or closed, a re-sort, a
// column moved, sized or hidden): a table reset (on the accessibility bus the table's
// model-changed event), then the current cell's focus.
void AccessibleTableReset(QWidget* grid);
// The rows were sorted anew: on the accessibility bus the table's rows-reordered event.
void AccessibleRowsReordered(QWidget* grid);
// The grid itself took the keyboard focus (back from its editor, or from another
// control): once Qt has announced the grid, a focus event names its current cell.
void AccessibleGridFocused(QWidget* grid);
// The titles' sort markers changed: a description change for every title.
void AccessibleSortMarkersChanged(QWidget* grid);

}  // namespace qelvor
