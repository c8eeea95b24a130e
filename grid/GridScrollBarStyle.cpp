// GridScrollBarStyle: the scroll bar extent of the grid's bars.
#include "grid/GridScrollBarStyle.h"

#include <QApplication>
#include <QStyleFactory>

namespace qelvor {

TGridScrollBarStyle::TGridScrollBarStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name()))
{
}

int TGridScrollBarStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    if (metric == PM_ScrollBarExtent)
        return kSystemScrollBarExtent;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

}  // namespace qelvor
