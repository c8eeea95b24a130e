// BrowseGridDesign: the stored settings of the browse window's grid and its seven
// persistent columns, in one place for the form, the grid's tests and its benchmark.
//
// Applied inside a load bracket (BeginLoad/EndLoad), so the layout is built once, at
// the end. The grid keeps ParentFont: the cell font reaches it from its parent.
#pragma once

#include <QFont>

namespace qelvor {

class TDBGridEh;
class TDataSource;

// Configures `grid` as the browse window designs it: read-only, title buttons, multi-column
// sort marking, the seven answer-sheet columns; titles and footers in `designFont`.
void ApplyBrowseGridDesign(TDBGridEh& grid, TDataSource* source, const QFont& designFont);

}  // namespace qelvor
