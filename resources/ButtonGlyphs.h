// ButtonGlyphs: the bitmaps of the browse form's two buttons.
//
// Both are 16-colour images (an 8-bit image with a 16-entry palette) drawn from pixel
// art, so they need no image files and no GUI application object. The bottom-left
// pixel is the background colour that buttons draw transparent.
#pragma once

#include <QImage>

namespace qelvor::resources {

// The search button's glyph: 36 × 18, two 18 × 18 images side by side (normal, disabled).
QImage SearchGlyph();

// The exit button's glyph: one 16 × 15 image.
QImage ExitGlyph();

}  // namespace qelvor::resources
