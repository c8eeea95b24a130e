// DBGridEh: construction, destruction and the plain properties of the data grid.
#include "grid/DBGridEh.h"


#include <QCoreApplication>
#include <QEvent>

#include "data/DataSource.h"
#include "grid/GridAccessibility.h"
#include "grid/GridStyle.h"
#include "platform/ExceptionDispatch.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

TCustomDBGridEh::TCustomDBGridEh(QWidget* parent) : TCustomGrid(parent)
{
    dataLink_ = std::make_unique<TGridDataLinkEh>(this);
    columns_ = std::make_unique<TDBGridColumnsEh>(this);
    sortMarking_ = std::make_unique<TSortMarkingEh>(*columns_);
    columnDefValues_ = std::make_unique<TDBGridEhColumnDefValuesEh>(this);
    selection_ = std::make_unique<TDBGridEhSelection>(this);
    titleFont_ = font();
    footerFont_ = font();
    if (TDBGridEhStyle* style = DBGridEhStyle())
        style->AddGrid(this);
    SetGridOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goColSizing,
                    goColMoving, goEditing, goTabs});
    SetScrollBars(ssHorizontal);
    SetColCount(2);
    SetRowCount(2);
    WindowCreated();
    AccessibleGridConstructed(this);
}

TCustomDBGridEh::~TCustomDBGridEh()
{
    BeginDestroy();
    QCoreApplication::removePostedEvents(this, kDeferredLayoutEvent);
    if (TDBGridEhStyle* style = DBGridEhStyle())
        style->RemoveGrid(this);
    // Link reactions check Destroying(); the columns go before the lists they are in.
    dataLink_.reset();
    columns_.reset();
}

void TCustomDBGridEh::CurrentCellMoved()
{
    AccessibleCurrentCellMoved(this);
}

// Window creation: the geometry that depends on the window is settled once.
void TCustomDBGridEh::WindowCreated()
{
    UpdateRowCount();
    UpdateActive();
    UpdateVertScrollBar();
}

// --- data ---

TDataSource* TCustomDBGridEh::DataSource() const
{
    return dataLink_->DataSource();
}

void TCustomDBGridEh::SetDataSource(TDataSource* dataSource)
{
    if (dataSource == DataSource())
        return;
    if (optionsEh_.Contains(dghClearSelection)) {
        if (options_.Contains(dgMultiSelect))
            selection_->SelectedRows().Clear();
        if (selection_->SelectionType() != gstNon && selection_->SelectionType() != gstRecordBookmarks) {
            selection_->Clear();
            InvalidateGrid();
            InvalidateEditor();
        }
    }
    dataLink_->SetDataSource(dataSource);
    if (dataSource)
        dataSource->FreeNotification(this);
    LinkActive(dataLink_->Active());
}

void TCustomDBGridEh::SetReadOnly(bool readOnly)
{
    if (readOnly == readOnly_)
        return;
    readOnly_ = readOnly;
    if (!Loading())
        SetColumnAttributes();
}

void TCustomDBGridEh::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove || Destroying())
        return;
    if (DataSource() && component == static_cast<TComponent*>(DataSource())) {
        SetDataSource(nullptr);
        return;
    }
    // A field went away: unbind every column that showed it.
    LockLayout();
    int unbound = 0;
    const ScopeExit release([&] {
        TDataSet* dataSet = dataLink_->DataSet();
        if (unbound > 0 && dataSet && !dataSet->ControlsDisabled())
            UnlockLayout();
        else
            DeferLayout();
    });
    for (int i = 0; i < columns_->Count(); ++i) {
        TColumnEh* column = columns_->Items(i);
        if (column->BoundField() && static_cast<TComponent*>(column->BoundField()) == component) {
            column->SetBoundField(nullptr);
            ++unbound;
        }
    }
}

// --- options ---

void TCustomDBGridEh::SetOptions(TDBGridOptions options)
{
    if (options == options_)
        return;
    if (options_.Contains(dgMultiSelect) && !options.Contains(dgMultiSelect))
        selection_->SelectedRows().Clear();
    options_ = options;
    TGridOptions grid = GridOptions();
    auto follow = [&](TGridOption gridOption, TDBGridOption option) {
        if (options_.Contains(option))
            grid.Include(gridOption);
        else
            grid.Exclude(gridOption);
    };
    follow(goEditing, dgEditing);
    follow(goTabs, dgTabs);
    follow(goRowSelect, dgRowSelect);
    follow(goColSizing, dgColumnResize);
    follow(goColMoving, dgColumnResize);
    follow(goAlwaysShowEditor, dgAlwaysShowEditor);
    SetGridOptions(grid);
    RequestLayout();
}

void TCustomDBGridEh::SetOptionsEh(TDBGridEhOptions options)
{
    if (options == optionsEh_)
        return;
    if (optionsEh_.Contains(dghMultiSortMarking) && !options.Contains(dghMultiSortMarking)) {
        const TColumnsEhList& marked = SortMarkedColumnList();
        for (int i = marked.Count() - 1; i >= 1; --i)
            marked[i]->Title()->SetSortMarker(smNoneEh);
    }
    optionsEh_ = options;
    RequestLayout();
}

// --- fonts and colours ---

void TCustomDBGridEh::SetFont(const QFont& font)
{
    parentFont_ = false;
    setFont(font);
}

void TCustomDBGridEh::SetParentFont(bool parentFont)
{
    if (parentFont == parentFont_)
        return;
    parentFont_ = parentFont;
    if (parentFont)
        setFont(QFont());
}

void TCustomDBGridEh::SetTitleFont(const QFont& font)
{
    titleFont_ = font;
    if (!settingParentFont_ && !Loading())
        parentFont_ = false;
    if (options_.Contains(dgTitles))
        RequestLayout();
    InvalidateGrid();
}

void TCustomDBGridEh::SetFooterFont(const QFont& font)
{
    footerFont_ = font;
    if (!settingParentFont_ && !Loading())
        parentFont_ = false;
    InvalidateGrid();
}

void TCustomDBGridEh::changeEvent(QEvent* event)
{
    TCustomGrid::changeEvent(event);
    if (event->type() != QEvent::FontChange)
        return;
    GuardedCall([&] {
        if (parentFont_) {
            // The parent's font reached the grid: titles and footers follow it.
            const ScopedFlag setting(settingParentFont_);
            titleFont_ = font();
            footerFont_ = font();
        }
        LockLayout();
        const ScopeExit unlock([this] { UnlockLayout(); });
        RefreshColumnFonts();
    });
}

void TCustomDBGridEh::RefreshColumnFonts()
{
    for (int i = 0; i < columns_->Count(); ++i) {
        (void)columns_->Items(i)->Font();
        (void)columns_->Items(i)->Title()->Font();
    }
}

void TCustomDBGridEh::SetColor(TColor color)
{
    if (color == color_)
        return;
    color_ = color;
    InvalidateGrid();
}

void TCustomDBGridEh::SetFixedColor(TColor color)
{
    if (color == fixedColor_)
        return;
    fixedColor_ = color;
    InvalidateGrid();
}

void TCustomDBGridEh::SetFooterColor(TColor color)
{
    if (color == footerColor_)
        return;
    footerColor_ = color;
    InvalidateGrid();
}

// --- geometry properties ---

void TCustomDBGridEh::SetTitleHeight(int height)
{
    titleHeight_ = height;
    RequestLayout();
}

void TCustomDBGridEh::SetTitleLines(int lines)
{
    titleLines_ = lines;
    RequestLayout();
}

void TCustomDBGridEh::SetVTitleMargin(int margin)
{
    vTitleMargin_ = margin;
    RequestLayout();
}

void TCustomDBGridEh::SetRowHeight(int height)
{
    height = std::max(height, 0);
    if (height == rowHeight_)
        return;
    rowHeight_ = height;
    RequestLayout();
}

void TCustomDBGridEh::SetRowLines(int lines)
{
    lines = std::max(lines, 0);
    if (lines == rowLines_)
        return;
    rowLines_ = lines;
    RequestLayout();
}

void TCustomDBGridEh::SetFlat(bool flat)
{
    if (flat == flat_)
        return;
    flat_ = flat;
    titleTextMargin_ = flat ? 2 : 4;
    RequestLayout();
}

void TCustomDBGridEh::SetFrozenCols(int count)
{
    count = std::max(count, 0);
    if (count == frozenCols_)
        return;
    frozenCols_ = count;
    RequestLayout();
}

int TCustomDBGridEh::DataRowPitch() const
{
    return DefaultRowHeight() + (options_.Contains(dgRowLines) ? GridLineWidth() : 0);
}

int TCustomDBGridEh::VisibleDataRows() const
{
    const TGridDrawInfo info = CalcDrawInfo();
    return info.Vert.LastFullVisibleCell - TopRow() + 1;
}

// --- scroll bar settings ---

void TDBGridEhScrollBar::SetTracking(bool tracking)
{
    tracking_ = tracking;
    if (kind_ != TScrollBarKind::sbHorizontal)
        return;
    TGridOptions options = grid_->GridOptions();
    if (tracking)
        options.Include(goThumbTracking);
    else
        options.Exclude(goThumbTracking);
    grid_->SetGridOptions(options);
}

void TDBGridEhScrollBar::SetVisible(bool visible)
{
    SetVisibleMode(visible ? sbAutoShowEh : sbNeverShowEh);
}

void TDBGridEhScrollBar::SetVisibleMode(TScrollBarVisibleModeEh mode)
{
    if (mode == visibleMode_)
        return;
    visibleMode_ = mode;
    if (kind_ == TScrollBarKind::sbVertical)
        grid_->UpdateVertScrollBar();
    grid_->RequestLayout();
}

}  // namespace qelvor

