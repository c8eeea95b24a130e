#!/usr/bin/env bash
# End-to-end: the browse window's grid operated as a user would — the real host in a
# real X server, driven by xdotool, checked by what the window shows.
#   1. A title click before any search: an error box, and the window still works.
#   2. Sorting: title clicks on a searched range (first click descending, then
#      ascending, ...), a plain click that replaces the sort, Ctrl+clicks that re-sort
#      only when Ctrl is released.
#   3. Enter opens the read-only editor and Enter closes it (the search is not run
#      again); F2 opens it too; Ctrl+A and Ctrl+C copy the cell's value.
#   4. Dragging a title onto the next one swaps the two columns; dragging a title border
#      widens the column.
#   5. On a large database: PgDn, PgUp, Down, Up, Ctrl+End, Ctrl+Home, the wheel,
#      End, Home and Tab move to the records and columns they should.
# Rows are told apart by comparing screen regions with regions captured earlier; the
# current record is read by copying its value to the clipboard from the editor. The
# expected orders and values come from sqlite3 with the statement the window runs.
#   grid_operation_e2e.sh PATH/TO/qelvor-host [ROWS]
# ROWS: the sheets of the large database, 200,000 by default, so that making it and
# searching it fit in the test's time; 1000000 takes about half a minute more.
set -euo pipefail
host=$1
big_rows=${2:-200000}
for tool in Xvfb xdotool xdpyinfo xwd xwdtopnm pnmcut pnmtoplainpnm sqlite3 xclip; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (tools/install-dependencies.sh)"; exit 1; }
done

work=$(mktemp -d /tmp/qelvor-grid-e2e.XXXXXX)
cleanup() {
  [ -n "${maker_pid:-}" ] && kill "$maker_pid" 2>/dev/null || true
  [ -n "${host_pid:-}" ] && kill "$host_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "$0")/../support/xwindows.sh"
fail() {
  echo "FAIL: $*"
  [ -f "$work/host.log" ] && sed 's/^/host: /' "$work/host.log"
  # The window as it was and the regions kept for comparison, for whoever reads the failure.
  if [ -n "${window:-}" ]; then
    local saved=/tmp/grid-operation-e2e-failure
    rm -rf "$saved" && mkdir -p "$saved"
    xwd -silent -id "$window" 2>/dev/null | xwdtopnm 2>/dev/null >"$saved/window.ppm" || true
    cp "$work"/*.pnm "$saved/" 2>/dev/null || true
    echo "the window at the failure and the kept regions: $saved"
  fi
  exit 1
}

# The large database takes a while: it is made while the small one is in use.
"$host" --make-demo "$work/big.db" --demo-rows "$big_rows" >"$work/maker.log" 2>&1 &
maker_pid=$!
"$host" --make-demo "$work/small.db" --demo-rows 3000 >/dev/null || fail "could not make the small demo database"

# The server picks a free display number itself and writes it once it takes
# connections, so that test runs started side by side never share a display.
Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; fail "Xvfb did not start"; }
export DISPLAY=:$(head -n 1 "$work/display")
xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start on $DISPLAY"

# Code point order for text, as sqlite3 sorts it.
export XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LC_ALL=C.UTF-8
title='卷面信息浏览\(V3\.00\)'

# --- geometry (window coordinates; without a window manager frame = client) ---
# The grid's client area starts at (10, 55): a 16-pixel title row (the design font's
# 12-pixel line and its margin), its black bottom line at y 71, then data rows 16 pixels
# high with a line below each, from y 72. The view holds 14 whole data rows; the cells
# end at x 631, where the scroll bar is.
rows_visible=14
title_y=62                  # in the title row
row_top() { echo $((72 + 17 * $1)); }
row_middle() { echo $((80 + 17 * $1)); }
data_area=(22 72 610 250)   # x y width height: the data cells of every row in view
title_area=(10 55 622 16)
edit1=(170 26) edit2=(417 26)

start_host() {
  "$host" --connect "Provider=SQLite;Data Source=$1" --browse >"$work/host.log" 2>&1 &
  host_pid=$!
  window=$(wait_for_window "$title" 30) || fail "no browse window"
  eval "$(window_geometry "$window")"
  [ "$WIDTH" = 659 ] && [ "$HEIGHT" = 378 ] || fail "window is ${WIDTH}x$HEIGHT, expected 659x378"
}
stop_host() {
  kill "$host_pid" 2>/dev/null || true
  wait "$host_pid" 2>/dev/null || true
  host_pid=
}
window_alive() {
  kill -0 "$host_pid" 2>/dev/null || fail "the host ended: $1"
  window_shown "$title" || fail "the browse window closed: $1"
}

say() { echo "[${SECONDS}s] $*"; }

# --- pictures ---
shot() { xwd -silent -id "$window" | xwdtopnm 2>/dev/null >"$work/now.ppm"; }
# region X Y W H: that part of the last shot
region() { pnmcut -left "$1" -top "$2" -width "$3" -height "$4" "$work/now.ppm"; }
keep() { local name=$1; shift; shot; region "$@" >"$work/$name.pnm"; }
# settle NAME X Y W H: keeps the region once two shots 0.1 s apart agree, so that a
# repaint still on its way is not taken for the picture before the next step
settle() {
  local name=$1; shift
  for _ in $(seq 50); do
    keep "$name" "$@"
    sleep 0.1
    shows "$name" "$@" && return 0
  done
  fail "the window did not stop changing"
}
# shows NAME X Y W H: a new shot shows in that region what was kept as NAME
shows() { local name=$1; shift; shot; region "$@" | cmp -s - "$work/$name.pnm"; }
changed() { ! shows "$@"; }
# poll TRIES COMMAND...: runs the command every 0.1 s until it succeeds
poll() {
  local tries=$1; shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
  return 1
}
# x positions of the black title borders, from the indicator's on (last shot)
title_lines() {
  region 10 70 622 1 | pnmtoplainpnm | tr -s ' \n' '\n\n' | awk '
    NR > 4 { v[n++] = $1 }
    END { for (p = 0; 3 * p + 2 < n; p++) if (v[3*p] == 0 && v[3*p+1] == 0 && v[3*p+2] == 0) printf "%s%d", (c++ ? " " : ""), p + 10 }'
}

# --- input ---
# Two presses closer than the double-click time make a double click, which is not a
# second click on a title; so clicks here come at least 0.6 s apart.
last_click=0
click_at() {
  local now
  now=$(date +%s%N)
  (( now - last_click >= 600000000 )) || sleep "0.$(printf '%09d' $((600000000 - (now - last_click))))"
  xdotool mousemove --window "$window" "$1" "$2" click 1
  last_click=$(date +%s%N)
}
keys() { xdotool windowfocus --sync "$window"; xdotool key --delay 30 "$@"; }
type_into() {  # X Y TEXT
  click_at "$1" "$2"
  xdotool windowfocus --sync "$window"
  xdotool key ctrl+a BackSpace
  [ -z "$3" ] || xdotool type --delay 10 "$3"
}
search() {  # START END: types the range and presses Enter
  type_into "${edit1[@]}" "$1"
  type_into "${edit2[@]}" "$2"
  xdotool key Return
}
clipboard() { timeout 2 xclip -o -selection clipboard 2>/dev/null || true; }
clipboard_is() { [ "$(clipboard)" = "$1" ]; }
# copy_current EXPECTED WHAT: Enter opens the editor over the current cell with its text
# selected, Ctrl+C copies it, Enter closes the editor and the grid looks as before.
copy_current() {
  settle before_editor "${data_area[@]}"
  keys Return
  poll 50 changed before_editor "${data_area[@]}" || fail "$2: Enter showed no editor"
  xdotool key ctrl+c
  poll 30 clipboard_is "$1" || fail "$2: the current cell holds '$(clipboard)', expected '$1'"
  xdotool key Return
  poll 50 shows before_editor "${data_area[@]}" || fail "$2: the second Enter did not close the editor"
  no_error_box || fail "$2: an error box appeared"
}

# The statement the window runs for a range (data/QueryComposition.cpp).
statement() {
  echo "select a.zkzh 准考证号,b.bmh 报名号,b.xm 姓名,a.ttxx 笔试客观题答案字符串,a.tttt 笔试主观题题分字符串,a.qk 缺考标记,a.lwtth 论文题题号 from t_omr a left join t_bm b on a.zkzh=b.zkzh where a.zkzh between '$1' and '$2'"
}

# The range for the sorting checks: as many consecutive sheets as the view holds, all
# with names, two of them with the same name, so that a second sort column decides
# between them.
K=$rows_visible
range=$(sqlite3 -separator '|' "$work/small.db" \
  "select a.zkzh, ifnull(b.xm, '') from t_omr a left join t_bm b on a.zkzh=b.zkzh order by a.zkzh" | awk -F'|' -v K=$K '
  { z[NR] = $1; n[NR] = $2 }
  END {
    for (s = 1; s + K - 1 <= NR; s++) {
      ok = 1; twins = 0; split("", seen)
      for (i = s; i < s + K; i++) { if (n[i] == "") ok = 0; if (seen[n[i]]++) twins++ }
      if (ok && twins) { print z[s], z[s + K - 1]; exit }
    }
  }')
[ -n "$range" ] || fail "the small database has no $K consecutive sheets with a shared name"
read -r first last <<<"$range"
mapfile -t ascending < <(sqlite3 "$work/small.db" "select 准考证号 from ($(statement "$first" "$last")) order by 准考证号")
[ ${#ascending[@]} = $K ] || fail "sqlite3 found ${#ascending[@]} sheets in $first..$last"
# order_of SQL-ORDER: the sheets' places in ascending order, listed in the order given
order_of() {
  local zkzh out=()
  while read -r zkzh; do
    for i in "${!ascending[@]}"; do [ "${ascending[$i]}" = "$zkzh" ] && out+=("$i"); done
  done < <(sqlite3 "$work/small.db" "select 准考证号 from ($(statement "$first" "$last")) order by $1")
  echo "${out[*]}"
}
asc=$(order_of "准考证号 asc")
desc=$(order_of "准考证号 desc")
by_name=$(order_of "姓名 desc, 准考证号 asc")        # stable: ties stay in fetch order
by_name_number=$(order_of "姓名 desc, 准考证号 desc")
[ "$by_name" != "$by_name_number" ] || fail "test data: the shared name does not show in the orders"

# ============ 1. a title click before any search ============
start_host "$work/small.db"
echo "browse window $window"
layout_as_measured() { shot; [ "$(title_lines | cut -d' ' -f1-2)" = "21 129" ]; }
poll 50 layout_as_measured \
  || fail "the grid's title borders are at x $(title_lines), expected 21 129 ...: the layout this test measures has changed"
click_at 60 $title_y
box=$(wait_for_error_box 10) \
  || fail "a title click on the closed dataset showed no error box"
xdotool windowfocus --sync "$box"
xdotool key Return
poll 50 no_error_box || fail "the error box did not close on Return"
window_alive "after the error box"
# The window is still usable: the search runs, and so does a sort.
settle blank 22 "$(row_top $((K - 1)))" 210 16   # empty before the search
search "$first" "$last"
poll 100 changed blank 22 "$(row_top $((K - 1)))" 210 16 || fail "the search after the error box showed no rows"
keep searched "${data_area[@]}"
click_at 262 $title_y
poll 100 changed searched "${data_area[@]}" || fail "a title click after the error box did not sort"
window_alive "after a sort that followed the error box"
say "ok: a title click before any search showed an error box; the window went on searching and sorting"
stop_host

# ============ 2. sorting ============
start_host "$work/small.db"
settle blank 22 "$(row_top $((K - 1)))" 210 16
search "$first" "$last"
poll 100 changed blank 22 "$(row_top $((K - 1)))" 210 16 || fail "the search for $first..$last showed no rows"
# The name cell of the first row: the grid gets the focus, and the current cell is off
# the two columns that tell the rows apart (准考证号 and 报名号, x 22..231).
keep name_cell 233 "$(row_top 0)" 60 16
click_at 262 "$(row_middle 0)"
poll 50 changed name_cell 233 "$(row_top 0)" 60 16 || fail "a click on a name cell did not make it current"
shot
reference=()
for r in $(seq 0 $((K - 1))); do reference+=("$(region 22 "$(row_top "$r")" 210 16 | md5sum | cut -c1-32)"); done
[ "$(printf '%s\n' "${reference[@]}" | sort -u | wc -l)" = $K ] || fail "two rows of $first..$last look the same"
# rows_now: the rows in view, as places in ascending order ('?' for a row not seen before)
rows_now() {
  shot
  local out=() r h i found
  for r in $(seq 0 $((K - 1))); do
    h=$(region 22 "$(row_top "$r")" 210 16 | md5sum | cut -c1-32)
    found='?'
    for i in "${!reference[@]}"; do [ "${reference[$i]}" = "$h" ] && found=$i; done
    out+=("$found")
  done
  echo "${out[*]}"
}
rows_are() { [ "$(rows_now)" = "$1" ]; }
expect_rows() {  # EXPECTED WHAT
  poll 100 rows_are "$1" || fail "$2: the rows are in order [$(rows_now)], expected [$1] (places in ascending order)"
  say "ok: $2"
}
[ "$(rows_now)" = "$asc" ] || fail "the search shows [$(rows_now)], expected ascending [$asc]"

click_at 60 $title_y
expect_rows "$desc" "a first click on 准考证号 sorts descending"
click_at 60 $title_y
expect_rows "$asc" "a second click sorts ascending"
click_at 60 $title_y
expect_rows "$desc" "a third click sorts descending again"
click_at 262 $title_y
expect_rows "$by_name" "a plain click on 姓名 replaces the sort (names descending)"

keep titles_one "${title_area[@]}"
keep name_title 233 55 60 16
keep rows_before_ctrl "${data_area[@]}"
xdotool keydown ctrl
click_at 60 $title_y
poll 50 changed titles_one "${title_area[@]}" || { xdotool keyup ctrl; fail "a Ctrl+click on 准考证号 did not mark its title"; }
keep titles_two "${title_area[@]}"
click_at 180 $title_y
poll 50 changed titles_two "${title_area[@]}" || { xdotool keyup ctrl; fail "a Ctrl+click on 报名号 did not mark its title"; }
# The click's marking and a re-sort it made would come in one repaint of the grid.
shows rows_before_ctrl "${data_area[@]}" || { xdotool keyup ctrl; fail "the rows changed while Ctrl was held: [$(rows_now)]"; }
changed name_title 233 55 60 16 || { xdotool keyup ctrl; fail "the 姓名 title shows no sort number beside the others"; }
say "ok: Ctrl+clicks mark the titles (姓名 gains its number) and leave the rows while Ctrl is held"
xdotool keyup ctrl
expect_rows "$by_name_number" "releasing Ctrl re-sorts once by 姓名 and then 准考证号, both descending"

# ============ 3. the editor ============
# The current record is still the first sheet, in the 姓名 column.
read -r current_place _ <<<"$asc"
current_name=$(sqlite3 "$work/small.db" "select xm from t_bm where zkzh='${ascending[$current_place]}'")
copy_current "$current_name" "Enter on the current cell"
rows_are "$by_name_number" || fail "the rows changed after Enter, Enter: [$(rows_now)] (the search ran again?)"
window_alive "after Enter in the grid"
say "ok: Enter opens the editor with the cell's value (copied by Ctrl+C), Enter closes it; the rows stay sorted"
# F2 opens it with the caret at the end; Ctrl+A selects, Ctrl+C copies. One column right: the answers.
answers=$(sqlite3 "$work/small.db" "select ttxx from t_omr where zkzh='${ascending[$current_place]}'")
keys Right
settle before_f2 "${data_area[@]}"
keys F2
poll 50 changed before_f2 "${data_area[@]}" || fail "F2 showed no editor"
xdotool key ctrl+a ctrl+c
poll 30 clipboard_is "$answers" || fail "F2, Ctrl+A, Ctrl+C copied '$(clipboard)', expected '$answers'"
xdotool key Escape
poll 50 shows before_f2 "${data_area[@]}" || fail "Escape did not close the editor"
say "ok: F2 opens the editor; Ctrl+A, Ctrl+C copy the answers; Escape closes it"

# ============ 4. moving and sizing columns ============
shot
lines=$(title_lines)
read -r _ border1 border2 _ <<<"$lines"
region 22 56 60 14 >"$work/caption1.pnm"
region $((border1 + 1)) 56 60 14 >"$work/caption2.pnm"
region 22 72 95 $((17 * K)) >"$work/cells1.pnm"
region $((border1 + 1)) 72 95 $((17 * K)) >"$work/cells2.pnm"
# A press on the first title, a move of more than 3 pixels, a release on the second.
xdotool mousemove --window "$window" 60 $title_y mousedown 1
xdotool mousemove --window "$window" 66 $title_y
xdotool mousemove --window "$window" 120 $title_y
xdotool mousemove --window "$window" $((border1 + 50)) $title_y
xdotool mouseup 1
moved() {
  shot
  read -r _ b1 _ <<<"$(title_lines)"
  [ "$b1" != "$border1" ] || return 1
  region 22 56 60 14 | cmp -s - "$work/caption2.pnm" && region $((b1 + 1)) 56 60 14 | cmp -s - "$work/caption1.pnm"
}
poll 50 moved || fail "dragging the 准考证号 title onto 报名号 did not swap their captions (borders now at $(title_lines), were $lines)"
read -r _ border1 _ <<<"$(title_lines)"
region 22 72 95 $((17 * K)) | cmp -s - "$work/cells2.pnm" \
  && region $((border1 + 1)) 72 95 $((17 * K)) | cmp -s - "$work/cells1.pnm" \
  || fail "after the column move the cells did not follow their titles"
say "ok: dragging a title onto the next swaps the two columns, titles and cells (borders $lines -> $(title_lines))"

shot
lines=$(title_lines)
read -r _ border1 border2 _ <<<"$lines"
xdotool mousemove --window "$window" "$border1" $title_y mousedown 1
xdotool mousemove --window "$window" $((border1 + 20)) $title_y
xdotool mousemove --window "$window" $((border1 + 40)) $title_y
xdotool mouseup 1
widened() { shot; read -r _ b1 b2 _ <<<"$(title_lines)"; [ "$b1" = $((border1 + 40)) ] && [ "$b2" = $((border2 + 40)) ]; }
poll 50 widened || fail "dragging the first title border 40 px right moved the borders from $lines to $(title_lines)"
region 22 72 95 $((17 * K)) | cmp -s - "$work/cells2.pnm" || fail "widening the first column changed its cells"
say "ok: dragging a title border 40 px right widens the column by 40 px (borders $lines -> $(title_lines))"
stop_host

# ============ 5. moving about a large database ============
wait "$maker_pid" || { sed 's/^/maker: /' "$work/maker.log"; maker_pid=; fail "could not make the $big_rows-row database"; }
maker_pid=
say "the large database is ready"
n=$(sqlite3 "$work/big.db" "select count(*) from t_omr")
# The n-th sheet of the whole table in the window's order (all numbers are between 0 and 9).
sheet() { sqlite3 "$work/big.db" "select $2 from ($(statement 0 9)) order by 准考证号 limit 1 offset $1"; }
start_host "$work/big.db"
settle blank 22 "$(row_top $((rows_visible - 1)))" 210 16
search 0 9
poll 900 changed blank 22 "$(row_top $((rows_visible - 1)))" 210 16 || fail "the search of all $n sheets showed no rows"
# A search this long shows the progress window; input goes to the form once it has gone
# and the form has the keyboard again, as a user sees it.
wait_until_gone '正在检索' 5 || fail "the progress window stayed after the search"
sleep 0.3
say "the search shows the first of $n sheets"
# The current cell: the first sheet's 准考证号 (a click on the second row, then Up).
click_at 60 "$(row_middle 1)"
keys Up
copy_current "$(sheet 0 准考证号)" "the first sheet after the search"
keep top "${data_area[@]}"

keys Next
poll 50 changed top "${data_area[@]}" || fail "PgDn did not change the rows"
copy_current "$(sheet $rows_visible 准考证号)" "PgDn moves $rows_visible records"
keys Prior
poll 50 shows top "${data_area[@]}" || fail "PgUp did not bring the first rows back"
copy_current "$(sheet 0 准考证号)" "PgUp moves back $rows_visible records"
keys Down Down
copy_current "$(sheet 2 准考证号)" "Down, Down"
keys Up
copy_current "$(sheet 1 准考证号)" "Up"
keys ctrl+End
poll 50 changed top "${data_area[@]}" || fail "Ctrl+End did not change the rows"
copy_current "$(sheet $((n - 1)) 准考证号)" "Ctrl+End goes to the last of $n sheets"
keys ctrl+Home
poll 50 shows top "${data_area[@]}" || fail "Ctrl+Home did not bring the first rows back"
copy_current "$(sheet 0 准考证号)" "Ctrl+Home goes to the first sheet"
say "ok: PgDn, PgUp, Down, Up, Ctrl+End and Ctrl+Home on $n sheets"

# The first row's 报名号 cell tells a scroll from a move of the current row (the current
# cell is in the 准考证号 column).
keep top_row 130 "$(row_top 0)" 100 16
xdotool mousemove --window "$window" 300 200
xdotool click --repeat 3 --delay 50 5
copy_current "$(sheet 3 准考证号)" "three wheel notches down"
shows top_row 130 "$(row_top 0)" 100 16 || fail "three notches down scrolled the rows (the current row should move instead)"
xdotool mousemove --window "$window" 300 200
xdotool click --repeat 20 --delay 20 5
poll 50 changed top_row 130 "$(row_top 0)" 100 16 || fail "23 notches down did not scroll the rows"
copy_current "$(sheet 23 准考证号)" "twenty more notches down"
xdotool mousemove --window "$window" 300 200
xdotool click --repeat 23 --delay 20 4
poll 50 shows top "${data_area[@]}" || fail "23 notches up did not bring the first rows back"
say "ok: the wheel moves one record a notch, and back"

keys End
copy_current "$(sheet 0 论文题题号)" "End goes to the last column"
keys Home
copy_current "$(sheet 0 准考证号)" "Home goes back to the first column"
# No column of the read-only grid is a tab stop: Tab goes round to the next record.
keys Tab
copy_current "$(sheet 1 准考证号)" "Tab goes to the next record"
keys Tab
copy_current "$(sheet 2 准考证号)" "Tab again"
say "ok: End, Home and Tab"
window_alive "at the end"
echo "PASS: error box before a search; sorting by clicks and Ctrl+clicks; the editor and copying; moving and sizing columns; keys and wheel on $n sheets"
