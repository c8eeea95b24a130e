// GridScrollBarStyle: the scroll bar extent and thumb lengths of the grid's bars.
#include "grid/GridScrollBarStyle.h"

#include <QApplication>
#include <QStyleFactory>
#include <QStyleOptionSlider>

namespace qelvor {

TGridScrollBarStyle::TGridScrollBarStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name()))
{
}

int TGridScrollBarStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    if (metric == PM_ScrollBarExtent)
        return kSystemScrollBarExtent;
    if (metric == PM_ScrollBarSliderMin) {
        const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
        return slider && slider->pageStep == 0 ? kSystemScrollBarExtent : kSystemMinimumThumb;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

}  // namespace qelvor
