// Test entry point for tests that need a Qt GUI application object.
//
// CTest's test discovery runs the binary without the test's environment, so the
// offscreen platform is chosen here when nothing else was asked for.
#include <QApplication>
#include <gtest/gtest.h>

#include "platform/FontSubstitution.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    qelvor::InstallFontSubstitutions();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
