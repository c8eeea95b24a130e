// InplaceEdit: key routing, refusal of changes, the caret and the copy-only menu of
// the grid's read-only in-place editor.
#include "grid/InplaceEdit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QWheelEvent>
#include <limits>

#include "platform/ExceptionDispatch.h"

namespace qelvor {

TInplaceEdit::TInplaceEdit(TInplaceEditHost& host) : QLineEdit(host.EditorHostWidget().viewport()), host_(host)
{
    // Qt itself refuses typing, deleting, pasting, dropping and input-method text.
    setReadOnly(true);
    setFrame(false);
    // The text starts 2 pixels in from the cell's left and top edges, as a painted cell's.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextMargins(0, 1, 0, 0);
    setFocusPolicy(Qt::ClickFocus);
    // A line edit keeps only its first 32,767 characters by default; a cell's value is
    // shown and copied whole, however long.
    setMaxLength(std::numeric_limits<int>::max());
    hide();
}

void TInplaceEdit::Place(const QRect& cell, const QString& text)
{
    setGeometry(cell);
    if (this->text() != text)
        setText(text);
    selectAll();
}

void TInplaceEdit::CaretToEnd()
{
    deselect();
    end(false);
}

bool TInplaceEdit::IsValidCharacter(char32_t) const
{
    return true;
}

void TInplaceEdit::TypeCharacter(char32_t character)
{
    // The cell cannot change; only a character its value could never hold is worth a sound.
    if (character >= U' ' && !IsValidCharacter(character))
        Beep();
}

bool TInplaceEdit::IsGridKey(TVirtualKey key, TShiftState shift)
{
    switch (key) {
    case vk::Up: case vk::Down: case vk::Prior: case vk::Next: case vk::Escape:
        return true;
    case vk::Tab:
        return !shift.Contains(ssAlt);
    case vk::Insert:
        return shift.Empty();
    case vk::Delete:
        return shift.Contains(ssCtrl);
    default:
        return false;
    }
}

bool TInplaceEdit::focusNextPrevChild(bool)
{
    // Tab is a grid key: it must reach keyPressEvent, not move the focus.
    return false;
}

void TInplaceEdit::keyPressEvent(QKeyEvent* event)
{
    // Ctrl+Tab leaves the grid as from the grid itself: the form moves the focus on
    // from the grid, which the editor is part of.
    if (IsFocusMoveKey(*event)) {
        host_.EditorHostWidget().setFocus(Qt::OtherFocusReason);
        event->ignore();
        return;
    }
    // Nothing else may travel on to the form: Enter would press its default button.
    event->accept();
    GuardedCall([&] {
        TVirtualKey key = VirtualKeyOf(*event);
        const TShiftState shift = ShiftStateOf(event->modifiers());
        if (IsGridKey(key, shift)) {
            host_.EditorKeyDown(key, shift);
            return;
        }
        if (key == vk::F2) {
            CaretToEnd();
            return;
        }
        if (key == vk::Return) {
            char32_t enter = U'\r';
            host_.EditorKeyPress(enter);
            return;
        }
        if (host_.EditorKeyEvent(key, shift) == vk::None)
            return;
        const QString text = event->text();
        if (!text.isEmpty() && (text.front().isPrint() || key == vk::Back)
            && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt)) {
            for (char32_t character : text.toUcs4())
                TypeCharacter(character);
            return;
        }
        QLineEdit::keyPressEvent(event);
        event->accept();
    });
}

void TInplaceEdit::keyReleaseEvent(QKeyEvent* event)
{
    event->accept();
    GuardedCall([&] {
        TVirtualKey key = VirtualKeyOf(*event);
        host_.EditorKeyUp(key, ShiftStateOf(event->modifiers()));
    });
}

void TInplaceEdit::inputMethodEvent(QInputMethodEvent* event)
{
    // Composed text is typing too: refused, like any other character.
    event->accept();
}

void TInplaceEdit::wheelEvent(QWheelEvent* event)
{
    event->accept();
    GuardedCall([&] {
        const QPoint point = mapTo(host_.EditorHostWidget().viewport(), event->position().toPoint());
        host_.EditorWheel(ShiftStateOf(event->modifiers(), event->buttons()), event->angleDelta().y(), point);
    });
}

void TInplaceEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    QWidget* next = QApplication::focusWidget();
    if (next != &host_.EditorHostWidget() && next != this)
        GuardedCall([&] { host_.EditorFocusLeft(); });
}

void TInplaceEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* copyAction = menu.addAction(tr("&Copy"), this, &QLineEdit::copy);
    copyAction->setEnabled(hasSelectedText());
    QAction* selectAllAction = menu.addAction(tr("Select &All"), this, &QLineEdit::selectAll);
    selectAllAction->setEnabled(!text().isEmpty());
    menu.exec(event->globalPos());
    event->accept();
}

void TInplaceEdit::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    PaintCaret();
}

// A read-only line edit hides its caret; this one shows where the keys move it.
void TInplaceEdit::PaintCaret()
{
    if (!hasFocus() || hasSelectedText())
        return;
    const QRect caret = cursorRect();
    QPainter painter(this);
    painter.fillRect(QRect(caret.center().x(), caret.top(), 1, caret.height()), palette().color(QPalette::Text));
}

}  // namespace qelvor
