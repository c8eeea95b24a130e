// ColumnDefValuesEh: grid-wide column defaults and how their changes reach the grid.
#include "grid/ColumnDefValuesEh.h"

#include "grid/DBGridEh.h"

namespace qelvor {

TAlignment TColumnTitleDefValuesEh::Alignment() const
{
    if (alignmentAssigned_)
        return alignment_;
    return grid_ && grid_->UseMultiTitle() ? TAlignment::taCenter : TAlignment::taLeftJustify;
}

void TColumnTitleDefValuesEh::SetAlignment(TAlignment alignment)
{
    alignment_ = alignment;
    alignmentAssigned_ = true;
    if (grid_)
        grid_->RequestLayout();
}

TColor TColumnTitleDefValuesEh::Color() const
{
    if (colorAssigned_)
        return color_;
    return grid_ ? grid_->FixedColor() : clBtnFace;
}

void TColumnTitleDefValuesEh::SetColor(TColor color)
{
    color_ = color;
    colorAssigned_ = true;
    if (grid_)
        grid_->InvalidateGrid();
}

void TColumnTitleDefValuesEh::SetEndEllipsis(bool value)
{
    endEllipsis_ = value;
    if (grid_)
        grid_->InvalidateGrid();
}

void TColumnTitleDefValuesEh::SetOrientation(TTextOrientationEh orientation)
{
    orientation_ = orientation;
    if (grid_)
        grid_->RequestLayout();
}

void TColumnDefValuesEh::SetEndEllipsis(bool value)
{
    endEllipsis_ = value;
    if (grid_)
        grid_->InvalidateGrid();
}

}  // namespace qelvor
