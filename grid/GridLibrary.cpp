// GridLibrary: module-wide grid resources, created at load and freed at unload.
//
// Order of start-up: style and data-service objects, the sort-number font size (from
// the DBSMDOWNEH image), the three cursor images (a missing one aborts start-up
// before any image list is built), then the indicator and sort-marker image lists.
// Qt GUI objects are made from this data on first use, after the application exists.
#include "grid/GridLibrary.h"

#include <array>
#include <memory>

#include <QCursor>
#include <QFont>
#include <QPainter>
#include <QPixmap>

#include "runtime/Exceptions.h"
#include "grid/DBGridEhAccessibleFactory.h"
#include "grid/GridAccessibility.h"
#include "grid/GridResources.h"
#include "grid/GridStyle.h"

namespace qelvor {

namespace {

struct GridLibraryState {
    std::unique_ptr<TDBGridEhStyle> style;
    std::unique_ptr<TDBGridEhDataService> dataService;
    int sortNumberPixelSize = 0;
    std::array<GridResourceImage, 3> cursorImages;
    std::unique_ptr<TGridImageList> indicatorImages;
    std::unique_ptr<TGridImageList> sortMarkerImages;
    // Made on first use.
    std::unique_ptr<QFont> sortNumberFont;
    std::array<std::unique_ptr<QCursor>, 3> cursors;
};

std::unique_ptr<GridLibraryState>& State()
{
    static std::unique_ptr<GridLibraryState> state;
    return state;
}

GridResourceImage Require(const GridResourceLookup& lookup, const char* name, const char* failure)
{
    auto found = lookup(name);
    if (!found || found->image.isNull())
        throw EOutOfResources(failure);
    return *found;
}

QImage RequireBitmap(const GridResourceLookup& lookup, const char* name)
{
    return Require(lookup, name, "Cannot load bitmap resource").image;
}

// Image 6 of the indicator list: the white arrow composed over yellow.
QImage OverYellow(const QImage& whiteArrow)
{
    QImage result(whiteArrow.size(), QImage::Format_ARGB32);
    result.fill(qRgb(255, 255, 0));
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x)
            if (whiteArrow.pixel(x, y) != qRgb(0, 128, 128))
                result.setPixel(x, y, whiteArrow.pixel(x, y));
    return result;
}

}  // namespace

void TGridImageList::AddMasked(const QImage& image, QRgb transparent)
{
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < masked.height(); ++y)
        for (int x = 0; x < masked.width(); ++x)
            if ((masked.pixel(x, y) & 0xFFFFFFu) == (transparent & 0xFFFFFFu))
                masked.setPixel(x, y, qRgba(0, 0, 0, 0));
    images_.push_back(masked.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

QImage TGridImageList::InkedImage(int index, const QColor& ink) const
{
    const QImage& image = Image(index);
    if (ink.rgb() == qRgb(0, 0, 0))
        return image;
    QImage inked = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb inkPixel = ink.rgb();
    for (int y = 0; y < inked.height(); ++y)
        for (int x = 0; x < inked.width(); ++x)
            if (inked.pixel(x, y) == qRgba(0, 0, 0, 255))
                inked.setPixel(x, y, inkPixel);
    return inked.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void InitializeGridLibraryFrom(const GridResourceLookup& lookup)
{
    if (State())
        return;
    auto state = std::make_unique<GridLibraryState>();
    state->style = std::make_unique<TDBGridEhStyle>();
    state->dataService = std::make_unique<TDBGridEhDataService>();
    const QImage sortDown = RequireBitmap(lookup, "DBSMDOWNEH");
    state->sortNumberPixelSize = -(1 - sortDown.height());
    const char* cursorNames[] = {"DOWNCUREH", "RIGHTCUREH", "LEFTCUREH"};
    for (std::size_t i = 0; i < 3; ++i)
        state->cursorImages[i] = Require(lookup, cursorNames[i], "Cannot load cursor resource");

    state->indicatorImages = std::make_unique<TGridImageList>(6, 11);
    const QRgb white = qRgb(255, 255, 255);
    for (const char* name : {"DBGARROWEH", "DBEDITEH", "DBINSERTEH", "DBMULTIDOTEH", "DBMULTIARROWEH"})
        state->indicatorImages->AddMasked(RequireBitmap(lookup, name), white);
    const QImage whiteArrow = RequireBitmap(lookup, "DBGARROWEHW");
    state->indicatorImages->AddMasked(whiteArrow, qRgb(0, 128, 128));
    state->indicatorImages->AddMasked(OverYellow(whiteArrow), qRgb(0, 128, 128));

    state->sortMarkerImages = std::make_unique<TGridImageList>(10, 9);
    state->sortMarkerImages->AddMasked(sortDown, qRgb(255, 0, 255));
    state->sortMarkerImages->AddMasked(RequireBitmap(lookup, "DBSMUPEH"), qRgb(255, 0, 255));
    State() = std::move(state);
}

void InitializeGridLibrary()
{
    RegisterDataGridAccessibleFactory();
    InstallGridAccessibility();
    InitializeGridLibraryFrom(&FindGridResource);
}

void FinalizeGridLibrary()
{
    RemoveGridAccessibility();
    State().reset();
}

TDBGridEhStyle* DBGridEhStyle()
{
    return State() ? State()->style.get() : nullptr;
}

TDBGridEhDataService* DBGridEhDataService()
{
    return State() ? State()->dataService.get() : nullptr;
}

const TGridImageList* IndicatorImages()
{
    return State() ? State()->indicatorImages.get() : nullptr;
}

const TGridImageList* SortMarkerImages()
{
    return State() ? State()->sortMarkerImages.get() : nullptr;
}

int SortNumberFontPixelSize()
{
    return State() ? State()->sortNumberPixelSize : 8;
}

const QFont& SortNumberFont()
{
    auto& state = State();
    if (!state) {
        static const QFont fallback("Arial");
        return fallback;
    }
    if (!state->sortNumberFont) {
        state->sortNumberFont = std::make_unique<QFont>("Arial");
        state->sortNumberFont->setPixelSize(state->sortNumberPixelSize);
    }
    return *state->sortNumberFont;
}

const QCursor& GridCursor(TGridCursorEh cursor)
{
    auto& state = State();
    const auto index = static_cast<std::size_t>(cursor);
    if (!state) {
        static const QCursor fallback;
        return fallback;
    }
    if (!state->cursors[index]) {
        const GridResourceImage& source = state->cursorImages[index];
        state->cursors[index] = std::make_unique<QCursor>(QPixmap::fromImage(source.image),
                                                          source.hotSpot.x(), source.hotSpot.y());
    }
    return *state->cursors[index];
}

}  // namespace qelvor
