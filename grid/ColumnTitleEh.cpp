// ColumnTitleEh: effective title values and the sort marker's write side.
#include "grid/ColumnTitleEh.h"

#include <algorithm>

#include "runtime/Assert.h"

#include "grid/ColumnDefValuesEh.h"
#include "grid/ColumnEh.h"
#include "grid/ColumnGridEh.h"
#include "grid/ColumnsEh.h"
// Only the sort marker's section below still reaches the grid itself.
#include "grid/DBGridEh.h"
#include "grid/SortMarking.h"

namespace qelvor {

TColumnTitleEh::TColumnTitleEh(TColumnEh* column) : column_(column)
{
    QELVOR_ASSERT(column_);
    font_ = DefaultFontSource();
}

TColumnEhValues& TColumnTitleEh::Bits() const
{
    return column_->explicitValues_;
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
    return caption_.Get(Bits(), DefaultCaption());
}

void TColumnTitleEh::SetCaption(const std::string& caption)
{
    if (column_->WritesThrough()) {
        column_->BoundField()->SetDisplayLabel(caption);
        return;
    }
    if (caption_.Assign(Bits(), caption))
        Changed(false);
}

TAlignment TColumnTitleEh::DefaultAlignment() const
{
    const TColumnGridEh* grid = column_->GridLink();
    return grid ? grid->GridColumnDefValues().Title().Alignment() : TAlignment::taLeftJustify;
}

TAlignment TColumnTitleEh::Alignment() const
{
    return alignment_.Get(Bits(), DefaultAlignment());
}

void TColumnTitleEh::SetAlignment(TAlignment alignment)
{
    if (alignment_.Assign(Bits(), alignment))
        Changed(false);
}

TColor TColumnTitleEh::DefaultColor() const
{
    const TColumnGridEh* grid = column_->GridLink();
    return grid ? grid->GridColumnDefValues().Title().Color() : clBtnFace;
}

TColor TColumnTitleEh::Color() const
{
    return color_.Get(Bits(), DefaultColor());
}

void TColumnTitleEh::SetColor(TColor color)
{
    if (color_.Assign(Bits(), color))
        Changed(false);
}

bool TColumnTitleEh::DefaultEndEllipsis() const
{
    const TColumnGridEh* grid = column_->GridLink();
    return grid && grid->GridColumnDefValues().Title().EndEllipsis();
}

bool TColumnTitleEh::EndEllipsis() const
{
    return endEllipsis_.Get(Bits(), DefaultEndEllipsis());
}

void TColumnTitleEh::SetEndEllipsis(bool value)
{
    if (endEllipsis_.Assign(Bits(), value))
        Changed(false);
}

bool TColumnTitleEh::DefaultTitleButton() const
{
    const TColumnGridEh* grid = column_->GridLink();
    return grid && grid->GridColumnDefValues().Title().TitleButton();
}

bool TColumnTitleEh::TitleButton() const
{
    return titleButton_.Get(Bits(), DefaultTitleButton());
}

void TColumnTitleEh::SetTitleButton(bool value)
{
    if (titleButton_.Assign(Bits(), value))
        Changed(false);
}

bool TColumnTitleEh::DefaultToolTips() const
{
    const TColumnGridEh* grid = column_->GridLink();
    return grid && grid->GridColumnDefValues().Title().ToolTips();
}

bool TColumnTitleEh::ToolTips() const
{
    return toolTips_.Get(Bits(), DefaultToolTips());
}

void TColumnTitleEh::SetToolTips(bool value)
{
    if (toolTips_.Assign(Bits(), value))
        Changed(false);
}

TTextOrientationEh TColumnTitleEh::DefaultOrientation() const
{
    const TColumnGridEh* grid = column_->GridLink();
    return grid ? grid->GridColumnDefValues().Title().Orientation() : tohHorizontal;
}

TTextOrientationEh TColumnTitleEh::Orientation() const
{
    return orientation_.Get(Bits(), DefaultOrientation());
}

void TColumnTitleEh::SetOrientation(TTextOrientationEh orientation)
{
    if (orientation_.Assign(Bits(), orientation))
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
    const TColumnGridEh* grid = column_->GridLink();
    return grid ? grid->GridTitleFont() : column_->Font();
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
    caption_.Reset({});
    RefreshDefaultFont();
}

// --- storage tests ---

bool TColumnTitleEh::IsCaptionStored() const
{
    return caption_.Stored(Bits(), DefaultCaption());
}
bool TColumnTitleEh::IsAlignmentStored() const
{
    return alignment_.Stored(Bits(), DefaultAlignment());
}
bool TColumnTitleEh::IsColorStored() const
{
    return color_.Stored(Bits(), DefaultColor());
}
bool TColumnTitleEh::IsFontStored() const
{
    return column_->Assigned(cvTitleFont);
}
bool TColumnTitleEh::IsTitleButtonStored() const
{
    return titleButton_.Stored(Bits(), DefaultTitleButton());
}
bool TColumnTitleEh::IsEndEllipsisStored() const
{
    return endEllipsis_.Stored(Bits(), DefaultEndEllipsis());
}
bool TColumnTitleEh::IsToolTipsStored() const
{
    return toolTips_.Stored(Bits(), DefaultToolTips());
}
bool TColumnTitleEh::IsOrientationStored() const
{
    return orientation_.Stored(Bits(), DefaultOrientation());
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
