# Sourced by the scripts that run a program in a real X server: checks the X tools,
# makes a scratch folder ($work), starts Xvfb (1024x768, or QELVOR_E2E_SCREEN such as
# 640x480) on a free display, exports DISPLAY and brings in the window searches of
# xwindows.sh. With QELVOR_E2E_WM=openbox
# it also starts that window manager, which decorates, places and activates the windows
# as a user's desktop does. On exit it stops the program under test ($host_pid, once
# set), the window manager and the X server and removes the folder.
# `fail MESSAGE` prints the message and the program's log ($work/host.log) and exits 1.
# `screen_region X Y W H` prints that part of the screen as a PNM image, read from the
# server's frame buffer: what the user sees. (Reading the screen with GetImage, as xwd
# does, gave black for a window lying wholly inside another window of the same client,
# though the frame buffer held it correctly painted.)
#   source tests/support/xserver.sh PREFIX     (PREFIX names the scratch folder)
for tool in Xvfb xdotool xdpyinfo xwininfo xprop xwdtopnm pnmdepth pnmcut; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (tools/install-dependencies.sh)"; exit 1; }
done

work=$(mktemp -d "/tmp/$1.XXXXXX")
source "$(dirname "${BASH_SOURCE[0]}")/xwindows.sh"
cleanup() {
  [ -n "${host_pid:-}" ] && kill "$host_pid" 2>/dev/null || true
  [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
screen_region() {
  xwdtopnm "$work/Xvfb_screen0" 2>/dev/null | pnmdepth 255 | pnmcut -left "$1" -top "$2" -width "$3" -height "$4"
}
fail() { echo "FAIL: $*"; [ -f "$work/host.log" ] && sed 's/^/host: /' "$work/host.log"; exit 1; }

# A display number nobody uses.
number=90
while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
export DISPLAY=:$number
Xvfb "$DISPLAY" -screen 0 "${QELVOR_E2E_SCREEN:-1024x768}x24" -fbdir "$work" -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start on $DISPLAY"

case "${QELVOR_E2E_WM:-}" in
"") ;;
openbox)
  command -v openbox >/dev/null || fail "openbox is not installed (tools/install-dependencies.sh)"
  openbox --sm-disable >"$work/wm.log" 2>&1 &
  wm_pid=$!
  # It manages the screen once it has set the window manager's check window on the root.
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
  done
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || fail "openbox did not start"
  ;;
*) fail "unknown window manager QELVOR_E2E_WM=$QELVOR_E2E_WM" ;;
esac
