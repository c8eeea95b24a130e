#!/usr/bin/env bash
# Makes the README's screenshot of a two-column sort: the real host on a generated demo
# database in a private X server, a range of admission numbers searched, a click on the
# 姓名 title (names descending), a Ctrl+click on the 准考证号 title (numbers descending
# among equal names), Ctrl released, the first record made current and the window
# captured; the two marked titles carry the sort numbers 1 and 2.
#   tools/make-readme-sort-screenshot.sh [OUTPUT.png]
set -euo pipefail
source "$(dirname "$0")/screenshot-session.sh"
output=${1:-$root/docs/browse-window-sorted.png}

# Names sort by pinyin, as they do for the staff on a Chinese system.
start_session zh_CN.UTF-8
# A range of 40 sheets from the middle of the numbers, chosen so that two of the 14
# rows in view after the sort share a name: the second sort column shows its work there.
for offset in $(seq 5000 40 9000); do
  start=$(sqlite3 "$database" "select zkzh from t_omr order by zkzh limit 1 offset $offset")
  end=$(sqlite3 "$database" "select zkzh from t_omr order by zkzh limit 1 offset $((offset + 39))")
  twins=$(sqlite3 "$database" "select count(*) - count(distinct xm) from (select b.xm from t_omr a
    left join t_bm b on a.zkzh=b.zkzh where a.zkzh between '$start' and '$end' order by b.xm desc limit 14)")
  [ "$twins" -gt 0 ] && break
done

open_browse_window
search_range "$start" "$end"
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

capture "$output"
echo "Wrote $output (sheets $start to $end, sorted by 姓名 and 准考证号, both descending)"
