#!/usr/bin/env bash
# Installs what is missing, builds, starts throwaway PostgreSQL and MariaDB servers and
# runs the whole test suite. Exits non-zero when any test fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/build.sh"
build_dir=${QELVOR_BUILD_DIR:-$root/build}

export LANG=C.UTF-8 LC_ALL=C.UTF-8
# Only read by sanitizer builds (QELVOR_SANITIZE=1): system-library leaks are not ours.
export LSAN_OPTIONS=suppressions=$root/tests/support/lsan.supp
pg_dir=$(mktemp -d /tmp/qelvor-pg.XXXXXX)
maria_dir=$(mktemp -d /tmp/qelvor-mariadb.XXXXXX)
trap '"$root/tests/support/postgres.sh" stop "$pg_dir"; "$root/tests/support/mariadb.sh" stop "$maria_dir"' EXIT
QELVOR_TEST_ODBC=$("$root/tests/support/postgres.sh" start "$pg_dir")
# The same server through the native provider.
QELVOR_TEST_POSTGRES=${QELVOR_TEST_ODBC/Driver=\{PostgreSQL Unicode\}/Provider=PostgreSQL}
export QELVOR_TEST_ODBC QELVOR_TEST_POSTGRES
QELVOR_TEST_MARIADB=$("$root/tests/support/mariadb.sh" start "$maria_dir")
export QELVOR_TEST_MARIADB
# CI must never skip the server tests.
export QELVOR_REQUIRE_ODBC=1

cd "$build_dir"
ctest --output-on-failure -j"$(nproc)" --timeout 600
