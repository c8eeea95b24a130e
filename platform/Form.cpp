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
    designClient_ = client;
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
    const QRect available = Screen().AvailableGeometry();
    QSize outer = FitIntoArea(designOuter_.size(), available);
    const bool fitted = outer != designOuter_.size();
    if (fitted) {
        // The frame takes what the layout stored for it, or what the window manager
        // already gave it where that is more.
        const QSize frame = (designOuter_.size() - designClient_).expandedTo(frameGeometry().size() - size());
        resize((outer - frame).expandedTo(QSize(0, 0)));
        outer = size() + frame;
    }
    const QPoint placed = PlaceForm(position_, designOuter_.topLeft(), outer, Screen().Geometry());
    const QPoint kept = KeepOnScreen(placed, outer, available);
    move(kept);
    // Moved in or made smaller, the frame itself must start inside the area: a window
    // manager would otherwise put its title bar above the client, off the screen again.
    // (Placed as designed, the client stands where the layout says, whatever frame it gets.)
    if ((fitted || kept != placed) && windowHandle() != nullptr)
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
