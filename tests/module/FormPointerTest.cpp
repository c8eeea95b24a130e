// The module's code compiled into the test, where its globals can be read: the pointer
// to the browse form lives exactly as long as the form of the ShowForm call.
#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include "browse/QELVOR_Unit.h"
#include "data/ADOConnection.h"
#include "module/ModuleInterface.h"
#include "module/ModuleLifetime.h"
#include "include/qelvor/qelvor.h"
#include "runtime/Exceptions.h"
#include "sampledata/SampleDatabase.h"

namespace qelvor {
namespace {

// Reads the pointer from inside the modal loop, then closes the window.
void CloseWhenShown(QWidget*& shown, TQELVOR_Form*& pointer)
{
    QWidget* window = QApplication::activeModalWidget();
    if (window == nullptr || !window->isVisible()) {
        QTimer::singleShot(10, [&] { CloseWhenShown(shown, pointer); });
        return;
    }
    shown = window;
    pointer = QELVOR_Form;
    window->close();
}

TEST(FormPointer, SetWhileTheFormIsShownClearedOnceItIsGone)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("demo.db")).toStdString();
    CreateSampleDatabase(path, 20, 1);
    TADOConnection connection("HostConnection");
    connection.SetConnectionString("Provider=SQLite;Data Source=" + path);
    connection.Open();
    for (const bool withStatus : {false, true}) {
        QWidget* shown = nullptr;
        TQELVOR_Form* pointer = nullptr;
        QTimer::singleShot(0, [&] { CloseWhenShown(shown, pointer); });
        if (withStatus)
            EXPECT_EQ(ShowFormStatus(0, 0, 0, 0, 0, 0, 0, &connection), QELVOR_OK);
        else
            ShowForm(0, 0, 0, 0, 0, 0, 0, &connection);
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(pointer, shown) << "while shown, the pointer is the window's form";
        EXPECT_EQ(QELVOR_Form, nullptr) << "the form is gone, and so is the pointer to it";
    }
}

// A start-up that failed at load (resources missing, say) is told to the host when it
// asks for the window: a status and the reason for C hosts, the exception for others,
// and no window.
TEST(ModuleStartUp, AFailureAtLoadIsToldWhenTheWindowIsAskedFor)
{
    StartModule([] { throw EOutOfResources("Cannot load bitmap resource DBGARROWEH"); });
    TADOConnection connection("HostConnection");
    EXPECT_EQ(ShowFormStatus(0, 0, 0, 0, 0, 0, 0, &connection), QELVOR_FAILED);
    EXPECT_STREQ(QelvorLastError(), "Cannot load bitmap resource DBGARROWEH");
    EXPECT_THROW(ShowForm(0, 0, 0, 0, 0, 0, 0, &connection), EOutOfResources);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    StartModule([] {});
    EXPECT_TRUE(ModuleLoadFailure().empty()) << "a start-up that succeeds keeps no failure";
}

}  // namespace
}  // namespace qelvor
