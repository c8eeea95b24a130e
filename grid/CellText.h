// CellText: writing a cell's text the way every grid cell does — offsets DX/DY from
// the cell's corner, right-aligned text ending 3 pixels before the right edge,
// clipped to the cell, the cell filled behind it — and cutting text to a width.
//
// The text's top is at rect.top + DY (its baseline one ascent lower). Cuts happen
// at character boundaries only, never inside a surrogate pair.
#pragma once

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <QString>

#include "data/Field.h"

class QPainter;

namespace qelvor {

// Writes `text` into `rect` with the painter's current font; fills the rectangle with
// `background` first and draws in `textColor`. `clippedToColumn`: the painter already
// clips to the cell's left and right edges, so left-aligned text needs no measuring.
void WriteCellText(QPainter& painter, const QRect& rect, int dx, int dy, TAlignment alignment,
                   bool endEllipsis, bool wordWrap, const QString& text, const QColor& background,
                   const QColor& textColor, bool clippedToColumn = false);

// The longest head of `text` followed by "..." that fits `maxWidth`; the text itself
// when it fits; "..." when nothing does.
QString ShortenToFit(const QString& text, const QFontMetrics& metrics, int maxWidth);

// Sets the painter's font unless it has that font already (a change costs a lookup).
inline void SetPainterFont(QPainter& painter, const QFont& font)
{
    if (!(painter.font() == font))
        painter.setFont(font);
}

}  // namespace qelvor
