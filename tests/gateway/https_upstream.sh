#!/bin/sh
# tests/gateway/https_upstream.sh start DIR trusted|untrusted | stop DIR
# The fake upstream over HTTPS on localhost for the Windows gateway, whose
# WinHTTP under Wine trusts only the host's store: "trusted" makes a
# throw-away certificate authority, adds it to the host's store under a
# name of its own and signs the server's certificate with it; "untrusted"
# serves a self-signed one. DIR/port appears once it serves; "stop" ends
# the server, takes the authority out of the store again and writes
# DIR/stopped. Needs root for the store (else DIR/skipped and exit 77).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
dir=$2
store=/usr/local/share/ca-certificates
key="openssl req -newkey rsa:2048 -nodes -days 2"
case $1 in
start)
  if [ "$(id -u)" != 0 ] || ! command -v openssl >/dev/null || [ ! -x /usr/bin/python3 ]; then
    mkdir -p "$dir" && touch "$dir/skipped"
    exit 77
  fi
  mkdir -p "$dir" && cd "$dir"
  echo "subjectAltName=DNS:localhost" >localhost.ext
  if [ "$3" = trusted ]; then
    $key -x509 -keyout ca.key -out ca.crt -subj /CN=nimbrel-test-ca 2>/dev/null
    $key -keyout server.key -out server.csr -subj /CN=localhost 2>/dev/null
    openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 \
      -out server.crt -extfile localhost.ext 2>/dev/null
    name="nimbrel-test-$$-$(date +%s)"
    echo "$name" >ca-name
    cp ca.crt "$store/$name.crt"
    update-ca-certificates >/dev/null 2>&1
  else
    $key -x509 -keyout server.key -out server.crt -subj /CN=localhost \
      -addext subjectAltName=DNS:localhost 2>/dev/null
  fi
  nohup /usr/bin/python3 "$here/fake_upstream.py" --cert server.crt --key server.key \
    --port-file port --log upstream.log --start "$(date -u +%F)" >/dev/null 2>&1 &
  echo $! >python.pid
  ;;
stop)
  cd "$dir"
  [ -f python.pid ] && kill "$(cat python.pid)" 2>/dev/null || true
  if [ -f ca-name ]; then
    rm -f "$store/$(cat ca-name).crt" ca-name
    update-ca-certificates --fresh >/dev/null 2>&1
  fi
  touch stopped
  ;;
esac
