// DBGridEhEvents: the data grid's events, one struct of callbacks. A handler is
// assigned by the grid's owner and raised by the grid on the window's thread; an
// empty one is skipped.
#pragma once

#include <functional>

#include <QFont>
#include <QRect>

#include "grid/GridSets.h"
#include "grid/SystemColors.h"

namespace qelvor {

class TColumnEh;
class TCustomDBGridEh;
class TField;

struct TDBGridEhEvents {
    using TNotifyEvent = std::function<void(TCustomDBGridEh& sender)>;
    using TTitleEhClickEvent = std::function<void(TCustomDBGridEh& sender, int aCol, TColumnEh* column)>;
    using TCheckTitleEhBtnEvent = std::function<void(TCustomDBGridEh& sender, int aCol, TColumnEh* column, bool& enabled)>;
    using TGetCellEhParamsEvent = std::function<void(TCustomDBGridEh& sender, TColumnEh* column, QFont& aFont,
                                                     TColor& background, TGridDrawState state)>;
    using TDrawDataCellEvent = std::function<void(TCustomDBGridEh& sender, const QRect& rect, TField* field,
                                                  TGridDrawState state)>;
    using TDrawColumnEhCellEvent = std::function<void(TCustomDBGridEh& sender, const QRect& rect, int dataCol,
                                                      TColumnEh* column, TGridDrawState state)>;
    using TGetBtnEhParamsEvent = std::function<void(TCustomDBGridEh& sender, int aCol, TColumnEh* column, QFont& aFont,
                                                    TColor& background, TSortMarkerEh& sortMarker, bool isDown)>;
    using TDBGridEhClickEvent = std::function<void(TColumnEh* column)>;
    using TMovedEvent = std::function<void(TCustomDBGridEh& sender, int fromIndex, int toIndex)>;

    TNotifyEvent OnSortMarkingChanged;  // the user changed the sort markers (with dghAutoSortMarking)
    TTitleEhClickEvent OnTitleBtnClick;  // a title button was clicked
    TCheckTitleEhBtnEvent OnCheckButton;  // asked whether a title acts as a button now; may say no
    TGetCellEhParamsEvent OnGetCellParams;  // before a data cell is drawn: may change its font and background
    TDrawDataCellEvent OnDrawDataCell;  // after a data cell is drawn, only while the columns are generated
    TDrawColumnEhCellEvent OnDrawColumnCell;  // after a data cell is drawn; rect is inside any 3D frame
    // Twice per title of a bound column: first for its background and sort marker, then for the caption's font.
    TGetBtnEhParamsEvent OnGetBtnParams;
    TDBGridEhClickEvent OnCellClick;  // a left click on a data cell
    TDBGridEhClickEvent OnTitleClick;  // a left click on a title (also at the end of a column move)
    TNotifyEvent OnColWidthsChanged;  // the user sized a column
    TMovedEvent OnColumnMoved;  // the user moved a column; the indexes are data-column indexes
    TNotifyEvent OnColExit;  // the current column is about to change
    TNotifyEvent OnColEnter;  // the current column has changed
};

}  // namespace qelvor
