// CancelMode: the window system's cancel-mode message, sent to every control that
// may be in the middle of a mouse drag.
//
// A control that tracks the mouse derives from TCancelModeTarget; while it lives it
// is registered, and CancelModes() asks each registered control to end its drag
// without applying it. The message dispatch calls it before an error box opens, so
// that a box never appears over a half-finished drag that still holds the mouse.
#pragma once

namespace qelvor {

class TCancelModeTarget {
public:
    TCancelModeTarget();
    virtual ~TCancelModeTarget();
    TCancelModeTarget(const TCancelModeTarget&) = delete;
    TCancelModeTarget& operator=(const TCancelModeTarget&) = delete;

    // Ends any drag or tracking under way without applying it.
    virtual void CancelMode() = 0;
};

// Sends the cancel-mode message to every registered control.
void CancelModes();

}  // namespace qelvor
