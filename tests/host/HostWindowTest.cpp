// The host's window: its status bar names the database it is connected to, during the
// start-up connect and after it, whether the connection came from --connect or the demo
// database, and says so when there is none.
#include <QLabel>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "host/ConnectionChoice.h"
#include "host/DemoDatabase.h"
#include "host/HostWindow.h"

namespace qelvor::host {
namespace {

class HostWindowStatus : public testing::Test {
protected:
    // Starts a host window with options; returns the status bar's messages in order.
    QStringList Start(HostOptions options)
    {
        options.modulePath = QELVOR_MODULE_PATH;
        options.screenshotPath = dir_.filePath("unused.png");  // failures go to standard error, not a box
        window_ = std::make_unique<HostWindow>(options);
        QSignalSpy messages(window_->statusBar(), &QStatusBar::messageChanged);
        window_->Start();
        QStringList shown;
        for (const QList<QVariant>& message : messages)
            shown << message.at(0).toString();
        return shown;
    }
    QString ModuleState() const
    {
        const auto* label = window_->statusBar()->findChild<QLabel*>();
        return label ? label->text() : QString();
    }

    QTemporaryDir dir_;
    std::unique_ptr<HostWindow> window_;
};

TEST_F(HostWindowStatus, NamesTheDatabaseOfTheStartUpConnect)
{
    const QString path = dir_.filePath("exam.db");
    MakeDemoDatabase(path, 10);
    HostOptions options;
    options.connectionString = SqliteConnectionString(path) + ";Pwd=secret";
    const QStringList shown = Start(options);
    const QString named = WithoutPassword(options.connectionString);
    ASSERT_TRUE(named.contains(path) && !named.contains("secret"));
    EXPECT_EQ(shown.value(0), QString::fromUtf8("正在连接：") + named) << "named while it connects";
    EXPECT_EQ(window_->statusBar()->currentMessage(), QString::fromUtf8("已连接：") + named);
    EXPECT_EQ(ModuleState(), "libQELVORDLL.so version 3.00");
}

TEST_F(HostWindowStatus, NamesTheDemoDatabase)
{
    qputenv("XDG_DATA_HOME", dir_.path().toLocal8Bit());
    HostOptions options;
    options.demoRows = 10;
    Start(options);
    qunsetenv("XDG_DATA_HOME");
    EXPECT_TRUE(window_->statusBar()->currentMessage().startsWith(QString::fromUtf8("已连接：")))
        << window_->statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(window_->statusBar()->currentMessage().contains(dir_.path()));
    EXPECT_EQ(ModuleState(), "libQELVORDLL.so version 3.00");
}

TEST_F(HostWindowStatus, SaysSoWhenTheStartUpConnectFails)
{
    HostOptions options;
    options.connectionString = "Provider=SQLite;Data Source=" + dir_.filePath("missing/x.db");
    Start(options);
    EXPECT_EQ(window_->statusBar()->currentMessage(), QString::fromUtf8("未连接数据库"));
    EXPECT_EQ(ModuleState(), "libQELVORDLL.so version 3.00");
}

}  // namespace
}  // namespace qelvor::host
