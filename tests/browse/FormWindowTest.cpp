// The browse form as a window: anchors on resize, placement, fitting a screen smaller
// than the form, focus when shown, Esc kept from closing it, and the anchoring rule itself.
#include <QApplication>
#include <QScreen>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string>

#include "browse/QELVOR_Unit.h"
#include "data/ADODataSet.h"
#include "grid/DBGridEh.h"
#include "session/StandardInfo.h"
#include "platform/Anchors.h"
#include "platform/Buttons.h"
#include "platform/FormPlacement.h"
#include "platform/Panel.h"
#include "platform/TextControls.h"

namespace qelvor {
namespace {

TEST(AnchoredBoundsTest, EachCombinationOfEdges)
{
    const QRect design(100, 50, 40, 20);
    const QSize parent(300, 200), grown(400, 260);
    EXPECT_EQ(AnchoredBounds(design, parent, grown, akLeft | akTop), design);
    EXPECT_EQ(AnchoredBounds(design, parent, grown, akRight | akBottom), QRect(200, 110, 40, 20));
    EXPECT_EQ(AnchoredBounds(design, parent, grown, akLeft | akTop | akRight | akBottom), QRect(100, 50, 140, 80));
    // Shrinking below the design size narrows a stretched control, never below zero.
    EXPECT_EQ(AnchoredBounds(design, parent, QSize(100, 100), akLeft | akRight | akTop).width(), 0);
    // Neither edge of an axis: the centre stays at the same proportion (120 of 300 → 160 of 400).
    EXPECT_EQ(AnchoredBounds(design, parent, grown, akTop).center().x(), QRect(140, 0, 40, 1).center().x());
}

TEST(FormPlacementTest, CentresTheStoredOuterSizeOnTheScreen)
{
    const QSize outer(667, 405);
    EXPECT_EQ(PlaceForm(TPosition::poOwnerFormCenter, {235, 198}, outer, QRect(0, 0, 1024, 768)), QPoint(178, 181));
    EXPECT_EQ(PlaceForm(TPosition::poScreenCenter, {235, 198}, outer, QRect(0, 0, 800, 600)), QPoint(66, 97));
    EXPECT_EQ(PlaceForm(TPosition::poDesigned, {235, 198}, outer, QRect(0, 0, 1024, 768)), QPoint(235, 198));
    // A screen smaller than the form: truncation toward zero, not flooring.
    EXPECT_EQ(PlaceForm(TPosition::poScreenCenter, {0, 0}, outer, QRect(0, 0, 640, 400)), QPoint(-13, -2));
    EXPECT_EQ(PlaceForm(TPosition::poOwnerFormCenter, {0, 0}, outer, QRect(0, 0, 1024, 768), QRect(100, 100, 867, 605)),
              QPoint(200, 200));
}

// The centring formula stands; a frame it would put off the screen is moved in, its
// title bar first. Screens of 640x480 and 1024x768 pixels at scale factors 1 and 2
// (where Qt's screen, in device-independent pixels, is half as wide and high).
TEST(FormPlacementTest, KeepsTheTitleBarInsideTheAvailableArea)
{
    const QSize outer(667, 405);
    const auto place = [&](const QRect& screen, const QRect& available) {
        return KeepOnScreen(PlaceForm(TPosition::poScreenCenter, {235, 198}, outer, screen), outer, available);
    };
    const QRect large(0, 0, 1024, 768), largeAt2(0, 0, 512, 384), small(0, 0, 640, 480), smallAt2(0, 0, 320, 240);
    EXPECT_EQ(place(large, large), QPoint(178, 181)) << "a window that fits stays centred";
    EXPECT_EQ(place(largeAt2, largeAt2), QPoint(0, 0)) << "was (-77, -10)";
    EXPECT_EQ(place(small, small), QPoint(0, 37)) << "was (-13, 37)";
    EXPECT_EQ(place(smallAt2, smallAt2), QPoint(0, 0)) << "was (-173, -82)";
    // A panel along the top and one along the left: the frame starts below and right of them.
    EXPECT_EQ(place(largeAt2, QRect(40, 24, 472, 360)), QPoint(40, 24));
    EXPECT_EQ(place(large, QRect(0, 0, 1024, 200)), QPoint(178, 0)) << "bottom edge first, then the top wins";
    // Off the far edges (a designed position): back inside, as little as it takes.
    EXPECT_EQ(KeepOnScreen({900, 700}, outer, large), QPoint(1024 - 667, 768 - 405));
    EXPECT_EQ(KeepOnScreen({-5, -30}, outer, large), QPoint(0, 0));
    // On a second screen to the left of the first (negative coordinates).
    EXPECT_EQ(KeepOnScreen({-2000, 10}, outer, QRect(-1280, 0, 1280, 1024)), QPoint(-1280, 10));
    EXPECT_EQ(KeepOnScreen({-77, -10}, outer, QRect()), QPoint(-77, -10)) << "no screen: as placed";
}

TEST(FormPlacementTest, AFrameLargerThanTheAvailableAreaIsMadeAsLargeAsTheArea)
{
    const QSize outer(667, 405);
    EXPECT_EQ(FitIntoArea(outer, QRect(0, 0, 1024, 768)), outer);
    EXPECT_EQ(FitIntoArea(outer, QRect(0, 0, 640, 480)), QSize(640, 405));
    EXPECT_EQ(FitIntoArea(outer, QRect(0, 0, 512, 384)), QSize(512, 384));
    EXPECT_EQ(FitIntoArea(outer, QRect(48, 60, 592, 420)), QSize(592, 405));
    EXPECT_EQ(FitIntoArea(outer, QRect()), outer) << "no screen: as designed";
}

TEST(FormWindowTest, ResizingMovesTheExitButtonAndStretchesOnlyTheGrid)
{
    TQELVOR_Form form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.resize(form.width() + 100, form.height() + 40);
    EXPECT_EQ(form.SpeedButton3->geometry(), QRect(688, 390, 65, 25));
    EXPECT_EQ(form.DBGridEh1->geometry(), QRect(8, 53, 743, 332));
    EXPECT_EQ(form.Panel1->geometry(), QRect(8, 6, 591, 41));
    EXPECT_EQ(form.BitBtn1->geometry(), QRect(504, 8, 75, 25));
    // Back to the design size: everything where it started (no drift).
    form.resize(659, 378);
    EXPECT_EQ(form.SpeedButton3->geometry(), QRect(588, 350, 65, 25));
    EXPECT_EQ(form.DBGridEh1->geometry(), QRect(8, 53, 643, 292));
}

// Every control of the form inside its client area, the panel's row left to right
// without overlap inside the panel, and the buttons at their designed size.
void ExpectEveryControlInside(const TQELVOR_Form& form)
{
    const QRect client = form.rect();
    for (const QWidget* control : {static_cast<const QWidget*>(form.SpeedButton3), static_cast<const QWidget*>(form.DBGridEh1),
                                   static_cast<const QWidget*>(form.Panel1)})
        EXPECT_TRUE(client.contains(control->geometry())) << control->objectName().toStdString();
    const QWidget* row[] = {form.Label3, form.Edit1, form.Label4, form.Edit2, form.BitBtn1};
    for (std::size_t i = 0; i < std::size(row); ++i) {
        EXPECT_TRUE(form.Panel1->rect().contains(row[i]->geometry())) << row[i]->objectName().toStdString();
        if (i > 0) {
            EXPECT_LT(row[i - 1]->geometry().right(), row[i]->x()) << row[i]->objectName().toStdString();
        }
    }
    EXPECT_EQ(form.BitBtn1->size(), QSize(75, 25));
    EXPECT_EQ(form.SpeedButton3->size(), QSize(65, 25));
    EXPECT_GE(form.Edit1->width(), 30) << "an edit keeps room for a few digits";
    EXPECT_GE(form.Edit2->width(), 30);
}

// Narrower than designed (the window made to fit a small screen), the panel narrows and
// its edits give up width, then its labels; 检索 stays inside. Wider, nothing of the
// panel changes, and back at the design size every control is where it was designed.
TEST(FormWindowTest, NarrowerThanDesignedEveryControlStaysInside)
{
    TQELVOR_Form form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // 640x480, 1024x768 at twice the scale, 640x480 at twice the scale.
    for (const QSize size : {QSize(632, 378), QSize(504, 357), QSize(312, 213)}) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        form.resize(size);
        ExpectEveryControlInside(form);
    }
    form.resize(632, 378);
    EXPECT_EQ(form.Panel1->geometry(), QRect(8, 6, 591, 41)) << "the panel fits as designed";
    form.resize(504, 357);
    EXPECT_EQ(form.Panel1->geometry(), QRect(8, 6, 488, 41)) << "its right margin as its left";
    EXPECT_EQ(form.Label3->width() + form.Label4->width(), 2 * 84) << "the labels keep their captions' width";
    EXPECT_EQ(form.Edit1->width() + form.Edit2->width(), 2 * 146 - (591 - 488)) << "the edits give up the rest";
    EXPECT_LE(std::abs(form.Edit1->width() - form.Edit2->width()), 1) << "alike";
    form.resize(759, 418);
    EXPECT_EQ(form.Panel1->geometry(), QRect(8, 6, 591, 41));
    form.resize(659, 378);
    EXPECT_EQ(form.Label3->geometry(), QRect(10, 15, 84, 12));
    EXPECT_EQ(form.Edit1->geometry(), QRect(97, 10, 146, 20));
    EXPECT_EQ(form.Label4->geometry(), QRect(258, 15, 84, 12));
    EXPECT_EQ(form.Edit2->geometry(), QRect(344, 10, 146, 20));
    EXPECT_EQ(form.BitBtn1->geometry(), QRect(504, 8, 75, 25));
}

// On a screen smaller than the form, the window shows as large as the available area
// allows and nothing of it lies off that area. CTest runs these on a 640x480 screen and
// at twice the scale on 1024x768 (BrowseFormOnASmallScreen, BrowseFormAtDoubleScale); on
// a screen the form fits, the window keeps its designed size.
TEST(SmallScreen, TheWindowFitsTheAvailableAreaAndKeepsItsControlsInside)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    HostConnection = nullptr;
    TQELVOR_Form form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(available.contains(form.frameGeometry()))
        << "frame at " << form.frameGeometry().x() << "," << form.frameGeometry().y() << " size "
        << form.frameGeometry().width() << "x" << form.frameGeometry().height();
    // The stored frame is 8 pixels wider and 27 higher than the client.
    EXPECT_EQ(form.width(), std::min(659, available.width() - 8));
    EXPECT_EQ(form.height(), std::min(378, available.height() - 27));
    ExpectEveryControlInside(form);
}

TEST(FormWindowTest, ShownCentredOnTheScreenWithTheFocusInTheGrid)
{
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1024, 768));
    HostConnection = nullptr;
    TQELVOR_Form form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.frameGeometry().topLeft(), QPoint(178, 181));
    EXPECT_EQ(form.size(), QSize(659, 378));
    EXPECT_EQ(form.focusWidget(), static_cast<QWidget*>(form.DBGridEh1));
    EXPECT_TRUE(form.Edit1->Text().isEmpty());
    EXPECT_FALSE(form.QELV_Set->Active());
}

TEST(FormWindowTest, EscDoesNotCloseTheForm)
{
    TQELVOR_Form form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.Edit1->setFocus();
    QTest::keyClick(form.Edit1, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    form.SpeedButton3->click();
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace qelvor
