// What the user sees of a failure: the error box's text and title, silence for an
// abort, and the screen cursor put back after a handler.
#include <QApplication>
#include <QFileInfo>
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
