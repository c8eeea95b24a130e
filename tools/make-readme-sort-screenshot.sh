#!/usr/bin/env bash
# Makes the README's screenshot of a two-column sort: starts a private X server, runs
# the real host on a generated demo database, searches a range of admission numbers,
# clicks the 姓名 title (names descending), Ctrl+clicks the 准考证号 title (numbers
# descending among equal names), releases Ctrl and captures the window, whose two
# marked titles then carry the sort numbers 1 and 2, and goes to the first record. Needs a built tree (tools/build.sh).
#   tools/make-readme-sort-screenshot.sh [OUTPUT.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${QELVOR_BUILD_DIR:-$root/build}/bin
output=${1:-$root/docs/browse-window-sorted.png}
work=$(mktemp -d /tmp/qelvor-shot.XXXXXX)

cleanup() {
  [ -n "${host_pid:-}" ] && kill "$host_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

database=$work/demo.db
"$bin/qelvor-host" --make-demo "$database" --demo-rows 20000 >/dev/null
statement="select a.zkzh, b.xm from t_omr a left join t_bm b on a.zkzh=b.zkzh"
# A range of 40 sheets from the middle of the numbers, chosen so that two of the 14
# rows in view after the sort share a name: the second sort column shows its work there.
for offset in $(seq 5000 40 9000); do
  start=$(sqlite3 "$database" "select zkzh from t_omr order by zkzh limit 1 offset $offset")
  end=$(sqlite3 "$database" "select zkzh from t_omr order by zkzh limit 1 offset $((offset + 39))")
  twins=$(sqlite3 "$database" "select count(*) - count(distinct xm) from (select b.xm from t_omr a
    left join t_bm b on a.zkzh=b.zkzh where a.zkzh between '$start' and '$end' order by b.xm desc limit 14)")
  [ "$twins" -gt 0 ] && break
done

display=:$((90 + RANDOM % 9))
while [ -e "/tmp/.X${display#:}-lock" ]; do display=:$((90 + RANDOM % 9)); done
Xvfb "$display" -screen 0 1024x768x24 -noreset >/dev/null 2>&1 &
xvfb_pid=$!
# Names sort by pinyin, as they do for the staff on a Chinese system.
export DISPLAY=$display QT_QPA_PLATFORM=xcb LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$bin/qelvor-host" --connect "Provider=SQLite;Data Source=$database" --browse >/dev/null 2>&1 &
host_pid=$!
window=$(xdotool search --sync --name '卷面信息浏览\(V3\.00\)' | head -n 1)

# Client coordinates of the edits: panel at (8, 6), Edit1 at (97, 10), Edit2 at (344, 10).
type_into() {
  xdotool mousemove --window "$window" "$1" "$2" click 1
  xdotool windowfocus --sync "$window"
  xdotool key ctrl+a
  xdotool type --delay 20 "$3"
}
type_into 170 26 "$start"
type_into 417 26 "$end"
xdotool key Return
sleep 1
# Titles (y 62): 准考证号 from x 22, 报名号 from 130, 姓名 from 233.
xdotool mousemove --window "$window" 262 62 click 1
sleep 0.7   # past the double-click time, so that the next press is a click of its own
xdotool keydown ctrl
xdotool mousemove --window "$window" 60 62 click 1
xdotool keyup ctrl
# The sort keeps the current record where it was; Ctrl+Home shows the head of the list.
sleep 0.5
xdotool key ctrl+Home
# The pointer off the grid, so that it leaves no hover behind.
xdotool mousemove --window "$window" 300 362
sleep 1

mkdir -p "$(dirname "$output")"
xwd -silent -id "$window" -display "$display" | xwdtopnm 2>/dev/null | pnmtopng > "$output"
echo "Wrote $output (sheets $start to $end, sorted by 姓名 and 准考证号, both descending)"
