#!/usr/bin/env bash
# Runs a command against a private X server (1024x768, 24 bits) on a free display
# and stops the server afterwards; exits with the command's status.
#   run-under-xvfb.sh COMMAND [ARGUMENTS...]
set -euo pipefail
command -v Xvfb >/dev/null || { echo "FAIL: Xvfb is not installed (tools/install-dependencies.sh)"; exit 1; }
number=100
while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
Xvfb ":$number" -screen 0 1024x768x24 -noreset >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.05; done
DISPLAY=":$number" QT_QPA_PLATFORM=xcb "$@"
