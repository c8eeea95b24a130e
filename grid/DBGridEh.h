// DBGridEh: the data-aware grid. One data column per TColumnEh, one data row per
// record of the data link's record window; a title row and an indicator column as
// fixed cells; a vertical scroll bar driven by the dataset's position, not by rows.
//
// The implementation is split by concern:
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
//   DBGridEhPainting.cpp       the paint: lines, indicator, title and data cells, 3D
//                              frames, cell types; TitleCellLayout.h places a title's parts
//   DBGridEhSortMarking.cpp    the sort marking's notification (SortMarking.h holds the
//                              marked list, the numbers and the pending Ctrl notification)
//   DBGridEhSelection.cpp      the selection rules the grid applies (TDBGridEhSelection,
//                              in DBGridEhSelection.h, holds the state)
//   DBGridEhKeyboard.cpp       keys, column steps, record steps and the Tab walk
//   DBGridEhMouse.cpp          presses on cells, cell tracking, automatic scrolling,
//                              clicks, the wheel, column moves
//   DBGridEhTitlePress.cpp     title buttons, their pressed look and the end of tracking
//   DBGridEhEditor.cpp         the read-only in-place editor, the current field, focus
//
// Mouse tracking: a title press and cell tracking are states of the one press value of
// the base grid (GridState()), so at most one of them, and no sizing or moving, is under
// way; Tracking() is true exactly while one of them is.
//
// Invariants outside a rebuild: ColCount == Columns().Count() + IndicatorColumns();
// RowCount == TitleRows() + max(1, records shown); TopRow == TitleRows(); data row r
// (grid row TitleRows() + r) shows record r of the link's window; the current row is
// TitleRows() + the link's active record while the link is active.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QFont>
#include <QPoint>

#include "runtime/Component.h"
#include "grid/ColCellParamsEh.h"
#include "grid/ColumnDefValuesEh.h"
#include "grid/ColumnGridEh.h"
#include "grid/ColumnsEh.h"
#include "grid/CustomGrid.h"
#include "grid/DataLinkGridEh.h"
#include "grid/DBGridEhSelection.h"
#include "grid/GridDataLinkEh.h"
#include "grid/SelectionGridEh.h"
#include "grid/GridSets.h"
#include "grid/SortMarking.h"
#include "grid/SystemColors.h"

#include <QEvent>

namespace qelvor {

// The deferred layout message, the grid's private window message (WM_USER + 100).
inline constexpr QEvent::Type kDeferredLayoutEvent = static_cast<QEvent::Type>(QEvent::User + 100);

class TDataSource;
class TCustomDBGridEh;

// Settings of one of the grid's scroll bars.
class TDBGridEhScrollBar {
public:
    explicit TDBGridEhScrollBar(TCustomDBGridEh* grid, TScrollBarKind kind) : grid_(grid), kind_(kind) {}
    virtual ~TDBGridEhScrollBar() = default;

    bool Tracking() const { return tracking_; }
    // Thumb drags scroll while dragging (the horizontal bar: through the base grid).
    void SetTracking(bool tracking);
    // True unless VisibleMode is sbNeverShowEh.
    bool Visible() const { return visibleMode_ != sbNeverShowEh; }
    // True: sbAutoShowEh; false: sbNeverShowEh.
    void SetVisible(bool visible);
    TScrollBarVisibleModeEh VisibleMode() const { return visibleMode_; }
    void SetVisibleMode(TScrollBarVisibleModeEh mode);

protected:
    TCustomDBGridEh* grid_;
    TScrollBarKind kind_;
    bool tracking_ = false;
    TScrollBarVisibleModeEh visibleMode_ = sbAutoShowEh;
};

class TVertDBGridEhScrollBar : public TDBGridEhScrollBar {
public:
    explicit TVertDBGridEhScrollBar(TCustomDBGridEh* grid) : TDBGridEhScrollBar(grid, TScrollBarKind::sbVertical) {}
};

// Where a cell lies, as painting and input see it.
enum class TCellAreaEh { Title, Filter, Data, FooterSeparator, Footer };
struct TCellTypeEh {
    bool inDataColumn = false;
    int dataCol = -1;
    TCellAreaEh area = TCellAreaEh::Data;
    int areaRow = 0;
};

class TCustomDBGridEh : public TCustomGrid,
                        public TComponent,
                        // What the parts need of the grid (see the block "the parts' view of the grid").
                        public TColumnGridEh,
                        public TDataLinkGridEh,
                        public TSelectionGridEh {
public:
    using TNotifyEvent = std::function<void(TCustomDBGridEh& sender)>;
    using TTitleEhClickEvent = std::function<void(TCustomDBGridEh& sender, int aCol, TColumnEh* column)>;
    using TCheckTitleEhBtnEvent = std::function<void(TCustomDBGridEh& sender, int aCol, TColumnEh* column, bool& enabled)>;
    using TGetCellEhParamsEvent = std::function<void(TCustomDBGridEh& sender, TColumnEh* column, QFont& aFont,
                                                     TColor& background, TGridDrawState state)>;
    using TDrawDataCellEvent = std::function<void(TCustomDBGridEh& sender, const QRect& rect, TField* field,
                                                  TGridDrawState state)>;
    using TDrawColumnEhCellEvent = std::function<void(TCustomDBGridEh& sender, const QRect& rect, int dataCol,
                                                      TColumnEh* column, TGridDrawState state)>;
    using TGetBtnEhParamsEvent = std::function<void(TCustomDBGridEh& sender, int aCol, TColumnEh* column, QFont& aFont,
                                                    TColor& background, TSortMarkerEh& sortMarker, bool isDown)>;
    using TDBGridEhClickEvent = std::function<void(TColumnEh* column)>;
    using TMovedEvent = std::function<void(TCustomDBGridEh& sender, int fromIndex, int toIndex)>;

    explicit TCustomDBGridEh(QWidget* parent = nullptr);
    ~TCustomDBGridEh() override;

    // --- data ---
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* dataSource);
    // The link through which the grid follows the data source's dataset.
    TGridDataLinkEh& DataLink() { return *dataLink_; }
    const TGridDataLinkEh& DataLink() const { return *dataLink_; }
    // No cell may be edited; unassigned columns follow.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);

    // --- options ---
    // What the grid shows and allows (titles, indicator, lines, editing, tabs ...);
    // a change rebuilds the layout.
    TDBGridOptions Options() const { return options_; }
    void SetOptions(TDBGridOptions options);
    TDBGridEhOptions OptionsEh() const { return optionsEh_; }
    void SetOptionsEh(TDBGridEhOptions options);

    // --- columns ---
    // The columns: persistent ones as added, or generated from the fields while none is.
    TDBGridColumnsEh& Columns() { return *columns_; }
    const TDBGridColumnsEh& Columns() const { return *columns_; }
    // Values unassigned columns and titles take.
    TDBGridEhColumnDefValuesEh& ColumnDefValues() { return *columnDefValues_; }
    const TDBGridEhColumnDefValuesEh& ColumnDefValues() const { return *columnDefValues_; }
    const TColumnsEhList& VisibleColumnList() const { return visibleColumns_; }
    // Marked columns in sort priority order (entry i has SortIndex i + 1).
    const TColumnsEhList& SortMarkedColumnList() const { return sortMarking_->MarkedColumns(); }
    // The sort marking the titles' SortMarker and SortIndex forward to.
    TSortMarkingEh& SortMarking() { return *sortMarking_; }
    // Rebuilds SortMarkedColumnList from the titles' markers and SortIndex values.
    void RebuildSortMarkedColumnList();
    // Grid column <-> index in Columns(): they differ by the indicator column.
    int ToDataColumn(int gridCol) const { return gridCol - IndicatorColumns(); }
    int ToGridColumn(int dataCol) const { return dataCol + IndicatorColumns(); }

    // --- fonts and colours ---
    const QFont& Font() const { return font(); }
    // Sets the grid's cell font (unassigned column fonts follow; the layout is rebuilt).
    void SetFont(const QFont& font);
    // Font of the titles whose column assigns none.
    const QFont& TitleFont() const { return titleFont_; }
    void SetTitleFont(const QFont& font);
    const QFont& FooterFont() const { return footerFont_; }
    void SetFooterFont(const QFont& font);
    // The grid's fonts follow its parent's font; assigning a font turns this off.
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool parentFont);
    // Backgrounds of the data cells, the fixed cells and the footer rows.
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor color);
    TColor FooterColor() const { return footerColor_; }
    void SetFooterColor(TColor color);

    // --- geometry properties ---
    // Title row: extra pixels and text lines (both 0: one line of the title font).
    int TitleHeight() const { return titleHeight_; }
    void SetTitleHeight(int height);
    int TitleLines() const { return titleLines_; }
    void SetTitleLines(int lines);
    // Data rows: extra pixels and text lines (both 0: one line of the cell font).
    int RowHeight() const { return rowHeight_; }
    void SetRowHeight(int height);
    int RowLines() const { return rowLines_; }
    void SetRowLines(int lines);
    // Vertical margin of multi-line titles.
    int VTitleMargin() const { return vTitleMargin_; }
    void SetVTitleMargin(int margin);
    // Fixed cells without the 3D frame, with narrower title margins.
    bool Flat() const { return flat_; }
    void SetFlat(bool flat);
    // Data columns that stay at the left while the others scroll.
    int FrozenCols() const { return frozenCols_; }
    void SetFrozenCols(int count);
    // Footer rows, multi-line titles and automatic column widths are not offered.
    bool UseMultiTitle() const { return false; }
    bool AutoFitColWidths() const { return false; }
    // Memo fields show their whole text in cells and the editor.
    bool DrawMemoText() const { return drawMemoText_; }
    void SetDrawMemoText(bool value) { drawMemoText_ = value; }
    // The grid draws a data cell's content itself before OnDrawColumnCell.
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool value) { defaultDrawing_ = value; }
    TDBGridEhScrollBar& HorzScrollBar() { return horzScrollBar_; }
    TVertDBGridEhScrollBar& VertScrollBar() { return vertScrollBar_; }

    // --- derived geometry ---
    // 1 with the indicator column, 1 with the title row; 0 without.
    int IndicatorColumns() const { return indicatorColumns_; }
    int TitleRows() const { return titleRows_; }
    // Space around a title's text; the title row's height from TitleLines/TitleHeight.
    int TitleTextMargin() const { return titleTextMargin_; }
    int ComputedTitleHeight() const { return computedTitleHeight_; }
    // Default row height plus the line when dgRowLines is set.
    int DataRowPitch() const;
    // Fully visible data rows from the top row (footer rows excluded).
    int VisibleDataRows() const;
    // Whether a grid column takes part in tabbing (an editable, visible, bound column).
    bool TabStop(int gridCol) const
    {
        return gridCol >= 0 && gridCol < static_cast<int>(tabStops_.size()) && tabStops_[static_cast<std::size_t>(gridCol)];
    }
    // RebuildLayout is running.
    bool LayoutInProgress() const { return layoutInProgress_; }
    // True while a layout change reported by the data link is being handled.
    bool LayoutFromLink() const { return layoutFromLink_; }
    // Depths of the open layout batches and update locks.
    int LayoutLockCount() const { return layoutLock_; }
    int UpdateLockCount() const { return updateLock_; }

    // --- layout control ---
    // Enters a layout batch (the outermost one also opens a columns update).
    void LockLayout();
    // Leaves a batch; the outermost one rebuilds the layout.
    void UnlockLayout();
    // Rebuilds now unless a batch or an update lock is open.
    void RequestLayout();
    // Leaves a batch without rebuilding; the rebuild comes through the posted message.
    void DeferLayout();
    // Sets column count, fixed columns, widths, row heights and the current row from
    // the columns and the data link (skipped while loading).
    void RebuildLayout();
    // Brackets the reading of a stored layout (Loading state); EndLoad settles it.
    void BeginLoad();
    void EndLoad();
    // Scales column widths (and assigned fonts) by m/d, cumulatively.
    void ChangeScale(int m, int d);

    // --- record window ---
    // Sizes the rows and the link's record window to the client height.
    void UpdateRowCount();
    // Moves the current row to the link's active record.
    void UpdateActive();
    // Sets the vertical bar from the dataset's position (not from the rows).
    void UpdateVertScrollBar();
    // Sets every column's width and tab stop from its column object.
    void SetColumnAttributes();

    // --- selection ---
    // Kinds of selection the user may make (with dgMultiSelect).
    TDBGridEhAllowedSelections AllowedSelections() const { return allowedSelections_; }
    void SetAllowedSelections(TDBGridEhAllowedSelections selections);
    TDBGridEhSelection& Selection() { return *selection_; }
    const TDBGridEhSelection& Selection() const { return *selection_; }
    TBookmarkListEh& SelectedRows() { return selection_->SelectedRows(); }
    // A selection of `type` may start now (options and AllowedSelections agree).
    bool SelectionTypeAllowed(TDBGridEhSelectionType type) const;
    // Drops the selection (with dghClearSelection) and repaints.
    void ClearSelection();
    // The user is extending a selection: never, as selections are only made in code.
    bool Selecting() const { return false; }

    // --- sort marking and title presses ---
    // Raises OnSortMarkingChanged (only with dghAutoSortMarking).
    virtual void DoSortMarkingChanged();
    // Grid column of the pressed title (-1: none) and whether it is drawn down.
    int PressedTitleCol() const { return GridState() == TGridState::gsTitlePressed ? Press().titleCol : -1; }
    bool TitleButtonDown() const { return GridState() == TGridState::gsTitlePressed && Press().titleDown; }
    // A Ctrl+click changed the markers and the notification waits for Ctrl's release.
    bool SortMarkingChangePending() const { return sortMarking_->ChangePending(); }
    // Draws the pressed title down while (x, y) is on it, up otherwise.
    void TrackTitleButton(int x, int y);
    // Ends a title press or cell tracking: timer, pressed look and capture go.
    void StopTracking();
    // Whether the title of column aCol (a Columns index) acts as a button now.
    bool TitleButtonEnabled(int aCol);
    // A title click asked for without the mouse (a screen reader's header action): what a
    // click (addKey false) or a Ctrl+click (addKey true) on the title of column aCol does,
    // with the one notification at once, as there is no Ctrl to release. It runs at the
    // next turn of the event loop, so that the asking client has its answer first; false
    // (and nothing happens) while the title is no button or the grid cannot take input.
    bool RequestTitleClick(int aCol, bool addKey);
    // The grid takes a title click that did not come from the mouse now: shown, enabled,
    // with titles, no press under way, no other modal window over it, and no search or
    // re-sort running.
    bool TitleClickAccepted() const;

    // --- navigation ---
    // Makes grid column gridCol current; direction (-1, 0, +1) skips hidden columns.
    void MoveToColumn(int gridCol, int direction);
    // Moves the current record by distance, one record at a time.
    void StepRecords(int distance);
    void NextRecord() { StepRecords(1); }
    void PriorRecord() { StepRecords(-1); }
    // The Tab step: the next (previous) tab-stop column, wrapping to the next (previous) record.
    void TabWalk(bool forward);

    // --- mouse tracking ---
    // A title press or cell tracking is under way.
    bool Tracking() const { return GridState() == TGridState::gsTitlePressed || CellTracking(); }
    // The current cell follows the mouse.
    bool CellTracking() const { return GridState() == TGridState::gsCellTracking; }
    // Automatic scrolling's timer interval in ms; -1 while it is stopped.
    int ScrollTimerInterval() const { return CellTracking() ? Timer1Interval() : -1; }
    // One step of automatic scrolling from the last tracked point.
    void AutoScrollStep();

    // --- painting helpers ---
    // Which area a cell belongs to (title, data ...) and its data column.
    TCellTypeEh GetCellType(int gridCol, int gridRow) const;
    // Whether the options give this cell a raised or sunken frame.
    bool CellHas3DFrame(int gridCol, int gridRow, TGridDrawState state) const;
    // The grid or its editor has the keyboard focus.
    bool FocusInGrid() const;

    // The current column's field while the dataset is open, or nullptr.
    TField* CurrentField() const;
    // The in-place editor's text for a cell: the field's edit text.
    QString GetEditText(int col, int row) const override;

    // The painter of the paint in progress, for the paint events (nullptr outside Paint).
    QPainter* Canvas() const { return paint_ ? &paint_->painter : nullptr; }

    // The user changed the sort markers (with dghAutoSortMarking).
    TNotifyEvent OnSortMarkingChanged;
    // A title button was clicked.
    TTitleEhClickEvent OnTitleBtnClick;
    // Asked whether a title acts as a button now; may say no.
    TCheckTitleEhBtnEvent OnCheckButton;
    // Before a data cell is drawn: may change its font and background.
    TGetCellEhParamsEvent OnGetCellParams;
    // After a data cell is drawn, only while the columns are generated from the fields.
    TDrawDataCellEvent OnDrawDataCell;
    // After a data cell is drawn; rect is the cell inside any 3D frame.
    TDrawColumnEhCellEvent OnDrawColumnCell;
    // Twice per title of a bound column: first for its background and sort marker, then for the caption's font.
    TGetBtnEhParamsEvent OnGetBtnParams;
    // A left click on a data cell / on a title (also at the end of a column move).
    TDBGridEhClickEvent OnCellClick;
    TDBGridEhClickEvent OnTitleClick;
    // The user sized a column.
    TNotifyEvent OnColWidthsChanged;
    // The user moved a column; the indexes are data-column indexes.
    TMovedEvent OnColumnMoved;
    // The current column is about to change / has changed.
    TNotifyEvent OnColExit;
    TNotifyEvent OnColEnter;

protected:
    friend class TDBGridEhScrollBar;

    // --- data link reactions ---
    virtual void LinkActive(bool active);
    virtual void DataChanged();
    virtual void Scroll(int distance);
    virtual void RecordChanged(TField* field);
    virtual void LayoutChangedFromLink();
    virtual void EditingChanged();
    virtual void UpdateData();
    virtual void FocusField(TField** field);
    virtual void ResetFromLink();
    void DefineFieldMap();

    // --- column reactions ---
    virtual void ColumnsChanged(TColumnEh* column);
    void ReconcileColumns();
    void RebuildVisibleColumnList();
    void ColWidthsChanged() override;

    // --- base grid overrides ---
    void DrawCell(int col, int row, const QRect& rect, TGridDrawState state) override;
    void EraseFailedCell(QPainter& painter, const QRect& rect, TGridDrawState state) override;
    void Paint(QPainter& painter, const QRegion& clip) override;
    void TopLeftChanged() override;
    void ClientResized() override;
    void VertScroll(TScrollCode code, int pos) override;
    bool CanEditShow() const override;
    void Notification(TComponent* component, TOperation operation) override;
    bool event(QEvent* event) override;

    // --- keyboard (DBGridEhKeyboard.cpp) ---
    void KeyDown(TVirtualKey& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void KeyUp(TVirtualKey& key, TShiftState shift) override;

    // --- mouse (DBGridEhMouse.cpp, DBGridEhTitlePress.cpp) ---
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void WheelStep(int direction, TShiftState shift) override;
    void TimerTick() override;
    void CancelMode() override;
    void FocusLeft() override;
    void ColumnMoved(int from, int to) override;
    // Whether the title of column aCol (a Columns index) acts as a button now.
    virtual void CheckTitleButton(int aCol, bool& enabled);
    // Raises OnTitleBtnClick.
    virtual void DoTitleBtnClick(int aCol, TColumnEh* column);

    // --- editor (DBGridEhEditor.cpp) ---
    TInplaceEdit* CreateEditor() override;
    void InvalidateEditor() override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

    // --- painting (DBGridEhPainting.cpp) ---
    // One cell: outer rectangle, inner rectangle (inside a 3D frame) and text offset.
    struct CellBox {
        QRect outer;
        QRect inner;
        int offset = 2;
    };
    // Returns true when the cell was drawn as a highlighted (sunken) fixed cell.
    bool DrawIndicatorCell(QPainter& painter, int gridRow, const CellBox& box);
    bool DrawTitleCell(QPainter& painter, int gridCol, const CellBox& box);
    void DrawDataCell(QPainter& painter, int gridCol, int gridRow, const CellBox& box, TGridDrawState state);
    // Fills the paint's cell parameters for the current record; the paint events may change them.
    void GetDataCellParams(TColumnEh* column, int gridCol, int gridRow, TGridDrawState state);
    // The default drawing of a data cell from the paint's cell parameters.
    void DrawDataCellContent(QPainter& painter, const CellBox& box, const TColumnEh& column);
    void DrawCheckboxCell(QPainter& painter, const QRect& rect, TCheckBoxState checkboxState);
    // Raises OnDrawDataCell and OnDrawColumnCell for a drawn data cell.
    void DataCellDrawn(const QRect& rect, int dataCol, TColumnEh* column, TGridDrawState state);
    void Draw3DFrame(QPainter& painter, const QRect& rect, bool sunken) const;
    // Lines of one region in one batch per direction, as far as they cross `limit`.
    void PaintLines(QPainter& painter, const QRect& area, const QRect& limit, int firstCol, int lastCol,
                    int firstRow, int lastRow, bool fixedRegion, const TGridDrawInfo& info);
    // Cells of one region.
    void PaintCells(const QRegion& clip, int firstCol, int lastCol, int firstRow,
                    int lastRow, bool fixedRegion, const TGridDrawInfo& info);
    // What one paint holds while it runs: Paint makes it on its stack and it goes when
    // Paint returns, so that no paint leaves scratch state behind for the next.
    struct PaintPass {
        explicit PaintPass(QPainter& target) : painter(target) {}
        QPainter& painter;            // the painter of this paint
        bool columnClipped = false;   // the painter clips to the column being painted
        TColCellParamsEh cellParams;  // reused for every data cell painted
    };
    // The paint in progress (nullptr outside Paint).
    PaintPass* paint_ = nullptr;

    // Raises UpdateLockCount for a scope (released also when a move fails): moves
    // inside it do not repaint at once.
    class UpdateLockScope {
    public:
        explicit UpdateLockScope(TCustomDBGridEh& grid) : grid_(grid) { ++grid_.updateLock_; }
        ~UpdateLockScope() { --grid_.updateLock_; }
        UpdateLockScope(const UpdateLockScope&) = delete;
        UpdateLockScope& operator=(const UpdateLockScope&) = delete;

    private:
        TCustomDBGridEh& grid_;
    };

    // --- input state ---
    QPoint mouseDownPoint_;  // the last press, then each cell-tracked point (clamped to the client)
    bool rightButtonAsLeft_ = false;  // a right press on a title went to the base grid as a left press
    bool inColumnExit_ = false;  // OnColExit is running

private:
    // --- the parts' view of the grid: TColumnGridEh, TDataLinkGridEh, TSelectionGridEh ---
    TCustomDBGridEh* DataGrid() override { return this; }
    const QFont& GridFont() const override { return Font(); }
    const QFont& GridTitleFont() const override { return TitleFont(); }
    TColor GridColor() const override { return Color(); }
    TColor GridFixedColor() const override { return FixedColor(); }
    bool GridReadOnly() const override { return ReadOnly(); }
    int GridDefaultColWidth() const override { return DefaultColWidth(); }
    bool GridDrawMemoText() const override { return DrawMemoText(); }
    bool GridMultiTitle() const override { return UseMultiTitle(); }
    const TColumnDefValuesEh& GridColumnDefValues() const override { return ColumnDefValues(); }
    TDataSet* GridDataSet() const override { return dataLink_->DataSet(); }
    bool GridLinkActive() const override { return dataLink_->Active(); }
    TComponent* GridFieldWatcher() override { return this; }
    bool GridLoading() const override { return Loading(); }
    bool GridDestroying() const override { return Destroying(); }
    bool GridLayoutFromLink() const override { return LayoutFromLink(); }
    void GridLockLayout() override { LockLayout(); }
    void GridUnlockLayout() override { UnlockLayout(); }
    void GridColumnsChanged(TColumnEh* column) override { ColumnsChanged(column); }
    void GridRequestLayout() override { RequestLayout(); }
    void GridInvalidate() override { InvalidateGrid(); }
    void GridColumnGone(TColumnEh& column) override { sortMarking_->Remove(column); }
    TComponent* LinkFieldWatcher() override { return this; }
    void LinkActiveChanged(bool active) override { LinkActive(active); }
    void LinkDataChanged() override { DataChanged(); }
    void LinkScrolled(int distance) override { Scroll(distance); }
    void LinkRecordChanged(TField* field) override { RecordChanged(field); }
    void LinkLayoutChanged() override { LayoutChangedFromLink(); }
    void LinkEditingChanged() override { EditingChanged(); }
    void LinkUpdateData() override { UpdateData(); }
    void LinkFocusField(TField** field) override { FocusField(field); }
    void LinkReset() override { ResetFromLink(); }
    TDataSet* SelectionDataSet() const override { return dataLink_->DataSet(); }
    bool SelectionLinkActive() const override { return dataLink_->Active(); }
    bool SelectionAllowed(TDBGridEhSelectionType type) const override { return SelectionTypeAllowed(type); }
    TColumnEh* SelectionColumn(int dataCol) const override
    {
        return dataCol >= 0 && dataCol < columns_->Count() ? columns_->Items(dataCol) : nullptr;
    }
    void SelectionInvalidate() override { InvalidateGrid(); }
    void SelectionCleared() override
    {
        if (options_.Contains(dgAlwaysShowEditor))
            ShowEditor();
    }
    // The base grid moved its current cell: accessibility clients hear of it.
    void CurrentCellMoved() override;

    // Checks (in builds with assertions) the layout invariants stated above.
    void AssertLayoutConsistent() const;
    // Key tables of KeyDown.
    void PlainKey(TVirtualKey key, TShiftState shift);
    void CtrlKey(TVirtualKey key);
    void EscapeKey();
    // Commits pending in-place text (the editor is read-only: nothing is ever pending).
    void CommitEditorText();
    bool HasSeveralDataColumns() const { return ColCount() - IndicatorColumns() > 1; }
    // Mouse steps.
    bool TakeFocusForPress();
    bool TitlePressStep(int gridCol, int x, int y);
    void TitleMoveStep(TShiftState shift, int x, int y);
    void TitleReleaseStep(TShiftState shift, int x, int y);
    // The click on a title, however made: OnTitleBtnClick, the marker cycled, and the
    // notification at once for a plain click or held for Ctrl's release for a Ctrl+click.
    void TitleClicked(int aCol, bool ctrl);
    void BaseTitlePress(TMouseButton button, TShiftState shift, int x, int y);
    void DataRowPress(TMouseButton button, TShiftState shift, int x, int y, TGridCoord cell);
    void TrackCell(int x, int y);
    void RaiseClickEvents(int x, int y);
    // The data cells' area: left/top inclusive, right/bottom exclusive.
    QRect DataArea() const;

    void WindowCreated();
    void MeasureRowHeights();
    void ApplyHorzScrollBarStyle();
    void RefreshColumnFonts();
    void HandleDeferredLayout();
    // Runs `paint` with window record `dataRow` made the link's active record.
    void PaintingCellOf(int dataRow, const std::function<void()>& paint);

    std::unique_ptr<TGridDataLinkEh> dataLink_;  // the link to the data source; its record window gives the data rows
    std::unique_ptr<TDBGridColumnsEh> columns_;  // the columns, persistent or generated from the fields
    std::unique_ptr<TSortMarkingEh> sortMarking_;  // the sort-marked columns, their numbers, the pending notification
    std::unique_ptr<TDBGridEhColumnDefValuesEh> columnDefValues_;  // defaults of unassigned column and title values
    std::unique_ptr<TDBGridEhSelection> selection_;  // the current selection (rows, rectangle, columns or all)
    TColumnsEhList visibleColumns_;  // visible columns in display order
    TDBGridEhScrollBar horzScrollBar_{this, TScrollBarKind::sbHorizontal};  // settings of the horizontal bar
    TVertDBGridEhScrollBar vertScrollBar_{this};  // settings of the vertical bar

    // What the grid shows and allows (titles, indicator, lines, editing, tabs ...).
    TDBGridOptions options_{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines,
                            dgRowLines, dgTabs, dgConfirmDelete, dgCancelOnExit};
    TDBGridEhOptions optionsEh_{dghFixed3D, dghHighlightFocus, dghClearSelection};  // the data grid's own options
    TDBGridEhAllowedSelections allowedSelections_{gstRecordBookmarks, gstRectangle, gstColumns, gstAll};  // the kinds of selection the user may make
    bool readOnly_ = false;  // no cell may be edited (unassigned columns follow)
    QFont titleFont_;  // font of the titles whose column assigns none
    QFont footerFont_;  // font of the footer rows
    bool parentFont_ = true;  // the fonts follow the parent widget's font
    bool settingParentFont_ = false;  // the parent's font is being copied (ParentFont stays on)
    TColor color_ = clWindow;  // background of the data cells
    TColor fixedColor_ = clBtnFace;  // background of the fixed cells
    TColor footerColor_ = clWindow;  // background of the footer rows
    int titleHeight_ = 0;  // extra title height in pixels (with titleLines_: a taller title row)
    int titleLines_ = 0;  // text lines of the title row; 0: one line, sized by the title font
    int rowHeight_ = 0;  // extra data row height in pixels (with rowLines_)
    int rowLines_ = 0;  // text lines per data row; 0 with rowHeight_ 0: one line
    int vTitleMargin_ = 10;  // vertical title margin for multi-line titles
    int titleTextMargin_ = 4;  // space around a title's text: 2 when flat, 4 otherwise
    int computedTitleHeight_ = 0;  // title row height from titleLines_ and titleHeight_ at the last rebuild
    int titleRowHeight_ = 0;  // the title row's height as last set
    bool flat_ = false;  // fixed cells without the 3D frame
    int frozenCols_ = 0;  // data columns that stay at the left while scrolling
    bool drawMemoText_ = false;  // memo fields show their whole text
    bool defaultDrawing_ = true;  // the grid draws data cells itself before OnDrawColumnCell
    bool multiLineRows_ = false;  // data rows are tall enough for wrapped text
    int indicatorColumns_ = 1;  // 1 with the indicator column (dgIndicator), else 0
    int titleRows_ = 1;  // 1 with the title row (dgTitles), else 0
    int layoutLock_ = 0;  // depth of open layout batches (LockLayout)
    int updateLock_ = 0;  // depth of open update locks; moves inside repaint later
    bool layoutInProgress_ = false;  // RebuildLayout is running
    bool layoutFromLink_ = false;  // a layout change from the data link is being handled
    bool atFirstScrollableColumn_ = true;  // the left column was the first scrollable one at the last scroll
    int lastVisibleMode_ = -1;  // the vertical bar's visible mode at its last update; -1: never updated
    bool thumbTracked_ = false;  // a thumb drag already moved the record, so its release does not
    int indicatorRow_ = -1;  // grid row where the indicator arrow was last drawn; -1: none
    bool deferredLayoutQueued_ = false;  // the deferred layout message is posted and not yet handled
    bool notifyingSortMarking_ = false;  // DoSortMarkingChanged is running (a re-sort may turn an event loop)
    std::vector<bool> tabStops_;  // per grid column: takes part in tabbing
};

class TDBGridEh : public TCustomDBGridEh {
public:
    explicit TDBGridEh(QWidget* parent = nullptr) : TCustomDBGridEh(parent) {}
};

}  // namespace qelvor
