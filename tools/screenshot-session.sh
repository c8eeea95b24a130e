# Sourced by the README screenshot scripts: a private X server, the real host on a
# generated demo database, a search typed into the two edits as a user would, and the
# capture of the browse window. Needs a built tree (tools/build.sh).
#   start_session LANGUAGE           X server, demo database ($database), work folder
#   open_browse_window [ARGUMENTS]   the host (given ARGUMENTS too) with its browse window ($window)
#   search_range START END           types the range and presses Enter
#   capture OUTPUT                   the window as a PNG
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/tests/support/xwindows.sh"
bin=${QELVOR_BUILD_DIR:-$root/build}/bin
# QELVOR_SHOT_SCALE=2 shows the windows at twice the size (Qt's scale factor, as a
# desktop set for large text does) on a screen twice as large.
scale=${QELVOR_SHOT_SCALE:-1}
# A position in the window's design pixels, on the screen.
at() { echo $(($1 * scale)); }

cleanup() {
  [ -n "${host_pid:-}" ] && kill "$host_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ -n "${work:-}" ] && rm -rf "$work"
}

start_session() {
  work=$(mktemp -d /tmp/qelvor-shot.XXXXXX)
  trap cleanup EXIT
  database=$work/demo.db
  "$bin/qelvor-host" --make-demo "$database" --demo-rows 20000 >/dev/null
  display=:$((90 + RANDOM % 9))
  while [ -e "/tmp/.X${display#:}-lock" ]; do display=:$((90 + RANDOM % 9)); done
  Xvfb "$display" -screen 0 "$((1024 * scale))x$((768 * scale))x24" -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display QT_QPA_PLATFORM=xcb LANG=$1 LC_ALL=$1 QT_SCALE_FACTOR=$scale
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

open_browse_window() {
  "$bin/qelvor-host" --connect "Provider=SQLite;Data Source=$database" --browse "$@" >/dev/null 2>&1 &
  host_pid=$!
  window=$(wait_for_window '卷面信息浏览\(V3\.00\)' 30)
}

# Client coordinates of the edits: panel at (8, 6), Edit1 at (97, 10), Edit2 at (344, 10).
type_into() {
  xdotool mousemove --window "$window" "$(at "$1")" "$(at "$2")" click 1
  xdotool windowfocus --sync "$window"
  xdotool key --window "$window" ctrl+a
  xdotool type --window "$window" --delay 20 "$3"
}

search_range() {
  type_into 170 26 "$1"
  type_into 417 26 "$2"
  xdotool key --window "$window" Return
  sleep 1
}

capture() {
  mkdir -p "$(dirname "$1")"
  xwd -silent -id "$window" -display "$display" | xwdtopnm 2>/dev/null | pnmtopng > "$1"
}
