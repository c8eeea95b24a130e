#include "platform/DesignFont.h"

#include <QFontMetrics>

namespace qelvor {

QFont DesignFont()
{
    QFont font(QString::fromUtf8("宋体"));
    font.setPixelSize(kDesignFontDrawPixelSize);
    font.setStretch(kDesignFontDrawStretch);
    font.setStyle(QFont::StyleNormal);
    font.setWeight(QFont::Normal);
    return font;
}

bool IsDesignFont(const QFont& font)
{
    return font.family() == QString::fromUtf8("宋体") && font.pixelSize() == kDesignFontDrawPixelSize
           && font.stretch() == kDesignFontDrawStretch;
}

int TextLineHeight(const QFont& font)
{
    return IsDesignFont(font) ? kDesignFontPixelSize : QFontMetrics(font).height();
}

int TextAscent(const QFont& font)
{
    return IsDesignFont(font) ? kDesignFontAscent : QFontMetrics(font).ascent();
}

}  // namespace qelvor
