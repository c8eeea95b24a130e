// The grid library's start-up resources and the cell-text helpers.
#include <QCursor>
#include <QFontMetrics>
#include <QPixmap>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "runtime/Exceptions.h"
#include "grid/CellText.h"
#include "grid/GridLibrary.h"
#include "grid/GridResources.h"
#include "grid/GridStyle.h"
#include "platform/FontSubstitution.h"

namespace qelvor::test {
namespace {

TEST(GridLibrary, ImageListsAndSortNumberFont)
{
    ASSERT_NE(IndicatorImages(), nullptr);
    EXPECT_EQ(IndicatorImages()->Count(), 7);
    EXPECT_EQ(IndicatorImages()->Width(), 6);
    EXPECT_EQ(IndicatorImages()->Height(), 11);
    for (int i = 0; i < IndicatorImages()->Count(); ++i)
        EXPECT_EQ(IndicatorImages()->Image(i).size(), QSize(6, 11)) << "image " << i;
    ASSERT_NE(SortMarkerImages(), nullptr);
    EXPECT_EQ(SortMarkerImages()->Count(), 2);
    // Magenta is transparent in the sort markers, white in the arrow.
    const QImage& down = SortMarkerImages()->Image(0);
    EXPECT_EQ(down.size(), QSize(10, 9));
    EXPECT_EQ(qAlpha(down.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(IndicatorImages()->Image(0).pixel(5, 0)), 0);
    EXPECT_EQ(qAlpha(IndicatorImages()->Image(0).pixel(0, 5)), 255);
    // Image 6 is the white arrow over yellow: nothing transparent.
    EXPECT_EQ(qAlpha(IndicatorImages()->Image(6).pixel(5, 0)), 255);
    EXPECT_EQ(SortNumberFontPixelSize(), -(1 - down.height()));
    EXPECT_EQ(SortNumberFont().family(), "Arial");
    EXPECT_EQ(SortNumberFont().pixelSize(), 8);
    EXPECT_FALSE(GridCursor(TGridCursorEh::Down).pixmap().isNull());
    ASSERT_NE(DBGridEhStyle(), nullptr);
    EXPECT_EQ(DBGridEhStyle()->ScreenColorCount(), -1);
}

TEST(GridLibrary, MissingCursorFailsStartUp)
{
    FinalizeGridLibrary();
    EXPECT_EQ(IndicatorImages(), nullptr);
    const GridResourceLookup withoutLeft = [](const std::string& name) -> std::optional<GridResourceImage> {
        if (name == "LEFTCUREH")
            return std::nullopt;
        return FindGridResource(name);
    };
    try {
        InitializeGridLibraryFrom(withoutLeft);
        ADD_FAILURE() << "start-up succeeded without a cursor";
    } catch (const EOutOfResources& error) {
        EXPECT_STREQ(error.what(), "Cannot load cursor resource");
    }
    // The images are not built after the failure.
    EXPECT_EQ(IndicatorImages(), nullptr);
    InitializeGridLibrary();
    EXPECT_NE(IndicatorImages(), nullptr);
}

TEST(GridStyle, BlendRule)
{
    // White blended with a highlight of (0, 120, 215).
    const TColor blended = TDBGridEhStyle::BlendColor(clWhite, RGBColor(0, 120, 215), true);
    auto channel = [](double background, double highlight) {
        const double m = background + (highlight - background) * 0.5;
        double v = m + (225 - m) * 0.6;
        v = v - (122 - v) * 0.25;
        return static_cast<int>(std::lround(std::clamp(v, 0.0, 255.0)));
    };
    EXPECT_EQ(blended, RGBColor(channel(255, 0), channel(255, 120), channel(255, 215)));
    EXPECT_NE(TDBGridEhStyle::BlendColor(clBlack, clBlack, false), clBlack);
}

class CellTextTest : public ::testing::Test {
protected:
    QFont Font() const
    {
        QFont font(kDesignFontSubstitute);
        font.setPixelSize(12);
        return font;
    }
};

TEST_F(CellTextTest, ShortenToFitCutsAtCharacterBoundaries)
{
    // The design font, and a proportional one whose "..." is narrower than a wide last
    // character: there the head one character short of the whole text fits.
    QFont proportional(QStringLiteral("Liberation Sans"));
    proportional.setPixelSize(12);
    const QString pairs = QStringLiteral("ab") + QString::fromUcs4(U"\U00020BB7\U00020BB7") + QStringLiteral("cd");
    for (const auto& [font, text] : {std::pair{Font(), pairs}, std::pair{proportional, QStringLiteral("iiW")},
                                     std::pair{proportional, QStringLiteral("il") + QString::fromUcs4(U"\U00020BB7")}}) {
        const QFontMetrics metrics(font);
        for (int width = 0; width <= metrics.horizontalAdvance(text) + 2; ++width) {
            const QString shortened = ShortenToFit(text, metrics, width);
            if (shortened == text)
                continue;
            ASSERT_TRUE(shortened.endsWith(QStringLiteral("...")));
            const QString head = shortened.chopped(3);
            EXPECT_TRUE(text.startsWith(head));
            if (!head.isEmpty()) {
                EXPECT_FALSE(head.back().isHighSurrogate()) << "width " << width;
            }
            if (shortened != QStringLiteral("...")) {
                EXPECT_LE(metrics.horizontalAdvance(shortened), width);
            }
            // The longest head that fits: one more character (a whole pair) would not.
            const qsizetype next = head.size() + (text.at(head.size()).isHighSurrogate() ? 2 : 1);
            EXPECT_GT(metrics.horizontalAdvance(text.left(next) + QStringLiteral("...")), width)
                << text.toStdString() << ", width " << width;
        }
        EXPECT_EQ(ShortenToFit(text, metrics, 1), QStringLiteral("..."));
        EXPECT_EQ(ShortenToFit(text, metrics, 10000), text);
    }
    // The case that needs the head one short of the whole text does occur.
    const QFontMetrics metrics(proportional);
    EXPECT_LT(metrics.horizontalAdvance(QStringLiteral("ii...")), metrics.horizontalAdvance(QStringLiteral("iiW")));
}

TEST_F(CellTextTest, ATextExactlyAsWideAsItsCellIsNotShortened)
{
    const QFontMetrics metrics(Font());
    const QString text = QStringLiteral("考生12345");
    const int textWidth = metrics.horizontalAdvance(text);
    EXPECT_EQ(ShortenToFit(text, metrics, textWidth), text);
    // In a cell whose room after the text offset is exactly the text's width.
    const int offset = 2;
    const QRect cell(0, 0, offset + textWidth, 20);
    auto draw = [&](bool endEllipsis) {
        QImage image(cell.size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        painter.setFont(Font());
        WriteCellText(painter, cell, offset, offset, TAlignment::taLeftJustify, endEllipsis, false, text, Qt::white,
                      Qt::black, false);
        return image;
    };
    EXPECT_EQ(draw(true), draw(false));
}

TEST_F(CellTextTest, PlacementAndClipping)
{
    QImage image(60, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setFont(Font());
    const QRect cell(10, 2, 30, 16);
    WriteCellText(painter, cell, 2, 2, TAlignment::taLeftJustify, false, false,
                  QStringLiteral("WWWWWWWWWW"), Qt::white, Qt::black);
    painter.end();
    // The cell is filled, the long text is clipped to it, nothing outside changes.
    EXPECT_EQ(image.pixel(cell.right(), cell.bottom()), qRgb(255, 255, 255));
    for (int y = 0; y < image.height(); ++y) {
        EXPECT_EQ(image.pixel(cell.right() + 1, y), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(cell.left() - 1, y), qRgb(0, 0, 0));
    }
}

}  // namespace
}  // namespace qelvor::test
