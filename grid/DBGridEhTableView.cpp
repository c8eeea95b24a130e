// DBGridEhTableView: answers from the grid's public state; see the header for the
// guarantees. A cell outside the record window is read through the dataset's
// ReadRecordAt, which fetches that one record by number and puts everything back.
#include "grid/DBGridEhTableView.h"
#include "grid/InplaceEdit.h"

#include <exception>

#include <QWidget>

#include "data/DataSet.h"
#include "grid/ColCellParamsEh.h"
#include "grid/ColumnEh.h"
#include "grid/ColumnTitleEh.h"
#include "grid/DBGridEh.h"

namespace qelvor {

TCustomDBGridEh* TDBGridEhTableView::Grid() const
{
    // Past the grid's own destructor the widget is no longer a data grid.
    auto* grid = dynamic_cast<TCustomDBGridEh*>(widget_.data());
    return grid && !grid->Destroying() ? grid : nullptr;
}

TDataSet* TDBGridEhTableView::BrowsingDataSet() const
{
    TCustomDBGridEh* grid = Grid();
    if (!grid || !grid->DataLink().Active())
        return nullptr;
    TDataSet* dataSet = grid->DataLink().DataSet();
    return dataSet && dataSet->State() == TDataSetState::dsBrowse ? dataSet : nullptr;
}

int TDBGridEhTableView::RowCount() const
{
    TDataSet* dataSet = BrowsingDataSet();
    if (!dataSet || dataSet->IsEmpty())
        return 0;
    try {
        return dataSet->RecordCount();
    } catch (const std::exception&) {
        return 0;
    }
}

int TDBGridEhTableView::ColumnCount() const
{
    TCustomDBGridEh* grid = Grid();
    return grid ? grid->VisibleColumnList().Count() : 0;
}

TColumnEh* TDBGridEhTableView::Column(int column) const
{
    TCustomDBGridEh* grid = Grid();
    if (!grid || column < 0 || column >= grid->VisibleColumnList().Count())
        return nullptr;
    return grid->VisibleColumnList().Items(column);
}

QString TDBGridEhTableView::Title(int column) const
{
    TColumnEh* col = Column(column);
    return col ? QString::fromStdString(col->Title()->Caption()) : QString();
}

QString TDBGridEhTableView::SortDescription(int column) const
{
    TColumnEh* col = Column(column);
    if (!col)
        return {};
    const TColumnTitleEh& title = *col->Title();
    if (title.SortMarker() == smNoneEh)
        return QString::fromUtf8("未排序");
    const QString order = QString::fromUtf8(title.SortMarker() == smDownEh ? "降序" : "升序");
    if (title.SortIndex() <= 0)
        return order;
    return QString::fromUtf8("%1, 第 %2 排序列").arg(order).arg(title.SortIndex());
}

QString TDBGridEhTableView::CellText(int row, int column) const
{
    TColumnEh* col = Column(column);
    TDataSet* dataSet = BrowsingDataSet();
    if (!col || !dataSet || row < 0 || row >= RowCount())
        return {};
    std::string text;
    try {
        dataSet->ReadRecordAt(row + 1, [&] {
            TColCellParamsEh params;
            params.Text = col->ColumnDisplayText();
            if (col->OnGetCellParams)
                col->OnGetCellParams(*col, false, params);
            text = std::move(params.Text);
        });
    } catch (const std::exception&) {
        return {};
    }
    return QString::fromStdString(text);
}

int TDBGridEhTableView::CurrentRow() const
{
    TDataSet* dataSet = BrowsingDataSet();
    if (!dataSet || dataSet->IsEmpty())
        return -1;
    try {
        const int recordNumber = dataSet->RecNo();
        return recordNumber > 0 ? recordNumber - 1 : -1;
    } catch (const std::exception&) {
        return -1;
    }
}

int TDBGridEhTableView::CurrentColumn() const
{
    TCustomDBGridEh* grid = Grid();
    if (!grid)
        return -1;
    const int dataCol = grid->ToDataColumn(grid->Col());
    if (dataCol < 0 || dataCol >= grid->Columns().Count())
        return -1;
    return grid->VisibleColumnList().IndexOf(grid->Columns().Items(dataCol));
}

int TDBGridEhTableView::GridRowOf(int row) const
{
    TCustomDBGridEh* grid = Grid();
    const int current = CurrentRow();
    if (!grid || current < 0)
        return -1;
    // The window's first record is the current one less its slot in the window.
    const int windowRow = row - (current - grid->DataLink().ActiveRecord());
    if (windowRow < 0 || windowRow >= grid->DataLink().RecordCount())
        return -1;
    return grid->TitleRows() + windowRow;
}

QRect TDBGridEhTableView::ScreenRect(int gridCol, int gridRow) const
{
    TCustomDBGridEh* grid = Grid();
    if (!grid || gridRow < 0 || gridCol < 0 || gridCol >= grid->ColCount() || gridRow >= grid->RowCount())
        return {};
    const QRect client = grid->CellRect(gridCol, gridRow);
    if (client.isEmpty())
        return {};
    return QRect(grid->viewport()->mapToGlobal(client.topLeft()), client.size());
}

QRect TDBGridEhTableView::CellScreenRect(int row, int column) const
{
    TColumnEh* col = Column(column);
    TCustomDBGridEh* grid = Grid();
    return col && grid ? ScreenRect(grid->ToGridColumn(col->Index()), GridRowOf(row)) : QRect();
}

QRect TDBGridEhTableView::TitleScreenRect(int column) const
{
    TColumnEh* col = Column(column);
    TCustomDBGridEh* grid = Grid();
    if (!col || !grid || grid->TitleRows() == 0)
        return {};
    return ScreenRect(grid->ToGridColumn(col->Index()), 0);
}

// --- the grid's state the accessible table reads ---

bool TDBGridEhTableView::LayoutInProgress() const
{
    const TCustomDBGridEh* grid = Grid();
    return grid && grid->LayoutInProgress();
}

bool TDBGridEhTableView::HasKeyboard() const
{
    const TCustomDBGridEh* grid = Grid();
    return grid && grid->hasFocus();
}

bool TDBGridEhTableView::FocusInGrid() const
{
    const TCustomDBGridEh* grid = Grid();
    return grid && grid->FocusInGrid();
}

QWidget* TDBGridEhTableView::FocusedEditor() const
{
    const TCustomDBGridEh* grid = Grid();
    TInplaceEdit* editor = grid ? grid->InplaceEditor() : nullptr;
    return editor && editor->hasFocus() ? editor : nullptr;
}

int TDBGridEhTableView::WindowActiveRecord() const
{
    const TCustomDBGridEh* grid = Grid();
    return grid ? grid->DataLink().ActiveRecord() : 0;
}

int TDBGridEhTableView::WindowRecordCount() const
{
    const TCustomDBGridEh* grid = Grid();
    return grid ? grid->DataLink().RecordCount() : 0;
}

bool TDBGridEhTableView::TitleClickAccepted() const
{
    const TCustomDBGridEh* grid = Grid();
    return grid && grid->TitleClickAccepted();
}

bool TDBGridEhTableView::TitleButtonEnabled(int dataCol) const
{
    TCustomDBGridEh* grid = Grid();
    return grid && grid->TitleButtonEnabled(dataCol);
}

bool TDBGridEhTableView::RequestTitleClick(int dataCol, bool addKey) const
{
    TCustomDBGridEh* grid = Grid();
    return grid && grid->RequestTitleClick(dataCol, addKey);
}

}  // namespace qelvor
