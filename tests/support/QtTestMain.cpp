// The entry point of every widget test binary: an offscreen Qt application with the
// design font's substitutions.
//
// CTest's test discovery runs the binary without the test's environment, so the
// platform is chosen here when nothing else was asked for. Each binary compiles this
// file itself, so that its definitions choose the rest:
//   QELVOR_TEST_SCREEN_CONFIG        an offscreen screen description (size, dots per inch)
//   QELVOR_TEST_STARTS_GRID_LIBRARY  the grid library starts before the application
//                                    object exists, as it does when the module loads, and
//                                    a failure reported through the message dispatch
//                                    fails the running test instead of opening a box
//   QELVOR_TEST_WINDOW_LONG_WORK     searches and sorts wait as in the browse window (a
//                                    worker thread, the window's event loop turning)
#include <QApplication>
#include <gtest/gtest.h>

#include "platform/FontSubstitution.h"
#ifdef QELVOR_TEST_WINDOW_LONG_WORK
#include "platform/LongWorkWindow.h"
#endif
#ifdef QELVOR_TEST_STARTS_GRID_LIBRARY
#include "grid/GridLibrary.h"
#include "platform/ExceptionDispatch.h"
#endif

int main(int argc, char** argv)
{
#ifdef QELVOR_TEST_STARTS_GRID_LIBRARY
    qelvor::InitializeGridLibrary();
#endif
#ifdef QELVOR_TEST_SCREEN_CONFIG
    const QByteArray platform = QByteArray("offscreen:configfile=") + QELVOR_TEST_SCREEN_CONFIG;
#else
    const QByteArray platform("offscreen");
#endif
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", platform);
    int result = 0;
    {
        QApplication application(argc, argv);
        qelvor::InstallFontSubstitutions();
#ifdef QELVOR_TEST_WINDOW_LONG_WORK
        const qelvor::TLongWorkWindowScope longWork;  // as ShowForm installs it
#endif
#ifdef QELVOR_TEST_STARTS_GRID_LIBRARY
        qelvor::SetErrorPresenter([](const std::string&, const std::string& text) {
            ADD_FAILURE() << "failure reported by the grid: " << text;
        });
#endif
        testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
#ifdef QELVOR_TEST_STARTS_GRID_LIBRARY
        qelvor::FinalizeGridLibrary();
#endif
    }
    return result;
}
