// ColumnTitleEh: effective title values and the sort marker's write side.
#include "grid/ColumnTitleEh.h"

#include <algorithm>

#include "runtime/Assert.h"

#include "grid/ColumnEh.h"
#include "grid/ColumnsEh.h"
#include "grid/DBGridEh.h"
#include "grid/SortMarking.h"

namespace qelvor {

TColumnTitleEh::TColumnTitleEh(TColumnEh* column) : column_(column)
{
    QELVOR_ASSERT(column_);
    font_ = DefaultFontSource();
}

void TColumnTitleEh::Changed(bool allColumns)
{
    column_->ColumnChanged(allColumns);
}

// --- effective values ---

std::string TColumnTitleEh::DefaultCaption() const
{
    if (TField* field = column_->Field())
        return field->DisplayName();
    return column_->FieldName();
}

std::string TColumnTitleEh::Caption() const
{
    return column_->Assigned(cvTitleCaption) ? caption_ : DefaultCaption();
}

void TColumnTitleEh::SetCaption(const std::string& caption)
{
    if (column_->WritesThrough()) {
        column_->BoundField()->SetDisplayLabel(caption);
        return;
    }
    if (column_->AssignValue(cvTitleCaption, caption_, caption))
        Changed(false);
}

TAlignment TColumnTitleEh::DefaultAlignment() const
{
    const TCustomDBGridEh* grid = column_->Grid();
    return grid ? grid->ColumnDefValues().Title().Alignment() : TAlignment::taLeftJustify;
}

TAlignment TColumnTitleEh::Alignment() const
{
    return column_->Assigned(cvTitleAlignment) ? alignment_ : DefaultAlignment();
}

void TColumnTitleEh::SetAlignment(TAlignment alignment)
{
    if (column_->AssignValue(cvTitleAlignment, alignment_, alignment))
        Changed(false);
}

TColor TColumnTitleEh::DefaultColor() const
{
    const TCustomDBGridEh* grid = column_->Grid();
    return grid ? grid->ColumnDefValues().Title().Color() : clBtnFace;
}

TColor TColumnTitleEh::Color() const
{
    return column_->Assigned(cvTitleColor) ? color_ : DefaultColor();
}

void TColumnTitleEh::SetColor(TColor color)
{
    if (column_->AssignValue(cvTitleColor, color_, color))
        Changed(false);
}

bool TColumnTitleEh::DefaultEndEllipsis() const
{
    const TCustomDBGridEh* grid = column_->Grid();
    return grid && grid->ColumnDefValues().Title().EndEllipsis();
}

bool TColumnTitleEh::EndEllipsis() const
{
    return column_->Assigned(cvTitleEndEllipsis) ? endEllipsis_ : DefaultEndEllipsis();
}

void TColumnTitleEh::SetEndEllipsis(bool value)
{
    if (column_->AssignValue(cvTitleEndEllipsis, endEllipsis_, value))
        Changed(false);
}

bool TColumnTitleEh::DefaultTitleButton() const
{
    const TCustomDBGridEh* grid = column_->Grid();
    return grid && grid->ColumnDefValues().Title().TitleButton();
}

bool TColumnTitleEh::TitleButton() const
{
    return column_->Assigned(cvTitleButton) ? titleButton_ : DefaultTitleButton();
}

void TColumnTitleEh::SetTitleButton(bool value)
{
    if (column_->AssignValue(cvTitleButton, titleButton_, value))
        Changed(false);
}

bool TColumnTitleEh::DefaultToolTips() const
{
    const TCustomDBGridEh* grid = column_->Grid();
    return grid && grid->ColumnDefValues().Title().ToolTips();
}

bool TColumnTitleEh::ToolTips() const
{
    return column_->Assigned(cvTitleToolTips) ? toolTips_ : DefaultToolTips();
}

void TColumnTitleEh::SetToolTips(bool value)
{
    if (column_->AssignValue(cvTitleToolTips, toolTips_, value))
        Changed(false);
}

TTextOrientationEh TColumnTitleEh::DefaultOrientation() const
{
    const TCustomDBGridEh* grid = column_->Grid();
    return grid ? grid->ColumnDefValues().Title().Orientation() : tohHorizontal;
}

TTextOrientationEh TColumnTitleEh::Orientation() const
{
    return column_->Assigned(cvTitleOrientation) ? orientation_ : DefaultOrientation();
}

void TColumnTitleEh::SetOrientation(TTextOrientationEh orientation)
{
    if (column_->AssignValue(cvTitleOrientation, orientation_, orientation))
        Changed(true);
}

void TColumnTitleEh::SetImageIndex(int index)
{
    if (index == imageIndex_)
        return;
    imageIndex_ = index;
    Changed(false);
}

const QFont& TColumnTitleEh::DefaultFontSource() const
{
    const TCustomDBGridEh* grid = column_->Grid();
    return grid ? grid->TitleFont() : column_->Font();
}

void TColumnTitleEh::RefreshDefaultFont() const
{
    if (column_->Assigned(cvTitleFont))
        return;
    const QFont& source = DefaultFontSource();
    if (!(font_ == source) || font_.resolveMask() != source.resolveMask())
        font_ = source;
}

const QFont& TColumnTitleEh::Font() const
{
    RefreshDefaultFont();
    return font_;
}

void TColumnTitleEh::SetFont(const QFont& font)
{
    font_ = font;
    column_->SetExplicit(cvTitleFont, true);
    Changed(true);
}

void TColumnTitleEh::RestoreDefaults()
{
    for (TColumnEhValue bit : {cvTitleColor, cvTitleCaption, cvTitleAlignment, cvTitleFont,
                               cvTitleButton, cvTitleEndEllipsis, cvTitleToolTips, cvTitleOrientation})
        column_->SetExplicit(bit, false);
    caption_.clear();
    RefreshDefaultFont();
}

// --- storage tests ---

bool TColumnTitleEh::IsCaptionStored() const
{
    return column_->Assigned(cvTitleCaption) && caption_ != DefaultCaption();
}
bool TColumnTitleEh::IsAlignmentStored() const
{
    return column_->Assigned(cvTitleAlignment) && alignment_ != DefaultAlignment();
}
bool TColumnTitleEh::IsColorStored() const
{
    return column_->Assigned(cvTitleColor) && color_ != DefaultColor();
}
bool TColumnTitleEh::IsFontStored() const
{
    return column_->Assigned(cvTitleFont);
}
bool TColumnTitleEh::IsTitleButtonStored() const
{
    return column_->Assigned(cvTitleButton) && titleButton_ != DefaultTitleButton();
}
bool TColumnTitleEh::IsEndEllipsisStored() const
{
    return column_->Assigned(cvTitleEndEllipsis) && endEllipsis_ != DefaultEndEllipsis();
}
bool TColumnTitleEh::IsToolTipsStored() const
{
    return column_->Assigned(cvTitleToolTips) && toolTips_ != DefaultToolTips();
}
bool TColumnTitleEh::IsOrientationStored() const
{
    return column_->Assigned(cvTitleOrientation) && orientation_ != DefaultOrientation();
}

// --- the sort marker (held by the collection's sort marking) ---

TSortMarkerEh TColumnTitleEh::SortMarker() const
{
    return column_->Collection()->SortMarking().MarkerOf(*column_);
}

void TColumnTitleEh::SetSortMarker(TSortMarkerEh marker)
{
    column_->Collection()->SortMarking().SetMarkerOf(*column_, marker);
}

int TColumnTitleEh::SortIndex() const
{
    return column_->Collection()->SortMarking().IndexOf(*column_);
}

void TColumnTitleEh::SetSortIndex(int index)
{
    column_->Collection()->SortMarking().SetIndexOf(*column_, index);
}

void TColumnTitleEh::CycleSortMarker(bool keepOthers)
{
    column_->Collection()->SortMarking().CycleMarker(*column_, keepOthers);
}

}  // namespace qelvor
