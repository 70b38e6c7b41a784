#!/usr/bin/env bash
# Download benchmark: the launcher's HTTP client (wine64 build) against curl -o
# and against a bare WinINet loop with the same 16 KiB reads and file writes
# (the floor the platform allows), the same package from the same private
# nginx, rounds interleaved. Prints
# figures and ratios; not a test. Under Wine every InternetReadFile costs a
# wineserver round trip, so the 16 KiB reads weigh far more than on Windows.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work="$repo/build/bench-download"
mkdir -p "$work"
cd "$repo"

srv="$work/nginx"
tests/servers/nginx-ctl.sh start "$srv"
pkg="$work/KX-9.9.9.zip"
[ -f "$pkg" ] || python3 tests/unzip/make_package.py many "$pkg" 4000 300
ln -f "$pkg" "$srv/www/KX-9.9.9.zip" 2>/dev/null || cp "$pkg" "$srv/www/KX-9.9.9.zip"
url="http://127.0.0.1:$(cat "$srv/port")/KX-9.9.9.zip"

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target kx_download_bench kx_wininet_floor_bench >/dev/null
exe="$repo/build/win64/launcher/net/kx_download_bench.exe"
floor="$repo/build/win64/launcher/net/kx_wininet_floor_bench.exe"

export KX_WINE_DIR="$work/wine"
. tests/wine/wine-env.sh
tests/wine/wine-prefix.sh up "$KX_WINE_DIR" >/dev/null
cleanup() {
  tests/wine/wine-prefix.sh down "$KX_WINE_DIR" >/dev/null 2>&1 || true
  tests/servers/nginx-ctl.sh stop "$srv" || true
}
trap cleanup EXIT

out="$work/out.zip"
winout="Z:${out//\//\\}"
now() { date +%s.%N; }
c=(); w=(); i=(); fw=(); fl=()
for _ in 1 2 3; do
  rm -f "$out"; t0=$(now); curl -s -o "$out" "$url"; t1=$(now)
  cmp -s "$pkg" "$out" || { echo "curl: wrong bytes" >&2; exit 1; }
  c+=("$(python3 -c "print($t1 - $t0)")")
  rm -f "$out"; t0=$(now); inner=$("$KX_WINE" "$exe" "$url" "$winout" | tr -d '\r'); t1=$(now)
  cmp -s "$pkg" "$out" || { echo "launcher: wrong bytes ($inner)" >&2; exit 1; }
  w+=("$(python3 -c "print($t1 - $t0)")"); i+=("${inner#ok }")
  rm -f "$out"; t0=$(now); inner=$("$KX_WINE" "$floor" "$url" "$winout" | tr -d '\r'); t1=$(now)
  cmp -s "$pkg" "$out" || { echo "floor: wrong bytes ($inner)" >&2; exit 1; }
  fw+=("$(python3 -c "print($t1 - $t0)")"); fl+=("${inner#ok }")
done
rm -f "$out"
best() { printf '%s\n' "$@" | sort -g | head -1; }
python3 - "$(du -m "$pkg" | cut -f1)" "$(best "${c[@]}")" "$(best "${w[@]}")" "$(best "${i[@]}")" \
  "$(best "${fw[@]}")" "$(best "${fl[@]}")" <<'PY'
import sys
mb, c, w, i, fw, fi = int(sys.argv[1]), *map(float, sys.argv[2:])
print(f"download of a {mb} MB package from nginx on 127.0.0.1, best of 3 (s):")
print(f"  curl -o {c:.2f}  launcher (wine64 process) {w:.2f}  launcher downloadFile alone {i:.2f}")
print(f"  bare WinINet loop (wine64 process) {fw:.2f}  its loop alone {fi:.2f}")
print(f"  launcher/curl wall {w/c:.2f}  in-process {i/c:.2f}  (target: wall <= 1.50)")
print(f"  launcher/bare WinINet wall {w/fw:.2f}  in-process {i/fi:.2f}  (target: <= 1.10)")
PY
