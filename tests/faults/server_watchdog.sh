#!/usr/bin/env bash
# A throwaway server started for an owner process stops when the owner is killed, as a
# time-out kills a test or a benchmark (its clean-up never runs).
#   server_watchdog.sh POSTGRES_SCRIPT
set -euo pipefail
script=$1
ls -d /usr/lib/postgresql/*/bin >/dev/null 2>&1 || { echo "SKIP: no PostgreSQL server binaries"; exit 77; }
dir=$(mktemp -d /tmp/qelvor-pg-watchdog.XXXXXX)
sleep 300 &
owner=$!
bash "$script" start "$dir" "$owner" >/dev/null
server=$(head -n 1 "$dir/data/postmaster.pid")
kill -0 "$server" || { echo "FAIL: the server did not start"; exit 1; }
kill -9 "$owner"
wait "$owner" 2>/dev/null || true
for _ in $(seq 1 40); do
  if ! kill -0 "$server" 2>/dev/null; then
    [ ! -e "$dir" ] || { echo "FAIL: the server's folder was left"; exit 1; }
    echo "PASS: the server stopped after its owner was killed"
    exit 0
  fi
  sleep 0.25
done
bash "$script" stop "$dir"
echo "FAIL: the server still ran 10 s after its owner was killed"
exit 1
