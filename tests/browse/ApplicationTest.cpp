// The application object adopting a host window: ownership of the module's windows
// and the reload of the date settings on a system-settings change.
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMainWindow>
#include <QWindow>
#include <clocale>
#include <gtest/gtest.h>

#include "platform/Application.h"
#include "runtime/FormatSettings.h"

namespace qelvor {
namespace {

class ApplicationTest : public testing::Test {
protected:
    ~ApplicationTest() override
    {
        Application().SetHandle(0);
        SetDateSeparator('-');
    }

    static void BroadcastSettingsChange()
    {
        QEvent change(QEvent::LocaleChange);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &change);
    }
};

TEST_F(ApplicationTest, AQtHostWindowOwnsTheModulesWindows)
{
    QMainWindow host;
    Application().SetHandle(host.winId());
    EXPECT_EQ(Application().OwnerWidget(), &host);
    QDialog dialog;
    Application().AdoptWindow(&dialog);
    EXPECT_EQ(dialog.parentWidget(), &host);
    EXPECT_TRUE(dialog.isWindow());  // still a window of its own, not a child control
}

TEST_F(ApplicationTest, AWindowOfAnotherToolkitBecomesTheTransientParent)
{
    QWindow foreign;  // stands for a host window that is no Qt widget
    foreign.create();
    if (QWindow* probe = QWindow::fromWinId(foreign.winId()))
        delete probe;
    else
        GTEST_SKIP() << "this platform has no foreign windows; the run under X covers it";
    Application().SetHandle(foreign.winId());
    EXPECT_EQ(Application().OwnerWidget(), nullptr);
    QDialog dialog;
    Application().AdoptWindow(&dialog);
    EXPECT_EQ(dialog.parentWidget(), nullptr);
    ASSERT_NE(dialog.windowHandle(), nullptr);
    ASSERT_NE(dialog.windowHandle()->transientParent(), nullptr);
    EXPECT_EQ(dialog.windowHandle()->transientParent()->winId(), foreign.winId());
}

TEST_F(ApplicationTest, WithoutAHandleWindowsHaveNoOwner)
{
    Application().SetHandle(0);
    QDialog dialog;
    Application().AdoptWindow(&dialog);
    EXPECT_EQ(dialog.parentWidget(), nullptr);
    EXPECT_EQ(Application().OwnerWidget(), nullptr);
}

TEST_F(ApplicationTest, SettingsChangeReloadsTheDateSeparatorOnlyWhileAHandleIsSet)
{
    std::setlocale(LC_TIME, "C");  // dates as month/day/year
    QMainWindow host;
    SetDateSeparator('-');
    BroadcastSettingsChange();
    EXPECT_EQ(DateSeparator(), '-');  // no handle yet: nothing watches

    Application().SetHandle(host.winId());
    BroadcastSettingsChange();
    EXPECT_EQ(DateSeparator(), '/');

    SetDateSeparator('-');
    Application().SetHandle(0);
    BroadcastSettingsChange();
    EXPECT_EQ(DateSeparator(), '-');
}

}  // namespace
}  // namespace qelvor
