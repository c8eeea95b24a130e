// SystemColors: system colour roles resolved through the application palette.
#include "grid/SystemColors.h"

#include <QGuiApplication>
#include <QPalette>

namespace qelvor {

namespace {

QColor SystemColor(TColor color)
{
    const QPalette palette = QGuiApplication::palette();
    switch (color & 0xFFu) {
    case 0x05: return palette.color(QPalette::Base);
    case 0x08: return palette.color(QPalette::Text);
    case 0x0D: return palette.color(QPalette::Highlight);
    case 0x0E: return palette.color(QPalette::HighlightedText);
    case 0x0F: return palette.color(QPalette::Button);
    case 0x10: return palette.color(QPalette::Dark);
    case 0x11: return palette.color(QPalette::Disabled, QPalette::Text);
    case 0x12: return palette.color(QPalette::ButtonText);
    case 0x14: return palette.color(QPalette::Light);
    case 0x15: return palette.color(QPalette::Shadow);
    case 0x16: return palette.color(QPalette::Midlight);
    default: return palette.color(QPalette::Window);
    }
}

}  // namespace

QColor ToQColor(TColor color)
{
    if (IsSystemColor(color))
        return SystemColor(color);
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

TColor ColorToRGB(TColor color)
{
    if (!IsSystemColor(color))
        return color & 0xFFFFFFu;
    const QColor resolved = SystemColor(color);
    return RGBColor(resolved.red(), resolved.green(), resolved.blue());
}

}  // namespace qelvor
