// GridScrollBarStyle: the look of the grid's own scroll bars, the application's
// style with the bars as thick as the system's standard scroll bar (17 pixels across
// at 96 dots per inch), so that the client area and the record window come out the
// size they would have beside a standard bar. The thumb follows the system's rule
// too: a bar without a page (the horizontal one) has a square thumb of the bar's
// thickness; a proportional thumb is never shorter than 8 pixels.
#pragma once

#include <QProxyStyle>
#include <QScrollBar>

namespace qelvor {

// Thickness of a standard vertical scroll bar's width and horizontal bar's height.
inline constexpr int kSystemScrollBarExtent = 17;
// Shortest proportional thumb.
inline constexpr int kSystemMinimumThumb = 8;

class TGridScrollBarStyle : public QProxyStyle {
public:
    // Wraps a fresh instance of the application's current style.
    TGridScrollBarStyle();

    // The bar extent and thumb lengths are the system's; every other metric is the
    // application style's.
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
};

// A scroll bar that repaints only the strip its thumb left and entered when its value
// changes: a whole-bar repaint per record step costs more than the step itself.
class TGridScrollBar : public QScrollBar {
public:
    explicit TGridScrollBar(Qt::Orientation orientation) : QScrollBar(orientation) {}

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QRect ThumbRect() const;
    QRect paintedThumb_;  // where the thumb was last painted
};

}  // namespace qelvor
