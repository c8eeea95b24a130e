// GridScrollBarStyle: the look of the grid's own scroll bars, the application's
// style with the bars as thick as the system's standard scroll bar (17 pixels across
// at 96 dots per inch), so that the client area and the record window come out the
// size they would have beside a standard bar.
#pragma once

#include <QProxyStyle>

namespace qelvor {

// Thickness of a standard vertical scroll bar's width and horizontal bar's height.
inline constexpr int kSystemScrollBarExtent = 17;

class TGridScrollBarStyle : public QProxyStyle {
public:
    // Wraps a fresh instance of the application's current style.
    TGridScrollBarStyle();

    // The bar extent is the system's; every other metric is the application style's.
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
};

}  // namespace qelvor
