// DBGridEhAccessible: the data grid as an accessible table. Rows are the records of
// the whole result, columns the visible columns; the children are the title cells
// (indexes 0 .. columns - 1) followed by the data cells row by row, all made on demand
// and never enumerated.
//
// Cell interfaces are registered with Qt's accessibility cache and owned by this
// table: a model reset, a growing cache or the table's end deletes the data cells, so
// that a client that walked far does not keep millions alive. The titles stay while
// the visible columns are the same ones in the same order: a reader holds the header it
// just sorted by, and a re-sort must not leave it holding a defunct object. All answers come from
// TDBGridEhTableView and are empty, never failing, when the grid has nothing to show.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include <QAccessible>
#include <QAccessibleWidget>

#include "grid/DBGridEhAccessibleCell.h"
#include "grid/DBGridEhTableView.h"
#include "grid/GridAccessibility.h"

namespace qelvor {

class TDBGridEhAccessible : public QAccessibleWidget,
                            public QAccessibleTableInterface,
                            public TGridAccessibleTableEh,
                            public TAccessibleCellTableEh {
public:
    explicit TDBGridEhAccessible(QWidget* grid);
    ~TDBGridEhAccessible() override;

    // The grid read as a table.
    const TDBGridEhTableView& View() const override { return view_; }
    QAccessibleInterface* TableInterface() override { return this; }
    // The title cell of a column (row -1) or a data cell, or nullptr outside the table.
    QAccessibleInterface* Cell(int row, int column) const override;
    // Child index of a cell (row -1: its title); -1 outside the table.
    int ChildIndex(int row, int column) const override;
    // Sends a focus event for the current cell when it differs from the last one sent
    // and the grid holds the keyboard focus.
    void CurrentCellMoved() override;
    // Sends a focus event for the current cell even where it was announced before.
    void AnnounceCurrentCell() override;
    bool TableValid() const override { return isValid(); }
    int TableColumnCount() const override { return columnCount(); }

    // --- QAccessibleInterface ---
    bool isValid() const override;
    QAccessible::Role role() const override;
    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // --- QAccessibleTableInterface ---
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override { return Cell(row, column); }
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override { return view_.Title(column); }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    int columnCount() const override { return view_.ColumnCount(); }
    int rowCount() const override { return view_.RowCount(); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override { return row >= 0 && row == view_.CurrentRow(); }
    // The grid is read-only to assistive technology: selections follow the current record.
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    // Every change drops the cell interfaces; the next questions make fresh ones.
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

private:
    // Drops the data cells, and the titles too when `titles`.
    void DropCells(bool titles);
    // Drops the data cells at the next turn of the event loop.
    void ScheduleDrop() const;
    // The columns the titles read, in display order.
    std::vector<const TColumnEh*> TitleColumns() const;

    TDBGridEhTableView view_;  // the grid read as a table: every answer comes from it
    mutable std::unordered_map<std::int64_t, QAccessible::Id> cells_;  // (row, column) -> registered cell
    std::vector<const TColumnEh*> titleColumns_;  // the columns the kept titles were made for
    int announcedRow_ = -1;  // the row of the last focus event sent; -1: none since the last reset
    int announcedColumn_ = -1;  // the column of the last focus event sent; -1: none since the last reset
};

}  // namespace qelvor
