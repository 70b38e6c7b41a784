#!/usr/bin/env bash
# Warm normal launch under wine64: KXLaunch.exe from process start to the flow's
# last report (7,1), to its exit and to the game client's 0x0101, against the
# stand-in game client started alone. Prints figures; not a test.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
B=build/win64
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target kxlaunch_flows_test KXLaunch kx_box_answerer \
  kx_game_standin trust_root kx_wait_helper >/dev/null
work="$repo/build/bench-kxlaunch"
mkdir -p "$work"
export KX_WINE_DIR="$work/wine"
. tests/wine/wine-env.sh
tests/wine/wine-prefix.sh up "$KX_WINE_DIR" >/dev/null
tests/servers/nginx-ctl.sh start "$work/nginx" >/dev/null
cleanup() {
  tests/servers/nginx-ctl.sh stop "$work/nginx" >/dev/null 2>&1 || true
  tests/wine/wine-prefix.sh down "$KX_WINE_DIR" >/dev/null 2>&1 || true
}
trap cleanup EXIT
bash tests/signing/make-pki.sh "$work/pki" "$repo/$B/tools/game_standin/kxmain.exe" \
  "$repo/$B/tools/trust_root/trust_root.exe" >/dev/null 2>&1
export KX_LAUNCHER=$repo/$B/launcher/KXLaunch.exe
export KX_BOX_ANSWERER=$repo/$B/tools/box_answerer/kx_box_answerer.exe
export KX_LAUNCH_PKI_DIR=$work/pki KX_NGINX_DIR=$work/nginx
export KX_TEST_HELPER_DIR=$repo/$B/tests/engine KX_GAME_STANDIN=$repo/$B/tools/game_standin/kxmain.exe
"$KX_WINE" "$B/tests/launcher/kxlaunch_flows_test.exe" --gtest_also_run_disabled_tests \
  --gtest_filter='*WarmNormalLaunchFigures*' 2>/dev/null | grep '^round' | tee "$work/rounds.txt"
awk '{ f=$5; x=$9; g=$13; a=$20; sf+=f; sx+=x; sg+=g; sa+=a; n++ }
     END { printf "mean: to (7,1) %.0f ms, exit %.0f ms, to 0x0101 %.0f ms, client alone %.0f ms\n",
                  sf/n, sx/n, sg/n, sa/n;
           printf "launcher share of the launch (to 0x0101 minus client alone): %.0f ms = %.2f\n",
                  (sg-sa)/n, (sg-sa)/sg }' "$work/rounds.txt"
