// DBGridEhTitleRow: the data grid's titles as push buttons — the press on a title, its
// pressed look while the mouse stays on it, the sideways move that turns it into a
// column move, the release that makes a click, the click itself (OnTitleBtnClick, the
// sort marking's step, the notification at once or at Ctrl's release) and the painting
// of a title cell. Column sizing and moving are the base grid's title row
// (GridTitleRow.h); this adds what data columns' titles do.
//
// It holds no state of its own: a title press is the state gsTitlePressed of the grid's
// one press value, so it is made on the grid whenever it is needed. A title click reads
// from the press here to the notification in DBGridEhSortMarking.cpp, through the sort
// marking (SortMarking.h).
#pragma once

#include <QColor>
#include <QRect>

#include "grid/DBGridEh.h"
#include "grid/GridSets.h"
#include "platform/InputEvents.h"

class QPainter;

namespace qelvor {

// Fixed cells of a selected column or row (titles and indicator): white on dark grey.
inline const QColor kSelectedFixedCellColor(64, 64, 64);

class TCustomDBGridEh::TitleRow {
public:
    explicit TitleRow(TCustomDBGridEh& grid) : grid_(grid) {}

    // A left press on the title of grid column gridCol: holds it down as a button;
    // false when the title is no button now (the press goes on to the base grid).
    bool Press(int gridCol, int x, int y);
    // The mouse moved while a title is held: the pressed look follows it, and a move
    // sideways past the threshold becomes a column move from the press point.
    void Drag(TShiftState shift, int x, int y);
    // The release of a held title: a click when it is over the pressed title.
    void Release(TShiftState shift, int x, int y);
    // Draws the pressed title down while (x, y) is on it, up otherwise.
    void Track(int x, int y);
    // The click on the title of column aCol (a Columns index), however made: raises
    // OnTitleBtnClick, lets the sort marking take its step and notifies at once for a
    // plain click; a Ctrl+click's notification waits for Ctrl's release.
    void Click(int aCol, bool ctrl);
    // Paints the title of grid column gridCol into `inner` (text `offset` pixels in);
    // true when it is drawn sunken (pressed or selected).
    bool Paint(QPainter& painter, int gridCol, const QRect& inner, int offset);

private:
    // Whether (x, y) lies on the title of grid column gridCol (and in the client).
    bool OnTitle(int gridCol, int x, int y) const;

    TCustomDBGridEh& grid_;  // the grid whose titles these are
};

}  // namespace qelvor
