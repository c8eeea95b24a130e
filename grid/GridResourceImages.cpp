// GridResourceImages: the module's bitmap and cursor resources, drawn here as
// character maps so that nothing needs a GUI application to build them.
//
// Legend: '.' background (the image's transparent colour), 'X' black, 'g' grey,
// 'w' white, 'y' yellow; cursors: '.' transparent, 'X' black, 'w' white.
#include "grid/GridResources.h"

#include <cstring>
#include <map>

#include "runtime/Assert.h"

namespace qelvor {

namespace {

QImage FromMap(std::initializer_list<const char*> rows, QRgb background)
{
    const int height = static_cast<int>(rows.size());
    const int width = static_cast<int>(std::strlen(*rows.begin()));
    QImage image(width, height, QImage::Format_ARGB32);
    int y = 0;
    for (const char* row : rows) {
        QELVOR_ASSERT(static_cast<int>(std::strlen(row)) == width);
        for (int x = 0; x < width; ++x) {
            QRgb pixel = background;
            switch (row[x]) {
            case 'X': pixel = qRgb(0, 0, 0); break;
            case 'g': pixel = qRgb(128, 128, 128); break;
            case 'w': pixel = qRgb(255, 255, 255); break;
            case 'y': pixel = qRgb(255, 255, 0); break;
            default: break;
            }
            image.setPixel(x, y, pixel);
        }
        ++y;
    }
    return image;
}

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kTeal = qRgb(0, 128, 128);
const QRgb kMagenta = qRgb(255, 0, 255);
const QRgb kClear = qRgba(0, 0, 0, 0);

std::map<std::string, GridResourceImage> BuildTable()
{
    std::map<std::string, GridResourceImage> table;
    // Row indicator: the current record while browsing.
    table["DBGARROWEH"] = {FromMap({"......", "X.....", "XX....", "XXX...", "XXXX..", "XXXXX.",
                                    "XXXX..", "XXX...", "XX....", "X.....", "......"}, kWhite), {}};
    // The current record being edited: a pencil-like I-beam.
    table["DBEDITEH"] = {FromMap({"......", "XXXXX.", "..X...", "..X...", "..X...", "..X...",
                                  "..X...", "..X...", "..X...", "XXXXX.", "......"}, kWhite), {}};
    // The current record being inserted: an asterisk.
    table["DBINSERTEH"] = {FromMap({"......", "......", "..X...", "X.X.X.", ".XXX..", "XXXXX.",
                                    ".XXX..", "X.X.X.", "..X...", "......", "......"}, kWhite), {}};
    table["DBMULTIDOTEH"] = {FromMap({"......", "......", "......", "......", ".XX...", "XXXX..",
                                      "XXXX..", ".XX...", "......", "......", "......"}, kWhite), {}};
    table["DBMULTIARROWEH"] = {FromMap({"......", "X.....", "XX....", "XXX...", "XXXX..", "XXXXX.",
                                        "XXXX..", "XXX...", "XX....", "X.....", "......"}, kWhite), {}};
    // The teal background of this one is its transparent colour.
    table["DBGARROWEHW"] = {FromMap({"......", "w.....", "ww....", "www...", "wwww..", "wwwww.",
                                     "wwww..", "www...", "ww....", "w.....", "......"}, kTeal), {}};
    // Sort markers, 10 x 9, magenta transparent.
    table["DBSMDOWNEH"] = {FromMap({"..........", "gggggggggw", ".ggggggww.", ".gg....ww.",
                                    "..gg..ww..", "..gg..ww..", "...g.ww...", "...gww....",
                                    "....w....."}, kMagenta), {}};
    // The ascending one stands on a grey base as the descending one hangs from a grey
    // top: with only its left edge grey it read as a slash on the light title face.
    table["DBSMUPEH"] = {FromMap({"....g.....", "...gww....", "...g.ww...", "..gg..ww..",
                                  "..gg..ww..", ".gg....ww.", ".ggggggww.", "gggggggggw",
                                  ".........."}, kMagenta), {}};
    // Cursors: an arrow pointing down (column selection), right and left (column moves).
    table["DOWNCUREH"] = {FromMap({"...XXXXX...", "...XwwwX...", "...XwwwX...", "...XwwwX...",
                                   "...XwwwX...", "XXXXwwwXXXX", ".XwwwwwwwX.", "..XwwwwwX..",
                                   "...XwwwX...", "....XwX....", ".....X....."}, kClear), {5, 10}};
    table["RIGHTCUREH"] = {FromMap({".....X.....", ".....XX....", ".....XwX...", "XXXXXXwwX..",
                                    "XwwwwwwwwX.", "XwwwwwwwwwX", "XwwwwwwwwX.", "XXXXXXwwX..",
                                    ".....XwX...", ".....XX....", ".....X....."}, kClear), {10, 5}};
    table["LEFTCUREH"] = {FromMap({".....X.....", "....XX.....", "...XwX.....", "..XwwXXXXXX",
                                   ".XwwwwwwwwX", "XwwwwwwwwwX", ".XwwwwwwwwX", "..XwwXXXXXX",
                                   "...XwX.....", "....XX.....", ".....X....."}, kClear), {0, 5}};
    return table;
}

}  // namespace

std::optional<GridResourceImage> FindGridResource(const std::string& name)
{
    static const std::map<std::string, GridResourceImage> table = BuildTable();
    const auto found = table.find(name);
    if (found == table.end())
        return std::nullopt;
    return found->second;
}

}  // namespace qelvor
