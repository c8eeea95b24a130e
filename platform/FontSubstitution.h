// FontSubstitution: maps the design fonts of the forms to fonts installed here.
//
// "宋体" (and its Latin name "SimSun") does not exist on these systems, and
// fontconfig would map it to a Latin font with Han glyphs from a fallback, giving
// metrics of the wrong font. Substitute a CJK font explicitly before any form is built.
//
// The stand-in keeps the design font's widths, which the stored column widths were
// chosen for: at 12 pixels every half-width character is 6 pixels wide and every
// Chinese character 12, so a 15-digit ticket number takes 90 of its column's 107
// pixels. Its line is taller than the design font's (16 pixels, not 12): DesignFont.h
// says how the layout keeps the design's line all the same. The package's proportional
// faces would draw digits 7 wide and cut every ticket number.
#pragma once

namespace qelvor {

// The installed font that stands in for "宋体": the fixed-pitch face of the CJK font package.
inline constexpr const char* kDesignFontSubstitute = "WenQuanYi Zen Hei Mono";

// Installs the substitutions; idempotent. Needs a QGuiApplication.
void InstallFontSubstitutions();

}  // namespace qelvor
