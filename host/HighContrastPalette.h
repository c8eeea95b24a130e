// HighContrastPalette: the host's dark high-contrast colours (white text on black, a
// cyan selection, yellow for what is disabled), for users who need strong contrast.
// The host sets it as the application's palette; the module's windows and grid take
// their system colours from there.
#pragma once

#include <QPalette>

namespace qelvor::host {

// White on black for windows, fields and buttons; black on cyan for the selection.
QPalette HighContrastPalette();
// The style sheet that goes with it: the widget style draws a field's frame a shade
// darker than the window, which on black is no frame at all; here it is white.
QString HighContrastStyleSheet();

}  // namespace qelvor::host
