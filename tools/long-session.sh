#!/usr/bin/env bash
# Runs the randomised long session in the browse window for as many actions as asked.
#   tools/long-session.sh [ACTIONS] [SEED]   (default 50000 actions, a fresh seed)
# The seed is printed; run again with it to replay a failure. Needs a built tree (tools/build.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${QELVOR_BUILD_DIR:-$root/build}
export LANG=C.UTF-8 QELVOR_SESSION_ACTIONS=${1:-50000}
[ -n "${2:-}" ] && export QELVOR_SESSION_SEED=$2
exec "$build_dir/bin/qelvor_fault_tests" --gtest_filter='LongSessionTest.*'
