#include "platform/DesignFont.h"

namespace qelvor {

QFont DesignFont()
{
    QFont font(QString::fromUtf8("宋体"));
    font.setPixelSize(12);
    font.setStyle(QFont::StyleNormal);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace qelvor
