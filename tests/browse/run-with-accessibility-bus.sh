#!/usr/bin/env bash
# Runs a command with a private D-Bus session and the accessibility bus, with Qt's
# accessibility on although no screen reader is registered; exits with its status.
# Offscreen, Qt never turns accessibility on, so accessibility events can only be
# observed this way.
#   run-with-accessibility-bus.sh COMMAND [ARGUMENTS...]
set -euo pipefail
[ -x /usr/libexec/at-spi-bus-launcher ] || { echo "FAIL: at-spi2-core is not installed (tools/install-dependencies.sh)"; exit 1; }
eval "$(dbus-daemon --session --fork --print-address=1 --print-pid=1 | {
  read -r address; read -r pid; echo "export DBUS_SESSION_BUS_ADDRESS='$address'; dbus_pid=$pid"; })"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
launcher_pid=$!
trap 'kill "$launcher_pid" "$dbus_pid" 2>/dev/null || true' EXIT
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$@"
