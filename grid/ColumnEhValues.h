// ColumnEhValues: the bits of a column's ExplicitValues, one per property of the
// column or its title that can be assigned or left to its default.
#pragma once

#include "grid/GridSets.h"

namespace qelvor {

// Bits of TColumnEh::ExplicitValues.
enum TColumnEhValue {
    cvColor, cvWidth, cvFont, cvAlignment, cvReadOnly, cvTitleColor, cvTitleCaption,
    cvTitleAlignment, cvTitleFont, cvTitleButton, cvTitleEndEllipsis, cvTitleToolTips,
    cvTitleOrientation, cvImeMode, cvImeName, cvWordWrap, cvLookupDisplayFields,
    cvCheckboxes, cvAlwaysShowEditButton, cvEndEllipsis, cvAutoDropDown, cvDblClickNextVal,
    cvToolTips, cvDropDownSizing, cvDropDownShowTitles,
};
using TColumnEhValues = TSet<TColumnEhValue>;

}  // namespace qelvor
