// GridFixture: the browse form's grid configuration for tests.
#include "tests/grid/support/GridFixture.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>

#include "browse/BrowseGridDesign.h"
#include "grid/GridResources.h"
#include "platform/FontSubstitution.h"

namespace qelvor::test {

QFont GridFixture::DesignFont() const
{
    return qelvor::DesignFont();
}

void GridFixture::SetUp()
{
    dataSource = std::make_unique<TDataSource>("DataSource1");
    host = std::make_unique<QWidget>();
    host->setFont(DesignFont());
    grid = new TestGrid(host.get());
    BuildFormColumns();
}

void GridFixture::TearDown()
{
    host.reset();
    dataSource.reset();
    dataSet.reset();
}

void GridFixture::BuildFormColumns()
{
    ApplyBrowseGridDesign(*grid, dataSource.get(), DesignFont());
}

void GridFixture::AttachDataSet(int rows, bool open)
{
    dataSource->SetDataSet(nullptr);
    dataSet = std::make_unique<GridTestDataSet>(AnswerSheetFieldDefs(), rows, &AnswerSheetValue, "QELV_Set");
    dataSource->SetDataSet(dataSet.get());
    if (open)
        dataSet->Open();
}

void GridFixture::SizeForDataRows(int dataRows, int width, int slack)
{
    const int frame = 2 * grid->frameWidth();
    const int client = TitleRowHeight() + 1 + dataRows * (DataRowHeight() + 1) + slack;
    int height = client + frame;
    host->resize(width, height);
    grid->setGeometry(0, 0, width, height);
    host->show();
    QApplication::processEvents();
    // A horizontal bar takes room from the rows; give it back.
    if (grid->ScrollBarShowing(TScrollBarKind::sbHorizontal)) {
        height = client + frame + grid->horizontalScrollBar()->sizeHint().height();
        host->resize(width, height);
        grid->setGeometry(0, 0, width, height);
        QApplication::processEvents();
    }
}

QImage GridFixture::Render()
{
    QImage image(grid->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    grid->viewport()->render(&image);
    return image;
}

QImage GridFixture::OnScreen(const QWidget& widget) const
{
    QApplication::processEvents();
    const QImage window = host->screen()->grabWindow(host->winId()).toImage();
    const QRect area(widget.mapTo(host.get(), QPoint(0, 0)), widget.size());
    return window.copy(area).convertToFormat(QImage::Format_RGB32);
}

QImage GridFixture::FreshPaint(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool AnyPixelOtherThan(const QImage& image, const QRect& rect, QRgb color)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFFu) != (color & 0xFFFFFFu))
                return true;
    return false;
}

int FirstInkColumn(const QImage& image, const QRect& rect, QRgb background)
{
    for (int x = rect.left(); x <= rect.right(); ++x)
        if (AnyPixelOtherThan(image, QRect(x, rect.top(), 1, rect.height()), background))
            return x;
    return -1;
}

int LastInkColumn(const QImage& image, const QRect& rect, QRgb background)
{
    for (int x = rect.right(); x >= rect.left(); --x)
        if (AnyPixelOtherThan(image, QRect(x, rect.top(), 1, rect.height()), background))
            return x;
    return -1;
}

int FirstInkRow(const QImage& image, const QRect& rect, QRgb background)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        if (AnyPixelOtherThan(image, QRect(rect.left(), y, rect.width(), 1), background))
            return y;
    return -1;
}

bool GlyphAt(const QImage& image, QPoint at, int glyphIndex)
{
    const QImage& glyph = SortMarkerImages()->Image(glyphIndex);
    for (int y = 0; y < glyph.height(); ++y)
        for (int x = 0; x < glyph.width(); ++x) {
            const QRgb pixel = glyph.pixel(x, y);
            if (qAlpha(pixel) == 255 && (image.pixel(at.x() + x, at.y() + y) & 0xFFFFFFu) != (pixel & 0xFFFFFFu))
                return false;
        }
    return true;
}

}  // namespace qelvor::test
