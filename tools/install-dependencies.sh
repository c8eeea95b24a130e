#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test,
# skipping the work when all of them are already there. Safe to run again.
set -euo pipefail

packages=(
  # build tools (binutils' nm reads the module's symbol table in the tests)
  cmake ninja-build g++ pkg-config binutils
  # dpkg-shlibdeps, which works out the Debian package's library dependencies
  dpkg-dev
  # Debian's package checker and the desktop-entry validator the package check runs
  lintian desktop-file-utils
  # Qt 6 Widgets and Test (the windowing layer) with its X11 and offscreen platforms
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libxcb-cursor0
  # Qt's translation tools (lupdate, lrelease) and their CMake functions
  qt6-l10n-tools qt6-tools-dev
  # database engines and access: embedded SQLite, ODBC with the PostgreSQL driver
  libsqlite3-dev sqlite3 unixodbc-dev unixodbc odbc-postgresql
  # PostgreSQL's own client library, for the native PostgreSQL provider
  libpq-dev
  # MariaDB's own client library (Connector/C), for the native MariaDB provider
  libmariadb-dev
  # OpenSSL: the record-set layer checks server certificates with it to say why a verifying
  # connect failed; the tests make their authorities and certificates with its command
  libssl-dev openssl
  # PostgreSQL server, started throwaway by the tests (python3 finds it a free port)
  postgresql python3
  # MariaDB server and its ODBC driver, the second server the tests start throwaway
  mariadb-server odbc-mariadb
  # locale-aware collation
  libicu-dev
  # zstd, which compresses the blocks of held result columns
  libzstd-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # fuzzing (tools/fuzz.sh): clang with libFuzzer and the sanitizer run-time libraries
  clang libclang-rt-14-dev
  # end-to-end tests in a real X server (xclip reads what the grid copied)
  xvfb xdotool x11-utils x11-apps netpbm xclip
  # a small real window manager: the end-to-end tests run under it as well, where windows
  # are decorated and placed by it and activated after the click (xwininfo reads positions)
  openbox
  # the accessibility bus, over which a test probes the window as a screen reader would
  dbus at-spi2-core python3-dbus
  # CJK font standing in for the design font
  fonts-wqy-zenhei
  # Arial-compatible metrics for the grid's sort-order numbers ("Arial", 8 px)
  fonts-liberation
  # C.UTF-8 and zh_CN.UTF-8 locales for collation tests
  locales
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The collation tests compare against Chinese pinyin order.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
