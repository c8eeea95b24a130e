// The grid's accessible table across application objects, in a process of its own that
// starts with none (as a host that has no Qt application object): one is made and a grid
// is offered as a table; the object goes, and Qt forgets its registrations with it;
// another is made at the very address of the first (as can happen to the one ShowForm
// makes for each window), and its grids must be tables too.
#include <QAccessible>
#include <QApplication>
#include <gtest/gtest.h>

#include <new>

#include "grid/DBGridEh.h"
#include "grid/GridLibrary.h"

namespace qelvor::test {
namespace {

bool OfferedAsTable(QWidget& grid)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&grid);
    return iface != nullptr && iface->tableInterface() != nullptr;
}

TEST(AccessibleRegistration, AnApplicationObjectWhereTheLastOneWasStillGetsTables)
{
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    alignas(QApplication) static unsigned char storage[sizeof(QApplication)];
    int argc = 1;
    char name[] = "qelvor_grid_registration_test";
    char* argv[] = {name, nullptr};
    InitializeGridLibrary();  // as the module does when it is loaded, before any application object
    for (int round = 1; round <= 3; ++round) {
        auto* application = new (storage) QApplication(argc, argv);
        {
            TDBGridEh grid;
            EXPECT_TRUE(OfferedAsTable(grid)) << "application object " << round;
        }
        application->~QApplication();
    }
    FinalizeGridLibrary();
}

}  // namespace
}  // namespace qelvor::test

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
