#!/usr/bin/env bash
# End-to-end: the host's connect dialog in a real X server, driven by the keyboard.
# Opens 数据库 → 连接数据库… (Alt+D, C) with a user data source configured for the driver
# manager, types a connection string that the driver manager cannot serve and checks that
# Enter leaves the dialog open; then types a SQLite connection string
# and a password, connects with Enter and checks that the dialog closed, the host runs
# and the remembered choice holds the string but not the password. Then a file that is
# no database fails (the dialog stays, nothing remembered), and neither that message nor
# the driver manager's longer one moves the list or the edits: clicks aimed at the edits
# before the messages land on them after.
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

# --- Messages do not move the controls ---
# The dialog as the user sees it; rows of it as "white" (the list's and the edits' base)
# and which rows differ between two pictures, by a small reader of the picture.
dialog_picture() {
  eval "$(window_geometry "$dialog")"
  screen_region "$CLIENT_X" "$CLIENT_Y" "$WIDTH" "$HEIGHT" >"$work/$1.pnm"
}
picture_rows() {
  python3 - "$@" <<'PY'
import sys
def read(path):
    data = open(path, 'rb').read()
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace(): at += 1
        start = at
        while not data[at:at + 1].isspace(): at += 1
        fields.append(data[start:at])
    width, height = int(fields[1]), int(fields[2])
    pixels = data[at + 1:]
    return width, height, [pixels[y * width * 3:(y + 1) * width * 3] for y in range(height)]
width, height, rows = read(sys.argv[2])
if sys.argv[1] == 'white-bands':  # "top bottom" of each run of rows at least 35 % white
    bands, top = [], None
    for y, row in enumerate(rows + [b'']):
        white = sum(1 for x in range(0, len(row), 3) if row[x:x + 3] == b'\xff\xff\xff')
        if white * 100 >= 35 * width and top is None: top = y
        elif white * 100 < 35 * width and top is not None:
            if y - top >= 8: bands.append((top, y - 1))
            top = None
    for band in bands: print(*band)
else:  # 'differ': the first and last row that differ, or nothing
    _, _, others = read(sys.argv[3])
    differ = [y for y in range(height) if rows[y] != others[y]]
    if differ: print(differ[0], differ[-1])
PY
}
# Each message must leave every row of the list and the edits as it was: the first row
# that differs lies below the last edit (the authority's file, the last white band).
check_still() {
  local what=$1 first last bottom
  dialog_picture "$what"
  read -r first last <<<"$(picture_rows differ "$work/quiet.pnm" "$work/$what.pnm")"
  [ -n "$first" ] || fail "$what: no message appeared"
  bottom=$(picture_rows white-bands "$work/quiet.pnm" | tail -1 | cut -d' ' -f2)
  [ "$first" -gt "$bottom" ] || fail "$what: the dialog changed from row $first, above the last edit's bottom $bottom"
  echo "ok: $what shows in rows $first..$last, below the fields (the last edit ends at row $bottom)"
}
cp /etc/services "$work/services" 2>/dev/null || seq 1 3000 | sed 's/^/service /' >"$work/services"
open_dialog
sleep 0.5  # the focus on the list: no caret blinks in the pictures
dialog_picture quiet
mapfile -t bands < <(picture_rows white-bands "$work/quiet.pnm")
[ "${#bands[@]}" -ge 5 ] || fail "expected the list and four edits as white bands, found: ${bands[*]}"
# 连接 (Enter) tests first: a file that is no database fails, the dialog stays.
xdotool key Tab ctrl+a
xdotool type --delay 5 "Provider=SQLite;Data Source=$work/services"
xdotool key shift+Tab Return
sleep 1
dialog_shown || fail "the dialog accepted a file that is no database"
grep -q 'services' "$settings" && fail "a file that is no database was remembered"
check_still "the message for a file that is no database"
xdotool key Tab ctrl+a
xdotool type --delay 5 'Driver={No Such Qelvor Driver};Server=a-server-name-that-makes-the-message-longer.example'
xdotool key shift+Tab Return
sleep 1
dialog_shown || fail "the dialog closed on a connection that failed"
check_still "the driver manager's message"
# A click aimed at a field from the picture before the messages lands on that field. The
# white bands end with the connection string, user name, password and authority's file.
at_band() { local band=(${bands[$1]}); echo $(( (band[0] + band[1]) / 2 )); }
count=${#bands[@]}
xdotool mousemove --window "$dialog" $((WIDTH * 2 / 3)) "$(at_band $((count - 4)))" click 1
xdotool key ctrl+a
xdotool type --delay 5 "Provider=SQLite;Data Source=$work/demo.db"
xdotool mousemove --window "$dialog" $((WIDTH * 2 / 3)) "$(at_band $((count - 3)))" click 1
xdotool key ctrl+a
xdotool type --delay 5 'kw-e2e'
xdotool key Return
wait_until_gone '^连接数据库$' 5 || fail "the clicks did not reach the connection string and user edits"
grep -q 'kw-e2e' "$settings" || fail "the user name typed after a click was not remembered: $(cat "$settings")"
echo "ok: the clicks landed on the connection string and user name edits"

echo "PASS"
