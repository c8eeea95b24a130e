// ColumnTitleEh: effective title values and the sort marker's write side.
#include "grid/ColumnTitleEh.h"

#include <algorithm>

#include "runtime/Assert.h"

#include "grid/ColumnDefValuesEh.h"
#include "grid/ColumnGridEh.h"
#include "grid/SortMarking.h"

namespace qelvor {

TColumnTitleEh::TColumnTitleEh(TColumnTitleOwnerEh& owner) : owner_(owner)
{
    font_ = DefaultFontSource();
}

void TColumnTitleEh::Changed(bool allColumns)
{
    owner_.TitleChanged(allColumns);
}

// --- effective values ---

std::string TColumnTitleEh::DefaultCaption() const
{
    return owner_.TitleFallbackCaption();
}

std::string TColumnTitleEh::Caption() const
{
    return caption_.Get(Bits(), DefaultCaption());
}

void TColumnTitleEh::SetCaption(const std::string& caption)
{
    if (owner_.TitleWriteCaptionThrough(caption))
        return;
    if (caption_.Assign(Bits(), caption))
        Changed(false);
}

TAlignment TColumnTitleEh::DefaultAlignment() const
{
    const TColumnGridEh* grid = owner_.TitleGrid();
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
    const TColumnGridEh* grid = owner_.TitleGrid();
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
    const TColumnGridEh* grid = owner_.TitleGrid();
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
    const TColumnGridEh* grid = owner_.TitleGrid();
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
    const TColumnGridEh* grid = owner_.TitleGrid();
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
    const TColumnGridEh* grid = owner_.TitleGrid();
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
    const TColumnGridEh* grid = owner_.TitleGrid();
    return grid ? grid->GridTitleFont() : owner_.TitleFallbackFont();
}

void TColumnTitleEh::RefreshDefaultFont() const
{
    if (Assigned(cvTitleFont))
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
    Bits().Include(cvTitleFont);
    Changed(true);
}

void TColumnTitleEh::RestoreDefaults()
{
    for (TColumnEhValue bit : {cvTitleColor, cvTitleCaption, cvTitleAlignment, cvTitleFont,
                               cvTitleButton, cvTitleEndEllipsis, cvTitleToolTips, cvTitleOrientation})
        Bits().Exclude(bit);
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
    return Assigned(cvTitleFont);
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
    return owner_.TitleSortMarking().MarkerOf(*owner_.TitleColumn());
}

void TColumnTitleEh::SetSortMarker(TSortMarkerEh marker)
{
    owner_.TitleSortMarking().SetMarkerOf(*owner_.TitleColumn(), marker);
}

int TColumnTitleEh::SortIndex() const
{
    return owner_.TitleSortMarking().IndexOf(*owner_.TitleColumn());
}

void TColumnTitleEh::SetSortIndex(int index)
{
    owner_.TitleSortMarking().SetIndexOf(*owner_.TitleColumn(), index);
}

void TColumnTitleEh::CycleSortMarker(bool keepOthers)
{
    owner_.TitleSortMarking().CycleMarker(*owner_.TitleColumn(), keepOthers);
}

}  // namespace qelvor
