#!/usr/bin/env bash
# Makes the certificates of a throwaway TLS server in DIR (for postgres.sh and mariadb.sh
# started with QELVOR_SERVER_TLS=1), all with openssl:
#   ca.crt ca.key            the authority the tests trust
#   other-ca.crt             an authority that signed nothing of the server's
#   server.crt server.key    the server's certificate, for 127.0.0.1 only (a connect to
#                            127.0.0.2 reaches the same server under a name it does not bear)
#   expired.crt              the same key, certified for two days in 2020
#   client.crt client.key    a client certificate from the authority
set -euo pipefail
dir=$1
mkdir -p "$dir"
cd "$dir"
quiet() { "$@" >/dev/null 2>&1 || { echo "openssl failed: $*" >&2; "$@" >&2; exit 1; }; }
quiet openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.crt -days 30 -subj "/CN=Qelvor Test Authority"
quiet openssl req -x509 -newkey rsa:2048 -nodes -keyout other-ca.key -out other-ca.crt -days 30 \
  -subj "/CN=Qelvor Other Authority"
quiet openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr -subj "/CN=127.0.0.1" \
  -addext "subjectAltName=IP:127.0.0.1"
quiet openssl req -newkey rsa:2048 -nodes -keyout client.key -out client.csr -subj "/CN=qelvor"
# "openssl ca" alone sets both ends of the validity, which the expired certificate needs.
cat >ca.cnf <<CONF
[ca]
default_ca = test_ca
[test_ca]
database = $dir/index.txt
new_certs_dir = $dir
serial = $dir/serial
default_md = sha256
policy = any
copy_extensions = copy
unique_subject = no
[any]
commonName = supplied
CONF
: >index.txt
echo 1000 >serial
sign() { quiet openssl ca -batch -config ca.cnf -cert ca.crt -keyfile ca.key -notext "$@"; }
sign -in server.csr -out server.crt -days 30
sign -in server.csr -out expired.crt -startdate 20200101000000Z -enddate 20200103000000Z
sign -in client.csr -out client.crt -days 30
chmod 600 ./*.key
