// DBGridEhPrivate: the data grid's state behind its interface. Only the grid's own
// implementation files include this header; each works on the state through `d_`:
//   DBGridEh.cpp               construction, data source, options, fonts, colours and
//                              geometry properties, field removal, the parent's font
//   DBGridEhLayout.cpp         layout batches, the deferred layout message, loading,
//                              RebuildLayout and row heights, column attributes,
//                              the record window's size (UpdateRowCount), UpdateActive
//   DBGridEhColumns.cpp        the field map, column reconciliation, the visible-column
//                              list, column change notification, user-sized widths
//   DBGridEhLinkReactions.cpp  reactions to the data link's events
//   DBGridEhScrolling.cpp      the vertical bar and its scroll codes, resizes, the left
//                              column, scaling
//   DBGridEhPainting.cpp       the paint: lines, indicator and data cells, 3D frames
//   DBGridEhSortMarking.cpp    the sort marking's notification (the columns' SortMarking.h
//                              holds the marked list, the click cycle and the pending
//                              Ctrl notification)
//   DBGridEhKeyboard.cpp       keys, column steps, record steps and the Tab walk
//   DBGridEhMouse.cpp          presses on cells, cell tracking, automatic scrolling,
//                              clicks, the wheel, column moves
//   DBGridEhTitleRow.cpp       title buttons (TDBGridEhTitleRow): press, pressed look,
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
#include "grid/DBGridEh.h"

namespace qelvor {

// Where a cell lies, as painting and input see it.
enum class TCellAreaEh { Title, Filter, Data, FooterSeparator, Footer };
struct TCellTypeEh {
    bool inDataColumn = false;  // the cell is in a data column (not the indicator)
    int dataCol = -1;           // its index in Columns(); -1 in the indicator column
    TCellAreaEh area = TCellAreaEh::Data;  // the band of rows the cell is in
    int areaRow = 0;            // its row counted from the start of that band
};

// One cell: outer rectangle, inner rectangle (inside a 3D frame) and text offset.
struct TCustomDBGridEh::CellBox {
    QRect outer;     // the whole cell
    QRect inner;     // the cell inside its 3D frame (the whole cell without one)
    int offset = 2;  // horizontal text offset from the inner rectangle's edges
};

// What one paint holds while it runs: Paint makes it on its stack and it goes when
// Paint returns, so that no paint leaves scratch state behind for the next.
struct TCustomDBGridEh::PaintPass {
    explicit PaintPass(QPainter& target) : painter(target) {}
    QPainter& painter;            // the painter of this paint
    bool columnClipped = false;   // the painter clips to the column being painted
    TColCellParamsEh cellParams;  // reused for every data cell painted
};

struct TCustomDBGridEh::Private {
    explicit Private(TCustomDBGridEh& grid);

    // --- parts ---
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
    PaintPass* paint = nullptr;  // the paint in progress (nullptr outside Paint)

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
