#!/usr/bin/env bash
# End-to-end: the browse window on screens it does not fit.
#   panel   640x480; without a window manager panels take the top 60 rows and the left
#           48 columns (the work area a desktop's panels announce in _NET_WORKAREA; a
#           window manager announces its own). The window, frame included, must lie
#           inside the work area, as wide as it allows, and be usable there: a search by
#           Enter, 退出 at its bottom right.
#   scale2  1024x768 at twice the scale, where the window is larger than the whole
#           screen: inside it again, and 退出 closes it.
#   small_screen_e2e.sh PATH/TO/qelvor-host [panel|scale2]
set -euo pipefail
host=$1
mode=${2:-panel}
case "$mode" in
panel) export QELVOR_E2E_SCREEN=640x480 ;;
scale2) export QELVOR_E2E_SCREEN=1024x768 QT_SCALE_FACTOR=2 ;;
*) echo "FAIL: unknown mode $mode"; exit 1 ;;
esac
source "$(dirname "$0")/../support/xserver.sh" qelvor-e2e-small

export XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=xcb LANG=C.UTF-8
"$host" --make-demo "$work/demo.db" --demo-rows 300 >/dev/null || fail "could not make the demo database"
if [ "$mode" = panel ] && [ -z "${QELVOR_E2E_WM:-}" ]; then
  xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "48, 60, 592, 420"
fi
area=$(xprop -root _NET_WORKAREA 2>/dev/null | sed -n 's/.*= //p' | tr -d ,)
[ -n "$area" ] || area="0 0 $(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\) pixels.*/\1 \2/p')"
read -r area_x area_y area_w area_h _ <<<"$area"
echo "$mode: work area ${area_w}x$area_h at ($area_x,$area_y)"

title='卷面信息浏览\(V3\.00\)'
poll() { local tries=$1; shift; for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done; return 1; }
# The frame's extents (left right top bottom): zero without a window manager.
extents() { xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.* = //p' | tr -d ,; }
# Fails unless the window's frame lies inside the rectangle X Y W H; sets the geometry.
inside() {
  local window=$1 x=$2 y=$3 w=$4 h=$5 left=0 right=0 top=0 bottom=0 found
  eval "$(window_geometry "$window")"
  found=$(extents "$window")
  [ -n "$found" ] && read -r left right top bottom <<<"$found"
  echo "window ${WIDTH}x$HEIGHT, client at ($CLIENT_X,$CLIENT_Y), frame $left $right $top $bottom"
  (( CLIENT_X - left >= x && CLIENT_Y - top >= y && CLIENT_X + WIDTH + right <= x + w
     && CLIENT_Y + HEIGHT + bottom <= y + h )) ||
    fail "the window's frame ($((CLIENT_X - left)),$((CLIENT_Y - top)) to $((CLIENT_X + WIDTH + right)),$((CLIENT_Y + HEIGHT + bottom))) is not inside ${w}x$h at ($x,$y)"
}

"$host" --connect "Provider=SQLite;Data Source=$work/demo.db" --browse >"$work/host.log" 2>&1 &
host_pid=$!
window=$(wait_for_window "$title" 30) || fail "no browse window"
sleep 0.5  # placed and framed
inside "$window" "$area_x" "$area_y" "$area_w" "$area_h"
if [ "$mode" = panel ]; then
  (( WIDTH < 659 && WIDTH >= area_w - 16 )) || fail "the window is $WIDTH wide in a $area_w-pixel work area"
  # A search by Enter in 准考证起始号 (panel at 8,6; edit at 97,10 in it) shows the sheet.
  ticket=$(sqlite3 "$work/demo.db" "select min(zkzh) from t_omr")
  grid=(22 76 400 40)
  grid_region() { screen_region $((CLIENT_X + grid[0])) $((CLIENT_Y + grid[1])) "${grid[2]}" "${grid[3]}"; }
  grid_region >"$work/grid_empty.pnm"
  grid_changed() { ! grid_region | cmp -s - "$work/grid_empty.pnm"; }
  xdotool mousemove --window "$window" 170 26 click 1
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool type --window "$window" --delay 10 "$ticket"
  xdotool key --window "$window" Return
  poll 50 grid_changed || fail "a search by Enter showed nothing"
  scale=1
else
  (( WIDTH < 2 * 659 )) || fail "the window is $WIDTH pixels wide at twice the scale"
  scale=2
fi
# 退出 is anchored to the bottom right corner: 65x25, 6 and 3 pixels in.
xdotool mousemove --window "$window" $((WIDTH - 38 * scale)) $((HEIGHT - 15 * scale)) click 1
wait_until_gone "$title" 5 || fail "退出 at the window's bottom right did not close it"
kill "$host_pid"
wait "$host_pid" 2>/dev/null || true
echo "PASS: $mode: the browse window lies inside the work area and works there"
