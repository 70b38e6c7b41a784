#!/usr/bin/env bash
# start|stop the misbehaving test server in <dir>; stopped by its own pid.
set -eu
cmd=$1 dir=$2
case $cmd in
  start)
    rm -rf "$dir"; mkdir -p "$dir"
    python3 "$(dirname "$0")/misbehave.py" "$dir" >"$dir/log" 2>&1 &
    echo $! >"$dir/pid"
    for _ in $(seq 100); do [ -f "$dir/port" ] && exit 0; sleep 0.1; done
    echo "server did not start" >&2; exit 1 ;;
  stop)
    [ -f "$dir/pid" ] && kill "$(cat "$dir/pid")" 2>/dev/null || true ;;
esac
