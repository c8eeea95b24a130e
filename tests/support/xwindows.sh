# Sourced by every script that looks for windows in an X server. xdotool walks the whole
# window tree to search; a window destroyed during the walk (a menu closing, a box going
# away) ends the search with an X error (BadWindow). That is no answer, so the search is
# repeated. Uses $work, when set, for the search's error output.
#   visible_windows REGEX            ids of the visible windows so named; status 1 if none
#   window_shown REGEX               status 0 if such a window is visible
#   wait_for_window REGEX SECONDS    the first such window's id once one is visible
#   wait_until_gone REGEX SECONDS    status 0 once no such window is visible
#   error_box                        the id of a visible error box (titled as the host window,
#                                    考务管理, and transient for a window); status 1 if none
#   wait_for_error_box SECONDS       status 0 once an error box is visible
#   no_error_box                     status 0 if no error box is visible
#   window_geometry WINDOW           prints X= Y= WIDTH= HEIGHT= CLIENT_X= CLIENT_Y= for eval:
#                                    the client area's size, where the window was placed
#                                    (the outer corner of its frame under a window
#                                    manager) and where its client area is

visible_windows() {
  local ids status errors=${work:-/tmp}/xdotool-search.$$.err
  for _ in $(seq 20); do
    status=0
    ids=$(xdotool search --onlyvisible --name "$1" 2>"$errors") || status=$?
    if grep -q 'X Error' "$errors"; then sleep 0.05; continue; fi
    rm -f "$errors"
    [ "$status" = 0 ] && [ -n "$ids" ] && { printf '%s\n' "$ids"; return 0; }
    return 1
  done
  echo "xdotool kept failing with X errors: $(cat "$errors")" >&2
  return 1
}

window_shown() { visible_windows "$1" >/dev/null; }

error_box() {
  local w
  for w in $(visible_windows '^考务管理$' 2>/dev/null); do
    xprop -id "$w" WM_TRANSIENT_FOR 2>/dev/null | grep -q 'window id' && { echo "$w"; return 0; }
  done
  return 1
}
wait_for_error_box() { for _ in $(seq $(($1 * 10))); do error_box && return 0; sleep 0.1; done; return 1; }
no_error_box() { ! error_box >/dev/null; }

wait_for_window() {
  local ids
  for _ in $(seq $(($2 * 10))); do
    if ids=$(visible_windows "$1"); then printf '%s\n' "${ids%%$'\n'*}"; return 0; fi
    sleep 0.1
  done
  return 1
}

wait_until_gone() {
  for _ in $(seq $(($2 * 10))); do
    window_shown "$1" || return 0
    sleep 0.1
  done
  return 1
}

# xwininfo, not xdotool, which counts a decorated window's frame offset twice.
window_geometry() {
  local info left=0 top=0 extents
  info=$(xwininfo -id "$1") || return 1
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.* = \([0-9]*\), [0-9]*, \([0-9]*\), [0-9]*$/\1 \2/p')
  [ -n "$extents" ] && read -r left top <<<"$extents"
  awk -v left="$left" -v top="$top" '
    /Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
    /Width:/ { w = $NF } /Height:/ { h = $NF }
    END { printf "X=%d\nY=%d\nWIDTH=%d\nHEIGHT=%d\nCLIENT_X=%d\nCLIENT_Y=%d\n", x - left, y - top, w, h, x, y }' <<<"$info"
}
