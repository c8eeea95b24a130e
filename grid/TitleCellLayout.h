// TitleCellLayout: where a title cell's caption, sort marker and sort number go, worked
// out from the cell's inner rectangle alone, so that it is checked without painting.
//
// The marker and its number sit at the right edge and the caption takes what is left;
// a cell too narrow for both gives up the marker first, then the number. A pressed
// title moves everything one pixel right and down.
#pragma once

#include <QPoint>
#include <QRect>

namespace qelvor {

// Room the sort marker takes from the caption, on top of the edge gap.
inline constexpr int kTitleMarkerSpace = 14;
// Gap between the sort number (or the marker) and the cell's right edge.
inline constexpr int kTitleEdgeGap = 2;
// The marker image: its height, and how far its left edge sits before the number.
inline constexpr int kTitleMarkerHeight = 9;
inline constexpr int kTitleMarkerAdvance = 10;

struct TitleCellLayout {
    QRect caption;        // the caption's box; no caption when it has no width
    QRect markerStrip;    // right of the caption, filled with the title colour
    QRect pressedStrips[2];  // the top and left strips a pressed caption leaves (empty when not pressed)
    bool showMarker = false;
    QPoint marker;        // top-left of the marker image
    int numberWidth = 0;  // 0: no sort number
    QPoint number;        // top-left of the sort number's line
};

// The layout for a title whose inner rectangle is `inner`. `marked`: the column carries
// a sort marker; `numberWidth`: the width of its sort number's text (0 for none).
TitleCellLayout LayoutTitleCell(const QRect& inner, bool pressed, bool marked, int numberWidth);

}  // namespace qelvor
