#!/usr/bin/env bash
# Installs a built tree into a scratch prefix and runs the installed host from there (it
# must find its module and runtime on its own); then makes the Debian packages, checks
# their contents, dependencies, stripped binaries, debugging symbols, manual pages and
# desktop entry, runs lintian on every one (an error, or a warning that is not overridden,
# fails), and installs, uses and purges them (tools/check-installed-packages.sh).
# Exits non-zero on the first failure.
#   tools/check-package.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-${QELVOR_BUILD_DIR:-$root/build}}
work=$(mktemp -d /tmp/qelvor-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
libdir=lib/$(gcc -print-multiarch)

# --- a scratch prefix ---
prefix=$work/prefix
cmake --install "$build_dir" --prefix "$prefix" >/dev/null
for file in bin/qelvor-host bin/qelvor-query bin/qelvor-make-demo "$libdir/libqelvor_dbrt.so" \
            "$libdir/libqelvor_dbrt.so.3" "$libdir/qelvor/libQELVORDLL.so" include/qelvor/qelvor.h \
            share/man/man1/qelvor-host.1.gz share/applications/qelvor-host.desktop; do
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
[ "$(realpath "$runtime")" = "$(realpath "$prefix/$libdir/libqelvor_dbrt.so")" ] ||
  fail "the installed host uses the runtime at $runtime, not the installed one"
# Hosts and the module ask for the runtime by its versioned name.
for linked in bin/qelvor-host "$libdir/qelvor/libQELVORDLL.so"; do
  grep -q 'NEEDED *libqelvor_dbrt\.so\.3$' <<<"$(objdump -p "$prefix/$linked")" ||
    fail "$linked does not ask for libqelvor_dbrt.so.3"
done
# Each manual page describes every option its program's --help lists.
for program in qelvor-host qelvor-query qelvor-make-demo; do
  help=$("$prefix/bin/$program" --help) || fail "$program --help failed"
  # The items of the page's lists (the line after each .TP), with \- read as -.
  items=$(zcat "$prefix/share/man/man1/$program.1.gz" | sed 's/\\-/-/g' | awk 'after == ".TP" { print } { after = $0 }')
  options=$(grep -oE -- '^ +(-[a-z], )?--[a-z-]+' <<<"$help" | grep -oE -- '--[a-z-]+') ||
    fail "$program --help lists no option"
  for option in $options; do
    grep -qE -- "$option([^a-z-]|\$)" <<<"$items" || fail "the manual page of $program does not describe $option"
  done
done
echo "installed into a scratch prefix; qelvor-host --screenshot ran from there; manual pages cover --help"

# --- the packages ---
(cd "$build_dir" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) ||
  fail "cpack could not make the packages: $(tail -n 30 "$work/cpack.log")"
packages=$work/package
version=$(dpkg-parsechangelog -l "$root/packaging/changelog" -S Version)
arch=$(dpkg --print-architecture)
deb() { echo "$packages/${1}_${version}_$arch.deb"; }
for package in libqelvor-dbrt3 libqelvor-dev qelvor-module qelvor; do
  [ -f "$(deb "$package")" ] || fail "no package $package $version (made: $(cd "$packages" && echo *.deb))"
done

# Contents: each package holds its files, its copyright and changelog; nothing else holds them.
expect_files() {
  local package=$1 contents file
  shift
  contents=$(dpkg-deb --contents "$(deb "$package")")
  for file in "$@" "usr/share/doc/$package/copyright" "usr/share/doc/$package/changelog.Debian.gz"; do
    grep -q " \./$file\( -> .*\)\?\$" <<<"$contents" || fail "$package lacks /$file"
  done
}
expect_files libqelvor-dbrt3 "usr/$libdir/libqelvor_dbrt.so.3" "usr/$libdir/libqelvor_dbrt.so.3.0"
expect_files libqelvor-dev "usr/$libdir/libqelvor_dbrt.so" usr/include/qelvor/qelvor.h
expect_files qelvor-module "usr/$libdir/qelvor/libQELVORDLL.so"
expect_files qelvor usr/bin/qelvor-host usr/bin/qelvor-query usr/bin/qelvor-make-demo \
  usr/share/man/man1/qelvor-host.1.gz usr/share/man/man1/qelvor-query.1.gz usr/share/man/man1/qelvor-make-demo.1.gz \
  usr/share/applications/qelvor-host.desktop usr/share/icons/hicolor/scalable/apps/qelvor-host.svg
dpkg-deb --contents "$(deb libqelvor-dbrt3)" | grep -q '\.so$' && fail "libqelvor-dbrt3 holds the unversioned link"

# Dependencies: the scan's libraries, what is only loaded at run time, and our own packages.
expect_depends() {
  local package=$1 depends dependency
  shift
  depends=$(dpkg-deb --field "$(deb "$package")" Depends)
  for dependency in "$@"; do
    grep -qF -- "$dependency" <<<"$depends" || fail "$package does not depend on $dependency (Depends: $depends)"
  done
}
exact="(= $version)"
expect_depends libqelvor-dbrt3 libsqlite3-0 libodbc2 libpq5 libmariadb3 libicu72
expect_depends libqelvor-dev "libqelvor-dbrt3 $exact"
expect_depends qelvor-module "libqelvor-dbrt3 $exact" libqt6widgets6 qt6-qpa-plugins fonts-wqy-zenhei fonts-liberation
expect_depends qelvor "libqelvor-dbrt3 $exact" "qelvor-module $exact" libqt6widgets6
# The runtime tells dpkg-shlibdeps who provides its soname, and has ldconfig run by trigger.
control=$work/control
dpkg-deb --control "$(deb libqelvor-dbrt3)" "$control"
grep -qx "libqelvor_dbrt 3 libqelvor-dbrt3 (>= $version)" "$control/shlibs" || fail "shlibs: $(cat "$control/shlibs")"
grep -qx 'activate-noawait ldconfig' "$control/triggers" || fail "libqelvor-dbrt3 has no ldconfig trigger"

# Binaries are stripped, and each one's symbols are in a -dbgsym package under its build id.
unpacked=$work/unpacked
for package in libqelvor-dbrt3 qelvor-module qelvor; do
  dpkg-deb --extract "$(deb "$package")" "$unpacked"
  ddeb=$packages/${package}-dbgsym_${version}_$arch.ddeb
  [ -f "$ddeb" ] || fail "no debugging symbols package for $package"
  dpkg-deb --extract "$ddeb" "$work/debug"
done
while read -r binary; do
  file "$binary" | grep -q ', stripped' || fail "${binary#"$unpacked"} is not stripped"
  id=$(readelf -n "$binary" | awk '/Build ID/ { print $3 }')
  symbols=$work/debug/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug
  [ -f "$symbols" ] && readelf -S "$symbols" 2>/dev/null | grep -q '\.debug_info' ||
    fail "no debugging symbols for ${binary#"$unpacked"} (build id $id)"
done < <(find "$unpacked" -type f \( -perm -u+x -o -name '*.so*' \))

# The menu entry passes the validator without a word.
validation=$(desktop-file-validate "$unpacked/usr/share/applications/qelvor-host.desktop" 2>&1) ||
  fail "desktop-file-validate: $validation"
[ -z "$validation" ] || fail "desktop-file-validate: $validation"
echo "packages $(cd "$packages" && echo *.deb *.ddeb): contents, dependencies and symbols as expected"

# Debian's own checker: errors fail, and so do warnings not overridden in the package.
lintian --fail-on error,warning "$packages"/*.deb "$packages"/*.ddeb || fail "lintian found faults"
echo "lintian: no error, no warning"

"$root/tools/check-installed-packages.sh" "$packages"/*.deb
