// GridResources: the grid library's images, cursors and sort-number font.
//
// Images are kept as QImage (usable without a GUI application); the cursors and the
// font are made into Qt GUI objects on first use. Resources are looked up by name in
// a resource table (GridResourceImages.cpp) so that start-up can be run against
// another table, for example one that lacks a cursor.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QColor>
#include <QImage>
#include <QPoint>

class QCursor;
class QFont;

namespace qelvor {

// A named bitmap or cursor image of the module (cursor images carry a hot spot).
struct GridResourceImage {
    QImage image;
    QPoint hotSpot;
};
using GridResourceLookup = std::function<std::optional<GridResourceImage>(const std::string& name)>;

// The module's own resource table.
std::optional<GridResourceImage> FindGridResource(const std::string& name);

// A list of equally sized images drawn with a transparent colour each.
class TGridImageList {
public:
    TGridImageList(int width, int height) : width_(width), height_(height) {}
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return static_cast<int>(images_.size()); }
    // Adds an image; pixels of `transparent` become fully transparent.
    void AddMasked(const QImage& image, QRgb transparent);
    const QImage& Image(int index) const { return images_.at(static_cast<std::size_t>(index)); }
    // The image with its black pixels in `ink`: a black glyph is drawn in the cell's text
    // colour, so that it stays visible on a dark palette (black ink gives Image itself).
    QImage InkedImage(int index, const QColor& ink) const;

private:
    int width_;  // width of every image in the list
    int height_;  // height of every image in the list
    std::vector<QImage> images_;  // the images, by index
};

enum class TGridCursorEh { Down, Right, Left };

// The shared resources while the library is initialised (nullptr otherwise).
const TGridImageList* IndicatorImages();
const TGridImageList* SortMarkerImages();
// Pixel height of SortNumberFont's characters (1 - height of DBSMDOWNEH, negated).
int SortNumberFontPixelSize();
// The sort-number font ("Arial", 8-pixel characters); needs a GUI application.
const QFont& SortNumberFont();
// One of the three cursors; needs a GUI application.
const QCursor& GridCursor(TGridCursorEh cursor);

// Start-up against a given resource table (InitializeGridLibrary uses the module's).
void InitializeGridLibraryFrom(const GridResourceLookup& lookup);

}  // namespace qelvor
