// Form: a top-level window built in code from a form's stored layout values, run modally.
//
// The layout gives the outer bounds (used for placement) and the client size (what
// the controls and their anchors are laid out against); the frame is whatever the
// window manager adds. A form larger than the screen's available area shows smaller,
// as large as that area, so that no part of it (its frame's close button included)
// lies off the screen; its anchors lay the controls out in the smaller client. On the first show the form runs its show handler, then places
// itself, then focuses the first control in tab order when none is active. Esc does
// not close it (no cancel button): the key stays with the focused control. Ctrl+Tab and
// Ctrl+Shift+Tab move the focus to the next and previous control from any control.
//
// Scaling by text height is a no-op here: it would only follow a change of screen density,
// which Qt scales for itself, so the stored sizes stand whatever line height the design
// font's stand-in has.
#pragma once

#include <QDialog>
#include <QString>

#include "platform/FormPlacement.h"

namespace qelvor {

class TForm : public QDialog {
    Q_OBJECT
public:
    TForm();

    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption) { setWindowTitle(caption); }

    // Stored Left/Top/Width/Height (outer) and the client size the controls are laid out in.
    void SetDesignBounds(const QRect& outer, const QSize& client);
    QSize DesignOuterSize() const { return designOuter_.size(); }
    void SetPosition(TPosition position) { position_ = position; }

    // Shows the form modally, owned by the application window; returns the modal result.
    int ShowModal();
    // Closes the form; a modal loop ends with the cancel result.
    void Close() { reject(); }

protected:
    // The form's OnShow; runs before placement. Failures go to the message dispatch.
    virtual void FormShow() {}

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Fits the window into the screen's available area, then centres (or keeps) it as its
    // position says, its frame inside that area.
    void PlaceOnScreen();
    void FocusFirstControl();

    QRect designOuter_;
    QSize designClient_;
    TPosition position_ = TPosition::poDesigned;
    bool shownOnce_ = false;
};

}  // namespace qelvor
