// FontSubstitution: maps the design fonts of the forms to fonts installed here.
//
// "宋体" (and its Latin name "SimSun") does not exist on these systems, and
// fontconfig would map it to a Latin font with Han glyphs from a fallback, giving
// metrics of the wrong font. Substitute a CJK font explicitly before any form is built.
#pragma once

namespace qelvor {

// The installed font that stands in for "宋体".
inline constexpr const char* kDesignFontSubstitute = "WenQuanYi Zen Hei Sharp";

// Installs the substitutions; idempotent. Needs a QGuiApplication.
void InstallFontSubstitutions();

}  // namespace qelvor
