// ColumnDefValuesEh: grid-wide defaults that unassigned column and title values take.
//
// The title defaults' Alignment and Color carry their own assigned flags: unassigned,
// the colour is the grid's FixedColor and the alignment follows the grid's
// UseMultiTitle. Setters notify the grid as far as the value affects it (layout or
// repaint); TitleButton and ToolTips are stored silently. The grid is reached only
// through TColumnGridEh.
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
    TColumnGridEh* grid_;  // the grid told of changes (nullptr: none)
    bool colorAssigned_ = false;  // color_ was assigned; else the grid's FixedColor
    bool alignmentAssigned_ = false;  // alignment_ was assigned; else from UseMultiTitle
    TColor color_ = clBtnFace;  // assigned background of unassigned titles
    TAlignment alignment_ = TAlignment::taLeftJustify;  // assigned caption alignment of unassigned titles
    bool endEllipsis_ = false;  // unassigned titles end a clipped caption with an ellipsis
    TTextOrientationEh orientation_ = tohHorizontal;  // text direction of unassigned titles
    bool titleButton_ = false;  // unassigned titles act as buttons
    bool toolTips_ = false;  // unassigned titles show a clipped caption as a tool tip
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
    TColumnGridEh* grid_;  // the grid told of changes (nullptr: none)

private:
    TColumnTitleDefValuesEh title_;  // the defaults of unassigned title values
    bool endEllipsis_ = false;  // unassigned columns end clipped text with an ellipsis
    bool toolTips_ = false;  // unassigned columns show clipped text as a tool tip
};

// The published defaults class of the data grid.
class TDBGridEhColumnDefValuesEh : public TColumnDefValuesEh {
public:
    using TColumnDefValuesEh::TColumnDefValuesEh;
};

}  // namespace qelvor
