#include "resources/ButtonGlyphs.h"

#include <array>
#include <cstring>

#include "runtime/Assert.h"

namespace qelvor::resources {

namespace {

// The standard 16-colour palette.
constexpr std::array<QRgb, 16> kPalette = {
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
    0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,
};
constexpr int kBackground = 3;  // olive: never part of a drawing
constexpr int kGrey = 8;
constexpr int kWhite = 15;

int ColourIndex(char art)
{
    switch (art) {
    case 'K': return 0;   // black outline
    case 'R': return 9;   // red arrow
    case 'N': return 4;   // navy handle
    case 'S': return 7;   // silver face
    case 'C': return 14;  // aqua lens
    case 'W': return kWhite;
    default: return kBackground;
    }
}

QImage EmptyImage(int width, int height)
{
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorTable(QList<QRgb>(kPalette.begin(), kPalette.end()));
    image.fill(kBackground);
    return image;
}

// Copies rows of pixel art into image at column left.
template <std::size_t Rows>
void Draw(QImage& image, int left, const std::array<const char*, Rows>& art)
{
    QELVOR_ASSERT(static_cast<int>(Rows) == image.height());
    for (int y = 0; y < static_cast<int>(Rows); ++y) {
        QELVOR_ASSERT(static_cast<int>(std::strlen(art[y])) + left <= image.width());
        for (int x = 0; art[y][x] != '\0'; ++x)
            image.setPixel(left + x, y, static_cast<uint>(ColourIndex(art[y][x])));
    }
}

// The disabled look of the image at [left, left + width): the shape in grey with a
// white copy one pixel down and right, on the background.
void DrawDisabled(QImage& image, int fromLeft, int toLeft, int width)
{
    const auto drawn = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < width && y < image.height() && image.pixelIndex(fromLeft + x, y) != kBackground;
    };
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < width; ++x) {
            int colour = kBackground;
            if (drawn(x, y))
                colour = kGrey;
            else if (drawn(x - 1, y - 1))
                colour = kWhite;
            image.setPixel(toLeft + x, y, static_cast<uint>(colour));
        }
}

constexpr std::array<const char*, 18> kMagnifier = {
    "..................",
    "......KKKKK.......",
    "....KKCCCCCKK.....",
    "...KCCWWCCCCCK....",
    "...KCWWCCCCCCK....",
    "..KCCWCCCCCCCCK...",
    "..KCCCCCCCCCCCK...",
    "..KCCCCCCCCCCCK...",
    "..KCCCCCCCCCCCK...",
    "..KCCCCCCCCCCCK...",
    "...KCCCCCCCCCK....",
    "...KCCCCCCCCCK....",
    "....KKCCCCCKKN....",
    "......KKKKK.NNN...",
    ".............NNN..",
    "..............NNN.",
    "...............NN.",
    "..................",
};

constexpr std::array<const char*, 15> kDoor = {
    "................",
    "..KKKKKKKK......",
    "..KSSSSSSK......",
    "..KSSSSSSK......",
    "..KSSSSSSK..R...",
    "..KSSSSSSK..RR..",
    "..KSSSSKSRRRRRR.",
    "..KSSSSSSK..RR..",
    "..KSSSSSSK..R...",
    "..KSSSSSSK......",
    "..KSSSSSSK......",
    "..KSSSSSSK......",
    "..KKKKKKKK......",
    "................",
    "................",
};

}  // namespace

QImage SearchGlyph()
{
    QImage glyph = EmptyImage(36, 18);
    Draw(glyph, 0, kMagnifier);
    DrawDisabled(glyph, 0, 18, 18);
    return glyph;
}

QImage ExitGlyph()
{
    QImage glyph = EmptyImage(16, 15);
    Draw(glyph, 0, kDoor);
    return glyph;
}

}  // namespace qelvor::resources
