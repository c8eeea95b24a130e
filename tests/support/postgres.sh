#!/usr/bin/env bash
# Starts or stops a throwaway PostgreSQL server for the tests.
#   postgres.sh start DIR [OWNER_PID]
#                           initialises DIR, starts the server on a free loopback port and
#                           prints the ODBC connection string on standard output; with
#                           OWNER_PID, a watchdog stops the server once that process has ended,
#                           however it ended (interrupted, killed by a time-out)
#   postgres.sh stop DIR    stops the server and removes DIR
#   postgres.sh halt DIR    stops the server at once (as a crash would), keeping DIR
#   postgres.sh resume DIR  starts a halted server again on its port
#   postgres.sh freeze DIR  stops every process of the server (SIGSTOP): it keeps its links
#                           and answers nothing, as a server that hangs
#   postgres.sh thaw DIR    lets a frozen server go on (SIGCONT)
#   postgres.sh expire DIR  (TLS) the server presents its expired certificate from now on
#   postgres.sh renew DIR   (TLS) the server presents its valid certificate again
# With QELVOR_SERVER_TLS=1 at start the server speaks TLS only: certificates from
# tls_certificates.sh in DIR/tls, listening on 127.0.0.1 and 127.0.0.2 (a name its
# certificate does not bear), and every TCP connection in clear refused. With
# QELVOR_SERVER_TLS=both it takes TCP connections in clear as well (for comparisons).
set -euo pipefail

action=$1
dir=$2
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
as_postgres() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

# The postmaster and its children, one number a line.
server_processes() {
  local main
  main=$(head -n 1 "$1/data/postmaster.pid" 2>/dev/null) || return 0
  [ -n "$main" ] || return 0
  echo "$main"
  pgrep -P "$main" || true
}

case "$action" in
start)
  [ -n "$bin" ] || { echo "PostgreSQL server binaries not found" >&2; exit 1; }
  mkdir -p "$dir"
  [ "$(id -u)" -ne 0 ] || chown postgres "$dir"
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  as_postgres "$bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 -N >"$dir/initdb.log" 2>&1
  echo "$port" >"$dir/port"
  options="-k $dir -p $port -c listen_addresses=127.0.0.1 -c fsync=off"
  if [ "${QELVOR_SERVER_TLS:-0}" = 1 ] || [ "${QELVOR_SERVER_TLS:-0}" = both ]; then
    "$(dirname "$0")/tls_certificates.sh" "$dir/tls"
    cp "$dir/tls/server.crt" "$dir/tls/active.crt"
    [ "$(id -u)" -ne 0 ] || chown -R postgres "$dir/tls"
    options="-k $dir -p $port -c listen_addresses=127.0.0.1,127.0.0.2 -c fsync=off -c ssl=on"
    options+=" -c ssl_cert_file=$dir/tls/active.crt -c ssl_key_file=$dir/tls/server.key -c ssl_ca_file=$dir/tls/ca.crt"
    # Unix-socket sessions for the scripts; over TCP, encrypted sessions only, and the role
    # qelvor_password (when a test makes it) with its password.
    printf 'local all all trust\nhostssl all qelvor_password 127.0.0.0/8 scram-sha-256\nhostssl all all 127.0.0.0/8 trust\n' \
      >"$dir/data/pg_hba.conf"
    [ "$QELVOR_SERVER_TLS" = 1 ] || printf 'host all all 127.0.0.0/8 trust\n' >>"$dir/data/pg_hba.conf"
  fi
  echo "$options" >"$dir/options"
  as_postgres "$bin/pg_ctl" -D "$dir/data" -l "$dir/log" -w -o "$options" start >/dev/null
  if [ -n "${3:-}" ]; then
    # Detached and off the output pipe, so that the caller reading our output sees its end.
    setsid bash -c 'while kill -0 "$1" 2>/dev/null; do sleep 1; done; exec bash "$2" stop "$3"' \
      watchdog "$3" "$0" "$dir" </dev/null >/dev/null 2>&1 &
  fi
  echo "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$port;Database=postgres;Uid=postgres;Pwd=;TextAsLongVarchar=0"
  ;;
stop)
  server_processes "$dir" | xargs -r kill -CONT 2>/dev/null || true
  if [ -n "$bin" ] && [ -d "$dir/data" ]; then
    as_postgres "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  ;;
halt)
  as_postgres "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null
  ;;
resume)
  as_postgres "$bin/pg_ctl" -D "$dir/data" -l "$dir/log" -w -o "$(cat "$dir/options")" start >/dev/null
  ;;
expire|renew)
  [ "$action" = expire ] && source=expired.crt || source=server.crt
  cp "$dir/tls/$source" "$dir/tls/active.crt"
  # A reload makes new sessions use the file; a session finds the server's new context.
  as_postgres "$bin/pg_ctl" -D "$dir/data" reload >/dev/null
  sleep 0.3
  ;;
freeze)
  server_processes "$dir" | xargs -r kill -STOP
  ;;
thaw)
  server_processes "$dir" | xargs -r kill -CONT
  ;;
*)
  echo "usage: $0 start DIR [OWNER_PID] | stop|halt|resume|freeze|thaw|expire|renew DIR" >&2; exit 2 ;;
esac
