#!/usr/bin/env bash
# End-to-end: the host connecting to a server that accepts the connection and never
# answers (a listener of the script's own). The host's window paints meanwhile; after half
# a second the progress window 正在连接 shows; 取消 ends the connect at once, no box, and the
# host stays usable and not connected (its connect dialog opens). With a short Connect
# Timeout the connect ends by itself with a box naming the server. The connect dialog's
# 测试连接 on the same server shows the progress window too, and 取消 ends it.
#   connect_wait_e2e.sh PATH/TO/qelvor-host
set -euo pipefail
host=$1
for tool in python3 ppmhist; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (tools/install-dependencies.sh)"; exit 1; }
done
source "$(dirname "$0")/../support/xserver.sh" qelvor-connect-wait-e2e
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb LANG=C.UTF-8
say() { echo "[${SECONDS}s] $*"; }

# The mute server: accepts and holds every connection; prints its port.
python3 -c '
import socket, sys
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(16)
print(s.getsockname()[1], flush=True)
held = []
while True:
    held.append(s.accept()[0])
' >"$work/port" &
mute_pid=$!
trap 'kill $mute_pid 2>/dev/null || true; cleanup' EXIT
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")
[ -n "$port" ] || fail "the mute server did not start"
mute="Provider=PostgreSQL;Server=127.0.0.1;Port=$port;Database=exam;Uid=staff"
progress_title='^正在(连接|取消)$'

painted() {  # FILE: a light background and text, not the black of an unpainted window
  ppmhist -noheader "$1" | awk 'NR == 1 { background = $4 } END { exit !(background > 128 && NR >= 3) }'
}
click_cancel() {  # WINDOW: 取消 is the progress window's only button, at its bottom right
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --window "$1" $((WIDTH - 45)) $((HEIGHT - 22)) click 1
}

say "start-up connect, cancelled"
"$host" --connect "$mute" >"$work/host.log" 2>&1 &
host_pid=$!
main=$(wait_for_window '^考务管理$' 20) || fail "no host window while it connects"
progress=$(wait_for_window "$progress_title" 5) || fail "no progress window while the host connects"
sleep 0.3
eval "$(window_geometry "$main")"
screen_region "$CLIENT_X" "$CLIENT_Y" "$WIDTH" "$HEIGHT" >"$work/main.pnm"
painted "$work/main.pnm" || fail "the host's window is not painted while it connects"
started=$(date +%s%N)
click_cancel "$progress"
wait_until_gone "$progress_title" 3 || fail "the progress window stayed after 取消"
took=$(( ($(date +%s%N) - started) / 1000000 ))
say "取消 ended the connect; the progress window went after $took ms"
[ "$took" -lt 1500 ] || fail "取消 took $took ms to end the connect"
sleep 0.5
kill -0 "$host_pid" 2>/dev/null || fail "the host ended after the cancelled connect"
no_error_box || fail "a box appeared after the cancelled connect"
# Usable: its connect dialog opens (数据库 → 连接数据库…).
xdotool mousemove --window "$main" 300 200
xdotool windowfocus --sync "$main"
xdotool key --window "$main" alt+d
sleep 0.5
xdotool key c
dialog=$(wait_for_window '^连接数据库$' 10) || fail "the host did not open its connect dialog after the cancelled connect"
say "the connect dialog opened"

say "测试连接 on the mute server, cancelled"
xdotool mousemove --window "$dialog" 5 5
xdotool windowfocus --sync "$dialog"
xdotool key Tab
xdotool type --delay 5 "$mute"
eval "$(xdotool getwindowgeometry --shell "$dialog")"
# Alt-free: the dialog's buttons are 测试连接, 连接, 取消 at its bottom; Return would connect.
xdotool key Return
progress=$(wait_for_window "$progress_title" 5) || fail "no progress window while the dialog connects"
click_cancel "$progress"
wait_until_gone "$progress_title" 3 || fail "the dialog's progress window stayed after 取消"
sleep 0.3
window_shown '^连接数据库$' || fail "the connect dialog went after a cancelled connect"
no_error_box || fail "a box appeared after the dialog's cancelled connect"
xdotool key Escape
wait_until_gone '^连接数据库$' 5 || fail "Escape did not close the dialog"
kill "$host_pid" 2>/dev/null || true
wait "$host_pid" 2>/dev/null || true

say "start-up connect with a two-second time-out"
"$host" --connect "$mute;Connect Timeout=2" >"$work/host.log" 2>&1 &
host_pid=$!
main=$(wait_for_window '^考务管理$' 20) || fail "no host window while it connects"
started=$SECONDS
wait_for_error_box 10 || fail "no box after the connect's time-out"
[ $((SECONDS - started)) -le 6 ] || fail "the time-out's box took $((SECONDS - started)) s"
grep -q "127.0.0.1:$port\" did not answer within 2 seconds" "$work/host.log" || fail "the message does not name the server and the time-out"
say "the connect timed out with: $(grep -o 'The server.*' "$work/host.log" | head -1)"
kill "$host_pid" 2>/dev/null || true
wait "$host_pid" 2>/dev/null || true

say "--browse with a connection string that cannot connect"
"$host" --browse --connect "hello world" >"$work/host.log" 2>&1 &
host_pid=$!
main=$(wait_for_window '^考务管理$' 20) || fail "no host window"
wait_for_error_box 10 || fail "no box for the failed connect"
box=$(error_box)
xdotool windowfocus --sync "$box"
xdotool key Return
sleep 1.5
window_shown '卷面信息浏览' && fail "the browse window opened without a connection"
kill -0 "$host_pid" 2>/dev/null || fail "the host ended after the failed connect"
say "no browse window without a connection"
echo "PASS: a connect to a server that never answers kept the host painted, showed its progress window, ended on 取消 at once (also in the connect dialog) leaving the host usable, and ended at its time-out with a message naming the server"
