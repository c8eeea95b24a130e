// GridFixture: a grid set up as the browse form sets it up (seven persistent columns,
// the form's options, 12-pixel design font), over a GridTestDataSet, in a shown
// top-level host; plus helpers to size it for a number of data rows, to render it and
// to read what the window shows.
#pragma once

#include <memory>

#include <QFontMetrics>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include "data/DataSource.h"
#include "grid/DBGridEh.h"
#include "grid/SystemColors.h"
#include "platform/DesignFont.h"
#include "tests/grid/support/GridTestDataSet.h"

namespace qelvor::test {

// Exposes the grid's protected state to the tests and counts pixel scrolls.
class TestGrid : public TDBGridEh {
public:
    using TDBGridEh::TDBGridEh;
    using TCustomDBGridEh::DrawCell;
    using TCustomGrid::MoveCurrent;

    void PressTitle(int gridCol, bool down)
    {
        StartTitlePress(gridCol);
        SetTitleDown(down);
        InvalidateGrid();
    }
    int pixelScrolls = 0;
    int lastScrollDy = 0;
    QRect lastScrollRect;

protected:
    void ScrollClientRect(int dx, int dy, const QRect& rect) override
    {
        ++pixelScrolls;
        lastScrollDy = dy;
        lastScrollRect = rect;
        TDBGridEh::ScrollClientRect(dx, dy, rect);
    }
};

class GridFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Columns and options of the browse form, read as a stored layout.
    void BuildFormColumns();
    // Creates (and opens, unless told otherwise) a dataset of `rows` answer-sheet rows.
    void AttachDataSet(int rows, bool open = true);
    // Sizes the grid so that `dataRows` full data rows fit (plus `slack` pixels).
    void SizeForDataRows(int dataRows, int width = 1100, int slack = 3);
    // The grid's client area as painted now.
    QImage Render();
    // What the window holds for `widget` after the pending repaints, against a fresh
    // paint of it: equal when the partial repaints left nothing stale.
    QImage OnScreen(const QWidget& widget) const;
    static QImage FreshPaint(QWidget& widget);
    // Client rectangle of a cell, from the grid's own geometry.
    QRect Cell(int col, int row) const { return grid->CellRect(col, row); }
    QFont DesignFont() const;
    // The title row and a data row as the design measures them (12-pixel lines).
    int TitleRowHeight() const { return TextLineHeight(DesignFont()) + 4; }
    int DataRowHeight() const { return TextLineHeight(DesignFont()) + 3 + 1; }

    std::unique_ptr<GridTestDataSet> dataSet;
    std::unique_ptr<TDataSource> dataSource;
    std::unique_ptr<QWidget> host;
    TestGrid* grid = nullptr;
};

// True when any pixel of `rect` in `image` differs from `color`.
// The browse form's grid over 40 rows with 10 on screen, for picture tests.
class PaintedGridFixture : public GridFixture {
protected:
    void SetUp() override
    {
        GridFixture::SetUp();
        AttachDataSet(40);
        SizeForDataRows(10);
    }
    QRgb Base() const { return ToQColor(clWindow).rgb(); }
    QRgb Face() const { return ToQColor(clBtnFace).rgb(); }
    // A fixed cell's rectangle inside its one-pixel 3D frame.
    QRect Inner(int col, int row) const { return Cell(col, row).adjusted(1, 1, -1, -1); }
};

bool AnyPixelOtherThan(const QImage& image, const QRect& rect, QRgb color);
// Leftmost / rightmost column and topmost row of pixels in `rect` differing from `background`;
// -1 when there is none.
int FirstInkColumn(const QImage& image, const QRect& rect, QRgb background);
int LastInkColumn(const QImage& image, const QRect& rect, QRgb background);
int FirstInkRow(const QImage& image, const QRect& rect, QRgb background);
// Whether sort glyph `glyphIndex` is drawn with its top-left corner at `at`.
bool GlyphAt(const QImage& image, QPoint at, int glyphIndex);

}  // namespace qelvor::test
