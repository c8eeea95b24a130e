#!/usr/bin/env bash
# End-to-end: a search that runs for many seconds in the real host under Xvfb. The
# answer-sheet table of a small demo database is replaced by a view that adds rows
# produced slowly by a recursive query (switched off through a one-row table). The
# search shows the progress window over the browse window; Esc stops it, and so does a
# click on 取消; each time no error box appears, the grid shows no rows and the browse
# window stays; with the slow part switched off the next search lists the sheets at
# once, without a progress window. After a search started by Enter in 准考证起始号 and
# cancelled, the keyboard is back in that edit without the script focusing anything
# (in the bare X server only the program itself can hand it back): Enter searches again.
#   long_search_e2e.sh PATH/TO/qelvor-host
set -euo pipefail
host=$1
for tool in xwd xwdtopnm pnmcut ppmhist sqlite3; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (tools/install-dependencies.sh)"; exit 1; }
done
source "$(dirname "$0")/../support/xserver.sh" qelvor-long-search-e2e

export XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=xcb LANG=C.UTF-8
db=$work/slow.db
"$host" --make-demo "$db" --demo-rows 500 >/dev/null || fail "could not make the demo database"
sqlite3 "$db" "ALTER TABLE t_omr RENAME TO t_omr_rows;
  CREATE TABLE slow_switch(slow INTEGER); INSERT INTO slow_switch VALUES(1);
  CREATE VIEW t_omr AS SELECT zkzh, ttxx, tttt, qk, lwtth FROM t_omr_rows UNION ALL
  SELECT printf('9%014d', i), '', '', '0', '1' FROM (WITH RECURSIVE c(i) AS
  (SELECT 1 WHERE (SELECT slow FROM slow_switch) UNION ALL SELECT i + 1 FROM c WHERE i < 20000000)
  SELECT i FROM c) WHERE i % 25000 = 0;"
"$host" --connect "Provider=SQLite;Data Source=$db" --browse >"$work/host.log" 2>&1 &
host_pid=$!

title='卷面信息浏览\(V3\.00\)'
progress_title='正在(检索|取消)'
window=$(wait_for_window "$title" 30) || fail "no window titled 卷面信息浏览(V3.00)"
say() { echo "[${SECONDS}s] $*"; }

# The data cells of the grid's rows in view from the second on (window coordinates): the
# first row of an empty grid still shows the current cell, drawn as the focus decides.
data_area=(22 92 610 234)
shot() { xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmcut -left "${data_area[0]}" -top "${data_area[1]}" \
  -width "${data_area[2]}" -height "${data_area[3]}"; }
grid_empty() { shot | cmp -s - "$work/empty.pnm"; }
shot >"$work/empty.pnm"

# The progress window as on the screen.
progress_shot() {
  eval "$(window_geometry "$1")"
  screen_region "$CLIENT_X" "$CLIENT_Y" "$WIDTH" "$HEIGHT"
}
# A painted window has a light background (not the black of an unpainted one) and text.
painted() {
  ppmhist -noheader "$1" | awk 'NR == 1 { background = $4 } END { exit !(background > 128 && NR >= 3) }'
}

search() {
  xdotool mousemove --window "$window" 620 200 click 1  # into the grid: the window has the pointer
  xdotool windowfocus --sync "$window"
  xdotool mousemove --window "$window" 545 26 click 1   # 检索: panel 8,6 + button 504,8 (75x25)
}

# stopped HOW: after a cancel the progress window goes within 3 s, no box, no rows.
stopped() {
  wait_until_gone "$progress_title" 3 || fail "the progress window stayed after $1"
  sleep 0.3
  error_box >/dev/null && fail "an error box appeared after $1"
  window_shown "$title" || fail "the browse window went after $1"
  kill -0 "$host_pid" 2>/dev/null || fail "the host ended after $1"
  # The form repaints where the progress window was only after it went: a loaded
  # machine may take a while.
  for _ in $(seq 30); do grid_empty && break; sleep 0.1; done
  grid_empty || fail "the grid shows rows after $1"
  say "$1 stopped the search; no box, the grid is empty"
}

say "search 1 (to be stopped by Esc)"
search
progress=$(wait_for_window "$progress_title" 5) || fail "no progress window during a long search"
say "progress window $progress: $(xdotool getwindowname "$progress")"
sleep 0.5
progress_shot "$progress" >"$work/progress1.pnm"
painted "$work/progress1.pnm" || fail "the progress window is not painted"
sleep 0.5
progress_shot "$progress" >"$work/progress2.pnm"
cmp -s "$work/progress1.pnm" "$work/progress2.pnm" && fail "the progress window shows the same figures after 0.5 s"
window_shown "$progress_title" || fail "the progress window closed by itself"
if [ -n "${QELVOR_E2E_SHOTS:-}" ]; then  # a folder to keep pictures in, to look at
  screen_region 0 0 1024 768 | pnmtopng >"$QELVOR_E2E_SHOTS/long-search${QELVOR_E2E_WM:+-$QELVOR_E2E_WM}.png"
fi
xdotool windowfocus --sync "$progress"
xdotool key Escape
stopped "Esc"

say "search from 准考证起始号 by Enter (to be stopped by Esc)"
xdotool mousemove --window "$window" 170 26 click 1  # into 准考证起始号: panel 8,6 + edit 97,10
xdotool windowfocus --sync "$window"
xdotool key Return
progress=$(wait_for_window "$progress_title" 5) || fail "no progress window after Enter in 准考证起始号"
xdotool windowfocus --sync "$progress"
xdotool key Escape
stopped "Esc"
# From here on nothing focuses a window: the keys go wherever the program put the focus.
# The pointer goes off the window first: with the focus left on the root window, the X
# server would hand the keys to the window under the pointer.
xdotool mousemove 1010 750
say "Enter again, the browse window not focused by the script"
xdotool key Return
progress=$(wait_for_window "$progress_title" 5) ||
  fail "Enter after the cancel started no search: the browse window did not get the keyboard back"
xdotool key Escape
stopped "Esc (the browse window's own keyboard)"

say "search 2 (to be stopped by 取消)"
search
progress=$(wait_for_window "$progress_title" 5) || fail "no progress window during the second long search"
eval "$(xdotool getwindowgeometry --shell "$progress")"
# 取消 is the dialog's only button, at its bottom right corner.
xdotool mousemove --window "$progress" $((WIDTH - 45)) $((HEIGHT - 22)) click 1
stopped "a click on 取消"

say "search 3 (fast)"
sqlite3 "$db" "UPDATE slow_switch SET slow = 0"
search
for _ in $(seq 50); do grid_empty || break; sleep 0.1; done
grid_empty && fail "the next search shows no rows"
window_shown "$progress_title" && fail "a short search showed the progress window"
error_box >/dev/null && fail "an error box appeared after the next search"

say "search 4 (to be stopped by closing the browse window while the progress window shows)"
sqlite3 "$db" "UPDATE slow_switch SET slow = 1"
search
progress=$(wait_for_window "$progress_title" 5) || fail "no progress window during the fourth long search"
sleep 0.3
if [ "${QELVOR_E2E_WM:-}" = openbox ]; then
  # The close button at the right end of the browse window's title bar.
  extents=$(xprop -id "$window" _NET_FRAME_EXTENTS | sed -n 's/.* = \([0-9]*\), \([0-9]*\), \([0-9]*\), [0-9]*$/\1 \2 \3/p')
  read -r left right top <<<"$extents"
  eval "$(window_geometry "$window")"
  xdotool mousemove $((X + left + WIDTH + right - 10)) $((Y + top / 2)) click 1
else
  python3 "$(dirname "$0")/../support/close_request.py" "$window"
fi
wait_until_gone "$progress_title" 3 || fail "the progress window stayed after the close request"
wait_until_gone "$title" 3 || fail "the browse window stayed open after its close request during the search"
sleep 0.3
error_box >/dev/null && fail "an error box appeared after the close request"
kill -0 "$host_pid" 2>/dev/null || fail "the host ended after the close request"
say "the close request stopped the search and closed the browse window"
echo "PASS: a long search showed its progress window; Esc and 取消 each stopped it silently with an empty grid; the keyboard came back to the browse window; the next search listed the sheets; closing the browse window during a search stopped it and closed the window"
