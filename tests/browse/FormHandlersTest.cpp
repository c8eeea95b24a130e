// The browse form's handlers on a real database: attaching at show, searching by
// button and by Enter (once per key), failures shown in the error box with the
// window still usable, sorting by the grid's markers.
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QFontMetrics>
#include <QTest>
#include <gtest/gtest.h>

#include "BrowseTestSupport.h"
#include "browse/QELVOR_Unit.h"
#include "data/ADODataSet.h"
#include "data/DataSource.h"
#include "data/QueryComposition.h"
#include "data/Field.h"
#include "grid/DBGridEh.h"
#include "grid/InplaceEdit.h"
#include "session/StandardInfo.h"
#include "platform/Buttons.h"
#include "platform/Screen.h"
#include "platform/TextControls.h"

namespace qelvor {
namespace {

class FormHandlersTest : public testing::Test {
protected:
    explicit FormHandlersTest(std::int64_t rows = 300) : database_(rows) {}
    explicit FormHandlersTest(const std::string& script) : database_(script) {}
    // The connection goes with the fixture: later forms must not find it.
    ~FormHandlersTest() override { HostConnection = nullptr; }

    void ShowForm()
    {
        HostConnection = database_.connection.get();
        form_ = std::make_unique<TQELVOR_Form>();
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    }

    std::string FirstTicket() const { return database_.Scalar("select min(zkzh) from t_omr"); }

    // Records the screen cursor and the shape over the windows whenever the dataset
    // closes or opens.
    void WatchCursorAtCloseAndOpen()
    {
        const auto record = [this](TDataSet&) {
            const QCursor* shown = QApplication::overrideCursor();
            cursorsSeen_.push_back({Screen().Cursor(), shown ? shown->shape() : Qt::ArrowCursor});
        };
        form_->QELV_Set->BeforeClose = record;
        form_->QELV_Set->BeforeOpen = record;
    }
    void ExpectDefaultCursor() const
    {
        EXPECT_EQ(Screen().Cursor(), crDefault);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }

    test::TestDatabase database_;
    test::ErrorRecorder errors_;
    // Before the form: closing the dataset as the form goes still records.
    std::vector<std::pair<TCursor, Qt::CursorShape>> cursorsSeen_;
    std::unique_ptr<TQELVOR_Form> form_;
};

class EmptyDatabaseTest : public FormHandlersTest {
protected:
    EmptyDatabaseTest() : FormHandlersTest(-1) {}
};

// The answer-sheet tables with plain TEXT columns (no declared lengths); one sheet whose
// candidate has a 1,000-character name.
class PlainTextDatabaseTest : public FormHandlersTest {
protected:
    PlainTextDatabaseTest()
        : FormHandlersTest("CREATE TABLE t_omr(zkzh TEXT PRIMARY KEY, ttxx TEXT, tttt TEXT, qk TEXT, lwtth TEXT);"
                           "CREATE TABLE t_bm(zkzh TEXT PRIMARY KEY, bmh TEXT, xm TEXT);"
                           "INSERT INTO t_omr VALUES('110101000000001', 'ABCD', '5,5', '0', '1');"
                           "INSERT INTO t_bm VALUES('110101000000001', '1101', '"
                           + std::string(1000, 'W') + "');")
    {
    }
};

TEST_F(FormHandlersTest, SearchWithEmptyEditsListsEverySheet)
{
    ShowForm();
    EXPECT_EQ(form_->QELV_Set->Connection(), database_.connection.get());  // attached when shown
    form_->BitBtn1->click();
    ASSERT_TRUE(errors_.texts.empty()) << errors_.texts.front();
    ASSERT_TRUE(form_->QELV_Set->Active());
    EXPECT_EQ(form_->QELV_Set->RecordCount(), std::stoi(database_.Scalar("select count(*) from t_omr")));
    EXPECT_EQ(form_->QELV_Set->FieldCount(), 7);
}

TEST_F(FormHandlersTest, EnterInAnEditSearchesOnceForTheTypedNumber)
{
    ShowForm();
    const std::string ticket = FirstTicket();
    form_->Edit1->setFocus();
    QTest::keyClicks(form_->Edit1, QString::fromStdString(ticket));
    QTest::keyClick(form_->Edit1, Qt::Key_Return);
    ASSERT_TRUE(errors_.texts.empty()) << errors_.texts.front();
    ASSERT_TRUE(form_->QELV_Set->Active());
    EXPECT_EQ(form_->QELV_Set->RecordCount(), 1);
    EXPECT_EQ(form_->QELV_Set->FieldByName("准考证号")->AsString(), ticket);
    EXPECT_TRUE(form_->isVisible());
}

// A number pasted with its line end or blanks, or typed with a Chinese input method's
// full-width digits, finds its sheet: the statement holds the number itself.
TEST_F(FormHandlersTest, APastedOrFullWidthNumberFindsItsSheet)
{
    ShowForm();
    const std::string first = FirstTicket();
    const std::string last = database_.Scalar("select max(zkzh) from t_omr");
    QString fullWidth;
    for (const char digit : first)
        fullWidth += QChar(0xFF10 + (digit - '0'));
    const QString ticket = QString::fromStdString(first);
    const auto search = [&](const QString& start, const QString& end) {
        form_->Edit1->SetText(start);
        form_->Edit2->SetText(end);
        form_->BitBtn1->click();
        EXPECT_TRUE(errors_.texts.empty()) << errors_.texts.front();
    };
    for (const QString& typed : {"\t" + ticket + "\r\n", QString::fromUtf8("\u3000") + fullWidth + QStringLiteral(" ")}) {
        search(typed, QStringLiteral(" "));
        EXPECT_EQ(form_->QELV_Set->CommandText(), ComposeAnswerSheetStatement(first, "")) << typed.toStdString();
        EXPECT_EQ(form_->QELV_Set->RecordCount(), 1) << typed.toStdString();
    }
    search(QStringLiteral(" ") + fullWidth, QString::fromStdString(last) + QStringLiteral("\t"));
    EXPECT_EQ(form_->QELV_Set->CommandText(), ComposeAnswerSheetStatement(first, last));
    EXPECT_EQ(form_->QELV_Set->RecordCount(), 300);
    // Pasted from the clipboard, as a spreadsheet cell comes: with its line end.
    form_->Edit1->clear();
    form_->Edit2->clear();
    QGuiApplication::clipboard()->setText(ticket + QStringLiteral("\n"));
    form_->Edit1->setFocus();
    QTest::keyClick(form_->Edit1, Qt::Key_V, Qt::ControlModifier);
    ASSERT_FALSE(form_->Edit1->Text().isEmpty());
    QTest::keyClick(form_->Edit1, Qt::Key_Return);
    EXPECT_EQ(form_->QELV_Set->CommandText(), ComposeAnswerSheetStatement(first, ""));
    EXPECT_EQ(form_->QELV_Set->RecordCount(), 1);
}

TEST_F(EmptyDatabaseTest, EachEnterRunsExactlyOneSearchAndFailuresLeaveTheWindowUsable)
{
    ShowForm();
    // Every search fails here (no tables), so each one leaves exactly one error box.
    form_->Edit1->setFocus();
    QTest::keyClick(form_->Edit1, Qt::Key_Return);
    ASSERT_EQ(errors_.texts.size(), 1u);
    form_->Edit2->setFocus();
    QTest::keyClick(form_->Edit2, Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_EQ(errors_.texts.size(), 2u);
    // The database's own message, made a sentence by the box.
    EXPECT_NE(errors_.texts.front().find("t_omr"), std::string::npos) << errors_.texts.front();
    EXPECT_EQ(errors_.texts.front().back(), '.');
    EXPECT_FALSE(form_->QELV_Set->Active());
    EXPECT_TRUE(form_->isVisible());
    EXPECT_TRUE(form_->BitBtn1->isEnabled());
}

// Without a declared length the name column's width is a fixed one that fits its title
// and a name, whatever the rows hold: none, or a name longer than the grid is wide.
TEST_F(PlainTextDatabaseTest, TheNameColumnKeepsItsWidthWhateverTheRowsHold)
{
    ShowForm();
    TDBGridEh& grid = *form_->DBGridEh1;
    const auto nameWidth = [&] { return grid.Columns()[2]->Width(); };
    form_->Edit1->setText(QStringLiteral("999999999999999"));
    form_->BitBtn1->click();
    ASSERT_TRUE(errors_.texts.empty()) << errors_.texts.front();
    ASSERT_TRUE(form_->QELV_Set->Active());
    ASSERT_TRUE(form_->QELV_Set->IsEmpty());
    const int width = nameWidth();
    const QFontMetrics titleMetrics(grid.Columns()[2]->Title()->Font());
    EXPECT_GT(width, titleMetrics.horizontalAdvance(QStringLiteral("姓名")) + 4) << "the title fits";
    const QFontMetrics cellMetrics(grid.Columns()[2]->Font());
    EXPECT_GE(width, cellMetrics.horizontalAdvance(QStringLiteral("欧阳娜娜")) + 4) << "a four-character name fits";
    form_->Edit1->clear();
    form_->BitBtn1->click();
    ASSERT_TRUE(errors_.texts.empty()) << errors_.texts.front();
    ASSERT_EQ(form_->QELV_Set->RecordCount(), 1);
    ASSERT_EQ(form_->QELV_Set->FieldByName("姓名")->AsString().size(), 1000u);
    EXPECT_EQ(nameWidth(), width) << "the 1,000-character name";
    EXPECT_LT(nameWidth(), grid.width() / 3);
}

TEST_F(FormHandlersTest, SearchShowsTheHourglassWhileTheDatasetClosesAndOpens)
{
    ShowForm();
    WatchCursorAtCloseAndOpen();
    form_->BitBtn1->click();  // opens
    form_->BitBtn1->click();  // closes and opens again
    ASSERT_TRUE(errors_.texts.empty()) << errors_.texts.front();
    const std::pair<TCursor, Qt::CursorShape> hourGlass{crHourGlass, Qt::WaitCursor};
    EXPECT_EQ(cursorsSeen_, (std::vector{hourGlass, hourGlass, hourGlass}));
    ExpectDefaultCursor();
}

TEST_F(EmptyDatabaseTest, AFailedSearchPutsTheDefaultCursorBack)
{
    ShowForm();
    WatchCursorAtCloseAndOpen();
    form_->BitBtn1->click();
    ASSERT_EQ(errors_.texts.size(), 1u);
    ASSERT_EQ(cursorsSeen_.size(), 1u);
    EXPECT_EQ(cursorsSeen_.front().first, crHourGlass);
    ExpectDefaultCursor();
}

TEST_F(FormHandlersTest, SortMarkingBeforeAnySearchReportsTheClosedDataset)
{
    ShowForm();
    TColumnEh* column = form_->DBGridEh1->Columns()[0];
    column->Title()->SetSortMarker(smDownEh);
    GuardedCall([&] { form_->DBGridEh1SortMarkingChanged(); });
    ASSERT_EQ(errors_.texts.size(), 1u);
    EXPECT_EQ(errors_.texts.front(), "QELV_Set: Cannot perform this operation on a closed dataset.");
    EXPECT_EQ(Screen().Cursor(), crDefault);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(column->Title()->SortMarker(), smDownEh);  // the user's marker stays visible
}

TEST_F(FormHandlersTest, SortMarkersReorderTheFetchedRows)
{
    ShowForm();
    form_->BitBtn1->click();
    ASSERT_TRUE(form_->QELV_Set->Active());
    form_->DBGridEh1->Columns()[0]->Title()->SetSortMarker(smDownEh);
    GuardedCall([&] { form_->DBGridEh1SortMarkingChanged(); });
    ASSERT_TRUE(errors_.texts.empty()) << errors_.texts.front();
    EXPECT_EQ(form_->QELV_Set->Sort(), "准考证号 DESC");
    form_->QELV_Set->First();
    EXPECT_EQ(form_->QELV_Set->FieldByName("准考证号")->AsString(), database_.Scalar("select max(zkzh) from t_omr"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A click on a title of the form's grid, as the mouse makes it.
void ClickTitle(TDBGridEh& grid, int dataCol, Qt::KeyboardModifiers modifiers = {})
{
    const QPoint at = grid.CellRect(dataCol + 1, 0).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers, at);
}

TEST_F(FormHandlersTest, TitleClicksBeforeAnySearchReportTheClosedDatasetAndTheWindowStaysUsable)
{
    ShowForm();
    ClickTitle(*form_->DBGridEh1, 0);
    ASSERT_EQ(errors_.texts.size(), 1u);
    EXPECT_EQ(errors_.texts.front(), "QELV_Set: Cannot perform this operation on a closed dataset.");
    ExpectDefaultCursor();
    EXPECT_FALSE(form_->DBGridEh1->Tracking());
    form_->BitBtn1->click();
    ASSERT_TRUE(form_->QELV_Set->Active());
    EXPECT_EQ(form_->QELV_Set->Sort(), "准考证号 DESC") << "the marker shown before the search orders its rows";
    EXPECT_EQ(errors_.texts.size(), 1u);
}

// The titles' markers and the rows agree after every search: a new result takes the
// marked order at once (one notification, one re-sort) and shows from its head; with
// no marker it keeps the statement's order and nothing is raised.
TEST_F(FormHandlersTest, ASearchSortsItsRowsAsTheTitlesShow)
{
    ShowForm();
    // A range: its statement lists the sheets in number order.
    form_->Edit1->setText(QString::fromStdString(FirstTicket()));
    form_->Edit2->setText(QString::fromStdString(database_.Scalar("select max(zkzh) from t_omr")));
    TDBGridEh& grid = *form_->DBGridEh1;
    int notifications = 0;
    const TDBGridEhEvents::TNotifyEvent apply = grid.Events().OnSortMarkingChanged;
    grid.Events().OnSortMarkingChanged = [&](TCustomDBGridEh& sender) {
        ++notifications;
        apply(sender);
    };
    form_->BitBtn1->click();
    EXPECT_EQ(notifications, 0) << "nothing marked, nothing to apply";
    EXPECT_EQ(form_->QELV_Set->FieldByName("准考证号")->AsString(), FirstTicket());
    ClickTitle(grid, 2);
    ASSERT_EQ(notifications, 1);
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Down);
    // The search again: the title still says 姓名 descending, and so do the rows.
    form_->BitBtn1->click();
    ASSERT_TRUE(errors_.texts.empty()) << errors_.texts.front();
    EXPECT_EQ(notifications, 2) << "one notification for the new rows";
    EXPECT_EQ(grid.Columns()[2]->Title()->SortMarker(), smDownEh);
    EXPECT_EQ(form_->QELV_Set->Sort(), "姓名 DESC");
    EXPECT_EQ(form_->QELV_Set->RecNo(), 1) << "the new rows show from the head of the sorted list";
    std::string previous = form_->QELV_Set->FieldByName("姓名")->AsString();
    EXPECT_EQ(previous, database_.Scalar("select max(b.xm) from t_omr a left join t_bm b on a.zkzh=b.zkzh"));
    for (form_->QELV_Set->Next(); !form_->QELV_Set->Eof(); form_->QELV_Set->Next()) {
        const std::string name = form_->QELV_Set->FieldByName("姓名")->AsString();
        ASSERT_LE(name, previous) << "at record " << form_->QELV_Set->RecNo();
        previous = name;
    }
    // A plain click that takes the last marker away: the next search keeps the statement's order.
    ClickTitle(grid, 2);
    ClickTitle(grid, 2, Qt::ControlModifier);
    QTest::keyRelease(&grid, Qt::Key_Control);
    ASSERT_EQ(grid.SortMarkedColumnList().Count(), 0);
    const int before = notifications;
    form_->BitBtn1->click();
    EXPECT_EQ(notifications, before);
    EXPECT_EQ(form_->QELV_Set->Sort(), "");
    EXPECT_EQ(form_->QELV_Set->FieldByName("准考证号")->AsString(), FirstTicket());
}

TEST_F(FormHandlersTest, TitleClicksSortTheRowsAndEnterInTheGridKeepsThem)
{
    ShowForm();
    form_->BitBtn1->click();
    TDBGridEh& grid = *form_->DBGridEh1;
    grid.setFocus();
    ClickTitle(grid, 2);
    EXPECT_EQ(form_->QELV_Set->Sort(), "姓名 DESC");
    ClickTitle(grid, 0, Qt::ControlModifier);
    EXPECT_EQ(form_->QELV_Set->Sort(), "姓名 DESC") << "a Ctrl+click waits for Ctrl's release";
    QTest::keyRelease(&grid, Qt::Key_Control);
    EXPECT_EQ(form_->QELV_Set->Sort(), "姓名 DESC, 准考证号 DESC");
    ASSERT_TRUE(errors_.texts.empty()) << errors_.texts.front();
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Down);
    const int recNo = form_->QELV_Set->RecNo();
    QTest::keyClick(form_->focusWidget(), Qt::Key_Return);
    QTest::keyClick(form_->focusWidget(), Qt::Key_Return);
    EXPECT_EQ(form_->QELV_Set->RecNo(), recNo) << "Enter in the grid runs no search";
    EXPECT_EQ(form_->QELV_Set->Sort(), "姓名 DESC, 准考证号 DESC");
    EXPECT_EQ(form_->focusWidget(), &grid);
}

// Ctrl+Tab and Ctrl+Shift+Tab move the focus through the controls in tab order from
// wherever it is, also out of the grid (which keeps Tab for its records) and out of
// its open editor; they move no record and run no search.
TEST_F(FormHandlersTest, CtrlTabWalksTheControlsAndLeavesTheGrid)
{
    ShowForm();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    form_->BitBtn1->click();
    ASSERT_TRUE(form_->QELV_Set->Active());
    TDBGridEh& grid = *form_->DBGridEh1;
    grid.setFocus();
    const auto key = [](Qt::Key pressed, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(QApplication::focusWidget(), pressed, modifiers);
    };
    const auto focus = [] { return QApplication::focusWidget(); };
    key(Qt::Key_Tab, Qt::NoModifier);
    EXPECT_EQ(focus(), &grid) << "Tab stays with the grid's records";
    EXPECT_EQ(form_->QELV_Set->RecNo(), 2);
    int searches = 0;
    form_->QELV_Set->AfterOpen = [&](TDataSet&) { ++searches; };
    const std::vector<QWidget*> order = {form_->Edit1, form_->Edit2, form_->BitBtn1, &grid};
    for (QWidget* next : order) {
        key(Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(focus(), next) << "Ctrl+Tab";
    }
    for (auto it = order.rbegin() + 1; it != order.rend(); ++it) {
        key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(focus(), *it) << "Ctrl+Shift+Tab";
    }
    key(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(focus(), &grid) << "Ctrl+Shift+Tab as Tab with Shift, round from the first edit";
    key(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(focus(), form_->BitBtn1) << "Ctrl+Shift+Tab back from the grid";
    key(Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_EQ(focus(), &grid);
    // Out of the open editor, both ways, as from the grid.
    key(Qt::Key_F2, Qt::NoModifier);
    ASSERT_TRUE(grid.EditorMode());
    ASSERT_EQ(focus(), static_cast<QWidget*>(grid.InplaceEditor()));
    key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(focus(), form_->Edit1) << "Ctrl+Tab from the editor";
    grid.setFocus();
    key(Qt::Key_F2, Qt::NoModifier);
    ASSERT_EQ(focus(), static_cast<QWidget*>(grid.InplaceEditor()));
    key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(focus(), form_->BitBtn1) << "Ctrl+Shift+Tab from the editor";
    EXPECT_EQ(form_->QELV_Set->RecNo(), 2);
    EXPECT_EQ(searches, 0);
    EXPECT_TRUE(errors_.texts.empty());
}

TEST_F(FormHandlersTest, ATitleClickResortShowsTheHourglassAndPutsTheCursorBack)
{
    ShowForm();
    form_->BitBtn1->click();
    ASSERT_TRUE(form_->QELV_Set->Active());
    // The re-sorted rows reach the data source while the re-sort is under way.
    form_->DataSource1->OnDataChange = [this](TDataSource&, TField*) {
        const QCursor* shown = QApplication::overrideCursor();
        cursorsSeen_.push_back({Screen().Cursor(), shown ? shown->shape() : Qt::ArrowCursor});
    };
    ClickTitle(*form_->DBGridEh1, 2);
    ASSERT_TRUE(errors_.texts.empty()) << errors_.texts.front();
    ASSERT_EQ(form_->QELV_Set->Sort(), "姓名 DESC");
    ASSERT_FALSE(cursorsSeen_.empty());
    for (const auto& [cursor, shape] : cursorsSeen_) {
        EXPECT_EQ(cursor, crHourGlass);
        EXPECT_EQ(shape, Qt::WaitCursor);
    }
    ExpectDefaultCursor();
}

TEST_F(FormHandlersTest, ASearchWithoutAConnectionSaysSoAndTheWindowStaysUsable)
{
    ShowForm();
    HostConnection = nullptr;
    form_->QELV_Set->SetConnection(nullptr);
    form_->BitBtn1->click();
    ASSERT_EQ(errors_.texts.size(), 1u);
    EXPECT_EQ(errors_.texts.front(), "Missing Connection or ConnectionString.");
    EXPECT_FALSE(form_->QELV_Set->Active());
    ExpectDefaultCursor();
    // Still usable: the edits take text, a second search says the same, a title click
    // reports the closed dataset, and with the connection back the search works.
    QTest::keyClicks(form_->Edit1, "1");
    EXPECT_EQ(form_->Edit1->Text(), QStringLiteral("1"));
    form_->BitBtn1->click();
    ASSERT_EQ(errors_.texts.size(), 2u);
    EXPECT_EQ(errors_.texts.back(), "Missing Connection or ConnectionString.");
    form_->QELV_Set->SetConnection(database_.connection.get());
    form_->Edit1->setText({});
    form_->BitBtn1->click();
    EXPECT_EQ(errors_.texts.size(), 2u);
    EXPECT_TRUE(form_->QELV_Set->Active());
    EXPECT_TRUE(form_->isVisible());
}

TEST_F(FormHandlersTest, ReopeningWithAnotherFieldListRebindsTheSevenColumns)
{
    ShowForm();
    form_->BitBtn1->click();
    TDBGridEh& grid = *form_->DBGridEh1;
    TADODataSet& set = *form_->QELV_Set;
    ASSERT_EQ(grid.Columns().Count(), 7);
    const auto expectBound = [&](const char* when) {
        for (int i = 0; i < 7; ++i) {
            TColumnEh* column = grid.Columns()[i];
            TField* field = set.FindField(column->FieldName());
            EXPECT_EQ(column->Field(), field) << when << ": " << column->FieldName();
            if (field) {
                EXPECT_EQ(column->ColumnDisplayText(), field->DisplayText()) << when << ": " << column->FieldName();
            }
        }
    };
    expectBound("the search");
    // The same fields in another order, with one more and 姓名 missing.
    set.SetActive(false);
    set.SetCommandText("select a.lwtth 论文题题号,a.qk 缺考标记,'x' 备注,a.tttt 笔试主观题题分字符串,"
                       "a.ttxx 笔试客观题答案字符串,b.bmh 报名号,a.zkzh 准考证号 from t_omr a left join t_bm b"
                       " on a.zkzh=b.zkzh order by a.zkzh desc");
    set.SetActive(true);
    ASSERT_EQ(set.FindField("姓名"), nullptr);
    expectBound("another field list");
    EXPECT_EQ(grid.Columns()[2]->Field(), nullptr) << "姓名 is not in the result";
    EXPECT_EQ(grid.Columns().Count(), 7) << "the persistent columns stay";
    EXPECT_EQ(grid.Columns()[0]->ColumnDisplayText(), database_.Scalar("select max(zkzh) from t_omr"));
    // And back to the search's own list.
    form_->BitBtn1->click();
    ASSERT_TRUE(errors_.texts.empty()) << errors_.texts.front();
    expectBound("the search again");
    EXPECT_NE(grid.Columns()[2]->Field(), nullptr);
}

}  // namespace
}  // namespace qelvor
