// The application object adopting a host window: ownership of the module's windows
// and the reload of the date settings on a system-settings change.
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMainWindow>
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
