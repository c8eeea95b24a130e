// ColumnDefValuesEh: grid-wide defaults that unassigned column and title values take.
//
// The title defaults' Alignment and Color carry their own assigned flags: unassigned,
// the colour is the grid's FixedColor and the alignment follows the grid's
// UseMultiTitle. Setters notify the grid as far as the value affects it (layout or
// repaint); TitleButton and ToolTips are stored silently.
#pragma once

#include "data/Field.h"
#include "grid/GridSets.h"
#include "grid/SystemColors.h"

namespace qelvor {

class TColumnGridEh;

class TColumnTitleDefValuesEh {
public:
    explicit TColumnTitleDefValuesEh(TColumnGridEh* grid) : grid_(grid) {}

    TAlignment Alignment() const;
    void SetAlignment(TAlignment alignment);
    TColor Color() const;
    void SetColor(TColor color);
    bool EndEllipsis() const { return endEllipsis_; }
    void SetEndEllipsis(bool value);
    TTextOrientationEh Orientation() const { return orientation_; }
    void SetOrientation(TTextOrientationEh orientation);
    bool TitleButton() const { return titleButton_; }
    void SetTitleButton(bool value) { titleButton_ = value; }
    bool ToolTips() const { return toolTips_; }
    void SetToolTips(bool value) { toolTips_ = value; }

private:
    TColumnGridEh* grid_;
    bool colorAssigned_ = false;
    bool alignmentAssigned_ = false;
    TColor color_ = clBtnFace;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    bool endEllipsis_ = false;
    TTextOrientationEh orientation_ = tohHorizontal;
    bool titleButton_ = false;
    bool toolTips_ = false;
};

class TColumnDefValuesEh {
public:
    explicit TColumnDefValuesEh(TColumnGridEh* grid) : grid_(grid), title_(grid) {}
    virtual ~TColumnDefValuesEh() = default;

    TColumnTitleDefValuesEh& Title() { return title_; }
    const TColumnTitleDefValuesEh& Title() const { return title_; }
    bool EndEllipsis() const { return endEllipsis_; }
    void SetEndEllipsis(bool value);
    bool ToolTips() const { return toolTips_; }
    void SetToolTips(bool value) { toolTips_ = value; }

protected:
    TColumnGridEh* grid_;

private:
    TColumnTitleDefValuesEh title_;
    bool endEllipsis_ = false;
    bool toolTips_ = false;
};

// The published defaults class of the data grid.
class TDBGridEhColumnDefValuesEh : public TColumnDefValuesEh {
public:
    using TColumnDefValuesEh::TColumnDefValuesEh;
};

}  // namespace qelvor
