#include "platform/Glyph.h"

#include <QPixmap>
#include "runtime/Assert.h"

namespace qelvor {

QImage GlyphImage(const QImage& glyph, int count, int index)
{
    QELVOR_ASSERT(count >= 1 && index >= 0 && index < count && !glyph.isNull());
    const int width = glyph.width() / count;
    QImage image = glyph.copy(index * width, 0, width, glyph.height()).convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == transparent)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return image;
}

QIcon GlyphIcon(const QImage& glyph, int count)
{
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(GlyphImage(glyph, count, 0)), QIcon::Normal);
    if (count >= 2)
        icon.addPixmap(QPixmap::fromImage(GlyphImage(glyph, count, 1)), QIcon::Disabled);
    return icon;
}

}  // namespace qelvor
