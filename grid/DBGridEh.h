// DBGridEh: the data-aware grid. One data column per TColumnEh, one data row per
// record of the data link's record window; a title row and an indicator column as
// fixed cells; a vertical scroll bar driven by the dataset's position, not by rows.
//
// The implementation is split by concern: DBGridEh.cpp (construction, properties),
// DBGridEhLayout.cpp (layout batches, RebuildLayout, row count), DBGridEhColumns.cpp
// (column reconciliation and change notification), DBGridEhLinkReactions.cpp (data
// link reactions), DBGridEhScrolling.cpp (vertical bar and scroll codes),
// DBGridEhPainting.cpp, DBGridEhCellText.cpp, DBGridEhSortMarking.cpp and
// DBGridEhSelection.cpp.
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

#include "runtime/Component.h"
#include "grid/ColCellParamsEh.h"
#include "grid/ColumnDefValuesEh.h"
#include "grid/ColumnsEh.h"
#include "grid/CustomGrid.h"
#include "grid/DBGridEhSelection.h"
#include "grid/GridDataLinkEh.h"
#include "grid/GridSets.h"
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

class TCustomDBGridEh : public TCustomGrid, public TComponent {
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

    explicit TCustomDBGridEh(QWidget* parent = nullptr);
    ~TCustomDBGridEh() override;

    // --- data ---
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* dataSource);
    TGridDataLinkEh& DataLink() { return *dataLink_; }
    const TGridDataLinkEh& DataLink() const { return *dataLink_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);

    // --- options ---
    TDBGridOptions Options() const { return options_; }
    void SetOptions(TDBGridOptions options);
    TDBGridEhOptions OptionsEh() const { return optionsEh_; }
    void SetOptionsEh(TDBGridEhOptions options);

    // --- columns ---
    TDBGridColumnsEh& Columns() { return *columns_; }
    const TDBGridColumnsEh& Columns() const { return *columns_; }
    TDBGridEhColumnDefValuesEh& ColumnDefValues() { return *columnDefValues_; }
    const TDBGridEhColumnDefValuesEh& ColumnDefValues() const { return *columnDefValues_; }
    const TColumnsEhList& VisibleColumnList() const { return visibleColumns_; }
    // Marked columns in sort priority order (entry i has SortIndex i + 1).
    const TColumnsEhList& SortMarkedColumnList() const { return sortMarkedColumns_; }
    TColumnsEhList& SortMarkedColumnListRef() { return sortMarkedColumns_; }
    // Rebuilds SortMarkedColumnList from the titles' SortIndex values.
    void RebuildSortMarkedColumnList();
    int ToDataColumn(int gridCol) const { return gridCol - IndicatorColumns(); }
    int ToGridColumn(int dataCol) const { return dataCol + IndicatorColumns(); }

    // --- fonts and colours ---
    const QFont& Font() const { return font(); }
    // Sets the grid's cell font (unassigned column fonts follow; the layout is rebuilt).
    void SetFont(const QFont& font);
    const QFont& TitleFont() const { return titleFont_; }
    void SetTitleFont(const QFont& font);
    const QFont& FooterFont() const { return footerFont_; }
    void SetFooterFont(const QFont& font);
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool parentFont);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor color);
    TColor FooterColor() const { return footerColor_; }
    void SetFooterColor(TColor color);

    // --- geometry properties ---
    int TitleHeight() const { return titleHeight_; }
    void SetTitleHeight(int height);
    int TitleLines() const { return titleLines_; }
    void SetTitleLines(int lines);
    int RowHeight() const { return rowHeight_; }
    void SetRowHeight(int height);
    int RowLines() const { return rowLines_; }
    void SetRowLines(int lines);
    int VTitleMargin() const { return vTitleMargin_; }
    void SetVTitleMargin(int margin);
    bool Flat() const { return flat_; }
    void SetFlat(bool flat);
    int FrozenCols() const { return frozenCols_; }
    void SetFrozenCols(int count);
    int FooterRowCount() const { return footerRowCount_; }
    bool UseMultiTitle() const { return false; }
    bool AutoFitColWidths() const { return false; }
    bool DrawMemoText() const { return drawMemoText_; }
    void SetDrawMemoText(bool value) { drawMemoText_ = value; }
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool value) { defaultDrawing_ = value; }
    TDBGridEhScrollBar& HorzScrollBar() { return horzScrollBar_; }
    TVertDBGridEhScrollBar& VertScrollBar() { return vertScrollBar_; }

    // --- derived geometry ---
    int IndicatorColumns() const { return indicatorColumns_; }
    int TitleRows() const { return titleRows_; }
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
    bool LayoutInProgress() const { return layoutInProgress_; }
    // True while a layout change reported by the data link is being handled.
    bool LayoutFromLink() const { return layoutFromLink_; }
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
    void RebuildLayout();
    // Brackets the reading of a stored layout (Loading state); EndLoad settles it.
    void BeginLoad();
    void EndLoad();
    // Scales column widths (and assigned fonts) by m/d, cumulatively.
    void ChangeScale(int m, int d);

    // --- record window ---
    void UpdateRowCount();
    void UpdateActive();
    void UpdateVertScrollBar();
    void SetColumnAttributes();

    // --- selection ---
    TDBGridEhAllowedSelections AllowedSelections() const { return allowedSelections_; }
    void SetAllowedSelections(TDBGridEhAllowedSelections selections);
    TDBGridEhSelection& Selection() { return *selection_; }
    const TDBGridEhSelection& Selection() const { return *selection_; }
    TBookmarkListEh& SelectedRows() { return *selectedRows_; }
    bool SelectionTypeAllowed(TDBGridEhSelectionType type) const;
    void ClearSelection();
    bool Selecting() const { return selecting_; }

    // --- sort marking ---
    // Raises OnSortMarkingChanged (only with dghAutoSortMarking).
    virtual void DoSortMarkingChanged();
    int PressedTitleCol() const { return pressedTitleCol_; }
    bool TitleButtonDown() const { return titleButtonDown_; }

    // --- painting helpers ---
    TCellTypeEh GetCellType(int gridCol, int gridRow) const;
    bool CellHas3DFrame(int gridCol, int gridRow, TGridDrawState state) const;
    // The grid or its editor has the keyboard focus.
    bool FocusInGrid() const;

    // The in-place editor's text for a cell: the field's edit text.
    QString GetEditText(int col, int row) const override;

    // The painter of the paint in progress, for the paint events (nullptr outside Paint).
    QPainter* Canvas() const { return activePainter_; }

    TNotifyEvent OnSortMarkingChanged;
    TTitleEhClickEvent OnTitleBtnClick;
    TCheckTitleEhBtnEvent OnCheckButton;
    // Before a data cell is drawn: may change its font and background.
    TGetCellEhParamsEvent OnGetCellParams;
    // After a data cell is drawn, only while the columns are generated from the fields.
    TDrawDataCellEvent OnDrawDataCell;
    // After a data cell is drawn; rect is the cell inside any 3D frame.
    TDrawColumnEhCellEvent OnDrawColumnCell;
    // Twice per title of a bound column: first for its background and sort marker, then for the caption's font.
    TGetBtnEhParamsEvent OnGetBtnParams;

protected:
    friend class TGridDataLinkEh;
    friend class TDBGridColumnsEh;
    friend class TColumnTitleDefValuesEh;
    friend class TColumnDefValuesEh;
    friend class TBookmarkListEh;
    friend class TDBGridEhSelection;
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
    void Paint(QPainter& painter, const QRegion& clip) override;
    void TopLeftChanged() override;
    void ClientResized() override;
    void VertScroll(TScrollCode code, int pos) override;
    bool CanEditShow() const override;
    void Notification(TComponent* component, TOperation operation) override;
    bool event(QEvent* event) override;
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
    // Fills cellParams_ for the current record and lets the paint events change it.
    void GetDataCellParams(TColumnEh* column, int gridCol, int gridRow, TGridDrawState state);
    // The default drawing of a data cell from cellParams_.
    void DrawDataCellContent(QPainter& painter, const CellBox& box, const TColumnEh& column);
    void DrawCheckboxCell(QPainter& painter, const QRect& rect, TCheckBoxState checkboxState);
    // Raises OnDrawDataCell and OnDrawColumnCell for a drawn data cell.
    void DataCellDrawn(const QRect& rect, int dataCol, TColumnEh* column, TGridDrawState state);
    void Draw3DFrame(QPainter& painter, const QRect& rect, bool sunken) const;
    // Lines of one region in one batch per direction.
    void PaintLines(QPainter& painter, const QRect& area, int firstCol, int lastCol, int firstRow,
                    int lastRow, bool fixedRegion, const TGridDrawInfo& info);
    // Cells of one region.
    void PaintCells(const QRegion& clip, int firstCol, int lastCol, int firstRow,
                    int lastRow, bool fixedRegion, const TGridDrawInfo& info);
    // The painter of the paint in progress (nullptr outside Paint).
    QPainter* activePainter_ = nullptr;
    // True while the painter clips to the column being painted.
    bool columnClipped_ = false;
    // Reused for every data cell painted.
    TColCellParamsEh cellParams_;

    // --- title press state (driven by mouse handling) ---
    int pressedTitleCol_ = -1;
    bool titleButtonDown_ = false;
    bool tracking_ = false;
    bool sortMarkingChangePending_ = false;

private:
    void WindowCreated();
    void MeasureRowHeights();
    void ApplyHorzScrollBarStyle();
    void RefreshColumnFonts();
    void HandleDeferredLayout();
    // Runs `paint` with window record `dataRow` made the link's active record.
    void PaintingCellOf(int dataRow, const std::function<void()>& paint);

    std::unique_ptr<TGridDataLinkEh> dataLink_;
    std::unique_ptr<TDBGridColumnsEh> columns_;
    std::unique_ptr<TDBGridEhColumnDefValuesEh> columnDefValues_;
    std::unique_ptr<TDBGridEhSelection> selection_;
    std::unique_ptr<TBookmarkListEh> selectedRows_;
    TColumnsEhList visibleColumns_;
    TColumnsEhList sortMarkedColumns_;
    TDBGridEhScrollBar horzScrollBar_{this, TScrollBarKind::sbHorizontal};
    TVertDBGridEhScrollBar vertScrollBar_{this};

    TDBGridOptions options_{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines,
                            dgRowLines, dgTabs, dgConfirmDelete, dgCancelOnExit};
    TDBGridEhOptions optionsEh_{dghFixed3D, dghHighlightFocus, dghClearSelection};
    TDBGridEhAllowedSelections allowedSelections_{gstRecordBookmarks, gstRectangle, gstColumns, gstAll};
    bool readOnly_ = false;
    QFont titleFont_;
    QFont footerFont_;
    bool parentFont_ = true;
    bool settingParentFont_ = false;
    TColor color_ = clWindow;
    TColor fixedColor_ = clBtnFace;
    TColor footerColor_ = clWindow;
    int titleHeight_ = 0;
    int titleLines_ = 0;
    int rowHeight_ = 0;
    int rowLines_ = 0;
    int vTitleMargin_ = 10;
    int titleTextMargin_ = 4;
    int computedTitleHeight_ = 0;
    int titleRowHeight_ = 0;
    bool flat_ = false;
    int frozenCols_ = 0;
    int footerRowCount_ = 0;
    bool drawMemoText_ = false;
    bool defaultDrawing_ = true;
    bool multiLineRows_ = false;
    int indicatorColumns_ = 1;
    int titleRows_ = 1;
    int layoutLock_ = 0;
    int updateLock_ = 0;
    bool layoutInProgress_ = false;
    bool layoutFromLink_ = false;
    bool atFirstScrollableColumn_ = true;
    int lastVisibleMode_ = -1;
    bool thumbTracked_ = false;
    bool selecting_ = false;
    int indicatorRow_ = -1;
    bool deferredLayoutQueued_ = false;
    std::vector<bool> tabStops_;
};

class TDBGridEh : public TCustomDBGridEh {
public:
    explicit TDBGridEh(QWidget* parent = nullptr) : TCustomDBGridEh(parent) {}
};

}  // namespace qelvor
