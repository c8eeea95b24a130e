// A failure while a cell is drawn: that cell stays empty, the rest of the paint is
// finished, and the failure reaches the error box once, after the paint, through the
// event loop — never from inside the paint, where the box's own loop would repaint the
// failing cell and open the next box.
#include <functional>
#include <string>
#include <vector>

#include <QCoreApplication>

#include "platform/ExceptionDispatch.h"
#include "runtime/Exceptions.h"
#include "tests/grid/support/GridFixture.h"

namespace qelvor::test {
namespace {

class GridPaintFailure : public PaintedGridFixture {
protected:
    void SetUp() override
    {
        PaintedGridFixture::SetUp();
        previous_ = SetErrorPresenter([this](const std::string&, const std::string& text) {
            shown.push_back(text);
            shownWhilePainting = shownWhilePainting || grid->viewport()->paintingActive();
            if (onShow)
                onShow();
        });
        // Grid row 3 of data column 1 fails while `failing` is set.
        grid->Columns()[1]->OnGetCellParams = [this](TColumnEh&, bool, TColCellParamsEh& params) {
            if (failing && params.Row == 3) {
                ++failures;
                throw EDatabaseError("QELV_Set: the value cannot be read");
            }
        };
    }
    void TearDown() override
    {
        SetErrorPresenter(std::move(previous_));
        PaintedGridFixture::TearDown();
    }
    // Renders and lets queued work run, as the event loop does after a paint.
    QImage RenderAndSettle()
    {
        const QImage image = Render();
        QCoreApplication::processEvents();
        return image;
    }

    bool failing = true;
    int failures = 0;
    std::vector<std::string> shown;
    bool shownWhilePainting = false;
    std::function<void()> onShow;

private:
    ErrorPresenter previous_;
};

TEST_F(GridPaintFailure, TheFailingCellIsLeftEmptyTheOthersArePaintedAndTheBoxComesAfterThePaint)
{
    const QImage image = Render();
    ASSERT_GT(failures, 0);
    EXPECT_TRUE(shown.empty()) << "no box may open inside the paint";
    EXPECT_FALSE(AnyPixelOtherThan(image, Cell(2, 3), Base()));
    // Its neighbours in the row and in the column carry their texts.
    EXPECT_TRUE(AnyPixelOtherThan(image, Cell(1, 3), Base()));
    EXPECT_TRUE(AnyPixelOtherThan(image, Cell(3, 3), Base()));
    EXPECT_TRUE(AnyPixelOtherThan(image, Cell(2, 4), Base()));
    QCoreApplication::processEvents();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "QELV_Set: the value cannot be read.");
    EXPECT_FALSE(shownWhilePainting);
}

TEST_F(GridPaintFailure, RepaintsWhileTheBoxIsOpenOrAfterItClosedOpenNoFurtherBox)
{
    // The box's own event loop repaints the grid underneath it.
    onShow = [this] { RenderAndSettle(); };
    RenderAndSettle();
    RenderAndSettle();
    RenderAndSettle();
    EXPECT_GE(failures, 4);
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_FALSE(shownWhilePainting);
}

TEST_F(GridPaintFailure, AFaultThatClearedAndCameBackIsReportedAgain)
{
    RenderAndSettle();
    ASSERT_EQ(shown.size(), 1u);
    failing = false;
    const QImage healed = RenderAndSettle();
    EXPECT_TRUE(AnyPixelOtherThan(healed, Cell(2, 3), Base()));
    EXPECT_EQ(shown.size(), 1u);
    failing = true;
    RenderAndSettle();
    EXPECT_EQ(shown.size(), 2u);
}

}  // namespace
}  // namespace qelvor::test
