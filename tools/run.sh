#!/usr/bin/env bash
# Installs what is missing, builds, and runs the host program with the browse window
# open on the embedded demo database. Extra arguments go to qelvor-host.
# Without a display it says so and writes a screenshot of the browse window instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/build.sh"
host=${QELVOR_BUILD_DIR:-$root/build}/bin/qelvor-host
# A display is usable when a Wayland one is named or the X server answers.
display_usable() {
  [ -n "${WAYLAND_DISPLAY:-}" ] && return 0
  [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}
if ! display_usable; then
  shot=${QELVOR_BUILD_DIR:-$root/build}/browse-window.png
  if [ -z "${DISPLAY:-}" ]; then
    echo "No display found (DISPLAY is not set)."
  else
    echo "The display $DISPLAY does not answer."
  fi
  echo "Writing a screenshot of the browse window, made offscreen, to $shot instead."
  QT_QPA_PLATFORM=offscreen exec "$host" --browse --screenshot "$shot" "$@"
fi
exec "$host" --browse "$@"
