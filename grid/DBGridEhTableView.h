// DBGridEhTableView: the data grid read as a table for assistive technology — rows
// are the records of the dataset's whole result (not the record window), columns the
// visible columns in display order, a cell's text the display text a data cell paints.
//
// Every answer is computed from the grid's public state on demand, in time that does
// not grow with the result (no path visits all rows or cells). Nothing here moves the
// current record or sends a data event. Every question is safe at any moment: with the
// grid gone or being destroyed, a closed or empty dataset, a dataset that is not
// browsing (a search running), a row or column out of range — the answer is empty
// (0 rows, an empty text, -1, an empty rectangle), never an exception.
#pragma once

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

namespace qelvor {

class TColumnEh;
class TCustomDBGridEh;
class TDataSet;

class TDBGridEhTableView {
public:
    explicit TDBGridEhTableView(QWidget* grid) : widget_(grid) {}

    // The grid, or nullptr once it is gone or being destroyed.
    TCustomDBGridEh* Grid() const;
    // The grid's dataset while it is open and browsing, else nullptr.
    TDataSet* BrowsingDataSet() const;
    // Records of the whole result; 0 while the dataset is closed or not browsing.
    int RowCount() const;
    // Visible columns.
    int ColumnCount() const;
    // The visible column at `column` (display order), or nullptr.
    TColumnEh* Column(int column) const;
    // A column's title caption.
    QString Title(int column) const;
    // A column's sort state: "降序, 第 1 排序列", "升序, 第 2 排序列" or "未排序".
    QString SortDescription(int column) const;
    // The text the cell paints for record `row` (0-based) of the result.
    QString CellText(int row, int column) const;
    // The current record's row and the current column; -1 when there is none.
    int CurrentRow() const;
    int CurrentColumn() const;
    // Screen rectangles of a cell while it is on screen (else empty) and of a title.
    QRect CellScreenRect(int row, int column) const;
    QRect TitleScreenRect(int column) const;

    // --- the grid's state the accessible table reads ---
    // The grid's widget (nullptr once it is gone).
    QWidget* Widget() const { return widget_.data(); }
    // RebuildLayout is running; the grid widget itself holds the keyboard focus; the grid
    // or its editor does; the in-place editor while it holds the focus (else nullptr).
    bool LayoutInProgress() const;
    bool HasKeyboard() const;
    bool FocusInGrid() const;
    QWidget* FocusedEditor() const;
    // The record window: its active record and its records (0 without a grid).
    int WindowActiveRecord() const;
    int WindowRecordCount() const;
    // The title of data column dataCol acting on a click asked for without the mouse
    // (see TCustomDBGridEh::RequestTitleClick); false without a grid.
    bool TitleClickAccepted() const;
    bool TitleButtonEnabled(int dataCol) const;
    bool RequestTitleClick(int dataCol, bool addKey) const;

private:
    // Grid row showing result row `row`, or -1 when it is outside the record window.
    int GridRowOf(int row) const;
    QRect ScreenRect(int gridCol, int gridRow) const;

    QPointer<QWidget> widget_;  // the grid's widget; cleared by Qt when it is destroyed
};

}  // namespace qelvor
