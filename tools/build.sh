#!/usr/bin/env bash
# Installs what is missing and builds the project into build/ (release with debug info).
#   QELVOR_BUILD_DIR    build folder (default: build)
#   QELVOR_SANITIZE=1   build with the address and undefined-behaviour sanitizers
#   QELVOR_SANITIZE=thread  build with the thread sanitizer (use a build folder of its own)
#   QELVOR_WERROR=1|0   treat compiler warnings as errors, or not (the test command sets 1);
#                       unset, the build folder keeps what it was configured with, so a
#                       run after a test run rebuilds nothing instead of everything
#   QELVOR_BUILD_TARGETS  build only these targets (blank-separated; default: all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-dependencies.sh"
build_dir=${QELVOR_BUILD_DIR:-$root/build}
sanitize=OFF
[ "${QELVOR_SANITIZE:-0}" = 1 ] && sanitize=ON
[ "${QELVOR_SANITIZE:-0}" = thread ] && sanitize=thread
werror=()
case "${QELVOR_WERROR:-}" in
  1) werror=(-DQELVOR_WERROR=ON) ;;
  0) werror=(-DQELVOR_WERROR=OFF) ;;
esac
cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQELVOR_SANITIZE=$sanitize \
  "${werror[@]}" >/dev/null
targets=()
for target in ${QELVOR_BUILD_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "$build_dir" -j"$(nproc)" "${targets[@]}"
