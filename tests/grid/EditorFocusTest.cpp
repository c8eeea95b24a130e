// The in-place editor and the focus where the window changes under them: the editor
// follows its record when the window is made shorter, first clicks into a window whose
// activation has not arrived yet are not dropped, and an editor hidden for lack of room
// hands the focus back to the grid.
#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include "grid/InplaceEdit.h"
#include "tests/grid/support/InputFixture.h"

namespace qelvor::test {
namespace {

class EditorFocus : public InputFixture {
protected:
    QString CurrentFieldText() const
    {
        return QString::fromStdString(grid->Columns()[DataCol()]->Field()->EditText());
    }
    // Another top-level window takes the activation; the grid stays its window's focus widget.
    void ActivateAnotherWindow()
    {
        other = std::make_unique<QWidget>();
        other->resize(100, 100);
        other->show();
        other->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(other.get()));
        ASSERT_FALSE(grid->hasFocus());
        ASSERT_EQ(host->focusWidget(), static_cast<QWidget*>(grid));
    }
    std::unique_ptr<QWidget> other;
};

TEST_F(EditorFocus, TheEditorFollowsItsRecordWhenTheWindowIsMadeShorter)
{
    Click(DataCell(1, 9));
    Click(DataCell(1, 9));
    ASSERT_TRUE(EditorShown());
    const int recNo = RecNo();
    const QString text = CurrentFieldText();
    SizeForDataRows(6);
    EXPECT_EQ(RecNo(), recNo) << "the current record stays current";
    EXPECT_EQ(grid->Row(), 6) << "its row is the last one left";
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(grid->InplaceEditor()->geometry(), Cell(2, 6)) << "the editor stands on the current cell";
    EXPECT_EQ(grid->InplaceEditor()->text(), text);
}

TEST_F(EditorFocus, FirstClicksIntoAWindowStillBeingActivatedAreNotDropped)
{
    Click(DataCell(2, 3));
    ActivateAnotherWindow();
    Click(DataCell(2, 3));
    ASSERT_TRUE(EditorShown()) << "a click on the current cell opens the editor";
    EXPECT_EQ(host->focusWidget(), static_cast<QWidget*>(grid->InplaceEditor()))
        << "the editor has the focus once the activation arrives";
    grid->HideEditor();
    grid->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(RecNo(), 11) << "the scroll bar's arrow goes to the record below the last row";
}

TEST_F(EditorFocus, AnEditorHiddenForLackOfRoomHandsTheFocusBackToTheGrid)
{
    auto* nextControl = new QLineEdit(host.get());
    nextControl->setGeometry(0, 0, 10, 10);
    nextControl->show();
    SizeForDataRows(10, 400);
    ASSERT_TRUE(grid->ScrollBarShowing(TScrollBarKind::sbHorizontal));
    grid->setFocus();
    Click(DataCell(0, 2));
    Click(DataCell(0, 2));
    ASSERT_TRUE(EditorShown());
    ASSERT_TRUE(grid->InplaceEditor()->hasFocus());
    for (int i = 0; i < 3; ++i)
        grid->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    ASSERT_TRUE(Cell(1, 3).isEmpty()) << "the current column left the view";
    EXPECT_TRUE(grid->InplaceEditor()->isHidden());
    EXPECT_TRUE(grid->hasFocus()) << "the focus went back to the grid, not to the next control";
}

}  // namespace
}  // namespace qelvor::test
