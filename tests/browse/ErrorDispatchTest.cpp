// What the user sees of a failure: the error box's text and title, silence for an
// abort, and the screen cursor put back after a handler.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QLocale>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "BrowseTestSupport.h"
#include "data/ADOConnection.h"
#include "platform/Application.h"
#include "platform/MessageTranslation.h"
#include "platform/Screen.h"
#include "runtime/Exceptions.h"

namespace qelvor {
namespace {

TEST(ErrorBoxTextTest, FullStopOnlyWhenTheLastCharacterSortsAfterIt)
{
    EXPECT_EQ(ErrorBoxText("Field not found"), "Field not found.");
    EXPECT_EQ(ErrorBoxText("Already a sentence."), "Already a sentence.");
    EXPECT_EQ(ErrorBoxText("Really!"), "Really!");          // '!' sorts before '.'
    EXPECT_EQ(ErrorBoxText("(see log)"), "(see log)");      // ')' too
    EXPECT_EQ(ErrorBoxText("path a/"), "path a/.");         // '/' sorts after '.'
    EXPECT_EQ(ErrorBoxText("error 42"), "error 42.");
    EXPECT_EQ(ErrorBoxText("无法连接数据库"), "无法连接数据库.");  // a whole character, not its last byte
    EXPECT_EQ(ErrorBoxText("完成。"), "完成。.");
    EXPECT_EQ(ErrorBoxText(""), "");
}

TEST(HandleExceptionTest, ShowsTheMessageTitledWithTheApplicationTitle)
{
    test::ErrorRecorder errors;
    Application().SetTitle(QStringLiteral("考务管理"));
    EXPECT_FALSE(GuardedCall([] { DatabaseError("Cannot perform this operation on a closed dataset", "QELV_Set"); }));
    EXPECT_FALSE(GuardedCall([] { throw std::runtime_error("disk full"); }));
    EXPECT_FALSE(GuardedCall([] { throw 42; }));
    Application().SetTitle(QString());
    ASSERT_EQ(errors.texts.size(), 3u);
    EXPECT_EQ(errors.texts[0], "QELV_Set: Cannot perform this operation on a closed dataset.");
    EXPECT_EQ(errors.titles[0], "考务管理");
    EXPECT_EQ(errors.texts[1], "disk full.");
    EXPECT_EQ(errors.texts[2], "Unknown exception.");
}

TEST(HandleExceptionTest, AbortIsSilentAndSuccessShowsNothing)
{
    test::ErrorRecorder errors;
    EXPECT_FALSE(GuardedCall([] { throw EAbort(); }));
    EXPECT_TRUE(GuardedCall([] {}));
    EXPECT_TRUE(errors.texts.empty());
}

TEST(HandleExceptionTest, TitleDefaultsToTheProgramName)
{
    test::ErrorRecorder errors;
    GuardedCall([] { throw Exception("x"); });
    ASSERT_EQ(errors.titles.size(), 1u);
    EXPECT_EQ(QString::fromStdString(errors.titles[0]), QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
}

// A failure in the browse window: its box belongs to that window (centred on it, and
// so kept above it, not above the host's window), titled with the application's title,
// the caption of the host window the application object was handed.
TEST(HandleExceptionTest, TheBoxBelongsToTheModalWindowAndTakesTheHostWindowsCaption)
{
    QWidget hostWindow;
    hostWindow.setWindowTitle(QStringLiteral("考务管理"));
    hostWindow.setGeometry(0, 0, 1000, 720);
    hostWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&hostWindow));
    Application().SetHandle(hostWindow.winId());
    QDialog browse;
    Application().AdoptWindow(&browse);
    browse.setWindowModality(Qt::ApplicationModal);
    browse.setGeometry(500, 300, 420, 260);
    browse.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&browse));
    EXPECT_EQ(ErrorBoxOwner(), &browse);

    QWidget* boxParent = nullptr;
    QString boxTitle;
    QRect boxFrame;
    QTimer::singleShot(50, [&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                boxParent = box->parentWidget();
                boxTitle = box->windowTitle();
                boxFrame = box->frameGeometry();
                box->done(0);
            }
    });
    const QRect browseBefore = browse.frameGeometry();
    GuardedCall([] { throw Exception("no such table: t_omr"); });
    Application().SetHandle(0);
    EXPECT_EQ(boxParent, &browse) << "the box belongs to the browse window, not to the host's";
    EXPECT_EQ(boxTitle, QStringLiteral("考务管理"));
    ASSERT_FALSE(boxFrame.isEmpty());
    EXPECT_LE((boxFrame.center() - browse.frameGeometry().center()).manhattanLength(), 2) << "centred on it: " << boxFrame.x() << "," << boxFrame.y() << " " << boxFrame.width() << "x" << boxFrame.height();
    EXPECT_EQ(browse.frameGeometry(), browseBefore) << "the browse window stays where it is";
}

TEST(ScreenCursorTest, DefaultRemovesTheHourglassHoweverOftenItWasSet)
{
    Screen().SetCursor(crHourGlass);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen().SetCursor(crHourGlass);
    Screen().SetCursor(crDefault);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Screen().Cursor(), crDefault);
}

// Our own messages in the window's language, the server's name and words as written:
// the time-out of a real connect to a server that accepts and never answers, as the
// standard error box shows it.
class TranslatedMessages : public testing::Test {
protected:
    void TearDown() override { QLocale::setDefault(locale_); }

    // The text of the box for a connect to a listener that never answers (the kernel
    // accepts the link, nobody reads it).
    QString ConnectTimeOutBox()
    {
        const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(listener, 4) != 0
            || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("cannot listen on loopback");
        port_ = ntohs(address.sin_port);
        TADOConnection connection;
        connection.SetConnectionString("Provider=PostgreSQL;Server=127.0.0.1;Port=" + std::to_string(port_)
                                       + ";Database=exam;Uid=exam;Connect Timeout=1");
        const ErrorPresenter recording = SetErrorPresenter({});  // the standard box
        QString shown;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                    shown = box->text();
                    box->close();
                }
        });
        closer.start(20);
        GuardedCall([&] { connection.Open(); });
        SetErrorPresenter(recording);
        close(listener);
        return shown;
    }
    // As the message names it.
    QString Server() const { return QStringLiteral("\"127.0.0.1:%1\"").arg(port_); }

    QLocale locale_;
    std::uint16_t port_ = 0;
};

TEST_F(TranslatedMessages, TheConnectTimeOutBoxIsChineseUnderAChineseLocaleAndEnglishOtherwise)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QString text = ConnectTimeOutBox();
    EXPECT_TRUE(text.contains(QString::fromUtf8("服务器 %1 在 1 秒内没有应答 (连接的超时时间, 即连接字符串中的 \"Connect Timeout\")")
                                  .arg(Server())))
        << text.toStdString();
    for (const QLocale& english : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates)}) {
        QLocale::setDefault(english);
        text = ConnectTimeOutBox();
        EXPECT_TRUE(text.contains(QStringLiteral("The server %1 did not answer within 1 second (the connection's time-out, "
                                                 "\"Connect Timeout\" in the connection string)")
                                      .arg(Server())))
            << english.name().toStdString() << ": " << text.toStdString();
    }
}

// What is not ours stays as written, also inside a text of ours; a count other than one
// keeps its number; a component's name before the text stays.
TEST_F(TranslatedMessages, OnlyOurOwnWordsAreTranslated)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    EXPECT_EQ(TranslatedMessage("Cannot open the database \"/data/考试.db\": file is not a database"),
              "无法打开数据库 \"/data/考试.db\": 文件不是数据库");
    EXPECT_EQ(TranslatedMessage("Cannot open the database \"/x %2.db\": disk I/O error"),
              "无法打开数据库 \"/x %2.db\": disk I/O error");
    EXPECT_EQ(TranslatedMessage("database is locked"), "数据库已被锁定");
    EXPECT_EQ(TranslatedMessage("QELV_Set: database is locked"), "QELV_Set: 数据库已被锁定");
    EXPECT_EQ(TranslatedMessage("The server db:5432 did not answer within 15 seconds (the connection's time-out, "
                                "\"Connect Timeout\" in the connection string)"),
              "服务器 db:5432 在 15 秒内没有应答 (连接的超时时间, 即连接字符串中的 \"Connect Timeout\")");
    // A server's own words, and our texts with something after them, pass unchanged.
    EXPECT_EQ(TranslatedMessage("server closed the connection unexpectedly"), "server closed the connection unexpectedly");
    EXPECT_EQ(TranslatedMessage("database is locked, try later"), "database is locked, try later");
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(TranslatedMessage("Cannot open the database \"/data/考试.db\": file is not a database"),
              "Cannot open the database \"/data/考试.db\": file is not a database");
}

}  // namespace
}  // namespace qelvor
