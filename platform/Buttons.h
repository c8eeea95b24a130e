// Buttons: the push button with a bitmap glyph and the speed button.
//
// Clicks run OnClick through the message dispatch (GuardedCall), so a failing handler
// shows its message and leaves the window usable. The bit button can be the form's
// default button (Enter in a control that does not use Enter clicks it); the speed
// button never takes the keyboard focus.
#pragma once

#include <QImage>
#include <QPushButton>
#include <QToolButton>
#include <functional>

namespace qelvor {

class TBitBtn : public QPushButton {
public:
    using TNotifyEvent = std::function<void()>;

    explicit TBitBtn(QWidget* parent);

    // glyph holds numGlyphs images side by side (normal, disabled); drawn left of the caption.
    void SetGlyph(const QImage& glyph, int numGlyphs);
    // The form's default button when true.
    void SetDefault(bool isDefault);

    TNotifyEvent OnClick;
};

class TSpeedButton : public QToolButton {
public:
    using TNotifyEvent = std::function<void()>;

    explicit TSpeedButton(QWidget* parent);

    void SetGlyph(const QImage& glyph, int numGlyphs);

    TNotifyEvent OnClick;
};

}  // namespace qelvor
