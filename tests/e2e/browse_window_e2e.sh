#!/usr/bin/env bash
# End-to-end: the real host in a real X server, driven as a user would.
# Opens the browse window, checks its title, size and place on a 1024x768 screen,
# searches by Enter, clicks the exit button and checks that the window is gone and
# the host still runs. Then, on a database without the answer-sheet tables, checks
# that a failed search shows the database's message in an error box that belongs to the
# browse window (titled 考务管理 as the host window, centred on the browse window, which
# stays where it was and uncovered) and that the window is still there once the box is
# dismissed. Between the two, the keyboard alone: Ctrl+Tab and Ctrl+Shift+Tab walk the
# grid, the two edits and 检索, also out of the grid and its open value editor.
#   browse_window_e2e.sh PATH/TO/qelvor-host
set -euo pipefail
host=$1
source "$(dirname "$0")/../support/xserver.sh" qelvor-e2e

export XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=xcb LANG=C.UTF-8
"$host" --make-demo "$work/demo.db" --demo-rows 500 >/dev/null || fail "could not make the demo database"
"$host" --connect "Provider=SQLite;Data Source=$work/demo.db" --browse >"$work/host.log" 2>&1 &
host_pid=$!

title='卷面信息浏览\(V3\.00\)'
window=$(wait_for_window "$title" 30) || fail "no window titled 卷面信息浏览(V3.00)"
eval "$(window_geometry "$window")"
[ "$WIDTH" = 659 ] && [ "$HEIGHT" = 378 ] || fail "window is ${WIDTH}x$HEIGHT, expected 659x378"
# Qt places the client area at the stored position; a window manager adds its frame
# around it (without one, the two are the same).
[ "$CLIENT_X" = 178 ] && [ "$CLIENT_Y" = 181 ] || fail "window's client area is at ($CLIENT_X,$CLIENT_Y), expected (178,181)"
echo "browse window $window: ${WIDTH}x$HEIGHT at ($X,$Y)"

# --- the keyboard alone: the focus starts in the grid ---
ticket=$(sqlite3 "$work/demo.db" "select min(zkzh) from t_omr")
region() { screen_region $((CLIENT_X + $1)) $((CLIENT_Y + $2)) "$3" "$4"; }
edit1_area=(100 12 140 16) edit2_area=(347 12 140 16) grid_area=(22 76 610 40)
keep() { local name=$1; shift; region "$@" >"$work/$name.pnm"; }
shows() { local name=$1; shift; region "$@" | cmp -s - "$work/$name.pnm"; }
poll() { local tries=$1; shift; for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done; return 1; }
changed() { ! shows "$@"; }
clipboard_is() { [ "$(timeout 2 xclip -o -selection clipboard 2>/dev/null)" = "$1" ]; }
keys() { xdotool key --delay 40 "$@"; }
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
sleep 0.3
keep edit1_empty "${edit1_area[@]}"
keep edit2_empty "${edit2_area[@]}"
keep grid_empty "${grid_area[@]}"
keys Tab ctrl+Tab            # Tab stays in the grid; Ctrl+Tab goes on to 准考证起始号
xdotool type --delay 10 "$ticket"
poll 30 changed edit1_empty "${edit1_area[@]}" || fail "Ctrl+Tab from the grid did not reach 准考证起始号"
keys ctrl+Tab ctrl+Tab space # past 准考证终止号 to 检索, which searches
poll 50 changed grid_empty "${grid_area[@]}" || fail "Ctrl+Tab, Ctrl+Tab, Space did not press 检索"
shows edit2_empty "${edit2_area[@]}" || fail "something was typed into 准考证终止号"
keys ctrl+Tab F2 ctrl+a ctrl+c  # round to the grid: its value editor copies the one sheet's number
poll 30 clipboard_is "$ticket" || fail "Ctrl+Tab from 检索 did not come round to the grid (copied '$(xclip -o -selection clipboard 2>/dev/null)')"
keep edit1_ticket "${edit1_area[@]}"
keys ctrl+Tab                # out of the open editor, on to 准考证起始号
xdotool type --delay 10 "9"
poll 30 changed edit1_ticket "${edit1_area[@]}" || fail "Ctrl+Tab from the value editor did not reach 准考证起始号"
keys BackSpace
printf 'left' | xclip -selection clipboard
keys ctrl+shift+Tab F2 ctrl+a ctrl+c Escape   # back into the grid
poll 30 clipboard_is "$ticket" || fail "Ctrl+Shift+Tab from 准考证起始号 did not go back to the grid"
keep edit2_before "${edit2_area[@]}"
keys F2 ctrl+shift+Tab ctrl+shift+Tab   # from the open editor back past 检索 to 准考证终止号
xdotool type --delay 10 "7"
poll 30 changed edit2_before "${edit2_area[@]}" || fail "Ctrl+Shift+Tab twice from the value editor did not reach 准考证终止号"
keys BackSpace
window_shown "$title" || fail "the browse window closed during the keyboard walk"
echo "ok: Ctrl+Tab and Ctrl+Shift+Tab walk the grid (also its open editor), the edits and 检索"

# Type a start number into Edit1 (panel at 8,6; edit at 97,10 inside it) and press Enter.
xdotool mousemove --window "$window" 170 26 click 1
xdotool windowfocus --sync "$window"
xdotool type --window "$window" --delay 10 "1"
xdotool key --window "$window" Return
sleep 0.5
kill -0 "$host_pid" 2>/dev/null || fail "the host ended after the search"
window_shown "$title" || fail "the browse window closed after the search"

# The exit button: 588,350, 65x25.
xdotool mousemove --window "$window" 620 362 click 1
wait_until_gone "$title" 5 || fail "the browse window is still shown after the exit button"
kill -0 "$host_pid" 2>/dev/null || fail "the host ended with the browse window"
window_shown '考务管理' || fail "the host window is gone"
kill "$host_pid"
wait "$host_pid" 2>/dev/null || true

# A search that the database rejects.
sqlite3 "$work/empty.db" "create table unrelated(x)"
"$host" --connect "Provider=SQLite;Data Source=$work/empty.db" --browse >"$work/host.log" 2>&1 &
host_pid=$!
window=$(wait_for_window "$title" 30) || fail "no browse window on the empty database"
eval "$(window_geometry "$window")"
browse_place=$CLIENT_X,$CLIENT_Y
xdotool mousemove --window "$window" 620 200 click 1  # into the grid, so the window has the pointer
xdotool windowfocus --sync "$window"
xdotool mousemove --window "$window" 545 26 click 1   # the search button: panel 8,6 + button 504,8 (75x25)
box=$(wait_for_error_box 10) || fail "no error box after a failed search"
echo "error box $box titled $(xdotool getwindowname "$box")"
[ "$(xprop -id "$box" WM_TRANSIENT_FOR | sed 's/.*# //')" = "$(printf '0x%x' "$window")" ] \
  || fail "the error box belongs to $(xprop -id "$box" WM_TRANSIENT_FOR), not to the browse window $window"
eval "$(window_geometry "$box" | sed 's/^/BOX_/')"
box_centre=$((BOX_CLIENT_X + BOX_WIDTH / 2)),$((BOX_CLIENT_Y + BOX_HEIGHT / 2))
eval "$(window_geometry "$window")"
browse_centre=$((CLIENT_X + WIDTH / 2)),$((CLIENT_Y + HEIGHT / 2))
near() { local a=(${1/,/ }) b=(${2/,/ }); (( ${a[0]} - ${b[0]} <= 20 && ${b[0]} - ${a[0]} <= 20 && ${a[1]} - ${b[1]} <= 20 && ${b[1]} - ${a[1]} <= 20 )); }
near "$box_centre" "$browse_centre" || fail "the error box is centred at $box_centre, the browse window at $browse_centre"
[ "$CLIENT_X,$CLIENT_Y" = "$browse_place" ] || fail "the browse window moved from $browse_place to $CLIENT_X,$CLIENT_Y"
# What the user sees of the browse window beside the box: still the browse window, not
# the host window raised over it.
keep exit_during_box 588 350 65 25
xdotool windowfocus --sync "$box"
xdotool key Return
poll 50 no_error_box || fail "the error box did not close"
poll 30 shows exit_during_box 588 350 65 25 || fail "the browse window's exit button looked otherwise while the error box showed (covered by the host window?)"
window_shown "$title" || fail "the browse window went with the error box"
kill -0 "$host_pid" 2>/dev/null || fail "the host ended after the failed search"
echo "PASS: browse window shown, searched, closed by its exit button; a failed search showed its error box and left the window open"
