// The keyboard through real key events: the plain and Ctrl key tables, Tab, Enter and
// F2 with the read-only editor, typed characters, keys the grid must keep from the
// form, and the keys the editor hands back to the grid.
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QPushButton>
#include <QTest>

#include "grid/InplaceEdit.h"
#include "tests/grid/support/InputFixture.h"

namespace qelvor::test {
namespace {

using Keyboard = InputFixture;

TEST_F(Keyboard, RecordKeysStopAtTheEndsWithoutAppending)
{
    Key(Qt::Key_Up);
    EXPECT_EQ(RecNo(), 1);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down, Qt::ShiftModifier);  // Shift changes nothing
    EXPECT_EQ(RecNo(), 3);
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(RecNo(), 40);
    Key(Qt::Key_Down);
    EXPECT_EQ(RecNo(), 40);
    EXPECT_EQ(dataSet->RecordCount(), 40);
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(RecNo(), 1);
    EXPECT_EQ(grid->Selection().SelectionType(), gstNon);
}

TEST_F(Keyboard, PageKeysMoveByTheVisibleRowsInOneMove)
{
    ASSERT_EQ(grid->VisibleDataRows(), 10);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(RecNo(), 11);
    EXPECT_EQ(scrolls, 1);
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(RecNo(), 40);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(RecNo(), 30);
}

TEST_F(Keyboard, CtrlEndAndCtrlHomeRepaintEveryDataRow)
{
    QWidget& area = *grid->viewport();
    const QImage top = OnScreen(area);
    ASSERT_EQ(top, FreshPaint(area));
    // Ctrl+End from the top reloads the window 30 records on: no row may keep its old picture.
    Key(Qt::Key_End, Qt::ControlModifier);
    ASSERT_EQ(RecNo(), 40);
    const QImage bottom = OnScreen(area);
    EXPECT_NE(bottom, top);
    EXPECT_EQ(bottom, FreshPaint(area));
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(OnScreen(area), FreshPaint(area));
    // A screenful exactly still scrolls pixels, and must leave them right as well.
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(OnScreen(area), FreshPaint(area));
}

TEST_F(Keyboard, CtrlUpAndDownGoToTheEdgesOfTheWindow)
{
    Key(Qt::Key_PageDown);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    const int top = RecNo() - grid->DataLink().ActiveRecord();
    Key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(RecNo(), top);
    Key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(RecNo(), top + grid->DataLink().RecordCount() - 1);
}

TEST_F(Keyboard, CtrlDownOnAShortListGoesToTheLastRecord)
{
    AttachDataSet(4);
    Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(RecNo(), 4);
}

TEST_F(Keyboard, ColumnKeysWalkTheSevenColumns)
{
    EXPECT_EQ(DataCol(), 0);
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    EXPECT_EQ(DataCol(), 2);
    Key(Qt::Key_Left);
    EXPECT_EQ(DataCol(), 1);
    Key(Qt::Key_End);
    EXPECT_EQ(DataCol(), 6);
    Key(Qt::Key_Right);
    EXPECT_EQ(DataCol(), 6);
    Key(Qt::Key_Home);
    EXPECT_EQ(DataCol(), 0);
    Key(Qt::Key_Left);
    EXPECT_EQ(DataCol(), 0);
    Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(DataCol(), 6);
    Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(DataCol(), 0);
    EXPECT_EQ(RecNo(), 1) << "column keys never move the record";
}

TEST_F(Keyboard, AColumnEndingAtTheRightEdgeIsFullyVisible)
{
    // Data column 4 ends exactly at the client's right edge; its grid line lies outside.
    const QRect last = Cell(5, 0);
    const int shrink = grid->ClientWidth() - (last.left() + last.width());
    grid->resize(grid->width() - shrink, grid->height());
    QApplication::processEvents();
    ASSERT_EQ(grid->ClientWidth(), last.left() + last.width());
    for (int i = 0; i < 4; ++i)
        Key(Qt::Key_Right);
    EXPECT_EQ(DataCol(), 4);
    EXPECT_EQ(grid->LeftCol(), 1) << "stepping onto a fully visible column scrolls nothing";
    Key(Qt::Key_Home);
    Click(DataCell(4, 0));
    EXPECT_EQ(DataCol(), 4);
    EXPECT_EQ(grid->LeftCol(), 1);
    Key(Qt::Key_Right);
    EXPECT_GT(grid->LeftCol(), 1) << "the next column is cut off and comes into view";
}

TEST_F(Keyboard, HiddenColumnsAreSkipped)
{
    grid->Columns()[1]->SetVisible(false);
    Key(Qt::Key_Right);
    EXPECT_EQ(DataCol(), 2);
    Key(Qt::Key_Left);
    EXPECT_EQ(DataCol(), 0);
}

TEST_F(Keyboard, HomeAndEndMoveTheRecordWithASingleColumn)
{
    while (grid->Columns().Count() > 1)
        grid->Columns().Delete(grid->Columns().Count() - 1);
    Key(Qt::Key_End);
    EXPECT_EQ(RecNo(), 40);
    Key(Qt::Key_Home);
    EXPECT_EQ(RecNo(), 1);
}

TEST_F(Keyboard, TabStepsRecordsInTheSameColumnAndKeepsTheFocus)
{
    Key(Qt::Key_Right);
    Key(Qt::Key_Tab);
    EXPECT_EQ(RecNo(), 2);
    EXPECT_EQ(DataCol(), 1);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(RecNo(), 1);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(RecNo(), 1);
    EXPECT_TRUE(grid->hasFocus());
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Tab);
    EXPECT_EQ(RecNo(), 40);
    EXPECT_EQ(DataCol(), 1);
    EXPECT_TRUE(grid->hasFocus());
}

TEST_F(Keyboard, TabWalkEndsAfterOneRoundFromAnyColumn)
{
    // Current column on the indicator: a walk that waited to come back to it would never end.
    grid->MoveCurrent(0, grid->Row(), true, false);
    grid->TabWalk(true);
    EXPECT_EQ(RecNo(), 2);
}

TEST_F(Keyboard, EnterTogglesTheEditorAndNeverReachesTheDefaultButton)
{
    QDialog dialog;
    auto* button = new QPushButton("search", &dialog);
    button->setDefault(true);
    int searches = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++searches; });
    host->setParent(&dialog);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    grid->setFocus();
    Key(Qt::Key_Down);
    Key(Qt::Key_Return);
    ASSERT_TRUE(EditorShown());
    EXPECT_TRUE(grid->InplaceEditor()->hasFocus());
    EXPECT_EQ(grid->InplaceEditor()->text(), "2026100001");
    EXPECT_EQ(grid->InplaceEditor()->selectedText(), "2026100001") << "the whole text is selected when placed";
    Key(Qt::Key_Return);
    EXPECT_FALSE(EditorShown());
    EXPECT_TRUE(grid->hasFocus());
    Key(Qt::Key_Enter, Qt::KeypadModifier);
    Key(Qt::Key_Enter, Qt::KeypadModifier);
    Key(Qt::Key_Escape);
    EXPECT_EQ(searches, 0);
    EXPECT_EQ(RecNo(), 2);
    EXPECT_TRUE(dialog.isVisible());
    host->setParent(nullptr);
}

TEST_F(Keyboard, F2PutsTheCaretAtTheEndAndTheEditorKeepsCaretKeys)
{
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    TInplaceEdit* editor = grid->InplaceEditor();
    EXPECT_FALSE(editor->hasSelectedText());
    EXPECT_EQ(editor->cursorPosition(), editor->text().size());
    Key(Qt::Key_Left);
    Key(Qt::Key_Home);
    EXPECT_EQ(editor->cursorPosition(), 0);
    EXPECT_EQ(DataCol(), 0);
    Key(Qt::Key_End, Qt::ShiftModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), editor->text()) << "selected text leaves the window by Ctrl+C";
    EXPECT_TRUE(EditorShown());
}

// A value longer than a line edit's default limit (32,767 characters) is held and
// copied whole: the last characters tell a cut copy from a whole one.
TEST_F(Keyboard, TheEditorHoldsAndCopiesAValueOfAnyLength)
{
    for (const int length : {100000, 1000000}) {
        SCOPED_TRACE(length);
        std::string value(static_cast<std::size_t>(length) - 3, 'A');
        for (std::size_t i = 0; i < value.size(); i += 7)
            value[i] = static_cast<char>('0' + i % 10);
        value += "END";
        dataSource->SetDataSet(nullptr);
        dataSet = std::make_unique<GridTestDataSet>(
            AnswerSheetFieldDefs(), 3,
            [value](int row, int column) { return column == 3 ? Variant(value) : AnswerSheetValue(row, column); },
            "QELV_Set");
        dataSource->SetDataSet(dataSet.get());
        dataSet->Open();
        grid->setFocus();
        Key(Qt::Key_Home);
        for (int i = 0; i < 3; ++i)
            Key(Qt::Key_Right);
        ASSERT_EQ(DataCol(), 3);
        Key(Qt::Key_F2);
        ASSERT_TRUE(EditorShown());
        TInplaceEdit* editor = grid->InplaceEditor();
        EXPECT_EQ(editor->text().size(), length);
        EXPECT_EQ(editor->cursorPosition(), length) << "F2 puts the caret after the last character";
        Key(Qt::Key_A, Qt::ControlModifier);
        Key(Qt::Key_C, Qt::ControlModifier);
        const QString copied = QApplication::clipboard()->text();
        EXPECT_EQ(copied.size(), length);
        EXPECT_TRUE(copied.toStdString() == value) << "the copy differs from the value";
        Key(Qt::Key_Escape);
        EXPECT_FALSE(EditorShown());
    }
}

TEST_F(Keyboard, TheEditorHandsNavigationKeysToTheGrid)
{
    Key(Qt::Key_Return);
    ASSERT_TRUE(EditorShown());
    Key(Qt::Key_Down);
    EXPECT_EQ(RecNo(), 2);
    EXPECT_FALSE(EditorShown()) << "a move to another record hides the editor";
    EXPECT_TRUE(grid->hasFocus());
    Key(Qt::Key_Return);
    Key(Qt::Key_Tab);
    EXPECT_EQ(RecNo(), 3);
    Key(Qt::Key_Return);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(RecNo(), 13);
    Key(Qt::Key_Return);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(EditorShown());
    EXPECT_TRUE(grid->hasFocus());
}

TEST_F(Keyboard, TypingOpensTheEditorAndChangesNothing)
{
    const QString before = grid->GetEditText(grid->Col(), grid->Row());
    QTest::keyClicks(grid, "x");
    ASSERT_TRUE(EditorShown());
    QTest::keyClicks(QApplication::focusWidget(), "yz");
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Delete);
    Key(Qt::Key_V, Qt::ControlModifier);
    Key(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(grid->InplaceEditor()->text(), before);
    EXPECT_EQ(beeps, 0) << "text columns take letters";
    Key(Qt::Key_Escape);
    Key(Qt::Key_End);  // 论文题题号, an integer column
    QTest::keyClicks(grid, "a");
    EXPECT_TRUE(EditorShown());
    EXPECT_EQ(beeps, 1);
    QTest::keyClicks(QApplication::focusWidget(), "7");
    EXPECT_EQ(beeps, 1) << "a digit could go into a number";
}

TEST_F(Keyboard, ActionKeysDoNothing)
{
    const int col = grid->Col();
    for (auto [key, modifiers] : {std::pair{Qt::Key_C, Qt::ControlModifier}, {Qt::Key_A, Qt::ControlModifier},
                                  {Qt::Key_F, Qt::ControlModifier}, {Qt::Key_Insert, Qt::NoModifier},
                                  {Qt::Key_Delete, Qt::NoModifier}, {Qt::Key_Delete, Qt::ControlModifier},
                                  {Qt::Key_Apostrophe, Qt::ControlModifier}, {Qt::Key_Return, Qt::ControlModifier},
                                  {Qt::Key_Tab, Qt::ControlModifier}}) {
        Key(key, modifiers);
        EXPECT_FALSE(EditorShown()) << key;
    }
    EXPECT_EQ(grid->Selection().SelectionType(), gstNon);
    EXPECT_EQ(grid->SelectedRows().Count(), 0);
    EXPECT_EQ(RecNo(), 1);
    EXPECT_EQ(grid->Col(), col);
}

TEST_F(Keyboard, EditingKeysWithTheEditorClosedChangeNoRecordAndNoClipboard)
{
    Click(DataCell(1, 4));
    ASSERT_FALSE(EditorShown());
    auto currentValues = [this] {
        std::vector<std::string> values;
        for (int i = 0; i < grid->Columns().Count(); ++i)
            values.push_back(grid->Columns()[i]->Field()->EditText());
        return values;
    };
    const std::vector<std::string> before = currentValues();
    const int count = dataSet->RecordCount();
    const QString clipboard = QStringLiteral("left by the user");
    QApplication::clipboard()->setText(clipboard);
    for (auto [key, modifiers] : {std::pair{Qt::Key_Delete, Qt::NoModifier}, {Qt::Key_Delete, Qt::ControlModifier},
                                  {Qt::Key_Insert, Qt::NoModifier}, {Qt::Key_C, Qt::ControlModifier},
                                  {Qt::Key_X, Qt::ControlModifier}}) {
        Key(key, modifiers);
        EXPECT_EQ(dataSet->State(), TDataSetState::dsBrowse) << key;
        EXPECT_EQ(dataSet->RecordCount(), count) << key;
        EXPECT_EQ(RecNo(), 5) << key;
        EXPECT_EQ(currentValues(), before) << key;
        EXPECT_EQ(QApplication::clipboard()->text(), clipboard) << key;
    }
}

TEST_F(Keyboard, KeysBeforeTheFirstSearchOnlyRaiseOnKeyDown)
{
    AttachDataSet(40, false);
    int keyDowns = 0;
    grid->OnKeyDown = [&](TCustomGrid&, TVirtualKey&, TShiftState) { ++keyDowns; };
    const int col = grid->Col();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Right, Qt::Key_End, Qt::Key_Return, Qt::Key_F2, Qt::Key_Tab})
        Key(key);
    EXPECT_EQ(keyDowns, 6);
    EXPECT_EQ(grid->Col(), col);
    EXPECT_FALSE(EditorShown());
    EXPECT_TRUE(grid->hasFocus());
}

TEST_F(Keyboard, OnKeyDownMaySwallowAKey)
{
    grid->OnKeyDown = [](TCustomGrid&, TVirtualKey& key, TShiftState) {
        if (key == vk::Down)
            key = vk::None;
    };
    Key(Qt::Key_Down);
    EXPECT_EQ(RecNo(), 1);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(RecNo(), 11);
}

TEST_F(Keyboard, ColumnExitAndEnterFrameEveryColumnChange)
{
    grid->Events().OnColExit = [&](TCustomDBGridEh& sender) {
        events.push_back("exit " + std::to_string(sender.Col()));
    };
    grid->Events().OnColEnter = [&](TCustomDBGridEh& sender) {
        events.push_back("enter " + std::to_string(sender.Col()));
    };
    Key(Qt::Key_Right);
    Key(Qt::Key_Home);
    Key(Qt::Key_Home);
    EXPECT_EQ(events, (std::vector<std::string>{"exit 1", "enter 2", "exit 2", "enter 1"}));
}

}  // namespace
}  // namespace qelvor::test
