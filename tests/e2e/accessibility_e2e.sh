#!/usr/bin/env bash
# End-to-end: the real host under Xvfb with a private session bus and the accessibility
# bus, probed over D-Bus as a screen reader would (atspi_table_probe.py). Before any
# search the table is there and empty; after a search of every sheet it has one row per
# sheet and the seven titles; the focused cell follows Ctrl+Home, Down and Ctrl+End sent
# with xdotool, and reads what the window shows there (copied from its value editor).
#   accessibility_e2e.sh PATH/TO/qelvor-host
set -euo pipefail
host=$1
here=$(dirname "$0")
source "$here/../support/xserver.sh" qelvor-a11y
[ -x /usr/libexec/at-spi-bus-launcher ] || fail "at-spi2-core is not installed (tools/install-dependencies.sh)"
# The system interpreter: python3-dbus is installed for it, whatever python3 comes first on PATH.
probe() { /usr/bin/python3 "$here/atspi_table_probe.py" "$@"; }

eval "$(dbus-daemon --session --fork --print-address=1 --print-pid=1 | {
  read -r address; read -r pid; echo "export DBUS_SESSION_BUS_ADDRESS='$address' dbus_pid=$pid"; })"
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/atspi.log" 2>&1 &
launcher_pid=$!
trap 'kill "$launcher_pid" "$dbus_pid" 2>/dev/null || true; cleanup' EXIT

export XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=xcb LANG=C.UTF-8 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
"$host" --make-demo "$work/demo.db" --demo-rows 500 >/dev/null || fail "could not make the demo database"
"$host" --connect "Provider=SQLite;Data Source=$work/demo.db" --browse >"$work/host.log" 2>&1 &
host_pid=$!
title='卷面信息浏览\(V3\.00\)'
window=$(wait_for_window "$title" 30) || fail "no browse window"
sleep 1

shape=$(probe find) || fail "the probe failed before the first search"
[ "$shape" = "0 7" ] || fail "before the first search the table is '$shape', expected '0 7'"
kill -0 "$host_pid" 2>/dev/null || fail "the host ended when asked before the first search"

# Search every sheet: the search button (panel 8,6 + button 504,8, 75x25).
xdotool mousemove --window "$window" 545 26 click 1
sleep 1
shape=$(probe find)
[ "$shape" = "500 7" ] || fail "after the search the table is '$shape', expected '500 7'"
headers=$(probe headers | paste -sd,)
[ "$headers" = "准考证号,报名号,姓名,笔试客观题答案字符串,笔试主观题题分字符串,缺考标记,论文题题号" ] \
  || fail "headers: $headers"
# Keys in the grid (a click on a data cell gives it the focus).
xdotool mousemove --window "$window" 60 100 click 1
xdotool windowfocus --sync "$window"
expect_focus() {
  local got
  got=$(probe focus)
  [ "$got" = "$1" ] || fail "after $2 the focused cell is '$got', expected '$1'"
}
# What the window shows in the current cell: its editor (Enter) selects the value, Ctrl+C
# copies it, Enter closes the editor.
shown_value() {
  printf '' | xclip -selection clipboard
  xdotool key --window "$window" Return; sleep 0.3
  xdotool key --window "$window" ctrl+c; sleep 0.3
  xdotool key --window "$window" Return; sleep 0.3
  timeout 2 xclip -o -selection clipboard 2>/dev/null || true
}
expect_cell_shown() {
  local shown spoken
  shown=$(shown_value)
  spoken=$(probe cell "$1" 0)
  [ -n "$shown" ] && [ "$spoken" = "$shown" ] || fail "cell ($1,0) reads '$spoken' over AT-SPI, the window shows '$shown'"
}
xdotool key --window "$window" ctrl+Home; sleep 0.3; expect_focus "0 0" Ctrl+Home
expect_cell_shown 0
xdotool key --window "$window" Down; sleep 0.3; expect_focus "1 0" Down
expect_cell_shown 1
xdotool key --window "$window" ctrl+End; sleep 0.3; expect_focus "499 0" Ctrl+End
expect_cell_shown 499
[ "$(probe cell 250 0)" != "$(probe cell 251 0)" ] || fail "rows 250 and 251 read alike"
kill -0 "$host_pid" 2>/dev/null || fail "the host ended while probed"
echo "PASS: the table over AT-SPI: empty before the search, 500 x 7 with titles after it; focus followed Ctrl+Home, Down, Ctrl+End and each focused cell read what the window shows"
