// DBGridEhAccessibleCell: one cell of the data grid's accessible table — a data cell
// (row >= 0: its text as painted, focused when current, selected in the current row)
// or a column title (row -1: the caption, its sort state as description, and two
// actions: "Press" sorts by the column as a title click does, "AddSortKey" adds it as a
// further key or turns its direction, as a Ctrl+click does).
//
// A cell holds only its coordinates and its table, which owns it and deletes it
// before the table goes; every answer is read from the grid at the moment asked.
#pragma once

#include <QAccessible>

namespace qelvor {

class TDBGridEhTableView;

// What a cell needs of its table: the table implements it, so a cell never needs the
// table's header.
class TAccessibleCellTableEh {
public:
    // The table as Qt knows it (the cells' parent).
    virtual QAccessibleInterface* TableInterface() = 0;
    // The grid read as a table.
    virtual const TDBGridEhTableView& View() const = 0;
    // The title cell of a column (row -1) or a data cell, or nullptr outside the table.
    virtual QAccessibleInterface* Cell(int row, int column) const = 0;

protected:
    ~TAccessibleCellTableEh() = default;
};

class TDBGridEhAccessibleCell : public QAccessibleInterface,
                                public QAccessibleTableCellInterface,
                                public QAccessibleActionInterface {
public:
    TDBGridEhAccessibleCell(TAccessibleCellTableEh* table, int row, int column)
        : table_(table), row_(row), column_(column) {}

    // --- QAccessibleInterface ---
    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    // Cells are read-only.
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // --- QAccessibleTableCellInterface ---
    bool isSelected() const override;
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    // -1 for a title.
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override;

    // --- QAccessibleActionInterface (titles only) ---
    // The name of the action that does what a Ctrl+click on a title does.
    static QString AddSortKeyAction();
    // Empty while the grid takes no title click (a search or re-sort running, a box over
    // the window, the title no button), so that a client's DoAction then fails.
    QStringList actionNames() const override;
    QString localizedActionName(const QString& name) const override;
    QString localizedActionDescription(const QString& name) const override;
    // Queues the click (see TCustomDBGridEh::RequestTitleClick).
    void doAction(const QString& name) override;
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    bool IsTitle() const { return row_ < 0; }
    bool IsCurrent() const;
    // The title's column in the grid's Columns(), or -1.
    int DataColumn() const;

    TAccessibleCellTableEh* table_;  // the table owning this cell
    int row_;  // the record's row in the result; -1 for a title
    int column_;  // the visible column, in display order
};

}  // namespace qelvor
