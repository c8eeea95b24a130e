#!/usr/bin/env bash
# The mutation check: does the test suite catch realistic faults? Each patch in
# tests/mutants plants one fault; this script applies them one at a time to a scratch
# copy of the tree (its own build folder, rebuilt incrementally), runs the tests the
# patch names and, when those all pass, the whole suite; a mutant is killed when a test
# fails, times out or crashes. Prints killed or SURVIVED per mutant and the score; exits
# 1 when a mutant survived or did not build. Not part of CI: see README.md for its time.
#   tools/mutation-check.sh [PATCH...]     (default: every tests/mutants/*.patch)
#   QELVOR_MUTATION_DIR  scratch folder (default /tmp/qelvor-mutation-<tree name>); kept
#                        between runs, so that later runs rebuild only what changed
#   QELVOR_MUTATION_JOBS tests run at once (default 2)
# Like tools/test.sh it starts throwaway PostgreSQL and MariaDB servers for the database
# tests, unless QELVOR_TEST_ODBC, QELVOR_TEST_POSTGRES and QELVOR_TEST_MARIADB name servers
# already: without them those tests skip, and every mutant they should kill would survive.
#
# A patch starts with two header lines, then a diff of one small change:
#   # tests: CTEST-REGEX      the tests that should catch it
#   # fault: what the change breaks, as a user or caller would see it
set -euo pipefail
# One block, read whole before it runs: editing this file during a run cannot derail the run.
{
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=${QELVOR_MUTATION_DIR:-/tmp/qelvor-mutation-$(basename "$root")}
jobs=${QELVOR_MUTATION_JOBS:-2}
src=$scratch/src
build=$scratch/build
log=$scratch/log
started=$SECONDS

patches=()
# Absolute paths: the patches are applied from inside the scratch copy.
for patch in "$@"; do
  [ -f "$patch" ] || { echo "$patch: no such patch"; exit 2; }
  patches+=("$(realpath "$patch")")
done
[ ${#patches[@]} -gt 0 ] || patches=("$root"/tests/mutants/*.patch)
for patch in "${patches[@]}"; do
  grep -q '^# tests: ' "$patch" || { echo "$patch: no '# tests:' line"; exit 2; }
done

say() { printf '[%4ds] %s\n' $((SECONDS - started)) "$*"; }

# The scratch copy mirrors the tree (committed or not). Files are copied only when their
# content differs, and without their times: a copied file is newer than what was built
# from it, so the build notices.
mkdir -p "$src" "$build" "$log"
rsync -r -l --checksum --delete --exclude='/build*/' --exclude='/.git' "$root/" "$src/"
"$root/tools/install-dependencies.sh" >/dev/null
# Warnings are not errors here: a mutant that only adds a warning is still a fault to catch.
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQELVOR_WERROR=OFF >"$log/configure.txt"
# The database servers, as tools/test.sh starts them (the scripts of the tree, not of the
# copy a mutant may be applied to).
servers=()
stop_servers() {
  local entry
  for entry in "${servers[@]}"; do "$root/tests/support/${entry%%:*}.sh" stop "${entry#*:}" || true; done
}
trap stop_servers EXIT
if [ -z "${QELVOR_TEST_ODBC:-}" ] || [ -z "${QELVOR_TEST_POSTGRES:-}" ]; then
  pg_dir=$(mktemp -d /tmp/qelvor-mutation-pg.XXXXXX)
  servers+=("postgres:$pg_dir")
  QELVOR_TEST_ODBC=$("$root/tests/support/postgres.sh" start "$pg_dir" $$)
  # The same server through the native provider.
  QELVOR_TEST_POSTGRES=${QELVOR_TEST_ODBC/Driver=\{PostgreSQL Unicode\}/Provider=PostgreSQL}
fi
if [ -z "${QELVOR_TEST_MARIADB:-}" ]; then
  maria_dir=$(mktemp -d /tmp/qelvor-mutation-mariadb.XXXXXX)
  servers+=("mariadb:$maria_dir")
  QELVOR_TEST_MARIADB=$("$root/tests/support/mariadb.sh" start "$maria_dir")
fi
# A server test that cannot reach its server fails rather than skips.
export QELVOR_TEST_ODBC QELVOR_TEST_POSTGRES QELVOR_TEST_MARIADB QELVOR_REQUIRE_ODBC=1

say "building the scratch copy in $build (the first run builds everything)"
cmake --build "$build" -j"$(nproc)" >"$log/build.txt" 2>&1 || { tail -30 "$log/build.txt"; echo "the unchanged tree does not build"; exit 2; }

# The build outputs the named tests run (test programs, and the host the end-to-end
# scripts take as argument), as paths inside the build folder.
outputs_of() {
  ctest --test-dir "$build" -R "$1" --show-only=json-v1 2>/dev/null | python3 -c '
import json, os, sys
build = sys.argv[1]
seen = set()
for test in json.load(sys.stdin).get("tests", []):
    for arg in test.get("command", []):
        if arg.startswith(build + "/") and os.access(arg, os.X_OK) and arg not in seen:
            seen.add(arg)
            print(os.path.relpath(arg, build))
' "$build"
}

# The first few failed tests of a ctest log.
failed_in() { sed -n '/tests FAILED:/,$p' "$1" | grep -oP '^\s+\d+ - \K\S+' | head -3 | paste -sd, -; }

killed=0
survived=()
broken=()
for patch in "${patches[@]}"; do
  name=$(basename "$patch" .patch)
  regex=$(sed -n 's/^# tests: //p' "$patch" | head -1)
  if ! (cd "$src" && git apply "$patch" 2>/dev/null); then
    say "NOT APPLIED $name (the code it changes has changed: renew the patch)"
    broken+=("$name")
    continue
  fi
  result=
  mapfile -t targets < <(outputs_of "$regex")
  if [ ${#targets[@]} -eq 0 ]; then
    say "no test matches '$regex' for $name"
  fi
  if ! cmake --build "$build" -j"$(nproc)" --target "${targets[@]:-all}" >"$log/$name.build.txt" 2>&1; then
    result="did not build"
  elif ! ctest --test-dir "$build" -R "$regex" -j"$jobs" --timeout 300 >"$log/$name.tests.txt" 2>&1; then
    result="killed by $(failed_in "$log/$name.tests.txt")"
  else
    # Survived its own tests: the whole suite gets its chance.
    if ! cmake --build "$build" -j"$(nproc)" >>"$log/$name.build.txt" 2>&1; then
      result="did not build"
    elif ! ctest --test-dir "$build" -j"$jobs" --timeout 300 >"$log/$name.suite.txt" 2>&1; then
      result="killed by the suite: $(failed_in "$log/$name.suite.txt") (name them in the patch)"
    else
      result=SURVIVED
    fi
  fi
  (cd "$src" && git apply -R "$patch")
  case "$result" in
    killed*) killed=$((killed + 1)); say "killed    $name: ${result#killed }" ;;
    SURVIVED) survived+=("$name"); say "SURVIVED  $name" ;;
    *) broken+=("$name"); say "BROKEN    $name: $result (see $log/$name.build.txt)" ;;
  esac
done

total=${#patches[@]}
echo
echo "score: $killed of $total mutants killed ($((100 * killed / total))%) in $((SECONDS - started)) s"
[ ${#survived[@]} -eq 0 ] || echo "survived: ${survived[*]}"
[ ${#broken[@]} -eq 0 ] || echo "did not apply or build: ${broken[*]}"
[ ${#survived[@]} -eq 0 ] && [ ${#broken[@]} -eq 0 ]
exit
}
