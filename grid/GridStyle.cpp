// GridStyle: the shared style object and the highlight rule for data cells.
#include "grid/GridStyle.h"

#include <algorithm>
#include <cmath>

#include "runtime/Assert.h"

namespace qelvor {

void TDBGridEhStyle::AddGrid(TCustomDBGridEh* grid)
{
    QELVOR_ASSERT(std::find(grids_.begin(), grids_.end(), grid) == grids_.end());
    grids_.push_back(grid);
}

void TDBGridEhStyle::RemoveGrid(TCustomDBGridEh* grid)
{
    grids_.erase(std::remove(grids_.begin(), grids_.end(), grid), grids_.end());
}

TColor TDBGridEhStyle::BlendColor(TColor background, TColor blendColor, bool highlightBlend)
{
    const TColor from = ColorToRGB(background);
    const TColor with = ColorToRGB(blendColor);
    auto channel = [&](int shift) {
        const double b = (from >> shift) & 0xFF;
        const double c = (with >> shift) & 0xFF;
        const double m = b + (c - b) * 0.5;
        double v = m + (225 - m) * 0.6;
        if (highlightBlend)
            v = v - (122 - v) * 0.25;
        return std::clamp(static_cast<int>(std::lround(v)), 0, 255);
    };
    return RGBColor(channel(0), channel(8), channel(16));
}

TCellHighlightEh TDBGridEhStyle::HighlightDataCell(const TCellHighlightPlaceEh& place, TGridDrawState state,
                                                   bool cellSelected, TColor background, TColor fontColor) const
{
    TCellHighlightEh result{false, background, fontColor};
    bool highlighted = cellSelected;
    if (!highlighted) {
        highlighted = (state.Contains(gdSelected) || (place.onCurrentRow && place.rowSelect))
                      && (place.alwaysShowSelection || place.focusLook);
    }
    if (!highlighted)
        return result;
    result.highlighted = true;
    const bool isCurrent = place.onCurrentRow && (place.rowSelect || place.inCurrentColumn);
    const bool trueColor = screenColorCount_ == -1;
    if (place.focusInGrid) {
        if (isCurrent || !(blendSelection_ && trueColor)) {
            result.background = clHighlight;
            result.fontColor = clHighlightText;
        } else {
            result.background = BlendColor(background, clHighlight, true);
        }
    } else if (isCurrent) {
        result.background = clBtnShadow;
        result.fontColor = clHighlightText;
    } else {
        result.background = trueColor ? BlendColor(background, clBtnShadow, false) : clBtnFace;
    }
    return result;
}

}  // namespace qelvor
