// InplaceEdit: the grid's read-only in-place editor, a borderless line edit that the
// grid places exactly over the current cell to show the cell's edit text.
//
// The user can move the caret, select and copy (Ctrl+C, or the context menu, which
// offers nothing that edits); every change is refused. Keys that navigate the grid
// (Up, Down, PgUp, PgDn, Esc, Tab, plain Insert, Ctrl+Delete) go to the grid's key
// handling, Enter to the grid's key press (which closes the editor), key releases
// and the wheel to the grid; Ctrl+Tab and Ctrl+Shift+Tab go on to the form, which
// moves the focus out of the grid. The editor belongs to its grid and lives as long as it.
#pragma once

#include <QAbstractScrollArea>
#include <QLineEdit>
#include <QPoint>

#include "platform/InputEvents.h"

namespace qelvor {

// What the editor hands on to the grid it lies on: the keys, the key releases, the
// wheel and the focus's leaving that are the grid's. The grid implements it.
class TInplaceEditHost {
public:
    // The grid's widget: the editor's focus partner; its viewport is the editor's parent.
    virtual QAbstractScrollArea& EditorHostWidget() = 0;
    // A key that navigates the grid.
    virtual void EditorKeyDown(TVirtualKey& key, TShiftState shift) = 0;
    // A character for the grid's key press (Enter).
    virtual void EditorKeyPress(char32_t& key) = 0;
    // Any other key: the grid's key-down event; returns the key as its handler left it.
    virtual TVirtualKey EditorKeyEvent(TVirtualKey key, TShiftState shift) = 0;
    virtual void EditorKeyUp(TVirtualKey& key, TShiftState shift) = 0;
    // A wheel turn at a point of the grid's viewport.
    virtual void EditorWheel(TShiftState shift, int wheelDelta, QPoint viewportPos) = 0;
    // The focus went to a window that is neither the grid nor the editor.
    virtual void EditorFocusLeft() = 0;

protected:
    ~TInplaceEditHost() = default;
};

class TInplaceEdit : public QLineEdit {
public:
    explicit TInplaceEdit(TInplaceEditHost& host);
    // Moves the editor over `cell` with `text`, the whole text selected.
    void Place(const QRect& cell, const QString& text);
    // Removes the selection and puts the caret after the last character (F2).
    void CaretToEnd();
    // A character typed into the editor, which it refuses (a beep when invalid).
    void TypeCharacter(char32_t character);

protected:
    // Whether the cell's value could hold `character`; a refused invalid one beeps.
    virtual bool IsValidCharacter(char32_t character) const;

    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Keys whose meaning is the grid's, not the editor's.
    static bool IsGridKey(TVirtualKey key, TShiftState shift);
    void PaintCaret();

    TInplaceEditHost& host_;  // the grid the editor lies on
};

}  // namespace qelvor
