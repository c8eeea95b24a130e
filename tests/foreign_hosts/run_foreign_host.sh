#!/usr/bin/env bash
# A foreign host (C or Python) in a real X server: it opens the demo database through the
# runtime's C interface and shows the browse window; the window must appear with its title
# and size, and the exit button must close it and let the host end normally.
#   run_foreign_host.sh QELVOR_MAKE_DEMO HOST_COMMAND...   (the connection string is appended)
set -euo pipefail
make_demo=$1
shift
source "$(dirname "$0")/../support/xserver.sh" qelvor-foreign

export QT_QPA_PLATFORM=xcb LANG=C.UTF-8
"$make_demo" "$work/demo.db" --rows 300 >/dev/null || fail "could not make the demo database"
"$@" "Provider=SQLite;Data Source=$work/demo.db" >"$work/host.log" 2>&1 &
host_pid=$!

title='卷面信息浏览\(V3\.00\)'
window=$(wait_for_window "$title" 30) || fail "no window titled 卷面信息浏览(V3.00)"
eval "$(window_geometry "$window")"
[ "$WIDTH" = 659 ] && [ "$HEIGHT" = 378 ] || fail "window is ${WIDTH}x$HEIGHT, expected 659x378"
echo "browse window $window: ${WIDTH}x$HEIGHT"

# The exit button: 588,350, 65x25.
xdotool mousemove --window "$window" 620 362 click 1
status=0
timeout 20 tail --pid="$host_pid" -f /dev/null || fail "the host did not end after the exit button"
wait "$host_pid" || status=$?
host_pid=
[ "$status" = 0 ] || fail "the host ended with status $status"
grep -q '^module version 3.00$' "$work/host.log" || fail "the host did not print the module's version"
grep -q '^browse window closed$' "$work/host.log" || fail "ShowForm did not return"
echo "PASS"
