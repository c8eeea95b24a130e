// ColumnEh: one data grid column — its field binding, width, font, colour, alignment
// and the other per-column values, each either assigned (bit set in ExplicitValues) or
// taken from the bound field or the grid (the effective value).
//
// The field is bound lazily by FieldName (case-insensitive; a missing name is no
// error). A column outside a collection of a grid has no grid and falls back to fixed
// defaults. Every setter ends in a change notification to the grid, none when the
// value was assigned already. The grid is reached only through TColumnGridEh, the
// collection only through TColumnOwnerEh; the title reaches the column only through
// TColumnTitleOwnerEh.
//
// Invariants: a value whose ExplicitValues bit is clear is never read (the default
// is); Title() is never null; a column with a grid belongs to its Columns().
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QFont>

#include "data/Field.h"
#include "grid/AssignedValueEh.h"
#include "grid/ColCellParamsEh.h"
#include "grid/ColumnEhValues.h"
#include "grid/ColumnOwnerEh.h"
#include "grid/ColumnTitleEh.h"
#include "grid/ColumnTitleOwnerEh.h"
#include "grid/GridSets.h"
#include "grid/SystemColors.h"

namespace qelvor {

class TColumnGridEh;
class TDBGridColumnsEh;
class TCustomDBGridEh;

class TColumnEh : private TColumnTitleOwnerEh {
public:
    using TGetColCellParamsEvent = std::function<void(TColumnEh& sender, bool editMode, TColCellParamsEh& params)>;

    virtual ~TColumnEh();
    TColumnEh(const TColumnEh&) = delete;
    TColumnEh& operator=(const TColumnEh&) = delete;

    // The collection holding the column, its grid (nullptr without one) and its index.
    TDBGridColumnsEh* Collection() const { return owner_ ? owner_->OwnerCollection() : nullptr; }
    TCustomDBGridEh* Grid() const;
    int Index() const;
    // Moves the column to another index of its collection.
    void SetIndex(int index);

    // --- binding ---
    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(const std::string& name);
    // The bound field, resolving it by FieldName first when needed.
    TField* Field() const { return ResolveField(); }
    TField* ResolveField() const;
    TField* BoundField() const { return boundField_; }
    virtual void SetBoundField(TField* field);
    bool Persistent() const { return persistent_; }
    bool IsGenerated() const { return !persistent_; }

    // --- effective values ---
    TAlignment Alignment() const;
    virtual void SetAlignment(TAlignment alignment);
    TColor Color() const;
    void SetColor(TColor color);
    const QFont& Font() const;
    // Assigns a font of the column's own (marks Font assigned).
    void SetFont(const QFont& font);
    bool ReadOnly() const;
    virtual void SetReadOnly(bool value);
    int Width() const;
    virtual void SetWidth(int width);
    bool WordWrap() const;
    virtual void SetWordWrap(bool value);
    bool EndEllipsis() const;
    void SetEndEllipsis(bool value);
    bool ToolTips() const;
    void SetToolTips(bool value);
    bool Checkboxes() const;
    void SetCheckboxes(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Width from the field's DisplayWidth and the column font; 64 without a grid.
    int DefaultWidth() const;
    // The proposal clamped to MaxWidth and MinWidth.
    int AllowableWidth(int proposed) const;
    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int width);
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int width);

    // --- plain stored values ---
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& format);
    long double Increment() const { return increment_; }
    void SetIncrement(long double value) { increment_ = value; }
    int NotInKeyListIndex() const { return notInKeyListIndex_; }
    void SetNotInKeyListIndex(int index) { notInKeyListIndex_ = index; }
    // Pick and key lists (created on first use).
    std::vector<std::string>& PickList();
    std::vector<std::string>& KeyList();
    bool HasPickList() const { return pickList_ && !pickList_->empty(); }
    bool HasKeyList() const { return keyList_ && !keyList_->empty(); }

    TColumnTitleEh* Title() const { return title_.get(); }
    TColumnEhValues ExplicitValues() const { return explicitValues_; }
    TColumnEhKind ColumnKind() const;

    // Text of the cell for the dataset's current record.
    std::string ColumnDisplayText() const;
    // Clears every assigned value (the title's first).
    virtual void RestoreDefaults();
    // Reports a change of this column (or of all columns) to the grid.
    void ColumnChanged(bool allColumns);
    // Name shown for the column: FieldName, or a generic name when empty.
    std::string DisplayName() const;
    // The check box look of the current record's value (null: grayed).
    TCheckBoxState CheckboxState() const;

    // Raised before a data cell of this column is drawn, after the grid's own event.
    TGetColCellParamsEvent OnGetCellParams;

    // Storage tests.
    bool IsAlignmentStored() const;
    bool IsColorStored() const;
    bool IsFontStored() const;
    bool IsReadOnlyStored() const;
    bool IsWidthStored() const;
    bool IsWordWrapStored() const;
    bool IsEndEllipsisStored() const;
    bool IsToolTipsStored() const;
    bool IsCheckboxesStored() const;
    bool IsIncrementStored() const { return increment_ != 1.0L; }

    // Values the column takes when nothing is assigned.
    TAlignment DefaultAlignment() const;
    TColor DefaultColor() const;
    bool DefaultReadOnly() const;
    bool DefaultWordWrap() const;
    bool DefaultEndEllipsis() const;
    bool DefaultToolTips() const;
    bool DefaultCheckboxes() const;

protected:
    // A column of `owner` (nullptr: none); persistent: stored, not generated from a field.
    TColumnEh(TColumnOwnerEh* owner, bool persistent);

private:
    // --- what the title needs of its column (TColumnTitleOwnerEh) ---
    TColumnEh* TitleColumn() override { return this; }
    TColumnEhValues& TitleBits() override { return explicitValues_; }
    TColumnGridEh* TitleGrid() const override { return GridLink(); }
    std::string TitleFallbackCaption() const override;
    bool TitleWriteCaptionThrough(const std::string& caption) override;
    const QFont& TitleFallbackFont() const override { return Font(); }
    TSortMarkingEh& TitleSortMarking() override;
    void TitleChanged(bool allColumns) override { ColumnChanged(allColumns); }

    // The grid as the column sees it (nullptr without one).
    TColumnGridEh* GridLink() const;
    void SetExplicit(TColumnEhValue value, bool on);
    bool Assigned(TColumnEhValue value) const { return explicitValues_.Contains(value); }
    void RefreshDefaultFont() const;
    const QFont& DefaultFontSource() const;
    // Generated columns write some values through to their field.
    bool WritesThrough() const;

    TColumnOwnerEh* owner_;  // the collection holding the column, as the column sees it (nullptr: none, so no grid)
    TColumnEhValues explicitValues_;  // which values of the column and its title are assigned
    TAssignedValueEh<TAlignment, cvAlignment> alignment_{TAlignment::taLeftJustify};  // assigned cell alignment
    TAssignedValueEh<TColor, cvColor> color_{clWindow};  // assigned cell background
    std::string displayFormat_;  // format of numbers and dates in the cells ("" : the field's text)
    mutable TField* boundField_ = nullptr;  // the field shown; bound lazily by the const readers
    mutable std::string fieldName_;  // name of the field to show; takes the bound field's spelling
    mutable QFont font_;  // assigned font, or the copy of the grid's font the readers refresh
    long double increment_ = 1.0L;  // step of a spin editor
    std::unique_ptr<std::vector<std::string>> keyList_;  // keys the pick list's entries stand for (made on first use)
    std::unique_ptr<std::vector<std::string>> pickList_;  // texts offered and shown for the keys (made on first use)
    int maxWidth_ = 0;  // widest the column may be made (0: no limit)
    int minWidth_ = 0;  // narrowest the column may be made (0: no limit)
    int notInKeyListIndex_ = -1;  // pick list entry shown for a key not in the key list (-1: empty text)
    TAssignedValueEh<bool, cvReadOnly> readOnly_{false};  // assigned read-only state
    bool persistent_ = true;  // added as a stored column, not generated from a field
    std::unique_ptr<TColumnTitleEh> title_;  // the column's title (never null)
    bool visible_ = true;  // the grid shows the column
    TAssignedValueEh<int, cvWidth> width_{0};  // assigned width in pixels, clamped to Min/MaxWidth
    TAssignedValueEh<bool, cvWordWrap> wordWrap_{false};  // assigned word wrapping of cell text
    TAssignedValueEh<bool, cvEndEllipsis> endEllipsis_{false};  // assigned ellipsis at clipped text
    TAssignedValueEh<bool, cvToolTips> toolTips_{false};  // assigned tool tips on clipped text
    TAssignedValueEh<bool, cvCheckboxes> checkboxes_{false};  // assigned check box look
};

// A field's text under a column display format (see FieldFormat.h): numeric and
// date-time fields formatted by it, any other field empty; an empty format gives the
// field's display text.
std::string FormatFieldValue(const TField& field, const std::string& format);

// The published column class; every column the grid creates is one. Its collection
// makes it, handing over itself as the column's owner.
class TDBGridColumnEh : public TColumnEh {
public:
    explicit TDBGridColumnEh(TColumnOwnerEh* owner, bool persistent = true) : TColumnEh(owner, persistent) {}
};

}  // namespace qelvor
