// What the user sees of a failure: the error box's text and title, silence for an
// abort, and the screen cursor put back after a handler.
#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "BrowseTestSupport.h"
#include "platform/Application.h"
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

}  // namespace
}  // namespace qelvor
