// ColumnEh: one data grid column — its field binding, width, font, colour, alignment
// and the other per-column values, each either assigned (bit set in ExplicitValues) or
// taken from the bound field or the grid (the effective value).
//
// The field is bound lazily by FieldName (case-insensitive; a missing name is no
// error). A column outside a collection of a grid has no grid and falls back to fixed
// defaults. Every setter ends in a change notification to the grid.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QFont>

#include "data/Field.h"
#include "grid/ColCellParamsEh.h"
#include "grid/ColumnTitleEh.h"
#include "grid/GridSets.h"
#include "grid/SystemColors.h"

namespace qelvor {

class TDBGridColumnsEh;
class TCustomDBGridEh;

// Bits of TColumnEh::ExplicitValues.
enum TColumnEhValue {
    cvColor, cvWidth, cvFont, cvAlignment, cvReadOnly, cvTitleColor, cvTitleCaption,
    cvTitleAlignment, cvTitleFont, cvTitleButton, cvTitleEndEllipsis, cvTitleToolTips,
    cvTitleOrientation, cvImeMode, cvImeName, cvWordWrap, cvLookupDisplayFields,
    cvCheckboxes, cvAlwaysShowEditButton, cvEndEllipsis, cvAutoDropDown, cvDblClickNextVal,
    cvToolTips, cvDropDownSizing, cvDropDownShowTitles,
};
using TColumnEhValues = TSet<TColumnEhValue>;

enum class TImeMode : std::uint8_t { imDisable, imClose, imOpen, imDontCare };

// A footer of a column; the grid shows no footer rows, the data is kept.
class TColumnFooterEh {
public:
    std::string Value;
    bool ToolTips = false;
};

class TColumnEh {
public:
    using TGetColCellParamsEvent = std::function<void(TColumnEh& sender, bool editMode, TColCellParamsEh& params)>;

    virtual ~TColumnEh();
    TColumnEh(const TColumnEh&) = delete;
    TColumnEh& operator=(const TColumnEh&) = delete;

    // The collection holding the column, its grid (nullptr without one) and its index.
    TDBGridColumnsEh* Collection() const { return collection_; }
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
    TImeMode ImeMode() const;
    void SetImeMode(TImeMode mode);
    const std::string& ImeName() const { return imeName_; }
    void SetImeName(const std::string& name);
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
    TColumnButtonStyleEh ButtonStyle() const { return buttonStyle_; }
    void SetButtonStyle(TColumnButtonStyleEh style);
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& format);
    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(const std::string& mask) { editMask_ = mask; }
    unsigned DropDownRows() const { return dropDownRows_; }
    void SetDropDownRows(unsigned rows) { dropDownRows_ = rows; }
    long double Increment() const { return increment_; }
    void SetIncrement(long double value) { increment_ = value; }
    int NotInKeyListIndex() const { return notInKeyListIndex_; }
    void SetNotInKeyListIndex(int index) { notInKeyListIndex_ = index; }
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }
    bool AutoFitColWidth() const { return autoFitColWidth_; }
    void SetAutoFitColWidth(bool value) { autoFitColWidth_ = value; }
    int AutoFitBaseWidth() const { return autoFitBaseWidth_; }
    bool ShowImageAndText() const { return showImageAndText_; }
    void SetShowImageAndText(bool value) { showImageAndText_ = value; }
    // Pick and key lists (created on first use).
    std::vector<std::string>& PickList();
    std::vector<std::string>& KeyList();
    bool HasPickList() const { return pickList_ && !pickList_->empty(); }
    bool HasKeyList() const { return keyList_ && !keyList_->empty(); }
    TColumnFooterEh& Footer() { return footer_; }
    std::vector<TColumnFooterEh>& Footers() { return footers_; }

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
    explicit TColumnEh(TDBGridColumnsEh* collection);

private:
    friend class TDBGridColumnsEh;
    friend class TColumnTitleEh;
    void SetExplicit(TColumnEhValue value, bool on);
    bool Assigned(TColumnEhValue value) const { return explicitValues_.Contains(value); }
    // Takes `value` as the assigned value under `bit` (its member is `stored`); false
    // when that very value was assigned already, so the caller reports no change.
    template <class T>
    bool AssignValue(TColumnEhValue bit, T& stored, const T& value)
    {
        if (Assigned(bit) && value == stored)
            return false;
        stored = value;
        SetExplicit(bit, true);
        return true;
    }
    void RefreshDefaultFont() const;
    const QFont& DefaultFontSource() const;
    // Generated columns write some values through to their field.
    bool WritesThrough() const;

    TDBGridColumnsEh* collection_;
    TColumnEhValues explicitValues_;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TColumnButtonStyleEh buttonStyle_ = cbsAuto;
    TColor color_ = clWindow;
    std::string displayFormat_;
    unsigned dropDownRows_ = 7;
    std::string editMask_;
    // Bound lazily by the const readers, hence mutable.
    mutable TField* boundField_ = nullptr;
    mutable std::string fieldName_;
    mutable QFont font_;
    TColumnFooterEh footer_;
    std::vector<TColumnFooterEh> footers_;
    TImeMode imeMode_ = TImeMode::imDontCare;
    std::string imeName_;
    long double increment_ = 1.0L;
    std::unique_ptr<std::vector<std::string>> keyList_;
    std::unique_ptr<std::vector<std::string>> pickList_;
    int maxWidth_ = 0;
    int minWidth_ = 0;
    int notInKeyListIndex_ = -1;
    bool readOnly_ = false;
    bool persistent_ = true;
    int tag_ = 0;
    std::unique_ptr<TColumnTitleEh> title_;
    bool visible_ = true;
    int width_ = 0;
    int autoFitBaseWidth_ = 0;
    bool autoFitColWidth_ = true;
    bool wordWrap_ = false;
    bool endEllipsis_ = false;
    bool toolTips_ = false;
    bool checkboxes_ = false;
    bool showImageAndText_ = false;
};

// A field's text under a column display format (see FieldFormat.h): numeric and
// date-time fields formatted by it, any other field empty; an empty format gives the
// field's display text.
std::string FormatFieldValue(const TField& field, const std::string& format);

// The published column class; every column the grid creates is one.
class TDBGridColumnEh : public TColumnEh {
public:
    explicit TDBGridColumnEh(TDBGridColumnsEh* collection) : TColumnEh(collection) {}
};

}  // namespace qelvor
