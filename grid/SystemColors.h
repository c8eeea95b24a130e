// SystemColors: the grid's colour values and their one mapping to Qt colours.
//
// A TColor is either an RGB value stored as 0x00BBGGRR or a system colour, marked by
// the top byte 0x80 with the system colour index below. System colours come from the
// application palette at the moment they are resolved, so a palette change is seen
// by the next paint.
#pragma once

#include <cstdint>

#include <QColor>

namespace qelvor {

using TColor = std::uint32_t;

// Plain colours.
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clWhite = 0xFFFFFF;

// System colours (index of the colour role in the low byte).
inline constexpr TColor clScrollBar = 0x80000000;
inline constexpr TColor clWindow = 0x80000005;
inline constexpr TColor clWindowText = 0x80000008;
inline constexpr TColor clHighlight = 0x8000000D;
inline constexpr TColor clHighlightText = 0x8000000E;
inline constexpr TColor clBtnFace = 0x8000000F;
inline constexpr TColor clBtnShadow = 0x80000010;
inline constexpr TColor clGrayText = 0x80000011;
inline constexpr TColor clBtnText = 0x80000012;
inline constexpr TColor clBtnHighlight = 0x80000014;
inline constexpr TColor cl3DDkShadow = 0x80000015;
inline constexpr TColor cl3DLight = 0x80000016;

// True for a system colour (resolved through the palette).
constexpr bool IsSystemColor(TColor color) { return (color & 0xFF000000u) == 0x80000000u; }

// An RGB TColor from its components.
constexpr TColor RGBColor(int red, int green, int blue)
{
    return static_cast<TColor>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

// The Qt colour of a TColor; system colours through the application palette.
QColor ToQColor(TColor color);

// The RGB TColor a colour shows as now (system colours resolved).
TColor ColorToRGB(TColor color);

}  // namespace qelvor
