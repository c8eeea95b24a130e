#!/usr/bin/env bash
# Installs a built tree into a scratch prefix and runs the installed host from there (it
# must find its module and runtime on its own), then makes the Debian package and checks
# its contents and dependencies. Exits non-zero on the first failure.
#   tools/check-package.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-${QELVOR_BUILD_DIR:-$root/build}}
work=$(mktemp -d /tmp/qelvor-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

prefix=$work/prefix
cmake --install "$build_dir" --prefix "$prefix" >/dev/null
for file in bin/qelvor-host bin/qelvor-query bin/qelvor-make-demo lib/libqelvor_dbrt.so lib/libqelvor_dbrt.so.3 \
            lib/qelvor/libQELVORDLL.so include/qelvor/qelvor.h; do
  [ -e "$prefix/$file" ] || fail "the installation lacks $file"
done
# Away from the build tree: the host finds the module and the runtime relative to itself.
(
  cd "$work"
  export XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=offscreen LANG=C.UTF-8
  "$prefix/bin/qelvor-make-demo" "$work/demo.db" --rows 200 >/dev/null
  "$prefix/bin/qelvor-host" --connect "Provider=SQLite;Data Source=$work/demo.db" --screenshot "$work/shot.png" >/dev/null
) || fail "the installed qelvor-host --screenshot failed"
[ -s "$work/shot.png" ] || fail "the installed host wrote no screenshot"
runtime=$(ldd "$prefix/bin/qelvor-host" | awk '/libqelvor_dbrt/ { print $3 }')
[ "$(realpath "$runtime")" = "$(realpath "$prefix/lib/libqelvor_dbrt.so")" ] ||
  fail "the installed host uses the runtime at $runtime, not the installed one"
# Hosts and the module ask for the runtime by its versioned name.
for linked in bin/qelvor-host lib/qelvor/libQELVORDLL.so; do
  grep -q 'NEEDED *libqelvor_dbrt\.so\.3$' <<<"$(objdump -p "$prefix/$linked")" ||
    fail "$linked does not ask for libqelvor_dbrt.so.3"
done
echo "installed into a scratch prefix; qelvor-host --screenshot ran from there"

(cd "$build_dir" && cpack -G DEB -B "$work/package" >/dev/null) || fail "cpack could not make the package"
package=$(ls "$work"/package/qelvor_*.deb 2>/dev/null | head -n 1)
[ -n "$package" ] || fail "no Debian package was made"
contents=$(dpkg-deb --contents "$package")
for file in ./usr/bin/qelvor-host ./usr/bin/qelvor-query ./usr/bin/qelvor-make-demo ./usr/lib/libqelvor_dbrt.so \
            ./usr/lib/libqelvor_dbrt.so.3 ./usr/lib/qelvor/libQELVORDLL.so ./usr/include/qelvor/qelvor.h; do
  grep -q " $file\( -> .*\)\?\$" <<<"$contents" || fail "the package lacks $file"
done
depends=$(dpkg-deb --field "$package" Depends)
for dependency in libqt6widgets6 qt6-qpa-plugins libsqlite3-0 libodbc2 libpq5 libicu72 fonts-wqy-zenhei; do
  grep -q "\b$dependency\b" <<<"$depends" || fail "the package does not depend on $dependency (Depends: $depends)"
done
echo "package $(basename "$package"): contents and dependencies as expected"
