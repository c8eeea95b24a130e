#!/usr/bin/env bash
# Builds the fuzz targets (clang's libFuzzer with the address and undefined-behaviour
# sanitizers, runtime/ and data/ only) and runs each for the seconds given. Seeds come
# from fuzz/corpus/TARGET (left as they are); what a run adds goes to the build folder.
# A finding (crash-*, timeout-*, leak-*, oom-*) is kept in BUILD/findings/TARGET and
# makes the exit status non-zero. Replay one with: BUILD/bin/fuzz_TARGET FILE
#   tools/fuzz.sh [TARGET|all] [SECONDS]     default: all targets, 25 s each
#   QELVOR_FUZZ_BUILD_DIR                    build folder (default: build-fuzz)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-dependencies.sh"
build_dir=${QELVOR_FUZZ_BUILD_DIR:-$root/build-fuzz}
cmake -S "$root/fuzz" -B "$build_dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build_dir" -j"$(nproc)"

targets=(sort_text parameter_scan search_statement connection_string sqlite_execute column_block)
[ "${1:-all}" = all ] || targets=("$1")
seconds=${2:-25}
status=0
for target in "${targets[@]}"; do
  findings=$build_dir/findings/$target
  corpus=$build_dir/corpus/$target
  mkdir -p "$findings" "$corpus"
  # Statements may write files (ATTACH, VACUUM INTO): the target runs inside its folder.
  if (cd "$findings" && "$build_dir/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "$root/fuzz/corpus/$target" >"$findings/log" 2>&1); then
    echo "fuzz_$target: ${seconds} s, $(grep -o 'stat::number_of_executed_units: [0-9]*' "$findings/log" | grep -o '[0-9]*$') runs, nothing found"
  else
    echo "fuzz_$target: FOUND A FAULT"
    tail -n 60 "$findings/log"
    status=1
  fi
done
exit "$status"
