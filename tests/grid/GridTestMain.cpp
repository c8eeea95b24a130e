// Test entry point of the grid tests. The grid library starts before the application
// object exists, as it does when the module loads; a failure reported through the
// message dispatch fails the running test instead of opening a box.
#include <QApplication>
#include <gtest/gtest.h>

#include "grid/GridLibrary.h"
#include "platform/ExceptionDispatch.h"
#include "platform/FontSubstitution.h"

int main(int argc, char** argv)
{
    qelvor::InitializeGridLibrary();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int result = 0;
    {
        QApplication application(argc, argv);
        qelvor::InstallFontSubstitutions();
        qelvor::SetErrorPresenter([](const std::string&, const std::string& text) {
            ADD_FAILURE() << "failure reported by the grid: " << text;
        });
        testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
        qelvor::FinalizeGridLibrary();
    }
    return result;
}
