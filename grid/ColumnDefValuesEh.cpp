// ColumnDefValuesEh: grid-wide column defaults and how their changes reach the grid.
#include "grid/ColumnDefValuesEh.h"

#include "grid/ColumnGridEh.h"

namespace qelvor {

TAlignment TColumnTitleDefValuesEh::Alignment() const
{
    if (alignmentAssigned_)
        return alignment_;
    return grid_ && grid_->GridMultiTitle() ? TAlignment::taCenter : TAlignment::taLeftJustify;
}

void TColumnTitleDefValuesEh::SetAlignment(TAlignment alignment)
{
    alignment_ = alignment;
    alignmentAssigned_ = true;
    if (grid_)
        grid_->GridRequestLayout();
}

TColor TColumnTitleDefValuesEh::Color() const
{
    if (colorAssigned_)
        return color_;
    return grid_ ? grid_->GridFixedColor() : clBtnFace;
}

void TColumnTitleDefValuesEh::SetColor(TColor color)
{
    color_ = color;
    colorAssigned_ = true;
    if (grid_)
        grid_->GridInvalidate();
}

void TColumnTitleDefValuesEh::SetEndEllipsis(bool value)
{
    endEllipsis_ = value;
    if (grid_)
        grid_->GridInvalidate();
}

void TColumnTitleDefValuesEh::SetOrientation(TTextOrientationEh orientation)
{
    orientation_ = orientation;
    if (grid_)
        grid_->GridRequestLayout();
}

void TColumnDefValuesEh::SetEndEllipsis(bool value)
{
    endEllipsis_ = value;
    if (grid_)
        grid_->GridInvalidate();
}

}  // namespace qelvor
