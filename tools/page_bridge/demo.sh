#!/usr/bin/env bash
# The page part of make demo: builds what the chain needs (win64), makes a Wine
# template if there is none, and runs demo.js.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
cd "$repo"
if [ ! -d plugin/controller ]; then
  echo "page demo: skipped, this tree has no plug-in controller (plugin/controller) to launch with"
  exit 0
fi
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "${JOBS:-2}" --target NPKXGamePlugin kx_test_browser kx_launcher_standin \
  kx_game_standin trust_root kx_box_answerer >/dev/null
export KX_WINE_DIR="$repo/build/win64/wine"
if [ ! -f "$KX_WINE_DIR/template/.kx-ready" ]; then
  tests/wine/wine-prefix.sh up "$KX_WINE_DIR" >/dev/null
  tests/wine/wine-prefix.sh down "$KX_WINE_DIR" >/dev/null
fi
b="$repo/build/win64"
export KX_PLUGIN_DLL=$b/plugin/NPKXGamePlugin.dll KX_TEST_BROWSER=$b/tools/test_browser/kx_test_browser.exe \
  KX_LAUNCHER_STANDIN=$b/tools/launcher_standin/KXLaunch.exe KX_GAME_STANDIN=$b/tools/game_standin/kxmain.exe \
  KX_TRUST_ROOT=$b/tools/trust_root/trust_root.exe KX_BOX_ANSWERER=$b/tools/box_answerer/kx_box_answerer.exe \
  KX_SHOTS_DIR="$repo/build/page"
exec node tools/page_bridge/demo.js
