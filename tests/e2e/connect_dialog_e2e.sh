#!/usr/bin/env bash
# End-to-end: the host's connect dialog in a real X server, driven by the keyboard.
# Opens 数据库 → 连接数据库… (Alt+D, C) with a user data source configured for the driver
# manager, types a connection string that the driver manager cannot serve and checks that
# Enter leaves the dialog open; then types a SQLite connection string
# and a password, connects with Enter and checks that the dialog closed, the host runs
# and the remembered choice holds the string but not the password.
#   connect_dialog_e2e.sh PATH/TO/qelvor-host
set -euo pipefail
host=$1
source "$(dirname "$0")/../support/xserver.sh" qelvor-e2e

export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb LANG=C.UTF-8
export ODBCINI=$work/odbc.ini
printf '[QelvorE2E]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\n' >"$ODBCINI"
"$host" --make-demo "$work/demo.db" --demo-rows 50 >/dev/null || fail "could not make the demo database"
"$host" --connect "Provider=SQLite;Data Source=$work/demo.db" >"$work/host.log" 2>&1 &
host_pid=$!
main=$(wait_for_window '^考务管理$' 30) || fail "no host window"

# With the dialog closed, the menu's popup is the host's only visible window besides the
# main one (xdotool cannot find it by name: Qt names it only in _NET_WM_NAME).
menu_shown() {
  local others
  others=$(xdotool search --onlyvisible --class '^qelvor-host$' 2>/dev/null | grep -cvx "$main") || true
  [ "${others:-0}" -ge 1 ]
}

open_dialog() {
  xdotool mousemove --window "$main" 300 200
  xdotool windowfocus --sync "$main"
  xdotool key --window "$main" alt+d
  local tries=100
  until menu_shown; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || fail "Alt+D opened no menu"
    sleep 0.1
  done
  xdotool key c
  dialog=$(wait_for_window '^连接数据库$' 10) || fail "no connect dialog"
  xdotool mousemove --window "$dialog" 5 5
  xdotool windowfocus --sync "$dialog"
}
dialog_shown() { window_shown '^连接数据库$'; }

# A string the driver manager cannot serve: Enter connects, fails, the dialog stays.
open_dialog
xdotool key Tab  # from the source list to the connection string
xdotool type --delay 5 'Driver={No Such Qelvor Driver}'
xdotool key Return
sleep 1
dialog_shown || fail "the dialog closed on a connection that failed"
xdotool key Escape
wait_until_gone '^连接数据库$' 5 || fail "Escape did not close the dialog"

# A working string with a password.
open_dialog
xdotool key Tab
xdotool type --delay 5 "Provider=SQLite;Data Source=$work/demo.db"
xdotool key Tab Tab  # user name, password
xdotool type --delay 5 'pw-e2e-secret'
xdotool key Return
wait_until_gone '^连接数据库$' 5 || fail "the dialog stayed open on a working connection"
kill -0 "$host_pid" 2>/dev/null || fail "the host ended after connecting"
settings=$work/config/qelvor/qelvor-host.conf
[ -f "$settings" ] || fail "no settings written"
grep -q 'demo.db' "$settings" || fail "the connection string was not remembered: $(cat "$settings")"
grep -q 'pw-e2e-secret' "$settings" && fail "the password was stored"

echo "PASS"
