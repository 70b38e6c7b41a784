#!/usr/bin/env bash
# start|stop a private nginx in <dir>: its own config, logs and document root
# (<dir>/www) on a free 127.0.0.1 port written to <dir>/port. Never touches the
# system's nginx; stopped by its own pid.
set -eu
cmd=$1 dir=$2
free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}
case $cmd in
  start)
    [ -f "$dir/pid" ] && kill "$(cat "$dir/pid")" 2>/dev/null || true
    rm -rf "$dir"; mkdir -p "$dir/www" "$dir/tmp"
    for _ in 1 2 3 4 5; do
      port=$(free_port)
      cat >"$dir/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/error.log warn;
events { worker_connections 64; }
http {
  log_format kx '\$request range=\$http_range \$status \$body_bytes_sent';
  access_log $dir/access.log kx;
  client_body_temp_path $dir/tmp/body;
  proxy_temp_path $dir/tmp/proxy;
  sendfile on;
  types { application/zip zip; text/plain txt; }
  default_type application/octet-stream;
  server {
    listen 127.0.0.1:$port;
    root $dir/www;
    etag off;
    # The same files at 256 KiB/s, for tests that act while a download runs.
    location /slow/ { alias $dir/www/; limit_rate 262144; }
  }
}
CONF
      nginx -p "$dir" -c "$dir/nginx.conf" -e "$dir/error.log" >"$dir/stdout" 2>&1 &
      echo $! >"$dir/pid"
      for _ in $(seq 50); do
        if curl -s -o /dev/null "http://127.0.0.1:$port/"; then echo "$port" >"$dir/port"; exit 0; fi
        kill -0 "$(cat "$dir/pid")" 2>/dev/null || break
        sleep 0.1
      done
      kill "$(cat "$dir/pid")" 2>/dev/null || true
    done
    echo "nginx did not start:" >&2; cat "$dir/error.log" >&2 || true; exit 1 ;;
  stop)
    [ -f "$dir/pid" ] && kill "$(cat "$dir/pid")" 2>/dev/null || true ;;
esac
