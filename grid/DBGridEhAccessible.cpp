// DBGridEhAccessible: the table interface over TDBGridEhTableView; child indexes and
// cell coordinates convert both ways by arithmetic only.
#include "grid/DBGridEhAccessible.h"

#include <climits>

#include <QPointer>

#include "grid/DBGridEhAccessibleCell.h"

namespace qelvor {

namespace {

// Beyond this many cell interfaces the older ones are dropped.
constexpr std::size_t kMaxCachedCells = 4096;

std::int64_t CellKey(int row, int column)
{
    return (static_cast<std::int64_t>(row) << 32) | static_cast<std::uint32_t>(column);
}

}  // namespace

TDBGridEhAccessible::TDBGridEhAccessible(QWidget* grid)
    : QAccessibleWidget(grid, QAccessible::Table), view_(grid), titleColumns_(TitleColumns())
{
}

TDBGridEhAccessible::~TDBGridEhAccessible()
{
    DropCells(true);
}

std::vector<const TColumnEh*> TDBGridEhAccessible::TitleColumns() const
{
    std::vector<const TColumnEh*> columns;
    for (int column = 0; column < view_.ColumnCount(); ++column)
        columns.push_back(view_.Column(column));
    return columns;
}

void TDBGridEhAccessible::DropCells(bool titles)
{
    // Deleting a cell may run a client's update handler; work on a detached list.
    std::vector<QAccessible::Id> dropped;
    for (auto cell = cells_.begin(); cell != cells_.end();) {
        if (titles || static_cast<int>(cell->first >> 32) >= 0) {
            dropped.push_back(cell->second);
            cell = cells_.erase(cell);
        } else {
            ++cell;
        }
    }
    for (QAccessible::Id id : dropped)
        QAccessible::deleteAccessibleInterface(id);
}

void TDBGridEhAccessible::ScheduleDrop() const
{
    // Not now: the client's request in progress may hold cells made a moment ago.
    QMetaObject::invokeMethod(
        widget(),
        [grid = QPointer<QWidget>(widget())] {
            if (auto* table = dynamic_cast<TDBGridEhAccessible*>(QAccessible::queryAccessibleInterface(grid)))
                table->DropCells(false);
        },
        Qt::QueuedConnection);
}

QAccessibleInterface* TDBGridEhAccessible::Cell(int row, int column) const
{
    if (column < 0 || column >= view_.ColumnCount() || row < -1 || (row >= 0 && row >= view_.RowCount()))
        return nullptr;
    const std::int64_t key = CellKey(row, column);
    if (const auto found = cells_.find(key); found != cells_.end()) {
        if (QAccessibleInterface* cell = QAccessible::accessibleInterface(found->second))
            return cell;
        cells_.erase(found);
    }
    if (cells_.size() == kMaxCachedCells)
        ScheduleDrop();
    auto* cell = new TDBGridEhAccessibleCell(const_cast<TDBGridEhAccessible*>(this), row, column);
    cells_.emplace(key, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

int TDBGridEhAccessible::ChildIndex(int row, int column) const
{
    const int columns = view_.ColumnCount();
    if (column < 0 || column >= columns || row < -1 || row >= view_.RowCount())
        return -1;
    const std::int64_t index = static_cast<std::int64_t>(row + 1) * columns + column;
    return index <= INT_MAX ? static_cast<int>(index) : -1;
}

bool TDBGridEhAccessible::isValid() const
{
    return QAccessibleWidget::isValid() && view_.Grid() != nullptr;
}

QAccessible::Role TDBGridEhAccessible::role() const
{
    return QAccessible::Table;
}

QString TDBGridEhAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && widget() && widget()->accessibleName().isEmpty())
        return QString::fromUtf8("数据表格");
    return QAccessibleWidget::text(t);
}

int TDBGridEhAccessible::childCount() const
{
    const std::int64_t count = static_cast<std::int64_t>(view_.RowCount() + 1) * view_.ColumnCount();
    return count <= INT_MAX ? static_cast<int>(count) : INT_MAX;
}

QAccessibleInterface* TDBGridEhAccessible::child(int index) const
{
    const int columns = view_.ColumnCount();
    if (index < 0 || columns == 0)
        return nullptr;
    return Cell(index / columns - 1, index % columns);
}

int TDBGridEhAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    const auto* cell = dynamic_cast<const TDBGridEhAccessibleCell*>(child);
    if (!cell || cell->table() != this)
        return -1;
    return ChildIndex(cell->rowIndex(), cell->columnIndex());
}

QAccessibleInterface* TDBGridEhAccessible::childAt(int x, int y) const
{
    // Only the cells on screen can be under a point: the titles and the record window.
    const TDBGridEhTableView& view = view_;
    const int current = view.CurrentRow();
    if (!view.Grid())
        return nullptr;
    const int first = current < 0 ? 0 : current - view.WindowActiveRecord();
    const int windowRows = current < 0 ? 0 : view.WindowRecordCount();
    for (int column = 0; column < view.ColumnCount(); ++column) {
        if (view.TitleScreenRect(column).contains(x, y))
            return Cell(-1, column);
        for (int row = first; row < first + windowRows; ++row)
            if (view.CellScreenRect(row, column).contains(x, y))
                return Cell(row, column);
    }
    return nullptr;
}

QAccessibleInterface* TDBGridEhAccessible::focusChild() const
{
    if (!view_.FocusInGrid())
        return nullptr;
    // The open in-place editor holds the focus and speaks for the cell.
    if (QWidget* editor = view_.FocusedEditor())
        return QAccessible::queryAccessibleInterface(editor);
    return Cell(view_.CurrentRow(), view_.CurrentColumn());
}

void* TDBGridEhAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

int TDBGridEhAccessible::selectedCellCount() const
{
    return view_.CurrentRow() >= 0 ? view_.ColumnCount() : 0;
}

QList<QAccessibleInterface*> TDBGridEhAccessible::selectedCells() const
{
    QList<QAccessibleInterface*> cells;
    const int row = view_.CurrentRow();
    for (int column = 0; row >= 0 && column < view_.ColumnCount(); ++column)
        if (QAccessibleInterface* cell = Cell(row, column))
            cells.append(cell);
    return cells;
}

int TDBGridEhAccessible::selectedRowCount() const
{
    return view_.CurrentRow() >= 0 ? 1 : 0;
}

QList<int> TDBGridEhAccessible::selectedRows() const
{
    const int row = view_.CurrentRow();
    return row >= 0 ? QList<int>{row} : QList<int>{};
}

void TDBGridEhAccessible::modelChange(QAccessibleTableModelChangeEvent*)
{
    // A title read another column after a move or a hidden column: those go too.
    std::vector<const TColumnEh*> columns = TitleColumns();
    const bool columnsChanged = columns != titleColumns_;
    titleColumns_ = std::move(columns);
    DropCells(columnsChanged);
    announcedRow_ = -1;
    announcedColumn_ = -1;
}

void TDBGridEhAccessible::AnnounceCurrentCell()
{
    announcedRow_ = -1;
    announcedColumn_ = -1;
    CurrentCellMoved();
}

void TDBGridEhAccessible::CurrentCellMoved()
{
    if (!view_.Grid() || view_.LayoutInProgress() || !view_.HasKeyboard())
        return;
    const int row = view_.CurrentRow();
    const int column = view_.CurrentColumn();
    const int index = ChildIndex(row, column);
    if (row < 0 || index < 0 || (row == announcedRow_ && column == announcedColumn_))
        return;
    announcedRow_ = row;
    announcedColumn_ = column;
    QAccessibleEvent event(view_.Widget(), QAccessible::Focus);
    event.setChild(index);
    QAccessible::updateAccessibility(&event);
}

}  // namespace qelvor
