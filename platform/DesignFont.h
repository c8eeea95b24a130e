// DesignFont: the font the forms were designed with ("宋体", 12-pixel characters), and
// the line metrics that the layout and the text placement use for it.
//
// The design font's line is as tall as its characters: 12 pixels, the baseline 10 from
// the top, half-width characters 6 pixels wide and Chinese ones 12. Qt resolves the
// family through FontSubstitution.h to the installed stand-in face, whose line at 12
// pixels is 16 (ascent 12, descent 4) and whose ink reaches 14 rows: rows, titles and
// labels would grow by a third. So the design font is drawn by the stand-in at 11 pixels
// widened to 109 %, which gives the design's widths (6 and 12 pixels) and at most 12
// rows of ink (10 above the baseline, 1 below), and every line of it is measured and
// placed with the design's metrics (12 high, baseline at 10), not with the stand-in's
// own line (14 high, ascent 11).
#pragma once

#include <QFont>

namespace qelvor {

// The design font's character height and the ascent within it (pixels).
inline constexpr int kDesignFontPixelSize = 12;
inline constexpr int kDesignFontAscent = 10;
// Size and width (percent) at which the stand-in face draws it.
inline constexpr int kDesignFontDrawPixelSize = 11;
inline constexpr int kDesignFontDrawStretch = 109;

// "宋体" as drawn by the stand-in (see above), no style.
QFont DesignFont();
// Whether `font` is the design font (also as a copy with another colour or weight).
bool IsDesignFont(const QFont& font);
// Height of a line of text in `font` and the baseline's distance from its top: the
// design's for the design font, the font's own for any other.
int TextLineHeight(const QFont& font);
int TextAscent(const QFont& font);

}  // namespace qelvor
