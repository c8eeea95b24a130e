#!/usr/bin/env bash
# Installs what is missing, builds (warnings as errors), starts throwaway PostgreSQL and
# MariaDB servers and runs the whole test suite; installs into a scratch prefix and checks
# the Debian packages (tools/check-package.sh: lintian, then installed, used and purged, as
# root or through sudo); then builds and runs the suite again under
# the address and undefined-behaviour sanitizers (leak detection on, any report fails),
# runs the tests that start threads under the thread sanitizer,
# and runs each fuzz target briefly. Exits non-zero when anything fails or is reported.
#   QELVOR_SANITIZE_BUILD_DIR   sanitizer build folder (default: build-sanitize)
#   QELVOR_TSAN_BUILD_DIR       thread-sanitizer build folder (default: build-tsan)
#   QELVOR_FUZZ_SECONDS         seconds per fuzz target (default: 20; 0 skips fuzzing)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# A warning is a fault CI stops on.
QELVOR_WERROR=1 "$root/tools/build.sh"
build_dir=${QELVOR_BUILD_DIR:-$root/build}

export LANG=C.UTF-8 LC_ALL=C.UTF-8
# Only read by sanitizer builds (QELVOR_SANITIZE=1): system-library leaks are not ours.
# The leak checker crashes reading the dynamic thread-local storage of a Qt D-Bus thread
# that is alive at exit (a foreign host's exit, about one run in three); without tracking
# that storage it has fewer roots, so it can only report more, never hide a leak.
export LSAN_OPTIONS=suppressions=$root/tests/support/lsan.supp:intercept_tls_get_addr=0
pg_dir=$(mktemp -d /tmp/qelvor-pg.XXXXXX)
maria_dir=$(mktemp -d /tmp/qelvor-mariadb.XXXXXX)
trap '"$root/tests/support/postgres.sh" stop "$pg_dir"; "$root/tests/support/mariadb.sh" stop "$maria_dir"' EXIT
QELVOR_TEST_ODBC=$("$root/tests/support/postgres.sh" start "$pg_dir")
# The same server through the native provider.
QELVOR_TEST_POSTGRES=${QELVOR_TEST_ODBC/Driver=\{PostgreSQL Unicode\}/Provider=PostgreSQL}
export QELVOR_TEST_ODBC QELVOR_TEST_POSTGRES
QELVOR_TEST_MARIADB=$("$root/tests/support/mariadb.sh" start "$maria_dir")
# The same server through the native provider; its Unix socket for the tests that connect
# through it (a TCP server address leaves it unused).
QELVOR_TEST_MARIADB_NATIVE="${QELVOR_TEST_MARIADB/Driver=\{MariaDB Unicode\}/Provider=MariaDB};Socket=$maria_dir/socket"
export QELVOR_TEST_MARIADB QELVOR_TEST_MARIADB_NATIVE
# CI must never skip the server tests.
export QELVOR_REQUIRE_ODBC=1

cd "$build_dir"
ctest --output-on-failure -j"$(nproc)" --timeout 600

# The installation and the Debian packages.
"$root/tools/check-package.sh" "$build_dir"

# The same suite under the sanitizers. A report ends the process that made it, which
# fails its test: UBSan stops at the first finding, LSan reports leaks at exit.
sanitize_dir=${QELVOR_SANITIZE_BUILD_DIR:-$root/build-sanitize}
QELVOR_SANITIZE=1 QELVOR_BUILD_DIR="$sanitize_dir" "$root/tools/build.sh"
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cd "$sanitize_dir"
ctest --output-on-failure -j"$(nproc)" --timeout 1200
unset ASAN_OPTIONS UBSAN_OPTIONS

# The tests that start threads (ctest label "threads") under the thread sanitizer, from
# a build of their own; any report fails the test that made it. Qt is not built with the
# sanitizer: it hands memory between its own threads (the image pools of Qt Gui) under
# locks the sanitizer cannot see, so the copies and frees Qt's libraries make are not
# checked (ignore_noninstrumented_modules); every access our code makes still is.
tsan_dir=${QELVOR_TSAN_BUILD_DIR:-$root/build-tsan}
QELVOR_SANITIZE=thread QELVOR_BUILD_DIR="$tsan_dir" QELVOR_BUILD_TARGETS="qelvor_long_work_tests qelvor_statement_watch_tests qelvor_quit_during_wait_tests qelvor_record_store_tests" "$root/tools/build.sh"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1"
cd "$tsan_dir"
# The search-and-cancel stress test runs a shorter round here (100 cycles in the plain run).
QELVOR_CANCEL_CYCLES=20 ctest --output-on-failure -L threads --timeout 1200
unset TSAN_OPTIONS

fuzz_seconds=${QELVOR_FUZZ_SECONDS:-20}
if [ "$fuzz_seconds" != 0 ]; then
  "$root/tools/fuzz.sh" all "$fuzz_seconds"
fi
