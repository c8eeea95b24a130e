// DBGridEhAccessibleCell: answers of one title or data cell, read through the table's
// view of the grid at the moment asked.
#include "grid/DBGridEhAccessibleCell.h"

#include "grid/ColumnEh.h"
#include "grid/DBGridEhTableView.h"

namespace qelvor {

bool TDBGridEhAccessibleCell::isValid() const
{
    const TDBGridEhTableView& view = table_->View();
    if (!table_->TableInterface()->isValid() || column_ >= view.ColumnCount())
        return false;
    return IsTitle() || row_ < view.RowCount();
}

QWindow* TDBGridEhAccessibleCell::window() const
{
    return table_->TableInterface()->window();
}

QAccessibleInterface* TDBGridEhAccessibleCell::parent() const
{
    return table_->TableInterface();
}

QAccessibleInterface* TDBGridEhAccessibleCell::table() const
{
    return table_->TableInterface();
}

QString TDBGridEhAccessibleCell::text(QAccessible::Text t) const
{
    const TDBGridEhTableView& view = table_->View();
    if (t == QAccessible::Name)
        return IsTitle() ? view.Title(column_) : view.CellText(row_, column_);
    if (t == QAccessible::Description && IsTitle())
        return view.SortDescription(column_);
    return {};
}

QRect TDBGridEhAccessibleCell::rect() const
{
    const TDBGridEhTableView& view = table_->View();
    return IsTitle() ? view.TitleScreenRect(column_) : view.CellScreenRect(row_, column_);
}

QAccessible::Role TDBGridEhAccessibleCell::role() const
{
    return IsTitle() ? QAccessible::ColumnHeader : QAccessible::Cell;
}

bool TDBGridEhAccessibleCell::IsCurrent() const
{
    const TDBGridEhTableView& view = table_->View();
    return !IsTitle() && row_ == view.CurrentRow() && column_ == view.CurrentColumn();
}

QAccessible::State TDBGridEhAccessibleCell::state() const
{
    QAccessible::State st;
    st.readOnly = true;
    if (rect().isEmpty())
        st.offscreen = true;
    if (IsTitle())
        return st;
    st.focusable = true;
    st.selectable = true;
    st.selected = isSelected();
    st.focused = table_->View().FocusInGrid() && IsCurrent();
    return st;
}

void* TDBGridEhAccessibleCell::interface_cast(QAccessible::InterfaceType type)
{
    // Titles answer as table cells too: a client asking a child for its row must get
    // an answer (-1), not a null interface.
    if (type == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface*>(this);
    if (type == QAccessible::ActionInterface && IsTitle())
        return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
}

bool TDBGridEhAccessibleCell::isSelected() const
{
    return !IsTitle() && row_ == table_->View().CurrentRow();
}

QList<QAccessibleInterface*> TDBGridEhAccessibleCell::columnHeaderCells() const
{
    if (IsTitle())
        return {};
    QAccessibleInterface* title = table_->Cell(-1, column_);
    return title ? QList<QAccessibleInterface*>{title} : QList<QAccessibleInterface*>{};
}

int TDBGridEhAccessibleCell::DataColumn() const
{
    const TColumnEh* column = table_->View().Column(column_);
    return column ? column->Index() : -1;
}

QString TDBGridEhAccessibleCell::AddSortKeyAction()
{
    return QStringLiteral("AddSortKey");
}

QStringList TDBGridEhAccessibleCell::actionNames() const
{
    const TDBGridEhTableView& view = table_->View();
    if (!IsTitle() || !view.TitleClickAccepted() || !view.TitleButtonEnabled(DataColumn()))
        return {};
    return {pressAction(), AddSortKeyAction()};
}

QString TDBGridEhAccessibleCell::localizedActionName(const QString& name) const
{
    if (name == pressAction())
        return QString::fromUtf8("按此列排序");
    if (name == AddSortKeyAction())
        return QString::fromUtf8("追加排序列");
    return {};
}

QString TDBGridEhAccessibleCell::localizedActionDescription(const QString& name) const
{
    if (name == pressAction())
        return QString::fromUtf8("只按此列排序, 先降序, 再次执行改为升序");
    if (name == AddSortKeyAction())
        return QString::fromUtf8("把此列加为下一个排序列; 再次执行改为升序, 第三次取消此列的排序");
    return {};
}

void TDBGridEhAccessibleCell::doAction(const QString& name)
{
    if (!IsTitle() || (name != pressAction() && name != AddSortKeyAction()))
        return;
    table_->View().RequestTitleClick(DataColumn(), name == AddSortKeyAction());
}

}  // namespace qelvor
