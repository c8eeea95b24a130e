#!/usr/bin/env bash
# Installs the given Debian packages as a user would (apt-get install ./….deb), runs the
# installed programs (the demo maker, the query tool, the host's screenshot), builds and
# runs a C host against the development package, then purges the packages and checks that
# no file of theirs is left and that the library cache forgot the runtime. Needs root, or
# sudo; exits non-zero on the first failure.
#   tools/check-installed-packages.sh PACKAGE.deb...
set -euo pipefail
fail() { echo "FAIL: $*"; exit 1; }
(($#)) || fail "no package given"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
# Other builds on the machine may hold dpkg's lock for a while.
apt=("${as_root[@]}" apt-get -y -qq -o DPkg::Lock::Timeout=600)
names=()
for deb in "$@"; do names+=("$(dpkg-deb --field "$deb" Package)"); done
work=$(mktemp -d /tmp/qelvor-installed.XXXXXX)
# A failed run must not leave the packages behind.
trap '"${apt[@]}" purge "${names[@]}" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

debs=()
for deb in "$@"; do debs+=("$(realpath "$deb")"); done
# Whatever an earlier run left is purged first, so that this run installs these files.
"${apt[@]}" purge "${names[@]}" >/dev/null 2>&1 || true
"${apt[@]}" install --no-install-recommends "${debs[@]}" >"$work/apt.log" 2>&1 ||
  fail "apt-get install failed: $(tail -n 20 "$work/apt.log")"
for name in "${names[@]}"; do
  dpkg-query -W -f='${Status}' "$name" | grep -q "install ok installed" || fail "$name is not installed"
done
# Read whole before searching: with pipefail, `ldconfig -p | grep -q` fails when grep
# stops at the match before ldconfig has written everything (SIGPIPE).
cache_lists_runtime() {
  ldconfig -p >"$work/cache"
  grep -q 'libqelvor_dbrt\.so\.3 ' "$work/cache"
}
cache_lists_runtime || fail "the ldconfig trigger did not add the runtime to the cache"

(
  cd "$work"
  export XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=offscreen LANG=C.UTF-8
  /usr/bin/qelvor-make-demo "$work/demo.db" --rows 300 >/dev/null || fail "the installed qelvor-make-demo failed"
  connection="Provider=SQLite;Data Source=$work/demo.db"
  /usr/bin/qelvor-query --connect "$connection" >"$work/query.txt" || fail "the installed qelvor-query failed"
  # A header line, then one line per answer sheet.
  [ "$(wc -l <"$work/query.txt")" = 301 ] || fail "qelvor-query printed $(wc -l <"$work/query.txt") lines, not 301"
  /usr/bin/qelvor-host --connect "$connection" --screenshot "$work/shot.png" >"$work/host.log" 2>&1 ||
    fail "the installed qelvor-host --screenshot failed: $(cat "$work/host.log")"
  [ -s "$work/shot.png" ] || fail "the installed host wrote no screenshot"
  # A C host built with the development package alone: header, link, runtime.
  cat >"$work/host.c" <<'C'
#include <qelvor/qelvor.h>
#include <stdio.h>
int main(int argc, char** argv)
{
    QelvorConnection* connection = QelvorOpenConnection(argv[argc - 1]);
    if (!connection) { fprintf(stderr, "%s\n", QelvorLastError()); return 1; }
    QelvorCloseConnection(connection);
    return 0;
}
C
  cc -o "$work/host" "$work/host.c" -lqelvor_dbrt || fail "a C host does not build against libqelvor-dev"
  "$work/host" "$connection" || fail "the C host could not open the demo database"
) || exit 1
echo "installed ${names[*]}; qelvor-make-demo, qelvor-query, qelvor-host --screenshot and a C host ran"

for name in "${names[@]}"; do dpkg-query -L "$name"; done | sort -u >"$work/files"
"${apt[@]}" purge "${names[@]}" >"$work/apt.log" 2>&1 || fail "apt-get purge failed: $(tail -n 20 "$work/apt.log")"
# dpkg keeps a folder only while it is shared with another package or holds other files.
while read -r path; do
  if [ -d "$path" ] && [ ! -L "$path" ]; then
    [ -n "$(ls -A "$path")" ] || fail "the purge left the empty folder $path"
  elif [ -e "$path" ] || [ -L "$path" ]; then
    fail "the purge left $path"
  fi
done <"$work/files"
cache_lists_runtime && fail "the library cache still lists the runtime after the purge"
echo "purged ${names[*]}: none of their $(wc -l <"$work/files") files left"
