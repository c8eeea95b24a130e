// DesignFont: the font the forms were designed with ("宋体", 12-pixel characters).
//
// Qt resolves the family through the substitutions of FontSubstitution.h, so the
// metrics are those of the installed stand-in font.
#pragma once

#include <QFont>

namespace qelvor {

// "宋体", character height 12 pixels, no style.
QFont DesignFont();

}  // namespace qelvor
