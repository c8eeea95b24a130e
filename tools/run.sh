#!/usr/bin/env bash
# Installs what is missing, builds, and runs the host program with the browse window
# open on the embedded demo database. Extra arguments go to qelvor-host.
# Without a display it says so and writes a screenshot of the browse window instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/build.sh"
host=${QELVOR_BUILD_DIR:-$root/build}/bin/qelvor-host
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  shot=$root/build/browse-window.png
  echo "No display found (DISPLAY is not set): writing a screenshot of the browse window to $shot instead."
  QT_QPA_PLATFORM=offscreen exec "$host" --browse --screenshot "$shot" "$@"
fi
exec "$host" --browse "$@"
