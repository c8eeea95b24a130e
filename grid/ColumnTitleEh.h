// ColumnTitleEh: the title of one grid column — caption, font, colour, alignment,
// button behaviour and the sort marker with its position among the marked columns.
//
// Unassigned properties take the grid's defaults (ColumnDefValues().Title(), the
// grid's TitleFont); the assigned flags live in the owning column's ExplicitValues.
// SortMarker and SortIndex are the public face of the collection's sort marking
// (TSortMarkingEh), which holds them: marked columns are numbered 1..n without gaps,
// unmarked ones 0; inside a collection update given values wait for its end. The title
// reaches its column only through TColumnTitleOwnerEh.
#pragma once

#include <string>

#include <QFont>

#include "data/Field.h"
#include "grid/AssignedValueEh.h"
#include "grid/ColumnEhValues.h"
#include "grid/ColumnTitleOwnerEh.h"
#include "grid/GridSets.h"
#include "grid/SystemColors.h"

namespace qelvor {

class TColumnEh;

// Invariants: a value whose bit in the column's ExplicitValues is clear is never read
// (the default is); the column outlives its title. Values other than the sort marker
// reach the grid only through TColumnGridEh.
class TColumnTitleEh {
public:
    explicit TColumnTitleEh(TColumnTitleOwnerEh& owner);
    virtual ~TColumnTitleEh() = default;
    TColumnTitleEh(const TColumnTitleEh&) = delete;
    TColumnTitleEh& operator=(const TColumnTitleEh&) = delete;

    TColumnEh* Column() const { return owner_.TitleColumn(); }

    TAlignment Alignment() const;
    void SetAlignment(TAlignment alignment);
    // The stored caption, else the bound field's display name, else the column's FieldName.
    std::string Caption() const;
    virtual void SetCaption(const std::string& caption);
    TColor Color() const;
    void SetColor(TColor color);
    bool EndEllipsis() const;
    void SetEndEllipsis(bool value);
    // The stored font, else a copy of the grid's TitleFont (refreshed on every read).
    const QFont& Font() const;
    void SetFont(const QFont& font);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint) { hint_ = hint; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    TTextOrientationEh Orientation() const;
    void SetOrientation(TTextOrientationEh orientation);
    bool TitleButton() const;
    void SetTitleButton(bool value);
    bool ToolTips() const;
    void SetToolTips(bool value);

    TSortMarkerEh SortMarker() const;
    // Sets the marker; the sort marking numbers it and keeps its list consistent.
    void SetSortMarker(TSortMarkerEh marker);
    int SortIndex() const;
    // Swaps positions with the marked column holding `index`; ignored otherwise.
    void SetSortIndex(int index);
    // One click's step of the marker cycle; other markers are cleared unless keepOthers.
    void CycleSortMarker(bool keepOthers);

    // Clears every assigned title value and refreshes the font.
    virtual void RestoreDefaults();

    // Storage tests: whether a stored layout would write the property.
    bool IsCaptionStored() const;
    bool IsAlignmentStored() const;
    bool IsColorStored() const;
    bool IsFontStored() const;
    bool IsTitleButtonStored() const;
    bool IsEndEllipsisStored() const;
    bool IsToolTipsStored() const;
    bool IsOrientationStored() const;

    // Values the title takes when nothing is assigned.
    std::string DefaultCaption() const;
    TAlignment DefaultAlignment() const;
    TColor DefaultColor() const;
    bool DefaultTitleButton() const;
    bool DefaultEndEllipsis() const;
    bool DefaultToolTips() const;
    TTextOrientationEh DefaultOrientation() const;

    // Copies the default font into the private copy unless one is assigned (the column
    // calls it when its own font changes).
    void RefreshDefaultFont() const;

private:
    const QFont& DefaultFontSource() const;
    void Changed(bool allColumns);
    // The owning column's assigned flags, where the title's live too.
    TColumnEhValues& Bits() const { return owner_.TitleBits(); }
    bool Assigned(TColumnEhValue value) const { return Bits().Contains(value); }

    TColumnTitleOwnerEh& owner_;  // the column owning the title, as the title sees it
    TAssignedValueEh<TAlignment, cvTitleAlignment> alignment_{TAlignment::taLeftJustify};  // assigned caption alignment
    TAssignedValueEh<std::string, cvTitleCaption> caption_;  // assigned caption
    TAssignedValueEh<TColor, cvTitleColor> color_{clBtnFace};  // assigned background
    TAssignedValueEh<bool, cvTitleEndEllipsis> endEllipsis_{false};  // assigned ellipsis at a clipped caption
    mutable QFont font_;  // assigned font, or the copy of the grid's title font the readers refresh
    std::string hint_;  // hint text shown over the title
    int imageIndex_ = -1;  // image drawn in the title (-1: none)
    TAssignedValueEh<TTextOrientationEh, cvTitleOrientation> orientation_{tohHorizontal};  // assigned text direction
    TAssignedValueEh<bool, cvTitleButton> titleButton_{false};  // assigned: the title acts as a button
    TAssignedValueEh<bool, cvTitleToolTips> toolTips_{false};  // assigned tool tips on a clipped caption
};

}  // namespace qelvor
