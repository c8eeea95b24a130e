// The browse form's search over a statement that runs for seconds (the answer-sheet
// table replaced by a view that adds rows produced slowly by a recursive query): the
// window repaints and takes no input meanwhile, the progress window shows what has
// arrived, and 取消, Esc and the window's close button stop the statement in the
// database. A cancel shows no error box, leaves the dataset closed and the grid empty,
// and the next search on the same connection works. A short search looks as before.
#include <QCloseEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "BrowseTestSupport.h"
#include "WaitWatch.h"
#include "browse/QELVOR_Unit.h"
#include "data/ADODataSet.h"
#include "grid/DBGridEh.h"
#include "platform/Buttons.h"
#include "platform/LongWorkWindow.h"
#include "platform/TextControls.h"
#include "session/StandardInfo.h"

namespace qelvor {
namespace {

constexpr int kSheets = 300;
// Rows of the slow part of the view, and the steps of the recursive query between two
// of them: many seconds in all, on any machine we run on.
constexpr int kSlowRows = 800;
constexpr int kStepsPerSlowRow = 25000;

// Counts what reaches a widget past the application's filters.
class Arrivals : public QObject {
public:
    explicit Arrivals(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;
    int keys = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        keys += event->type() == QEvent::KeyPress;
        return false;
    }
};

class LongSearchTest : public testing::Test {
protected:
    LongSearchTest() : database_(kSheets)
    {
        Execute("ALTER TABLE t_omr RENAME TO t_omr_rows;"
                "CREATE TABLE slow_switch(slow INTEGER); INSERT INTO slow_switch VALUES(1);"
                "CREATE VIEW t_omr AS SELECT zkzh, ttxx, tttt, qk, lwtth FROM t_omr_rows UNION ALL "
                "SELECT printf('9%014d', i), '', '', '0', '1' FROM (WITH RECURSIVE c(i) AS "
                "(SELECT 1 WHERE (SELECT slow FROM slow_switch) UNION ALL SELECT i + 1 FROM c WHERE i < "
                + std::to_string(kSlowRows * kStepsPerSlowRow) + ") SELECT i FROM c) WHERE i % "
                + std::to_string(kStepsPerSlowRow) + " = 0");
        HostConnection = database_.connection.get();
        form_ = std::make_unique<TQELVOR_Form>();
        form_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
        form_->BitBtn1->setFocus();
        // Pressed comes before the click's handler runs: a press held back never comes.
        QObject::connect(form_->BitBtn1, &QPushButton::pressed, [this] { ++searches_; });
    }
    ~LongSearchTest() override { HostConnection = nullptr; }

    void Execute(const std::string& sql)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(database_.Path().c_str(), &db), SQLITE_OK);
        char* message = nullptr;
        const int result = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
        sqlite3_close(db);
        ASSERT_EQ(result, SQLITE_OK) << (message ? message : "");
    }

    // From now on the view's slow part is empty: a search takes no time.
    void MakeSearchesFast() { Execute("UPDATE slow_switch SET slow = 0"); }

    // After a cancel: nothing shown, nothing held, and the next search lists every sheet.
    void ExpectCancelledAndTheNextSearchWorks()
    {
        EXPECT_TRUE(errors_.texts.empty()) << errors_.texts.front();
        EXPECT_FALSE(form_->QELV_Set->Active());
        EXPECT_FALSE(form_->DBGridEh1->DataLink().Active()) << "the grid shows rows of a cancelled search";
        EXPECT_LT(watch_.Elapsed(), 4000) << "the statement was not stopped in the database";
        MakeSearchesFast();
        form_->BitBtn1->click();
        ASSERT_TRUE(errors_.texts.empty()) << errors_.texts.front();
        ASSERT_TRUE(form_->QELV_Set->Active());
        EXPECT_EQ(form_->QELV_Set->RecordCount(), kSheets);
        EXPECT_TRUE(form_->DBGridEh1->DataLink().Active());
    }

    void PressEscape()
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : form_.get(), Qt::Key_Escape);
    }

    test::TestDatabase database_;
    test::ErrorRecorder errors_;
    std::unique_ptr<TQELVOR_Form> form_;
    test::WaitWatch watch_;
    int searches_ = 0;
};

TEST_F(LongSearchTest, TheWindowStaysAliveShowsProgressAndTheCancelButtonStopsTheSearch)
{
    Arrivals grid(form_->DBGridEh1->viewport());
    Arrivals form(form_.get());
    const QRect gridBefore = form_->DBGridEh1->geometry();
    std::string rowsSeen;
    std::string timeSeen;
    bool checked = false;
    watch_.At(200, [&] {
        form_->resize(form_->width() + 40, form_->height() + 30);
        QTest::mouseClick(form_->BitBtn1, Qt::LeftButton);
        QTest::keyClick(form_->DBGridEh1, Qt::Key_Down);
    });
    watch_.At(900, [&] {
        ASSERT_NE(test::VisibleProgressDialog(), nullptr);
        rowsSeen = test::VisibleProgressDialog()->RowsText().toStdString();
        timeSeen = test::VisibleProgressDialog()->TimeText().toStdString();
    });
    watch_.At(1400, [&] {
        WorkProgressDialog* dialog = test::VisibleProgressDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_NE(dialog->RowsText().toStdString(), rowsSeen) << "no rows counted while they arrive";
        EXPECT_NE(dialog->TimeText().toStdString(), timeSeen);
        EXPECT_EQ(form_->DBGridEh1->geometry().size(), gridBefore.size() + QSize(40, 30)) << "the resize waited";
        EXPECT_GT(grid.paints, 0) << "the grid did not repaint";
        EXPECT_EQ(grid.keys, 0) << "a key reached the grid";
        EXPECT_EQ(searches_, 1) << "a second click on 检索 got through";
        checked = true;
        QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    });
    form_->BitBtn1->click();
    EXPECT_TRUE(checked);
    EXPECT_GE(watch_.ProgressShownAt(), kLongWorkProgressDelayMs);
    EXPECT_TRUE(form_->isVisible());
    ExpectCancelledAndTheNextSearchWorks();
}

TEST_F(LongSearchTest, EscapeBeforeTheProgressWindowShowsStopsTheSearch)
{
    watch_.At(200, [&] { PressEscape(); });
    form_->BitBtn1->click();
    EXPECT_EQ(watch_.ProgressShownAt(), -1);
    ExpectCancelledAndTheNextSearchWorks();
}

TEST_F(LongSearchTest, EscapeTwiceAndTheCancelButtonStopTheSearchOnce)
{
    watch_.At(700, [&] { PressEscape(); });
    watch_.At(720, [&] {
        PressEscape();
        if (WorkProgressDialog* dialog = test::VisibleProgressDialog())
            QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    });
    form_->BitBtn1->click();
    ExpectCancelledAndTheNextSearchWorks();
}

TEST_F(LongSearchTest, TheCloseButtonDuringASearchStopsItAndClosesTheWindowAfterwards)
{
    watch_.At(300, [&] {
        QCloseEvent close;
        QApplication::sendEvent(form_->windowHandle(), &close);
    });
    form_->BitBtn1->click();
    EXPECT_TRUE(errors_.texts.empty()) << errors_.texts.front();
    EXPECT_FALSE(form_->QELV_Set->Active());
    EXPECT_LT(watch_.Elapsed(), 4000) << "the statement was not stopped in the database";
    QApplication::processEvents();
    EXPECT_FALSE(form_->isVisible());
}

TEST_F(LongSearchTest, AShortSearchShowsNoProgressWindow)
{
    MakeSearchesFast();
    form_->BitBtn1->click();
    QApplication::processEvents();
    EXPECT_EQ(watch_.ProgressShownAt(), -1);
    ASSERT_TRUE(form_->QELV_Set->Active());
    EXPECT_EQ(form_->QELV_Set->RecordCount(), kSheets);
    EXPECT_TRUE(errors_.texts.empty());
}

}  // namespace
}  // namespace qelvor
