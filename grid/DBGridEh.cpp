// DBGridEh: construction, destruction and the plain properties of the data grid.
#include "grid/DBGridEh.h"
#include "grid/DBGridEhPainter.h"
#include "grid/DBGridEhPrivate.h"


#include <QCoreApplication>
#include <QEvent>

#include "data/DataSource.h"
#include "grid/GridAccessibility.h"
#include "grid/GridStyle.h"
#include "platform/ExceptionDispatch.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

TCustomDBGridEh::Private::Private(TCustomDBGridEh& grid)
    : parts(grid),
      horzScrollBar(grid, TScrollBarKind::sbHorizontal, [&grid] { grid.RequestLayout(); }),
      vertScrollBar(grid, TScrollBarKind::sbVertical, [&grid] {
          grid.UpdateVertScrollBar();
          grid.RequestLayout();
      })
{
}

TCustomDBGridEh::TCustomDBGridEh(QWidget* parent) : TCustomGrid(parent), d_(std::make_unique<Private>(*this))
{
    d_->dataLink = std::make_unique<TGridDataLinkEh>(&d_->parts);
    d_->columns = std::make_unique<TDBGridColumnsEh>(&d_->parts);
    ConnectSortMarking();
    d_->columnDefValues = std::make_unique<TDBGridEhColumnDefValuesEh>(&d_->parts);
    d_->selection = std::make_unique<TDBGridEhSelection>(&d_->parts);
    d_->titleFont = font();
    d_->footerFont = font();
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
    d_->dataLink.reset();
    d_->columns.reset();
}

// Window creation: the geometry that depends on the window is settled once.
void TCustomDBGridEh::WindowCreated()
{
    UpdateRowCount();
    UpdateActive();
    UpdateVertScrollBar();
}

// --- plain accessors ---

TGridDataLinkEh& TCustomDBGridEh::DataLink() { return *d_->dataLink; }
const TGridDataLinkEh& TCustomDBGridEh::DataLink() const { return *d_->dataLink; }
bool TCustomDBGridEh::ReadOnly() const { return d_->readOnly; }
TDBGridOptions TCustomDBGridEh::Options() const { return d_->options; }
TDBGridEhOptions TCustomDBGridEh::OptionsEh() const { return d_->optionsEh; }
TDBGridEhEvents& TCustomDBGridEh::Events() { return d_->events; }
TDBGridColumnsEh& TCustomDBGridEh::Columns() { return *d_->columns; }
const TDBGridColumnsEh& TCustomDBGridEh::Columns() const { return *d_->columns; }
TDBGridEhColumnDefValuesEh& TCustomDBGridEh::ColumnDefValues() { return *d_->columnDefValues; }
const TDBGridEhColumnDefValuesEh& TCustomDBGridEh::ColumnDefValues() const { return *d_->columnDefValues; }
const TColumnsEhList& TCustomDBGridEh::VisibleColumnList() const { return d_->visibleColumns; }
const TColumnsEhList& TCustomDBGridEh::SortMarkedColumnList() const { return d_->columns->SortMarking().MarkedColumns(); }
TSortMarkingEh& TCustomDBGridEh::SortMarking() { return d_->columns->SortMarking(); }
const QFont& TCustomDBGridEh::TitleFont() const { return d_->titleFont; }
const QFont& TCustomDBGridEh::FooterFont() const { return d_->footerFont; }
bool TCustomDBGridEh::ParentFont() const { return d_->parentFont; }
TColor TCustomDBGridEh::Color() const { return d_->color; }
TColor TCustomDBGridEh::FixedColor() const { return d_->fixedColor; }
TColor TCustomDBGridEh::FooterColor() const { return d_->footerColor; }
int TCustomDBGridEh::TitleHeight() const { return d_->titleHeight; }
int TCustomDBGridEh::TitleLines() const { return d_->titleLines; }
int TCustomDBGridEh::RowHeight() const { return d_->rowHeight; }
int TCustomDBGridEh::RowLines() const { return d_->rowLines; }
int TCustomDBGridEh::VTitleMargin() const { return d_->vTitleMargin; }
bool TCustomDBGridEh::Flat() const { return d_->flat; }
int TCustomDBGridEh::FrozenCols() const { return d_->frozenCols; }
bool TCustomDBGridEh::DrawMemoText() const { return d_->drawMemoText; }
void TCustomDBGridEh::SetDrawMemoText(bool value) { d_->drawMemoText = value; }
bool TCustomDBGridEh::DefaultDrawing() const { return d_->defaultDrawing; }
void TCustomDBGridEh::SetDefaultDrawing(bool value) { d_->defaultDrawing = value; }
TDBGridEhScrollBar& TCustomDBGridEh::HorzScrollBar() { return d_->horzScrollBar; }
TVertDBGridEhScrollBar& TCustomDBGridEh::VertScrollBar() { return d_->vertScrollBar; }
int TCustomDBGridEh::IndicatorColumns() const { return d_->indicatorColumns; }
int TCustomDBGridEh::TitleRows() const { return d_->titleRows; }
int TCustomDBGridEh::TitleTextMargin() const { return d_->titleTextMargin; }
int TCustomDBGridEh::ComputedTitleHeight() const { return d_->computedTitleHeight; }
bool TCustomDBGridEh::TabStop(int gridCol) const
{
    return gridCol >= 0 && gridCol < static_cast<int>(d_->tabStops.size()) && d_->tabStops[static_cast<std::size_t>(gridCol)];
}
bool TCustomDBGridEh::LayoutInProgress() const { return d_->layoutInProgress; }
bool TCustomDBGridEh::LayoutFromLink() const { return d_->layoutFromLink; }
int TCustomDBGridEh::LayoutLockCount() const { return d_->layoutLock; }
int TCustomDBGridEh::UpdateLockCount() const { return d_->updateLock; }
TDBGridEhAllowedSelections TCustomDBGridEh::AllowedSelections() const { return d_->allowedSelections; }
TDBGridEhSelection& TCustomDBGridEh::Selection() { return *d_->selection; }
const TDBGridEhSelection& TCustomDBGridEh::Selection() const { return *d_->selection; }
TBookmarkListEh& TCustomDBGridEh::SelectedRows() { return d_->selection->SelectedRows(); }
int TCustomDBGridEh::PressedTitleCol() const { return GridState() == TGridState::gsTitlePressed ? Press().titleCol : -1; }
bool TCustomDBGridEh::TitleButtonDown() const { return GridState() == TGridState::gsTitlePressed && Press().titleDown; }
bool TCustomDBGridEh::SortMarkingChangePending() const { return d_->columns->SortMarking().ChangePending(); }
QPainter* TCustomDBGridEh::Canvas() const { return d_->paint ? &d_->paint->target : nullptr; }

// --- data ---

TDataSource* TCustomDBGridEh::DataSource() const
{
    return d_->dataLink->DataSource();
}

void TCustomDBGridEh::SetDataSource(TDataSource* dataSource)
{
    if (dataSource == DataSource())
        return;
    if (d_->optionsEh.Contains(dghClearSelection)) {
        if (d_->options.Contains(dgMultiSelect))
            d_->selection->SelectedRows().Clear();
        if (d_->selection->SelectionType() != gstNon && d_->selection->SelectionType() != gstRecordBookmarks) {
            d_->selection->Clear();
            InvalidateGrid();
            InvalidateEditor();
        }
    }
    d_->dataLink->SetDataSource(dataSource);
    if (dataSource)
        dataSource->FreeNotification(this);
    d_->parts.LinkActiveChanged(d_->dataLink->Active());
}

void TCustomDBGridEh::SetReadOnly(bool readOnly)
{
    if (readOnly == d_->readOnly)
        return;
    d_->readOnly = readOnly;
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
        TDataSet* dataSet = d_->dataLink->DataSet();
        if (unbound > 0 && dataSet && !dataSet->ControlsDisabled())
            UnlockLayout();
        else
            DeferLayout();
    });
    for (int i = 0; i < d_->columns->Count(); ++i) {
        TColumnEh* column = d_->columns->Items(i);
        if (column->BoundField() && static_cast<TComponent*>(column->BoundField()) == component) {
            column->SetBoundField(nullptr);
            ++unbound;
        }
    }
}

// --- options ---

void TCustomDBGridEh::SetOptions(TDBGridOptions options)
{
    if (options == d_->options)
        return;
    if (d_->options.Contains(dgMultiSelect) && !options.Contains(dgMultiSelect))
        d_->selection->SelectedRows().Clear();
    d_->options = options;
    TGridOptions grid = GridOptions();
    auto follow = [&](TGridOption gridOption, TDBGridOption option) {
        if (d_->options.Contains(option))
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
    if (options == d_->optionsEh)
        return;
    if (d_->optionsEh.Contains(dghMultiSortMarking) && !options.Contains(dghMultiSortMarking)) {
        const TColumnsEhList& marked = SortMarkedColumnList();
        for (int i = marked.Count() - 1; i >= 1; --i)
            marked[i]->Title()->SetSortMarker(smNoneEh);
    }
    d_->optionsEh = options;
    RequestLayout();
}

// --- fonts and colours ---

void TCustomDBGridEh::SetFont(const QFont& font)
{
    d_->parentFont = false;
    setFont(font);
}

void TCustomDBGridEh::SetParentFont(bool parentFont)
{
    if (parentFont == d_->parentFont)
        return;
    d_->parentFont = parentFont;
    if (parentFont)
        setFont(QFont());
}

void TCustomDBGridEh::SetTitleFont(const QFont& font)
{
    d_->titleFont = font;
    if (!d_->settingParentFont && !Loading())
        d_->parentFont = false;
    if (d_->options.Contains(dgTitles))
        RequestLayout();
    InvalidateGrid();
}

void TCustomDBGridEh::SetFooterFont(const QFont& font)
{
    d_->footerFont = font;
    if (!d_->settingParentFont && !Loading())
        d_->parentFont = false;
    InvalidateGrid();
}

void TCustomDBGridEh::changeEvent(QEvent* event)
{
    TCustomGrid::changeEvent(event);
    if (event->type() != QEvent::FontChange)
        return;
    GuardedCall([&] {
        if (d_->parentFont) {
            // The parent's font reached the grid: titles and footers follow it.
            const ScopedFlag setting(d_->settingParentFont);
            d_->titleFont = font();
            d_->footerFont = font();
        }
        LockLayout();
        const ScopeExit unlock([this] { UnlockLayout(); });
        RefreshColumnFonts();
    });
}

void TCustomDBGridEh::RefreshColumnFonts()
{
    for (int i = 0; i < d_->columns->Count(); ++i) {
        (void)d_->columns->Items(i)->Font();
        (void)d_->columns->Items(i)->Title()->Font();
    }
}

void TCustomDBGridEh::SetColor(TColor color)
{
    if (color == d_->color)
        return;
    d_->color = color;
    InvalidateGrid();
}

void TCustomDBGridEh::SetFixedColor(TColor color)
{
    if (color == d_->fixedColor)
        return;
    d_->fixedColor = color;
    InvalidateGrid();
}

void TCustomDBGridEh::SetFooterColor(TColor color)
{
    if (color == d_->footerColor)
        return;
    d_->footerColor = color;
    InvalidateGrid();
}

// --- geometry properties ---

void TCustomDBGridEh::SetTitleHeight(int height)
{
    d_->titleHeight = height;
    RequestLayout();
}

void TCustomDBGridEh::SetTitleLines(int lines)
{
    d_->titleLines = lines;
    RequestLayout();
}

void TCustomDBGridEh::SetVTitleMargin(int margin)
{
    d_->vTitleMargin = margin;
    RequestLayout();
}

void TCustomDBGridEh::SetRowHeight(int height)
{
    height = std::max(height, 0);
    if (height == d_->rowHeight)
        return;
    d_->rowHeight = height;
    RequestLayout();
}

void TCustomDBGridEh::SetRowLines(int lines)
{
    lines = std::max(lines, 0);
    if (lines == d_->rowLines)
        return;
    d_->rowLines = lines;
    RequestLayout();
}

void TCustomDBGridEh::SetFlat(bool flat)
{
    if (flat == d_->flat)
        return;
    d_->flat = flat;
    d_->titleTextMargin = flat ? 2 : 4;
    RequestLayout();
}

void TCustomDBGridEh::SetFrozenCols(int count)
{
    count = std::max(count, 0);
    if (count == d_->frozenCols)
        return;
    d_->frozenCols = count;
    RequestLayout();
}

int TCustomDBGridEh::DataRowPitch() const
{
    return DefaultRowHeight() + (d_->options.Contains(dgRowLines) ? GridLineWidth() : 0);
}

int TCustomDBGridEh::VisibleDataRows() const
{
    const TGridDrawInfo info = CalcDrawInfo();
    return info.Vert.LastFullVisibleCell - TopRow() + 1;
}

// --- selection ---

bool TCustomDBGridEh::SelectionTypeAllowed(TDBGridEhSelectionType type) const
{
    if (type == gstNon)
        return true;
    if (!d_->options.Contains(dgMultiSelect) || !d_->allowedSelections.Contains(type))
        return false;
    if (type == gstRecordBookmarks || type == gstAll)
        return true;
    return !d_->options.Contains(dgRowSelect);
}

void TCustomDBGridEh::ClearSelection()
{
    if (d_->options.Contains(dgMultiSelect) && d_->optionsEh.Contains(dghClearSelection))
        d_->selection->SelectedRows().Clear();
    if (d_->selection->SelectionType() != gstNon && d_->optionsEh.Contains(dghClearSelection)) {
        d_->selection->Clear();
        InvalidateGrid();
        InvalidateEditor();
    }
}

void TCustomDBGridEh::SetAllowedSelections(TDBGridEhAllowedSelections selections)
{
    if (selections == d_->allowedSelections)
        return;
    d_->allowedSelections = selections;
    if (d_->selection->SelectionType() != gstNon && !selections.Contains(d_->selection->SelectionType()))
        d_->selection->Clear();
}

}  // namespace qelvor
