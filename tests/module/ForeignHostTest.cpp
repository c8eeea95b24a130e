// ShowForm called by a host without a Qt application object: the module makes one
// for the call and removes it afterwards, and a second call works as the first. A host
// whose application object cannot show windows gets a status and the failure's text
// from ShowFormStatus instead of an exception that would end a C host. Each call's grid
// is offered to assistive technology as a table, although the call's application object
// is new (the same at one address: AccessibleRegistrationTest).
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "module/ModuleInterface.h"

namespace {

int windowsSeen = 0;
int tablesSeen = 0;  // windows whose grid was an accessible table

void CloseBrowseWindowWhenShown()
{
    QWidget* window = QApplication::activeModalWidget();
    if (window == nullptr || !window->isVisible()) {
        QTimer::singleShot(10, CloseBrowseWindowWhenShown);
        return;
    }
    if (window->windowTitle() == QString::fromUtf8("卷面信息浏览(V3.00)"))
        ++windowsSeen;
    const auto grids = window->findChildren<QAbstractScrollArea*>();
    if (grids.size() == 1) {
        QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(grids.front());
        tablesSeen += grid != nullptr && grid->tableInterface() != nullptr;
    }
    window->close();
}

// Runs whenever an application object is constructed: here, inside ShowForm.
void OnApplicationCreated()
{
    QTimer::singleShot(0, CloseBrowseWindowWhenShown);
}
Q_COREAPP_STARTUP_FUNCTION(OnApplicationCreated)

TEST(ForeignHostTest, ShowFormMakesItsOwnApplicationObjectForTheCall)
{
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    void* module = dlopen(QELVOR_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    const auto showForm = reinterpret_cast<TShowFormFunction>(dlsym(module, kShowFormName));
    ASSERT_NE(showForm, nullptr);
    showForm(0, 0, 0, 0, 0, 0, 0, nullptr);
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
    showForm(0, 1, 2, 3, 4, 5, 6, nullptr);
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
    EXPECT_EQ(windowsSeen, 2);
    EXPECT_EQ(tablesSeen, 2) << "a grid was not offered as a table";
}

TEST(ForeignHostTest, AFailureOfShowFormStatusIsAStatusAndTheLastError)
{
    void* module = dlopen(QELVOR_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    const auto showFormStatus = reinterpret_cast<TShowFormStatusFunction>(dlsym(module, kShowFormStatusName));
    ASSERT_NE(showFormStatus, nullptr);
    {
        int argc = 1;
        char name[] = "host";
        char* argv[] = {name, nullptr};
        const QCoreApplication windowless(argc, argv);
        EXPECT_EQ(showFormStatus(0, 0, 0, 0, 0, 0, 0, nullptr), QELVOR_FAILED);
        EXPECT_STREQ(QelvorLastError(), "The host's Qt application object cannot show windows");
    }
    const int windowsBefore = windowsSeen;
    EXPECT_EQ(showFormStatus(0, 0, 0, 0, 0, 0, 0, nullptr), QELVOR_OK) << QelvorLastError();
    EXPECT_STREQ(QelvorLastError(), "") << "a success clears the last error";
    EXPECT_EQ(windowsSeen, windowsBefore + 1);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
