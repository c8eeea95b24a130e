// InputFixture: the browse form's grid over 40 records with 10 on screen, shown in an
// active window with the focus, and driven by real Qt input events: mouse events
// sent to the grid's client area, key events to the focused widget, wheel turns.
#pragma once

#include <string>
#include <vector>

#include <QPoint>

#include "tests/grid/support/GridFixture.h"

namespace qelvor::test {

class InputFixture : public PaintedGridFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Mouse events at a client point of the grid (buttons held after the event as given).
    void Press(QPoint at, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = {});
    void DoubleClick(QPoint at, Qt::KeyboardModifiers modifiers = {});
    void Move(QPoint to, Qt::MouseButtons held = Qt::LeftButton, Qt::KeyboardModifiers modifiers = {});
    void Release(QPoint at, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = {});
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = {});
    // A wheel turn over a widget (the grid's client area by default); 120 units a notch.
    void Wheel(int angleDelta, QPoint at = QPoint(200, 60), QWidget* over = nullptr);
    // A key typed into the focused widget.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}, const QString& text = {});
    void KeyRelease(Qt::Key key, Qt::KeyboardModifiers modifiers = {});

    // Centre of a cell (grid coordinates), and of a data cell (data column, data row).
    QPoint CellCentre(int col, int row) const { return Cell(col, row).center(); }
    QPoint DataCell(int dataCol, int dataRow) const { return CellCentre(dataCol + 1, dataRow + 1); }
    QPoint Title(int dataCol) const { return CellCentre(dataCol + 1, 0); }
    // x of the border after a data column (its grid line).
    int BorderAfter(int dataCol) const;

    int RecNo() const { return dataSet->RecNo(); }
    int DataCol() const { return grid->Col() - grid->IndicatorColumns(); }
    bool EditorShown() const;
    // Field names of the columns in collection order.
    std::vector<std::string> ColumnOrder() const;

    int beeps = 0;
    int scrolls = 0;  // dataset scroll notifications (one per record move)
    std::vector<std::string> events;  // grid events in the order raised

private:
    std::function<void()> previousBeepHook_;
};

}  // namespace qelvor::test
