// ScrollInfo: scroll-bar range, page and position in the terms the grid is written in,
// and the scroll codes. The translation to and from Qt scroll bars lives in one place
// (CustomGridScroll.cpp): Qt maximum = max - page + 1 (never below min), pageStep = page.
#pragma once

namespace qelvor {

struct ScrollInfo {
    int min = 0;
    int max = 0;
    int page = 0;
    int pos = 0;
    int trackPos = 0;

    // True when the range leaves nothing to scroll.
    bool NothingToScroll() const { return min >= max || page >= max - min; }
    friend bool operator==(const ScrollInfo&, const ScrollInfo&) = default;
};

enum class TScrollCode {
    SB_LINEUP, SB_LINEDOWN, SB_PAGEUP, SB_PAGEDOWN, SB_THUMBPOSITION, SB_THUMBTRACK,
    SB_TOP, SB_BOTTOM, SB_ENDSCROLL,
};

enum class TScrollBarKind { sbHorizontal, sbVertical };

}  // namespace qelvor
