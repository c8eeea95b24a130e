#include "host/HighContrastPalette.h"

namespace qelvor::host {

QPalette HighContrastPalette()
{
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    const QColor cyan(0x1a, 0xeb, 0xff);
    const QColor yellow(0xff, 0xff, 0x00);
    QPalette palette(white, black);  // window text, window (buttons and the rest derive)
    for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::AlternateBase,
                                           QPalette::Button, QPalette::ToolTipBase})
        palette.setColor(role, black);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText,
                                           QPalette::BrightText, QPalette::ToolTipText, QPalette::Light})
        palette.setColor(role, white);
    palette.setColor(QPalette::Highlight, cyan);
    palette.setColor(QPalette::HighlightedText, black);
    palette.setColor(QPalette::Link, yellow);
    palette.setColor(QPalette::Midlight, QColor(0x80, 0x80, 0x80));
    palette.setColor(QPalette::Mid, QColor(0xc0, 0xc0, 0xc0));
    palette.setColor(QPalette::Dark, QColor(0xc0, 0xc0, 0xc0));
    palette.setColor(QPalette::Shadow, white);
    palette.setColor(QPalette::PlaceholderText, QColor(0xc0, 0xc0, 0xc0));
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, yellow);
    return palette;
}

QString HighContrastStyleSheet()
{
    return QStringLiteral("QLineEdit { border: 1px solid palette(text); padding: 0px 1px; }");
}

}  // namespace qelvor::host
