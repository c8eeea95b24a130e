// The host's window: its status bar names the database it is connected to, during the
// start-up connect and after it, whether the connection came from --connect or the demo
// database, and says so when there is none; it says whether the link to a server is
// encrypted and verified; a password read at start-up reaches the server.
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "host/ConnectionChoice.h"
#include "host/DemoDatabase.h"
#include "host/HostWindow.h"
#include "data/recordset/Connection.h"
#include "data/recordset/ResultBatch.h"
#include "tests/support/PrivateServer.h"

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
    QString LinkState() const
    {
        const auto* label = window_->statusBar()->findChild<QLabel*>(QStringLiteral("linkState"));
        return label ? label->text() : QStringLiteral("<no label>");
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

TEST_F(HostWindowStatus, SaysALocalFileHasNoLinkToEncrypt)
{
    const QString path = dir_.filePath("exam.db");
    MakeDemoDatabase(path, 10);
    HostOptions options;
    options.connectionString = SqliteConnectionString(path);
    Start(options);
    EXPECT_EQ(LinkState(), "Local database");
    EXPECT_EQ(ModuleState(), "libQELVORDLL.so version 3.00") << "the module's state keeps its label";
}

// A throwaway MariaDB server that speaks TLS only, with an account that has a password.
class HostWindowServer : public HostWindowStatus {
protected:
    static void SetUpTestSuite()
    {
        server_ = new test::PrivateServer(test::PrivateServer::Kind::MariaDb, true);
        if (!server_->Available())
            return;
        recordset::Connection root;
        root.Open("Provider=MariaDB;Server=localhost;Uid=root;Socket=" + server_->Folder() + "/socket");
        root.Execute("CREATE USER 'sheets'@'127.0.0.1' IDENTIFIED BY 'p;w}d'; GRANT SELECT ON qelvor.* TO 'sheets'@'127.0.0.1'",
                     30, 0);
    }
    static void TearDownTestSuite()
    {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override
    {
        if (!server_->Available()) {
            if (test::ServerTestsRequired())
                FAIL() << server_->Problem();
            GTEST_SKIP() << server_->Problem();
        }
    }
    static QString Port()
    {
        const std::string& text = server_->OdbcConnectionString();
        const std::size_t at = text.find("Port=") + 5;
        return QString::fromStdString(text.substr(at, text.find(';', at) - at));
    }
    static QString Verifying(const QString& user)
    {
        return QStringLiteral("Provider=MariaDB;Server=127.0.0.1;Port=%1;Database=qelvor;Uid=%2;Encrypt=verify-full;CA File=%3/ca.crt")
            .arg(Port(), user, QString::fromStdString(server_->CertificateDir()));
    }

    static test::PrivateServer* server_;
};

test::PrivateServer* HostWindowServer::server_ = nullptr;

TEST_F(HostWindowServer, SaysTheLinkIsEncryptedAndVerified)
{
    HostOptions options;
    options.connectionString = Verifying(QStringLiteral("qelvor"));
    Start(options);
    EXPECT_TRUE(window_->statusBar()->currentMessage().startsWith(QString::fromUtf8("已连接：")))
        << window_->statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(LinkState().startsWith(QStringLiteral("Encrypted (TLSv1."))) << LinkState().toStdString();
    EXPECT_TRUE(LinkState().endsWith(QStringLiteral("server verified"))) << LinkState().toStdString();

    options.connectionString = QStringLiteral("Provider=MariaDB;Server=127.0.0.1;Port=%1;Database=qelvor;Uid=qelvor;Encrypt=require")
                                   .arg(Port());
    Start(options);
    EXPECT_EQ(LinkState(), QStringLiteral("Encrypted (TLSv1.3), server not verified"));
}

TEST_F(HostWindowServer, APasswordReadAtStartUpReachesTheServer)
{
    HostOptions options;
    options.connectionString = Verifying(QStringLiteral("sheets"));
    options.password = QStringLiteral("p;w}d");
    Start(options);
    EXPECT_TRUE(window_->statusBar()->currentMessage().startsWith(QString::fromUtf8("已连接：")))
        << window_->statusBar()->currentMessage().toStdString();
    EXPECT_FALSE(window_->statusBar()->currentMessage().contains(QStringLiteral("p;w}d")));

    // Unattended, a server that wants a password the host lacks is a failure, not a box.
    options.password.clear();
    Start(options);
    EXPECT_EQ(window_->statusBar()->currentMessage(), QString::fromUtf8("未连接数据库"));
}

TEST_F(HostWindowServer, AsksForThePasswordTheServerWants)
{
    HostOptions options;
    options.modulePath = QELVOR_MODULE_PATH;
    options.connectionString = Verifying(QStringLiteral("sheets"));  // attended: no screenshot
    window_ = std::make_unique<HostWindow>(options);
    // Answers the password box; any message box is a failure to report.
    QStringList answers = {QStringLiteral("p;w}d")};
    int asked = 0;
    QStringList messages;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QInputDialog*>(modal)) {
            EXPECT_EQ(box->textEchoMode(), QLineEdit::Password);
            box->setTextValue(answers.value(asked++));
            box->accept();
        } else if (auto* message = qobject_cast<QMessageBox*>(modal)) {
            messages << message->text();
            message->reject();
        }
    });
    answer.start(20);
    window_->Start();
    answer.stop();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_TRUE(window_->statusBar()->currentMessage().startsWith(QString::fromUtf8("已连接：")))
        << window_->statusBar()->currentMessage().toStdString();
    EXPECT_FALSE(window_->statusBar()->currentMessage().contains(QStringLiteral("p;w}d")));
}

}  // namespace
}  // namespace qelvor::host
