// Glyph: a button's bitmap of one or more equal images side by side.
//
// Image 0 is the normal look, image 1 (when present) the disabled look. The colour
// of each image's bottom-left pixel is transparent, as button glyphs are drawn.
#pragma once

#include <QIcon>
#include <QImage>

namespace qelvor {

// Image `index` of a glyph holding `count` images, with its transparent colour cleared.
QImage GlyphImage(const QImage& glyph, int count, int index);

// An icon with the normal and, when the glyph holds one, the disabled image.
QIcon GlyphIcon(const QImage& glyph, int count);

}  // namespace qelvor
