// Title clicks through real mouse and key events: the marker cycle, Ctrl+clicks whose
// one notification waits for Ctrl's release (or the focus going elsewhere), the order
// of the events, presses that are no clicks, and markers set inside an update.
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "grid/InplaceEdit.h"
#include "platform/ExceptionDispatch.h"
#include "tests/grid/support/InputFixture.h"

namespace qelvor::test {
namespace {

class TitleClick : public InputFixture {
protected:
    void SetUp() override
    {
        InputFixture::SetUp();
        grid->Events().OnTitleBtnClick = [this](TCustomDBGridEh&, int aCol, TColumnEh*) {
            events.push_back("button " + std::to_string(aCol));
        };
        grid->Events().OnSortMarkingChanged = [this](TCustomDBGridEh&) { events.push_back("sort " + SortText()); };
        grid->OnMouseDown = [this](TCustomGrid&, TMouseButton, TShiftState, int, int) { events.push_back("down"); };
        grid->OnMouseUp = [this](TCustomGrid&, TMouseButton, TShiftState, int, int) { events.push_back("up"); };
        grid->Events().OnTitleClick = [this](TColumnEh* column) { events.push_back("title " + std::to_string(column->Index())); };
    }
    TSortMarkerEh Marker(int dataCol) const { return grid->Columns()[dataCol]->Title()->SortMarker(); }
    // The marked columns in priority order with their markers, e.g. "0v 2^".
    std::string SortText() const
    {
        std::string text;
        for (TColumnEh* column : grid->SortMarkedColumnList())
            text += (text.empty() ? "" : " ") + std::to_string(column->Index())
                    + (column->Title()->SortMarker() == smDownEh ? "v" : "^");
        return text;
    }
    int Notifications() const
    {
        return static_cast<int>(std::count_if(events.begin(), events.end(),
                                              [](const std::string& e) { return e.rfind("sort", 0) == 0; }));
    }
    void CtrlClick(int dataCol) { Click(Title(dataCol), Qt::LeftButton, Qt::ControlModifier); }
};

TEST_F(TitleClick, APlainClickMarksOneColumnAndRaisesTheEventsInOrder)
{
    Click(Title(0));
    EXPECT_EQ(events, (std::vector<std::string>{"button 0", "sort 0v", "up", "title 0"}));
    Click(Title(0));
    EXPECT_EQ(Marker(0), smUpEh);
    Click(Title(0));
    EXPECT_EQ(Marker(0), smDownEh) << "a plain click never removes the last marker";
    Click(Title(2));
    EXPECT_EQ(Marker(0), smNoneEh);
    EXPECT_EQ(grid->Columns()[0]->Title()->SortIndex(), 0);
    EXPECT_EQ(SortText(), "2v");
    EXPECT_EQ(Notifications(), 4);
}

TEST_F(TitleClick, CtrlClicksNotifyOnceWhenCtrlIsReleased)
{
    Click(Title(0));
    events.clear();
    CtrlClick(1);
    CtrlClick(2);
    EXPECT_EQ(Notifications(), 0);
    EXPECT_TRUE(grid->SortMarkingChangePending());
    EXPECT_EQ(SortText(), "0v 1v 2v");
    KeyRelease(Qt::Key_Control);
    EXPECT_EQ(events, (std::vector<std::string>{"button 1", "up", "title 1", "button 2", "up", "title 2",
                                                "sort 0v 1v 2v"}));
    KeyRelease(Qt::Key_Control);
    EXPECT_EQ(Notifications(), 1);
}

TEST_F(TitleClick, CtrlClicksCycleDownUpAndOff)
{
    CtrlClick(0);
    CtrlClick(1);
    CtrlClick(2);
    CtrlClick(0);
    CtrlClick(0);
    KeyRelease(Qt::Key_Control);
    EXPECT_EQ(SortText(), "1v 2v");
    EXPECT_EQ(grid->Columns()[1]->Title()->SortIndex(), 1);
    EXPECT_EQ(grid->Columns()[2]->Title()->SortIndex(), 2);
}

TEST_F(TitleClick, ALaterPlainClickCarriesTheWaitingNotification)
{
    CtrlClick(0);
    CtrlClick(1);
    Click(Title(1));
    EXPECT_EQ(Notifications(), 1);
    EXPECT_EQ(SortText(), "1^");
    EXPECT_FALSE(grid->SortMarkingChangePending());
}

TEST_F(TitleClick, CtrlAtTheReleaseCountsNotAtThePress)
{
    Press(Title(0));
    Release(Title(0), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_TRUE(grid->SortMarkingChangePending());
    KeyRelease(Qt::Key_Control);
    Click(Title(3), Qt::LeftButton, Qt::ShiftModifier);
    Click(Title(3), Qt::LeftButton, Qt::AltModifier);
    EXPECT_EQ(SortText(), "3^") << "Shift and Alt clicks are plain clicks";
}

TEST_F(TitleClick, TheWaitingNotificationComesWhenTheFocusLeaves)
{
    QLineEdit edit(host.get());
    edit.show();
    CtrlClick(0);
    edit.setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Notifications(), 1);
    EXPECT_FALSE(grid->SortMarkingChangePending());
}

TEST_F(TitleClick, TheEditorTakingTheFocusKeepsTheNotificationWaitingUntilTheFocusGoesOn)
{
    QLineEdit edit(host.get());
    edit.show();
    CtrlClick(0);
    Key(Qt::Key_Return);
    ASSERT_TRUE(grid->InplaceEditor()->hasFocus());
    EXPECT_EQ(Notifications(), 0);
    edit.setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Notifications(), 1);
}

TEST_F(TitleClick, CtrlReleasedInTheEditorCounts)
{
    Key(Qt::Key_Return);
    ASSERT_TRUE(grid->InplaceEditor()->hasFocus());
    CtrlClick(4);
    EXPECT_EQ(Notifications(), 0);
    QTest::keyRelease(grid->InplaceEditor(), Qt::Key_Control, Qt::NoModifier);
    EXPECT_EQ(Notifications(), 1);
}

TEST_F(TitleClick, PressesThatAreNoClicks)
{
    Press(Title(1));
    EXPECT_TRUE(grid->TitleButtonDown());
    Move(DataCell(1, 4));
    EXPECT_FALSE(grid->TitleButtonDown());
    Move(Title(1) + QPoint(0, 3));
    EXPECT_TRUE(grid->TitleButtonDown()) << "back on the title, and up and down moves keep the press";
    Move(DataCell(1, 4));
    Release(DataCell(1, 4));
    EXPECT_FALSE(grid->TitleButtonDown());
    EXPECT_EQ(grid->PressedTitleCol(), -1);
    Click(Title(1), Qt::RightButton);
    Click(CellCentre(0, 0));
    EXPECT_EQ(SortText(), "");
    EXPECT_EQ(Notifications(), 0);
    EXPECT_EQ(std::count(events.begin(), events.end(), "down"), 2) << "only the right press and the indicator press";
}

TEST_F(TitleClick, ThreePixelsSidewaysAreStillAClickFourStartAMove)
{
    Press(Title(1));
    Move(Title(1) + QPoint(3, 0));
    EXPECT_TRUE(grid->TitleButtonDown());
    EXPECT_NE(grid->GridState(), TGridState::gsColMoving);
    Release(Title(1) + QPoint(3, 0));
    EXPECT_EQ(SortText(), "1v");
    Press(Title(2));
    Move(Title(2) - QPoint(4, 0));
    EXPECT_EQ(grid->GridState(), TGridState::gsColMoving);
    Release(Title(2) - QPoint(4, 0));
    EXPECT_EQ(SortText(), "1v") << "a move is no click";
    EXPECT_EQ(Notifications(), 1);
}

// Without column moving a press may wander to another title: released there, it is no click.
TEST_F(TitleClick, APressReleasedOverAnotherTitleIsNoClick)
{
    TDBGridOptions options = grid->Options();
    options.Exclude(dgColumnResize);
    grid->SetOptions(options);
    Press(Title(1));
    Move(Title(2));
    EXPECT_FALSE(grid->TitleButtonDown());
    EXPECT_NE(grid->GridState(), TGridState::gsColMoving);
    Release(Title(2));
    EXPECT_EQ(SortText(), "");
    EXPECT_EQ(std::count(events.begin(), events.end(), "button 1"), 0);
    Press(Title(2));
    Release(Title(2));
    EXPECT_EQ(SortText(), "2v");
}

TEST_F(TitleClick, CtrlClickingADataCellFromTheOpenEditorWaitsForCtrlsRelease)
{
    Key(Qt::Key_Return);
    ASSERT_TRUE(grid->InplaceEditor()->hasFocus());
    CtrlClick(4);
    Click(DataCell(1, 3), Qt::LeftButton, Qt::ControlModifier);
    ASSERT_TRUE(grid->hasFocus()) << "the focus came back from the editor to the grid";
    EXPECT_EQ(Notifications(), 0) << "Ctrl is still held";
    KeyRelease(Qt::Key_Control);
    EXPECT_EQ(Notifications(), 1);
}

TEST_F(TitleClick, ADoubleClickChangesTheMarkerOnce)
{
    DoubleClick(Title(2));
    EXPECT_EQ(Marker(2), smDownEh);
    EXPECT_EQ(Notifications(), 1);
}

TEST_F(TitleClick, ClicksOnAClosedDatasetStillMarkAndNotify)
{
    AttachDataSet(40, false);
    Click(Title(0));
    CtrlClick(1);
    KeyRelease(Qt::Key_Control);
    EXPECT_EQ(SortText(), "0v 1v");
    EXPECT_EQ(Notifications(), 2);
}

TEST_F(TitleClick, AFailingHandlerLeavesTheGridUsable)
{
    grid->Events().OnSortMarkingChanged = [](TCustomDBGridEh&) { throw std::runtime_error("sort failed"); };
    std::vector<std::string> shown;
    auto previous = SetErrorPresenter([&](const std::string&, const std::string& text) { shown.push_back(text); });
    Click(Title(0));
    SetErrorPresenter(previous);
    EXPECT_EQ(shown, std::vector<std::string>{"sort failed."});
    EXPECT_FALSE(grid->Tracking());
    EXPECT_FALSE(grid->MouseCapture());
    EXPECT_EQ(Marker(0), smDownEh) << "the marker the user set stays";
    Key(Qt::Key_Down);
    EXPECT_EQ(RecNo(), 2);
}

TEST_F(TitleClick, MarkersChangedInsideAnUpdateReachTheList)
{
    Click(Title(0));
    CtrlClick(1);
    KeyRelease(Qt::Key_Control);
    grid->Columns().BeginUpdate();
    grid->Columns()[0]->Title()->SetSortMarker(smNoneEh);
    grid->Columns()[3]->Title()->SetSortMarker(smUpEh);
    grid->Columns().EndUpdate();
    EXPECT_EQ(SortText(), "1v 3^");
    EXPECT_EQ(grid->Columns()[0]->Title()->SortIndex(), 0);
    EXPECT_EQ(grid->Columns()[3]->Title()->SortIndex(), 2);
}

}  // namespace
}  // namespace qelvor::test
