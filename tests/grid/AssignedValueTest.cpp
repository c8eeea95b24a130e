// The assigned-or-default values of columns and titles: the default until a value is
// assigned, the stored test, and one change notification per real change.
#include <gtest/gtest.h>

#include "grid/AssignedValueEh.h"
#include "grid/DBGridEh.h"

namespace qelvor::test {
namespace {

enum TProbeBit { pbFirst, pbSecond };
using TProbeBits = TSet<TProbeBit>;

TEST(AssignedValue, FollowsTheDefaultUntilAssignedAndStoresOnlyADifference)
{
    TProbeBits bits;
    TAssignedValueEh<int, pbSecond> value{7};
    EXPECT_EQ(value.Get(bits, 3), 3);
    EXPECT_FALSE(value.Stored(bits, 3));
    // Assigning the default's value still assigns: the default may move later.
    EXPECT_TRUE(value.Assign(bits, 3));
    EXPECT_TRUE(bits.Contains(pbSecond));
    EXPECT_FALSE(bits.Contains(pbFirst));
    EXPECT_FALSE(value.Stored(bits, 3));
    EXPECT_EQ(value.Get(bits, 5), 3);
    EXPECT_TRUE(value.Stored(bits, 5));
    // The same value again is no change; a cleared bit brings the default back.
    EXPECT_FALSE(value.Assign(bits, 3));
    bits.Exclude(pbSecond);
    EXPECT_EQ(value.Get(bits, 5), 5);
    // Unassigned, the stored value (still 3) does not count as the same value.
    EXPECT_TRUE(value.Assign(bits, 3));
}

// A grid that counts the column changes reported to it.
class CountingGrid : public TDBGridEh {
public:
    int changes = 0;

protected:
    void ColumnsChanged(TColumnEh* column) override
    {
        ++changes;
        TDBGridEh::ColumnsChanged(column);
    }
};

TEST(AssignedValue, ColumnsAndTitlesNotifyOncePerChange)
{
    CountingGrid grid;
    TColumnEh* column = grid.Columns().Add();
    TColumnTitleEh* title = column->Title();
    grid.changes = 0;

    EXPECT_EQ(column->Color(), grid.Color());
    EXPECT_FALSE(column->ExplicitValues().Contains(cvColor));
    column->SetColor(clRed);
    EXPECT_EQ(grid.changes, 1);
    column->SetColor(clRed);
    EXPECT_EQ(grid.changes, 1);
    EXPECT_TRUE(column->IsColorStored());
    column->SetColor(grid.Color());
    EXPECT_EQ(grid.changes, 2);
    EXPECT_FALSE(column->IsColorStored());
    EXPECT_TRUE(column->ExplicitValues().Contains(cvColor));

    // Check boxes are stored whenever assigned, equal to the default or not.
    column->SetCheckboxes(column->DefaultCheckboxes());
    EXPECT_TRUE(column->IsCheckboxesStored());
    EXPECT_EQ(grid.changes, 3);

    EXPECT_EQ(title->Caption(), title->DefaultCaption());
    title->SetCaption("总分");
    title->SetCaption("总分");
    EXPECT_EQ(grid.changes, 4);
    EXPECT_EQ(title->Caption(), "总分");
    EXPECT_TRUE(title->IsCaptionStored());
    EXPECT_TRUE(column->ExplicitValues().Contains(cvTitleCaption));

    // Restoring defaults clears the column's and the title's values together.
    column->RestoreDefaults();
    EXPECT_EQ(column->ExplicitValues(), TColumnEhValues{});
    EXPECT_EQ(title->Caption(), title->DefaultCaption());
    EXPECT_EQ(column->Color(), grid.Color());
    EXPECT_FALSE(title->IsCaptionStored());
}

}  // namespace
}  // namespace qelvor::test
