#!/usr/bin/env bash
# Makes the README's screenshot of the browse window showing records after a search:
# starts a private X server, runs the real host on a generated demo database, types an
# admission-number range into the two edits as a user would, presses Enter and captures
# the window. Needs a built tree (tools/build.sh).
#   tools/make-readme-screenshot.sh [OUTPUT.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${QELVOR_BUILD_DIR:-$root/build}/bin
output=${1:-$root/docs/browse-window-search.png}
work=$(mktemp -d /tmp/qelvor-shot.XXXXXX)
display=:$((90 + RANDOM % 9))

cleanup() {
  [ -n "${host_pid:-}" ] && kill "$host_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

database=$work/demo.db
"$bin/qelvor-host" --make-demo "$database" --demo-rows 20000 >/dev/null
# A range of about 40 sheets from the middle of the numbers.
start=$(sqlite3 "$database" "select zkzh from t_omr order by zkzh limit 1 offset 5000")
end=$(sqlite3 "$database" "select zkzh from t_omr order by zkzh limit 1 offset 5040")

Xvfb "$display" -screen 0 1024x768x24 -noreset >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display QT_QPA_PLATFORM=xcb LANG=C.UTF-8
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$bin/qelvor-host" --connect "Provider=SQLite;Data Source=$database" --browse >/dev/null 2>&1 &
host_pid=$!
window=$(xdotool search --sync --name '卷面信息浏览\(V3\.00\)' | head -n 1)

# Client coordinates of the edits: panel at (8, 6), Edit1 at (97, 10), Edit2 at (344, 10).
type_into() {
  xdotool mousemove --window "$window" "$1" "$2" click 1
  xdotool windowfocus --sync "$window"
  xdotool key --window "$window" ctrl+a
  xdotool type --window "$window" --delay 20 "$3"
}
type_into 170 26 "$start"
type_into 417 26 "$end"
xdotool key --window "$window" Return
sleep 1
# Tab order wraps from the search button to the grid, which then shows its highlight.
xdotool key --window "$window" Tab Tab
sleep 0.5

mkdir -p "$(dirname "$output")"
xwd -silent -id "$window" -display "$display" | xwdtopnm 2>/dev/null | pnmtopng > "$output"
echo "Wrote $output"
