#include "platform/Form.h"

#include <QKeyEvent>
#include <QShowEvent>
#include <QWindow>

#include "platform/Application.h"
#include "platform/ExceptionDispatch.h"
#include "platform/InputEvents.h"
#include "platform/Screen.h"

namespace qelvor {

TForm::TForm()
    : QDialog(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                           | Qt::WindowCloseButtonHint)
{
}

void TForm::SetDesignBounds(const QRect& outer, const QSize& client)
{
    designOuter_ = outer;
    move(outer.topLeft());
    resize(client);
}

int TForm::ShowModal()
{
    Application().AdoptWindow(this);
    setWindowModality(Qt::ApplicationModal);
    return exec();
}

void TForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous() || shownOnce_)
        return;
    shownOnce_ = true;
    GuardedCall([this] { FormShow(); });
    PlaceOnScreen();
    FocusFirstControl();
}

void TForm::PlaceOnScreen()
{
    const QPoint placed = PlaceForm(position_, designOuter_.topLeft(), designOuter_.size(), Screen().Geometry());
    const QPoint kept = KeepOnScreen(placed, designOuter_.size(), Screen().AvailableGeometry());
    move(kept);
    // Moved in, the frame itself must start inside the area: a window manager would
    // otherwise put its title bar above the client, off the screen again. (Placed as
    // designed, the client stands where the layout says, whatever frame it gets.)
    if (kept != placed && windowHandle() != nullptr)
        windowHandle()->setFramePosition(kept);
}

void TForm::keyPressEvent(QKeyEvent* event)
{
    // No cancel button: Esc must not end the modal loop.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->ignore();
        return;
    }
    // Reaches the form from any control that leaves it unused, also from those that
    // keep Tab for themselves.
    if (const TFocusMove move = FocusMoveOf(*event); move != TFocusMove::None) {
        focusNextPrevChild(move == TFocusMove::Next);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm::FocusFirstControl()
{
    if (focusWidget() != nullptr)
        return;
    for (QWidget* widget = nextInFocusChain(); widget != this; widget = widget->nextInFocusChain()) {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() && widget->isVisibleTo(this)) {
            widget->setFocus(Qt::ActiveWindowFocusReason);
            return;
        }
    }
}

}  // namespace qelvor
