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

QRect TGridScrollBar::ThumbRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
}

void TGridScrollBar::sliderChange(SliderChange change)
{
    if (change != SliderValueChange || isSliderDown() || !paintedThumb_.isValid()) {
        QScrollBar::sliderChange(change);
        return;
    }
    // The slider's reaction to a value change is a repaint of the whole bar; the
    // value's notifications come from setValue itself. Over many records most steps
    // move the thumb by less than a pixel: nothing to repaint then. The style's thumb
    // may draw a little past its rectangle: the strip across the bar, with a margin, goes.
    const QRect thumb = ThumbRect();
    if (thumb == paintedThumb_)
        return;
    constexpr int kMargin = 3;
    const QRect thumbs = paintedThumb_ | thumb;
    const QRect strip = orientation() == Qt::Vertical
                            ? QRect(0, thumbs.top() - kMargin, width(), thumbs.height() + 2 * kMargin)
                            : QRect(thumbs.left() - kMargin, 0, thumbs.width() + 2 * kMargin, height());
    update(strip);
}

void TGridScrollBar::paintEvent(QPaintEvent* event)
{
    QScrollBar::paintEvent(event);
    paintedThumb_ = ThumbRect();
}

}  // namespace qelvor
