#!/usr/bin/env bash
# End-to-end: the real host in a real X server, driven as a user would.
# Opens the browse window, checks its title, size and place on a 1024x768 screen,
# searches by Enter, clicks the exit button and checks that the window is gone and
# the host still runs. Then, on a database without the answer-sheet tables, checks
# that a failed search shows the database's message in an error box and that the
# window is still there once the box is dismissed.
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
xdotool mousemove --window "$window" 620 200 click 1  # into the grid, so the window has the pointer
xdotool windowfocus --sync "$window"
xdotool mousemove --window "$window" 545 26 click 1   # the search button: panel 8,6 + button 504,8 (75x25)
box=$(wait_for_window '^qelvor-host$' 10) || fail "no error box after a failed search"
echo "error box $box titled $(xdotool getwindowname "$box")"
xdotool windowfocus --sync "$box"
xdotool key Return
wait_until_gone '^qelvor-host$' 5 || fail "the error box did not close"
window_shown "$title" || fail "the browse window went with the error box"
kill -0 "$host_pid" 2>/dev/null || fail "the host ended after the failed search"
echo "PASS: browse window shown, searched, closed by its exit button; a failed search showed its error box and left the window open"
