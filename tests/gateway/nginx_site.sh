#!/bin/sh
# tests/gateway/nginx_site.sh start PREFIX PORT SITE | stop PREFIX
# Stock nginx for the hosting tests: the shipped site snippet with its root
# set to SITE (a --write-dir), on 127.0.0.1:PORT, with its pid, logs and
# temporary files under PREFIX. The Windows tests start it through Wine.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
nginx=/usr/sbin/nginx
prefix=$2
case $1 in
start)
  port=$3 site=$4
  [ -x $nginx ] || { echo "no nginx here (scripts/setup installs nginx-light)" >&2; exit 77; }
  mkdir -p "$prefix"
  {
    echo "worker_processes 1; pid $prefix/nginx.pid; error_log $prefix/error.log;"
    echo "events { worker_connections 64; }"
    echo "http { access_log off;"
    for t in client_body proxy fastcgi uwsgi scgi; do echo "  ${t}_temp_path $prefix/$t;"; done
    echo "  server { listen 127.0.0.1:$port;"
    sed "s|root /var/lib/nimbrel-feed;|root $site;|" "$here/../../packaging/nginx-nimbrel-feed.conf"
    echo "  }"
    echo "}"
  } >"$prefix/nginx.conf"
  exec $nginx -p "$prefix" -c "$prefix/nginx.conf" -e "$prefix/error.log"
  ;;
stop)
  [ -f "$prefix/nginx.pid" ] && exec $nginx -p "$prefix" -c "$prefix/nginx.conf" -e "$prefix/error.log" -s stop
  ;;
esac
