#include "tests/grid/support/InputFixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>

#include "grid/InplaceEdit.h"
#include "platform/InputEvents.h"

namespace qelvor::test {

namespace {

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers)
{
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, buttons, modifiers);
    QApplication::sendEvent(widget, &event);
}

}  // namespace

void InputFixture::SetUp()
{
    PaintedGridFixture::SetUp();
    host->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));
    grid->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(grid->hasFocus());
    previousBeepHook_ = SetBeepHook([this] { ++beeps; });
    dataSet->AfterScroll = [this](TDataSet&) { ++scrolls; };
}

void InputFixture::TearDown()
{
    SetBeepHook(previousBeepHook_);
    PaintedGridFixture::TearDown();
}

void InputFixture::Press(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    SendMouse(grid->viewport(), QEvent::MouseButtonPress, at, button, button, modifiers);
}

void InputFixture::DoubleClick(QPoint at, Qt::KeyboardModifiers modifiers)
{
    Press(at, Qt::LeftButton, modifiers);
    Release(at, Qt::LeftButton, modifiers);
    SendMouse(grid->viewport(), QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton, modifiers);
    Release(at, Qt::LeftButton, modifiers);
}

void InputFixture::Move(QPoint to, Qt::MouseButtons held, Qt::KeyboardModifiers modifiers)
{
    SendMouse(grid->viewport(), QEvent::MouseMove, to, Qt::NoButton, held, modifiers);
}

void InputFixture::Release(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    SendMouse(grid->viewport(), QEvent::MouseButtonRelease, at, button, Qt::NoButton, modifiers);
}

void InputFixture::Click(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    Press(at, button, modifiers);
    Release(at, button, modifiers);
}

void InputFixture::Wheel(int angleDelta, QPoint at, QWidget* over)
{
    QWidget* target = over ? over : grid->viewport();
    QWheelEvent event(QPointF(at), QPointF(target->mapToGlobal(at)), QPoint(), QPoint(0, angleDelta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

void InputFixture::Key(Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : grid;
    QTest::keyClick(target, key, modifiers);
    if (!text.isEmpty())
        QTest::keyClicks(target, text, modifiers);
}

void InputFixture::KeyRelease(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : grid;
    QTest::keyRelease(target, key, modifiers);
}

int InputFixture::BorderAfter(int dataCol) const
{
    const QRect cell = Cell(dataCol + 1, 0);
    return cell.left() + cell.width();
}

bool InputFixture::EditorShown() const
{
    return grid->EditorMode() && grid->InplaceEditor() && grid->InplaceEditor()->isVisible();
}

std::vector<std::string> InputFixture::ColumnOrder() const
{
    std::vector<std::string> names;
    for (int i = 0; i < grid->Columns().Count(); ++i)
        names.push_back(grid->Columns()[i]->FieldName());
    return names;
}

}  // namespace qelvor::test
