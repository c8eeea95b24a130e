#!/usr/bin/env bash
# Installs what is missing, builds (warnings as errors), starts a throwaway PostgreSQL
# server, runs the whole test suite, then installs into a scratch prefix and checks the
# Debian package (tools/check-package.sh). Exits non-zero when anything fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# A warning is a fault CI stops on.
QELVOR_WERROR=1 "$root/tools/build.sh"
build_dir=${QELVOR_BUILD_DIR:-$root/build}

export LANG=C.UTF-8 LC_ALL=C.UTF-8
# Only read by sanitizer builds (QELVOR_SANITIZE=1): system-library leaks are not ours.
export LSAN_OPTIONS=suppressions=$root/tests/support/lsan.supp
pg_dir=$(mktemp -d /tmp/qelvor-pg.XXXXXX)
trap '"$root/tests/support/postgres.sh" stop "$pg_dir"' EXIT
QELVOR_TEST_ODBC=$("$root/tests/support/postgres.sh" start "$pg_dir")
export QELVOR_TEST_ODBC
# CI must never skip the server tests.
export QELVOR_REQUIRE_ODBC=1

cd "$build_dir"
ctest --output-on-failure -j"$(nproc)" --timeout 600
# The installation and the Debian package.
"$root/tools/check-package.sh" "$build_dir"
