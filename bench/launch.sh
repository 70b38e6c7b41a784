#!/usr/bin/env bash
# Launch figures of the whole chain under wine64: OnPageLoaded to
# OnGameInitProgress(100) on a cold and a warm cache, the launcher's own part,
# and the browser's CPU while the game idles. Prints figures; not a test.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
cmake --preset native >/dev/null
cmake --preset win64 >/dev/null
cmake --build --preset native -j2 --target kxpack >/dev/null
cmake --build --preset win64 -j2 --target KXLaunch NPKXGamePlugin kx_test_browser kx_game_standin \
  trust_root kx_box_answerer >/dev/null
python3 tools/demo/kxdemo.py bench --work "$repo/build/bench-launch" --size-mb "${KX_BENCH_MB:-100}" \
  --rounds "${KX_BENCH_ROUNDS:-5}" | grep -v '^  \[' 
