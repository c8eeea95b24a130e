#!/usr/bin/env bash
# Starts or stops a throwaway MariaDB server for the tests.
#   mariadb.sh start DIR [OWNER_PID]
#                          initialises DIR, starts the server on a free loopback port and
#                          prints the ODBC connection string on standard output; with
#                          OWNER_PID, a watchdog stops the server once that process has ended
#   mariadb.sh stop DIR    stops the server and removes DIR
#   mariadb.sh freeze DIR  stops the server's process (SIGSTOP): it keeps its links and
#                          answers nothing, as a server that hangs
#   mariadb.sh thaw DIR    lets a frozen server go on (SIGCONT)
#   mariadb.sh expire DIR  (TLS) the server presents its expired certificate from now on
#   mariadb.sh renew DIR   (TLS) the server presents its valid certificate again
# With QELVOR_SERVER_TLS=1 at start the server speaks TLS only over TCP: certificates from
# tls_certificates.sh in DIR/tls, listening on 127.0.0.1 and 127.0.0.2 (a name its
# certificate does not bear), and every TCP connection in clear refused (the Unix socket,
# which the scripts use, stays open). With QELVOR_SERVER_TLS=both it takes TCP connections
# in clear as well (for comparisons).
# The server keeps text in utf8mb4 and the connection asks for it too, so Chinese text
# and the rest of Unicode travel unchanged.
set -euo pipefail

action=$1
dir=$2
as_mysql=()
[ "$(id -u)" -ne 0 ] || as_mysql=(--user=mysql)

case "$action" in
start)
  command -v mariadbd >/dev/null || [ -x /usr/sbin/mariadbd ] || { echo "MariaDB server not found" >&2; exit 1; }
  mkdir -p "$dir"
  [ "$(id -u)" -ne 0 ] || chown mysql "$dir"
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  mariadb-install-db --no-defaults "${as_mysql[@]}" --datadir="$dir/data" --auth-root-authentication-method=normal \
    --skip-test-db >"$dir/install.log" 2>&1
  tls=(--bind-address=127.0.0.1)
  if [ "${QELVOR_SERVER_TLS:-0}" = 1 ] || [ "${QELVOR_SERVER_TLS:-0}" = both ]; then
    "$(dirname "$0")/tls_certificates.sh" "$dir/tls"
    cp "$dir/tls/server.crt" "$dir/tls/active.crt"
    [ "$(id -u)" -ne 0 ] || chown -R mysql "$dir/tls"
    tls=(--bind-address=127.0.0.1,127.0.0.2 --ssl-ca="$dir/tls/ca.crt" --ssl-cert="$dir/tls/active.crt"
      --ssl-key="$dir/tls/server.key")
    [ "$QELVOR_SERVER_TLS" = both ] || tls+=(--require-secure-transport=ON)
  fi
  /usr/sbin/mariadbd --no-defaults "${as_mysql[@]}" --datadir="$dir/data" --socket="$dir/socket" --port="$port" \
    "${tls[@]}" --pid-file="$dir/pid" --log-error="$dir/log" --skip-log-bin --skip-name-resolve \
    --character-set-server=utf8mb4 --collation-server=utf8mb4_unicode_ci \
    --innodb-buffer-pool-size=64M --innodb-flush-log-at-trx-commit=0 --innodb-doublewrite=0 \
    >"$dir/server.out" 2>&1 &
  for _ in $(seq 1 100); do
    mariadb-admin --no-defaults --socket="$dir/socket" -uroot ping >/dev/null 2>&1 && break
    sleep 0.1
  done
  # A password-less account for loopback and Unix-socket connections, with its own database.
  mariadb --no-defaults --socket="$dir/socket" -uroot -e "
    CREATE USER 'qelvor'@'127.0.0.1' IDENTIFIED BY '';
    GRANT ALL PRIVILEGES ON *.* TO 'qelvor'@'127.0.0.1';
    CREATE USER 'qelvor'@'localhost' IDENTIFIED BY '';
    GRANT ALL PRIVILEGES ON *.* TO 'qelvor'@'localhost';
    CREATE USER 'qelvor'@'127.0.0.2' IDENTIFIED BY '';
    GRANT ALL PRIVILEGES ON *.* TO 'qelvor'@'127.0.0.2';
    CREATE DATABASE qelvor CHARACTER SET utf8mb4 COLLATE utf8mb4_unicode_ci;"
  if [ -n "${3:-}" ]; then
    # Detached and off the output pipe, so that the caller reading our output sees its end.
    setsid bash -c 'while kill -0 "$1" 2>/dev/null; do sleep 1; done; exec bash "$2" stop "$3"' \
      watchdog "$3" "$0" "$dir" </dev/null >/dev/null 2>&1 &
  fi
  echo "Driver={MariaDB Unicode};Server=127.0.0.1;Port=$port;Database=qelvor;Uid=qelvor;Pwd=;CHARSET=utf8mb4"
  ;;
stop)
  [ -f "$dir/pid" ] && kill -CONT "$(cat "$dir/pid")" 2>/dev/null || true
  if [ -S "$dir/socket" ]; then
    mariadb-admin --no-defaults --socket="$dir/socket" -uroot shutdown >/dev/null 2>&1 || true
  fi
  if [ -f "$dir/pid" ]; then
    kill "$(cat "$dir/pid")" 2>/dev/null || true
  fi
  rm -rf "$dir"
  ;;
freeze)
  kill -STOP "$(cat "$dir/pid")"
  ;;
thaw)
  kill -CONT "$(cat "$dir/pid")"
  ;;
expire|renew)
  [ "$action" = expire ] && source=expired.crt || source=server.crt
  cp "$dir/tls/$source" "$dir/tls/active.crt"
  mariadb --no-defaults --socket="$dir/socket" -uroot -e "FLUSH SSL"
  ;;
*)
  echo "usage: $0 start DIR [OWNER_PID] | stop|freeze|thaw|expire|renew DIR" >&2; exit 2 ;;
esac
