// DBGridEh: the data-aware grid. One data column per TColumnEh, one data row per
// record of the data link's record window; a title row and an indicator column as
// fixed cells; a vertical scroll bar driven by the dataset's position, not by rows.
//
// Its state lives in DBGridEhPrivate.h, which also lists the implementation files.
//
// Invariants outside a rebuild: ColCount == Columns().Count() + IndicatorColumns();
// RowCount == TitleRows() + max(1, records shown); TopRow == TitleRows(); data row r
// (grid row TitleRows() + r) shows record r of the link's window; the current row is
// TitleRows() + the link's active record while the link is active.
#pragma once

#include <memory>

#include <QEvent>
#include <QFont>

#include "runtime/Component.h"
#include "grid/ColumnDefValuesEh.h"
#include "grid/ColumnsEh.h"
#include "grid/CustomGrid.h"
#include "grid/DBGridEhEvents.h"
#include "grid/DBGridEhScrollBar.h"
#include "grid/DBGridEhSelection.h"
#include "grid/GridDataLinkEh.h"
#include "grid/GridSets.h"
#include "grid/SortMarking.h"
#include "grid/SystemColors.h"

namespace qelvor {

// The deferred layout message, the grid's private window message (WM_USER + 100).
inline constexpr QEvent::Type kDeferredLayoutEvent = static_cast<QEvent::Type>(QEvent::User + 100);

class TDataSource;

class TCustomDBGridEh : public TCustomGrid, public TComponent {
public:
    explicit TCustomDBGridEh(QWidget* parent = nullptr);
    ~TCustomDBGridEh() override;

    // --- data ---
    TDataSource* DataSource() const; void SetDataSource(TDataSource* dataSource);
    // The link through which the grid follows the data source's dataset.
    TGridDataLinkEh& DataLink();
    const TGridDataLinkEh& DataLink() const;
    // No cell may be edited; unassigned columns follow.
    bool ReadOnly() const; void SetReadOnly(bool readOnly);
    // What the grid shows and allows (titles, indicator, lines, tabs ...); a change rebuilds the layout.
    TDBGridOptions Options() const; void SetOptions(TDBGridOptions options);
    TDBGridEhOptions OptionsEh() const; void SetOptionsEh(TDBGridEhOptions options);
    TDBGridEhEvents& Events();  // the grid's events

    // --- columns ---
    // The columns: persistent ones as added, or generated from the fields while none is.
    TDBGridColumnsEh& Columns();
    const TDBGridColumnsEh& Columns() const;
    // Values unassigned columns and titles take.
    TDBGridEhColumnDefValuesEh& ColumnDefValues();
    const TDBGridEhColumnDefValuesEh& ColumnDefValues() const;
    const TColumnsEhList& VisibleColumnList() const;  // visible columns in display order
    // Marked columns in sort priority order (entry i has SortIndex i + 1).
    const TColumnsEhList& SortMarkedColumnList() const;
    // The columns' sort marking, which the titles' SortMarker and SortIndex read and write.
    TSortMarkingEh& SortMarking();
    // Rebuilds SortMarkedColumnList from the titles' markers and SortIndex values.
    void RebuildSortMarkedColumnList();
    // Grid column <-> index in Columns(): they differ by the indicator column.
    int ToDataColumn(int gridCol) const { return gridCol - IndicatorColumns(); }
    int ToGridColumn(int dataCol) const { return dataCol + IndicatorColumns(); }

    // --- fonts and colours (assigning one rebuilds the layout or repaints) ---
    const QFont& Font() const { return font(); }
    void SetFont(const QFont& font);  // the cell font; unassigned column fonts follow
    const QFont& TitleFont() const; void SetTitleFont(const QFont& font);  // of titles assigning none
    const QFont& FooterFont() const; void SetFooterFont(const QFont& font);
    bool ParentFont() const; void SetParentFont(bool parentFont);  // fonts follow the parent's till one is set
    TColor Color() const; void SetColor(TColor color);  // background of the data cells
    TColor FixedColor() const; void SetFixedColor(TColor color);  // background of the fixed cells
    TColor FooterColor() const; void SetFooterColor(TColor color);  // background of the footer rows

    // --- geometry properties ---
    // Title row and data rows: extra pixels and text lines (both 0: one line of the font).
    int TitleHeight() const; void SetTitleHeight(int height);
    int TitleLines() const; void SetTitleLines(int lines);
    int RowHeight() const; void SetRowHeight(int height);
    int RowLines() const; void SetRowLines(int lines);
    int VTitleMargin() const; void SetVTitleMargin(int margin);  // vertical margin of multi-line titles
    bool Flat() const; void SetFlat(bool flat);  // fixed cells without the 3D frame, with narrower title margins
    int FrozenCols() const; void SetFrozenCols(int count);  // data columns that never scroll
    // Multi-line titles and automatic column widths are not offered.
    bool UseMultiTitle() const { return false; }
    bool AutoFitColWidths() const { return false; }
    bool DrawMemoText() const; void SetDrawMemoText(bool value);  // memo fields show their whole text
    bool DefaultDrawing() const; void SetDefaultDrawing(bool value);  // cells drawn before OnDrawColumnCell
    TDBGridEhScrollBar& HorzScrollBar();
    TVertDBGridEhScrollBar& VertScrollBar();

    // --- derived geometry ---
    int IndicatorColumns() const;  // 1 with the indicator column, else 0
    int TitleRows() const;  // 1 with the title row, else 0
    int TitleTextMargin() const;  // space around a title's text
    int ComputedTitleHeight() const;  // the title row's height from TitleLines/TitleHeight
    int DataRowPitch() const;  // default row height plus the line when dgRowLines is set
    int VisibleDataRows() const;  // fully visible data rows from the top row
    bool TabStop(int gridCol) const;  // the column takes part in tabbing (editable, visible, bound)
    bool LayoutInProgress() const;  // RebuildLayout is running
    bool LayoutFromLink() const;  // a layout change reported by the data link is being handled
    int LayoutLockCount() const;  // depth of the open layout batches
    int UpdateLockCount() const;  // depth of the open update locks

    // --- layout control ---
    void LockLayout();  // enters a layout batch (the outermost one also opens a columns update)
    void UnlockLayout();  // leaves a batch; the outermost one rebuilds the layout
    void RequestLayout();  // rebuilds now unless a batch or an update lock is open
    void DeferLayout();  // leaves a batch; the rebuild comes through the posted message
    // Counts, widths, heights and the current row from the columns and the link (not while loading).
    void RebuildLayout();
    // Brackets the reading of a stored layout (Loading state); EndLoad settles it.
    void BeginLoad();
    void EndLoad();
    void ChangeScale(int m, int d);  // scales widths (and assigned fonts) by m/d, cumulatively

    // --- record window ---
    void UpdateRowCount();  // sizes the rows and the link's record window to the client height
    void UpdateActive();  // moves the current row to the link's active record
    void UpdateVertScrollBar();  // sets the vertical bar from the dataset's position
    void SetColumnAttributes();  // every column's width and tab stop from its column object

    // --- selection ---
    TDBGridEhAllowedSelections AllowedSelections() const;  // kinds the user may make (dgMultiSelect)
    void SetAllowedSelections(TDBGridEhAllowedSelections selections);
    TDBGridEhSelection& Selection();
    const TDBGridEhSelection& Selection() const;
    TBookmarkListEh& SelectedRows();
    // A selection of `type` may start now (options and AllowedSelections agree).
    bool SelectionTypeAllowed(TDBGridEhSelectionType type) const;
    void ClearSelection();  // drops the selection (with dghClearSelection) and repaints
    bool Selecting() const { return false; }  // the user is extending a selection (never: no drag selection)

    // --- sort marking and title presses ---
    virtual void DoSortMarkingChanged();  // raises OnSortMarkingChanged (with dghAutoSortMarking)
    // Grid column of the pressed title (-1: none) and whether it is drawn down.
    int PressedTitleCol() const;
    bool TitleButtonDown() const;
    // A Ctrl+click changed the markers and the notification waits for Ctrl's release.
    bool SortMarkingChangePending() const;
    void TrackTitleButton(int x, int y);  // draws the pressed title down while (x, y) is on it
    void StopTracking();  // ends a title press or cell tracking: timer, pressed look and capture go
    bool TitleButtonEnabled(int aCol);  // whether the title of column aCol acts as a button now
    // A click (addKey: a Ctrl+click) on the title of column aCol asked for without the
    // mouse, e.g. by a screen reader (DBGridEhTitleRow.cpp); false when it is not taken.
    bool RequestTitleClick(int aCol, bool addKey);
    bool TitleClickAccepted() const;  // a title click not from the mouse is taken now

    // --- navigation ---
    // Makes grid column gridCol current; direction (-1, 0, +1) skips hidden columns.
    void MoveToColumn(int gridCol, int direction);
    void StepRecords(int distance);  // moves the current record by distance, one at a time
    void NextRecord() { StepRecords(1); }
    void PriorRecord() { StepRecords(-1); }
    // The Tab step: the next (previous) tab-stop column, wrapping to the next (previous) record.
    void TabWalk(bool forward);

    // --- mouse tracking: a title press or cell tracking (the current cell follows the mouse) ---
    bool Tracking() const { return GridState() == TGridState::gsTitlePressed || CellTracking(); }
    bool CellTracking() const { return GridState() == TGridState::gsCellTracking; }
    // Automatic scrolling's timer interval in ms; -1 while it is stopped.
    int ScrollTimerInterval() const { return CellTracking() ? Timer1Interval() : -1; }
    void AutoScrollStep();  // one step of automatic scrolling from the last tracked point

    bool FocusInGrid() const;  // the grid or its editor has the keyboard focus
    TField* CurrentField() const;  // the current column's field while the dataset is open
    QString GetEditText(int col, int row) const override;  // the field's edit text
    QPainter* Canvas() const;  // the painter of the paint in progress (nullptr outside Paint)

protected:
    // --- base grid overrides ---
    void DrawCell(int col, int row, const QRect& rect, TGridDrawState state) override;
    void EraseFailedCell(QPainter& painter, const QRect& rect, TGridDrawState state) override;
    void Paint(QPainter& painter, const QRegion& clip) override;
    void TopLeftChanged() override;
    void ClientResized() override;
    void VertScroll(TScrollCode code, int pos) override;
    bool CanEditShow() const override;
    void ColWidthsChanged() override;
    void Notification(TComponent* component, TOperation operation) override;
    bool event(QEvent* event) override;
    void KeyDown(TVirtualKey& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void KeyUp(TVirtualKey& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void WheelStep(int direction, TShiftState shift) override;
    void TimerTick() override;
    void CancelMode() override;
    void FocusLeft() override;
    void ColumnMoved(int from, int to) override;
    TInplaceEdit* CreateEditor() override;
    void InvalidateEditor() override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

    // Whether the title of column aCol (a Columns index) acts as a button now.
    virtual void CheckTitleButton(int aCol, bool& enabled);
    virtual void DoTitleBtnClick(int aCol, TColumnEh* column);  // raises OnTitleBtnClick

    // A column (nullptr: all of them) changed.
    virtual void ColumnsChanged(TColumnEh* column);

private:
    // The base grid moved its current cell: accessibility clients hear of it.
    void CurrentCellMoved() override;

    struct Private;
    class Parts;
    class TitleRow;  // the title buttons: press, pressed look, click, paint (DBGridEhTitleRow.h)
    class Painter;  // one paint (DBGridEhPainter.h)
    class KeyTable;  // what the keys do (DBGridEhKeyboard.cpp)
    void CommitEditorText();  // the editor is read-only: nothing is ever pending
    class UpdateLockScope;

    void WindowCreated();
    void AssertLayoutConsistent() const;  // the layout invariants above (builds with assertions)
    // Layout and columns (DBGridEhLayout.cpp, DBGridEhColumns.cpp).
    void DefineFieldMap();
    void ReconcileColumns();
    void RebuildVisibleColumnList();
    void MeasureRowHeights();
    void ApplyHorzScrollBarStyle();
    void RefreshColumnFonts();
    void HandleDeferredLayout();
    class CellPress;  // a press on the data cells (DBGridEhMouse.cpp)
    // Gives the columns' sort marking the grid's rule for several markers.
    void ConnectSortMarking();
    void BaseTitlePress(TMouseButton button, TShiftState shift, int x, int y);

    std::unique_ptr<Private> d_;  // the grid's state (DBGridEhPrivate.h)
};

class TDBGridEh : public TCustomDBGridEh {
public:
    explicit TDBGridEh(QWidget* parent = nullptr) : TCustomDBGridEh(parent) {}
};

}  // namespace qelvor
