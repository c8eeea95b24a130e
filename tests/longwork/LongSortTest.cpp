// A title-click re-sort that takes long in the browse window (every sort made to last
// a while longer): the wheel turned over the grid meanwhile moves nothing, and a title
// press begun before the wait and released during it ends with the wait, so that the
// grid holds no press the mouse no longer makes.
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "BrowseTestSupport.h"
#include "WaitWatch.h"
#include "browse/QELVOR_Unit.h"
#include "data/ADODataSet.h"
#include "data/Field.h"
#include "grid/ColumnTitleEh.h"
#include "grid/DBGridEh.h"
#include "platform/Buttons.h"
#include "platform/LongWorkWindow.h"
#include "session/StandardInfo.h"

namespace qelvor {
namespace {

using namespace std::chrono_literals;

constexpr auto kSortLength = 600ms;

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers)
{
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, buttons, modifiers);
    QApplication::sendEvent(widget, &event);
}

class LongSortTest : public testing::Test {
protected:
    LongSortTest() : database_(300)
    {
        HostConnection = database_.connection.get();
        form_ = std::make_unique<TQELVOR_Form>();
        form_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
        form_->BitBtn1->click();
        EXPECT_TRUE(form_->QELV_Set->Active());
        // Sorts wait in the window as long as a sort of millions of rows would.
        previous_ = SetLongWorkRunner([](LongWorkKind kind, const std::function<void()>& work, WorkProgress& progress) {
            RunLongWorkInWindow(kind, [&work, kind] {
                work();
                if (kind == LongWorkKind::Sort)
                    std::this_thread::sleep_for(kSortLength);
            }, progress);
        });
        form_->DBGridEh1->setFocus();
    }
    ~LongSortTest() override
    {
        SetLongWorkRunner(std::move(previous_));
        form_.reset();
        HostConnection = nullptr;
    }

    TDBGridEh& Grid() const { return *form_->DBGridEh1; }
    QWidget* Viewport() const { return Grid().viewport(); }
    QPoint Title(int dataCol) const { return Grid().CellRect(Grid().ToGridColumn(dataCol), 0).center(); }
    std::string CurrentTicket() const { return form_->QELV_Set->FieldByName("准考证号")->AsString(); }

    test::TestDatabase database_;
    test::ErrorRecorder errors_;
    std::unique_ptr<TQELVOR_Form> form_;
    test::WaitWatch watch_;
    LongWorkRunner previous_;
};

TEST_F(LongSortTest, TheWheelOverTheGridDuringAReSortMovesNothing)
{
    const std::string current = CurrentTicket();
    bool turned = false;
    watch_.At(200, [&] {
        for (int notch = 0; notch < 3; ++notch) {
            QWheelEvent wheel(QPointF(Title(1) + QPoint(0, 60)), QPointF(Viewport()->mapToGlobal(Title(1) + QPoint(0, 60))),
                              QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(Viewport(), &wheel);
        }
        turned = true;
    });
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, Title(0));
    ASSERT_TRUE(turned) << "the sort ended before the wheel turned";
    EXPECT_EQ(Grid().Columns()[0]->Title()->SortMarker(), smDownEh);
    EXPECT_EQ(CurrentTicket(), current) << "the wheel moved the current record during the sort";
    EXPECT_TRUE(errors_.texts.empty());
}

// Ctrl+click one title, press a second with Ctrl held, let go of Ctrl (the re-sort
// starts), then of the mouse while the rows are sorted.
TEST_F(LongSortTest, APressReleasedDuringTheWaitEndsWithIt)
{
    SendMouse(Viewport(), QEvent::MouseButtonPress, Title(0), Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
    SendMouse(Viewport(), QEvent::MouseButtonRelease, Title(0), Qt::LeftButton, Qt::NoButton, Qt::ControlModifier);
    SendMouse(Viewport(), QEvent::MouseButtonPress, Title(1), Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
    ASSERT_EQ(Grid().GridState(), TGridState::gsTitlePressed);
    bool released = false;
    watch_.At(200, [&] {
        SendMouse(Viewport(), QEvent::MouseButtonRelease, Title(1), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        released = true;
    });
    QTest::keyRelease(&Grid(), Qt::Key_Control);
    ASSERT_TRUE(released) << "the sort ended before the mouse was released";
    EXPECT_EQ(Grid().Columns()[0]->Title()->SortMarker(), smDownEh) << "the Ctrl+click's sort was lost";
    EXPECT_EQ(Grid().GridState(), TGridState::gsNormal) << "the grid still holds the press";
    // The mouse moves on without a button: no column drag may start from the old press.
    SendMouse(Viewport(), QEvent::MouseMove, Title(1) + QPoint(60, 0), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    EXPECT_EQ(Grid().GridState(), TGridState::gsNormal);
    const std::string firstTitle = Grid().Columns()[0]->FieldName();
    SendMouse(Viewport(), QEvent::MouseButtonPress, Title(2), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    SendMouse(Viewport(), QEvent::MouseButtonRelease, Title(2), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    EXPECT_EQ(Grid().Columns()[0]->FieldName(), firstTitle) << "a column moved";
    EXPECT_EQ(Grid().Columns()[2]->Title()->SortMarker(), smDownEh) << "the next click was not a click";
    EXPECT_EQ(Grid().Columns()[0]->Title()->SortMarker(), smNoneEh);
    EXPECT_TRUE(errors_.texts.empty());
}

}  // namespace
}  // namespace qelvor
