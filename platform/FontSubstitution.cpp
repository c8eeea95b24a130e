#include "platform/FontSubstitution.h"

#include <QFont>
#include <QString>

namespace qelvor {

void InstallFontSubstitutions()
{
    for (const char* designName : {"宋体", "SimSun", "NSimSun", "新宋体"}) {
        const QString name = QString::fromUtf8(designName);
        if (QFont::substitute(name) != QString::fromUtf8(kDesignFontSubstitute))
            QFont::insertSubstitution(name, QString::fromUtf8(kDesignFontSubstitute));
    }
}

}  // namespace qelvor
