// ColCellParamsEh: what a data cell is about to be drawn with. The grid fills one
// record per cell from the column's effective values and the current record, lets
// its paint events change it, then draws from it.
#pragma once

#include <string>

#include <QFont>

#include "data/Field.h"
#include "grid/GridSets.h"
#include "grid/SystemColors.h"

namespace qelvor {

enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

struct TColCellParamsEh {
    TGridDrawState State;
    QFont Font;
    // The text colour (a QFont carries none).
    TColor FontColor = clWindowText;
    TAlignment Alignment = TAlignment::taLeftJustify;
    TColor Background = clWindow;
    std::string Text;
    int ImageIndex = -1;
    TCheckBoxState CheckboxState = TCheckBoxState::cbGrayed;
    // The grid cell being painted.
    int Col = 0;
    int Row = 0;
};

}  // namespace qelvor
