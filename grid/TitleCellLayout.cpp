#include "grid/TitleCellLayout.h"

namespace qelvor {

TitleCellLayout LayoutTitleCell(const QRect& inner, bool pressed, bool marked, int numberWidth)
{
    TitleCellLayout layout;
    const int shift = pressed ? 1 : 0;
    const int innerLeft = inner.x();
    const int innerTop = inner.y();
    const int innerRight = innerLeft + inner.width();
    const int innerBottom = innerTop + inner.height();
    int textRight = innerRight;
    layout.numberWidth = marked ? numberWidth : 0;
    layout.showMarker = marked;
    if (marked) {
        textRight -= kTitleMarkerSpace + kTitleEdgeGap;
        if (textRight < innerLeft) {
            textRight += kTitleMarkerSpace - layout.numberWidth;
            layout.showMarker = false;
            if (textRight < innerLeft) {
                textRight += layout.numberWidth + kTitleEdgeGap;
                layout.numberWidth = 0;
            }
        }
    }
    if (textRight < innerRight)
        layout.markerStrip = QRect(textRight, innerTop, innerRight - textRight, inner.height());
    if (shift > 0) {
        layout.pressedStrips[0] = QRect(innerLeft, innerTop, inner.width(), shift);
        layout.pressedStrips[1] = QRect(innerLeft, innerTop, shift, inner.height());
    }
    const int textTop = innerTop + shift;
    layout.caption = QRect(innerLeft + shift, textTop, textRight - innerLeft, innerBottom - textTop);
    const int markerTop = (innerTop + innerBottom - kTitleMarkerHeight) / 2 + shift;
    const int numberLeft = innerRight + shift - layout.numberWidth - kTitleEdgeGap;
    layout.marker = QPoint(numberLeft - kTitleMarkerAdvance, markerTop);
    layout.number = QPoint(numberLeft, markerTop - 1);
    return layout;
}

}  // namespace qelvor
