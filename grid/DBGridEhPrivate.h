// DBGridEhPrivate: the data grid's state behind its interface. Only the grid's own
// implementation files include this header; each works on the state through `d_`:
//   DBGridEh.cpp               construction, data source, options, fonts, colours and
//                              geometry properties, field removal, the parent's font
//   DBGridEhLayout.cpp         layout batches, the deferred layout message, loading,
//                              RebuildLayout and row heights, column attributes,
//                              the record window's size (UpdateRowCount), UpdateActive
//   DBGridEhColumns.cpp        the field map, column reconciliation, the visible-column
//                              list, column change notification, user-sized widths
//   DBGridEhParts.cpp          the grid as its parts see it (Parts: columns, titles,
//                              defaults, selection)
//   DBGridEhLinkReactions.cpp  reactions to the data link's events (Parts' share)
//   DBGridEhScrolling.cpp      the vertical bar and its scroll codes, resizes, the left
//                              column, scaling
//   DBGridEhPainting.cpp       the paint (Painter, DBGridEhPainter.h): lines, indicator
//                              and data cells, 3D frames
//   DBGridEhSortMarking.cpp    the sort marking's notification (the columns' SortMarking.h
//                              holds the marked list, the click cycle and the pending
//                              Ctrl notification)
//   DBGridEhKeyboard.cpp       keys (KeyTable), column steps, record steps, the Tab walk
//   DBGridEhMouse.cpp          presses on cells (CellPress), cell tracking, automatic
//                              scrolling, clicks, the wheel, column moves
//   DBGridEhTitleRow.cpp       title buttons (TitleRow): press, pressed look,
//                              click, the title cell's paint; the end of tracking
//   DBGridEhEditor.cpp         the read-only in-place editor, the current field, focus
//
// All of it belongs to the window's thread.
#pragma once

#include <memory>
#include <vector>

#include <QFont>
#include <QPainter>
#include <QPoint>

#include "grid/ColCellParamsEh.h"
#include "grid/ColumnGridEh.h"
#include "grid/DBGridEh.h"
#include "grid/DataLinkGridEh.h"
#include "grid/SelectionGridEh.h"

namespace qelvor {

// The grid as its parts see it: the answers and reactions behind TColumnGridEh (columns,
// titles, column defaults), TDataLinkGridEh (the data link) and TSelectionGridEh (the
// selection), each forwarded to the grid (DBGridEhParts.cpp). The parts hold it, never
// the grid itself, so the grid's public face does not carry their interfaces.
class TCustomDBGridEh::Parts final : public TColumnGridEh, public TDataLinkGridEh, public TSelectionGridEh {
public:
    explicit Parts(TCustomDBGridEh& grid) : grid_(grid) {}
    Parts(const Parts&) = delete;
    Parts& operator=(const Parts&) = delete;

    TCustomDBGridEh* DataGrid() override;
    const QFont& GridFont() const override;
    const QFont& GridTitleFont() const override;
    TColor GridColor() const override;
    TColor GridFixedColor() const override;
    bool GridReadOnly() const override;
    int GridDefaultColWidth() const override;
    bool GridDrawMemoText() const override;
    bool GridMultiTitle() const override;
    const TColumnDefValuesEh& GridColumnDefValues() const override;
    TDataSet* GridDataSet() const override;
    bool GridLinkActive() const override;
    TComponent* GridFieldWatcher() override;
    bool GridLoading() const override;
    bool GridLayoutFromLink() const override;
    void GridLockLayout() override;
    void GridUnlockLayout() override;
    void GridColumnsChanged(TColumnEh* column) override;
    void GridRequestLayout() override;
    void GridInvalidate() override;
    TComponent* LinkFieldWatcher() override;
    void LinkActiveChanged(bool active) override;
    void LinkDataChanged() override;
    void LinkScrolled(int distance) override;
    void LinkRecordChanged(TField* field) override;
    void LinkLayoutChanged() override;
    void LinkEditingChanged() override;
    void LinkUpdateData() override;
    void LinkFocusField(TField** field) override;
    void LinkReset() override;
    TDataSet* SelectionDataSet() const override;
    bool SelectionLinkActive() const override;
    bool SelectionAllowed(TDBGridEhSelectionType type) const override;
    TColumnEh* SelectionColumn(int dataCol) const override;
    void SelectionInvalidate() override;
    void SelectionCleared() override;

private:
    TCustomDBGridEh& grid_;  // the grid the parts belong to
};

struct TCustomDBGridEh::Private {
    explicit Private(TCustomDBGridEh& grid);

    // --- parts ---
    Parts parts;  // the grid as its parts see it; declared first, so it goes last
    std::unique_ptr<TGridDataLinkEh> dataLink;  // the link to the data source; its record window gives the data rows
    std::unique_ptr<TDBGridColumnsEh> columns;  // the columns, persistent or generated from the fields
    std::unique_ptr<TDBGridEhColumnDefValuesEh> columnDefValues;  // defaults of unassigned column and title values
    std::unique_ptr<TDBGridEhSelection> selection;  // the current selection (rows, rectangle, columns or all)
    TColumnsEhList visibleColumns;  // visible columns in display order
    TDBGridEhScrollBar horzScrollBar;  // settings of the horizontal bar
    TVertDBGridEhScrollBar vertScrollBar;  // settings of the vertical bar
    TDBGridEhEvents events;  // the handlers the grid's owner assigned

    // --- properties ---
    // What the grid shows and allows (titles, indicator, lines, editing, tabs ...).
    TDBGridOptions options{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines,
                           dgRowLines, dgTabs, dgConfirmDelete, dgCancelOnExit};
    TDBGridEhOptions optionsEh{dghFixed3D, dghHighlightFocus, dghClearSelection};  // the data grid's own options
    TDBGridEhAllowedSelections allowedSelections{gstRecordBookmarks, gstRectangle, gstColumns, gstAll};  // the kinds of selection the user may make
    bool readOnly = false;  // no cell may be edited (unassigned columns follow)
    QFont titleFont;  // font of the titles whose column assigns none
    QFont footerFont;  // font of the footer rows
    bool parentFont = true;  // the fonts follow the parent widget's font
    bool settingParentFont = false;  // the parent's font is being copied (ParentFont stays on)
    TColor color = clWindow;  // background of the data cells
    TColor fixedColor = clBtnFace;  // background of the fixed cells
    TColor footerColor = clWindow;  // background of the footer rows
    int titleHeight = 0;  // extra title height in pixels (with titleLines: a taller title row)
    int titleLines = 0;  // text lines of the title row; 0: one line, sized by the title font
    int rowHeight = 0;  // extra data row height in pixels (with rowLines)
    int rowLines = 0;  // text lines per data row; 0 with rowHeight 0: one line
    int vTitleMargin = 10;  // vertical title margin for multi-line titles
    bool flat = false;  // fixed cells without the 3D frame
    int frozenCols = 0;  // data columns that stay at the left while scrolling
    bool drawMemoText = false;  // memo fields show their whole text
    bool defaultDrawing = true;  // the grid draws data cells itself before OnDrawColumnCell

    // --- layout ---
    int titleTextMargin = 4;  // space around a title's text: 2 when flat, 4 otherwise
    int computedTitleHeight = 0;  // title row height from titleLines and titleHeight at the last rebuild
    int titleRowHeight = 0;  // the title row's height as last set
    bool multiLineRows = false;  // data rows are tall enough for wrapped text
    int indicatorColumns = 1;  // 1 with the indicator column (dgIndicator), else 0
    int titleRows = 1;  // 1 with the title row (dgTitles), else 0
    int layoutLock = 0;  // depth of open layout batches (LockLayout)
    int updateLock = 0;  // depth of open update locks; moves inside repaint later
    bool layoutInProgress = false;  // RebuildLayout is running
    bool layoutFromLink = false;  // a layout change from the data link is being handled
    bool deferredLayoutQueued = false;  // the deferred layout message is posted and not yet handled
    std::vector<bool> tabStops;  // per grid column: takes part in tabbing

    // --- scrolling and painting ---
    bool atFirstScrollableColumn = true;  // the left column was the first scrollable one at the last scroll
    int lastVisibleMode = -1;  // the vertical bar's visible mode at its last update; -1: never updated
    bool thumbTracked = false;  // a thumb drag already moved the record, so its release does not
    int indicatorRow = -1;  // grid row where the indicator arrow was last drawn; -1: none
    Painter* paint = nullptr;  // the paint in progress (nullptr outside Paint)

    // --- input ---
    bool inColumnExit = false;  // OnColExit is running
    bool notifyingSortMarking = false;  // DoSortMarkingChanged is running (a re-sort may turn an event loop)
};

// Raises UpdateLockCount for a scope (released also when a move fails): moves inside
// it do not repaint at once.
class TCustomDBGridEh::UpdateLockScope {
public:
    explicit UpdateLockScope(TCustomDBGridEh& grid) : grid_(grid) { ++grid_.d_->updateLock; }
    ~UpdateLockScope() { --grid_.d_->updateLock; }
    UpdateLockScope(const UpdateLockScope&) = delete;
    UpdateLockScope& operator=(const UpdateLockScope&) = delete;

private:
    TCustomDBGridEh& grid_;  // the grid whose lock this scope holds
};

}  // namespace qelvor
