#!/usr/bin/env bash
# kxlaunch_rejects_test.sh SOURCE_DIR KXLaunch.exe kx_box_answerer.exe
# KXLaunch with a command line of no known form shows the "use the web page"
# box without owner and exits 0 once it is closed.
set -uo pipefail
src=$1 launcher=$2 answerer=$3
. "$src/tests/wine/wine-env.sh"

fail=0
check() {  # name, then the arguments for KXLaunch
  local name=$1; shift
  local out rc
  out=$("$KX_WINE" "$answerer" --timeout-ms 20000 --press ok -- "$launcher" "$@" </dev/null 2>/dev/null)
  rc=$?
  local want=$'caption=启动失败\ntext=请使用网页启动程序\nexit=0'
  if [ $rc -ne 0 ] || [ "$(printf '%s' "$out" | tr -d '\r')" != "$want" ]; then
    echo "FAIL $name: answerer rc=$rc, output:"; printf '%s\n' "$out"
    fail=1
  else
    echo "ok   $name"
  fi
}

check lower_case_normal_token __kx_launch_normal__ 1234 5678 960 640 http://127.0.0.1/kx_patchlist_win32
check clear_patch_four_integers __KX_CLEAR_PATCH__ 1234 5678 960 640
exit $fail
