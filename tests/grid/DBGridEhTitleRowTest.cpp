// The data grid's title buttons where a press ends otherwise than by its release: the
// cancel-mode message (the window disabled, a box opening) ends a held title without a
// click and without the pressed look, and the next press on it is a click again.
#include "tests/grid/support/InputFixture.h"

namespace qelvor::test {
namespace {

class DBGridEhTitleRow : public InputFixture {
protected:
    void SetUp() override
    {
        InputFixture::SetUp();
        grid->Events().OnTitleBtnClick = [this](TCustomDBGridEh&, int aCol, TColumnEh*) {
            events.push_back("button " + std::to_string(aCol));
        };
    }
};

TEST_F(DBGridEhTitleRow, CancelModeEndsAHeldTitleWithoutAClick)
{
    Press(Title(1));
    ASSERT_TRUE(grid->TitleButtonDown());
    ASSERT_EQ(grid->PressedTitleCol(), 2);
    grid->setEnabled(false);
    EXPECT_EQ(grid->GridState(), TGridState::gsNormal);
    EXPECT_FALSE(grid->TitleButtonDown());
    EXPECT_EQ(grid->PressedTitleCol(), -1);
    EXPECT_FALSE(grid->MouseCapture());
    grid->setEnabled(true);
    Move(Title(1) + QPoint(0, 2));
    EXPECT_FALSE(grid->TitleButtonDown()) << "no pressed look comes back after the cancel";
    Release(Title(1));
    EXPECT_EQ(std::count(events.begin(), events.end(), "button 1"), 0);
    EXPECT_EQ(grid->Columns()[1]->Title()->SortMarker(), smNoneEh);
    Click(Title(1));
    EXPECT_EQ(std::count(events.begin(), events.end(), "button 1"), 1);
    EXPECT_EQ(grid->Columns()[1]->Title()->SortMarker(), smDownEh);
}

}  // namespace
}  // namespace qelvor::test
