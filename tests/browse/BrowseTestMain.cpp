// Test entry point of the browse form's tests: an offscreen Qt application on one
// 1024 × 768 screen at 96 dots per inch, the screen the form's placement is checked on.
#include <QApplication>
#include <gtest/gtest.h>

#include "platform/FontSubstitution.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QELVOR_TEST_SCREEN_CONFIG);
    QApplication application(argc, argv);
    qelvor::InstallFontSubstitutions();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
