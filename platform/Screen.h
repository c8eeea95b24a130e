// Screen: the screen object's cursor, shown over every window of the application.
//
// crDefault clears the override; any other value replaces it. At most one override
// of ours is on Qt's override stack at any time, so "back to default" is always one
// restore, however often the hourglass was set.
#pragma once

#include <QRect>

namespace qelvor {

enum TCursor : int { crDefault = 0, crArrow = -2, crHourGlass = -11 };

class TScreen {
public:
    TCursor Cursor() const { return cursor_; }
    // Shows cursor over all windows (crDefault: each window's own cursor).
    void SetCursor(TCursor cursor);

    // The primary screen's full geometry (the screen's width and height).
    QRect Geometry() const;
    // The part of the primary screen that windows may use (without panels and docks).
    QRect AvailableGeometry() const;

private:
    TCursor cursor_ = crDefault;
};

// The one screen object of the module.
TScreen& Screen();

// Shows the hourglass while it lives; the default cursor comes back even when the
// work in between fails.
class THourGlass {
public:
    THourGlass() { Screen().SetCursor(crHourGlass); }
    ~THourGlass() { Screen().SetCursor(crDefault); }
    THourGlass(const THourGlass&) = delete;
    THourGlass& operator=(const THourGlass&) = delete;
};

}  // namespace qelvor
