#include "platform/Panel.h"

#include <QPainter>

namespace qelvor {

namespace {

// A one-pixel frame just inside rect: topLeft colour on top and left, bottomRight on the others.
void DrawBevel(QPainter& painter, const QRect& rect, TBevelCut bevel, const QPalette& palette)
{
    if (bevel == TBevelCut::bvNone)
        return;
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    const QColor& topLeft = bevel == TBevelCut::bvRaised ? light : dark;
    const QColor& bottomRight = bevel == TBevelCut::bvRaised ? dark : light;
    painter.setPen(topLeft);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

}  // namespace

TPanel::TPanel(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
}

void TPanel::SetBevelOuter(TBevelCut bevel)
{
    bevelOuter_ = bevel;
    update();
}

void TPanel::SetBevelInner(TBevelCut bevel)
{
    bevelInner_ = bevel;
    update();
}

void TPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRect edge = rect();
    DrawBevel(painter, edge, bevelOuter_, palette());
    if (bevelOuter_ != TBevelCut::bvNone)
        edge.adjust(1, 1, -1, -1);
    DrawBevel(painter, edge, bevelInner_, palette());
}

}  // namespace qelvor
