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

# Sorting from the titles' actions, as a screen reader would: Press is a title click,
# AddSortKey a Ctrl+click; each re-sorts at once, and the descriptions say the new state.
expect_description() {
  local got
  got=$(probe describe "$1")
  [ "$got" = "$2" ] || fail "after $3 column $1 is described as '$got', expected '$2'"
}
# Rows ordered by the given sort(1) keys over the probed columns (tab-separated, in the
# order given); sort -c fails on the first row out of order.
expect_rows_sorted() {
  local description=$1 keys=$2; shift 2
  local files=() column
  for column in "$@"; do
    probe column "$column" >"$work/column$column" || fail "could not read column $column"
    files+=("$work/column$column")
  done
  [ "$(wc -l <"$work/column$1")" = 500 ] || fail "after $description the table has not 500 rows"
  # shellcheck disable=SC2086
  paste "${files[@]}" | LC_ALL=C sort -c -t $'\t' $keys \
    || fail "after $description the rows are not in the order the titles show"
}
last_number=$(probe column 0 | LC_ALL=C sort | tail -n 1)
[ "$(probe actions 0 | paste -sd,)" = "Press,AddSortKey" ] || fail "the title offers: $(probe actions 0 | paste -sd,)"
expect_description 0 "未排序" "the search"
[ "$(probe act 0 Press)" = true ] || fail "the title's Press action was refused"
sleep 0.5
expect_description 0 "降序, 第 1 排序列" "Press on 准考证号"
[ "$(probe cell 0 0)" = "$last_number" ] || fail "after Press on 准考证号 the first row is $(probe cell 0 0), expected $last_number"
expect_rows_sorted "Press on 准考证号" "-k1,1r" 0
# The absence mark first, then the ticket number among equal marks, both descending.
[ "$(probe act 5 Press)" = true ] || fail "Press on 缺考标记 was refused"
sleep 0.5
expect_description 0 "未排序" "Press on 缺考标记 (a click replaces the sort)"
[ "$(probe act 0 AddSortKey)" = true ] || fail "AddSortKey on 准考证号 was refused"
sleep 0.5
expect_description 5 "降序, 第 1 排序列" "AddSortKey on 准考证号"
expect_description 0 "降序, 第 2 排序列" "AddSortKey on 准考证号"
expect_rows_sorted "AddSortKey on 准考证号" "-k1,1r -k2,2r" 5 0
[ "$(probe act 0 AddSortKey)" = true ] || fail "a second AddSortKey on 准考证号 was refused"
sleep 0.5
expect_description 0 "升序, 第 2 排序列" "a second AddSortKey on 准考证号"
expect_rows_sorted "a second AddSortKey on 准考证号" "-k1,1r -k2,2" 5 0
[ "$(probe act 0 AddSortKey)" = true ] || fail "a third AddSortKey on 准考证号 was refused"
sleep 0.5
expect_description 0 "未排序" "a third AddSortKey on 准考证号"
expect_description 5 "降序, 第 1 排序列" "a third AddSortKey on 准考证号"
# A title click with the mouse and an action agree: 准考证号 clicked twice sorts ascending.
# (The grid's client area starts at (10, 55); clicks 0.8 s apart make no double click.)
xdotool mousemove --window "$window" 60 62 click 1; sleep 0.8
xdotool mousemove --window "$window" 60 62 click 1; sleep 0.8
expect_description 0 "升序, 第 1 排序列" "two clicks on the title 准考证号"
expect_rows_sorted "two clicks on the title 准考证号" "-k1,1" 0
kill -0 "$host_pid" 2>/dev/null || fail "the host ended while probed"
echo "PASS: the table over AT-SPI: empty before the search, 500 x 7 with titles after it; focus followed Ctrl+Home, Down, Ctrl+End and each focused cell read what the window shows; the titles' Press and AddSortKey actions sorted as a click and a Ctrl+click do, and the descriptions followed"
