#!/usr/bin/env bash
# Extraction benchmark: the launcher's unzip (native and wine64 builds) against
# Info-ZIP unzip and bsdtar on one generated package, and peak memory while
# unpacking one 1 GiB entry. Prints figures and ratios; not a test.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work="$repo/build/bench-unzip"
mkdir -p "$work"
cd "$repo"

many="$work/many.zip"
big="$work/big.zip"
[ -f "$many" ] || python3 tests/unzip/make_package.py many "$many" 4000 300
[ -f "$big" ] || python3 tests/unzip/make_package.py big "$big" 1024

# Native driver, optimised (the native preset is a sanitizer build).
native="$work/kx_unzip_bench"
src=launcher/package
g++ -std=c++17 -O2 -I. -o "$native" $src/unzip_bench_main.cc $src/zip_file.cc \
    $src/zip_file_names.cc $src/zip_file_posix.cc -lminizip -lz

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target kx_unzip_bench >/dev/null
winexe="$repo/build/win64/launcher/package/kx_unzip_bench.exe"

export KX_WINE_DIR="$work/wine"
. tests/wine/wine-env.sh
tests/wine/wine-prefix.sh up "$KX_WINE_DIR" >/dev/null
trap 'tests/wine/wine-prefix.sh down "$KX_WINE_DIR" >/dev/null 2>&1 || true' EXIT

winpath() { echo "Z:${1//\//\\}"; }

# best_of N cmd...: fastest wall time in seconds of N runs into a fresh folder.
out="$work/out"
best_of() {
  local n=$1; shift
  local best=""
  for _ in $(seq "$n"); do
    rm -rf "$out"; mkdir -p "$out"; sync
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >/dev/null
    t1=$(date +%s.%N)
    best=$(python3 -c "import sys; t=$t1-$t0; b='$best'; print(t if not b or t<float(b) else b)")
  done
  rm -rf "$out"
  echo "$best"
}

runs=3
files=$(unzip -Z1 "$many" | wc -l)
echo "package: $many ($(du -m "$many" | cut -f1) MB packed, $files entries," \
     "$(unzip -l "$many" | tail -1 | awk '{printf "%d", $1/1048576}') MB unpacked)"
t_unzip=$(best_of $runs unzip -q "$many" -d "$out")
t_bsdtar=$(best_of $runs bsdtar -x -f "$many" -C "$out")
t_native=$(best_of $runs "$native" "$many" "$out")
t_wine=$(best_of $runs "$KX_WINE" "$winexe" "$(winpath "$many")" "$(winpath "$out")")

python3 - "$t_unzip" "$t_bsdtar" "$t_native" "$t_wine" <<'PY'
import sys
u, b, n, w = map(float, sys.argv[1:])
print(f"extraction, best of 3 (s): unzip -q {u:.2f}  bsdtar -x {b:.2f}  native {n:.2f}  wine64 {w:.2f}")
print(f"  native/unzip {n/u:.2f}  native/bsdtar {n/b:.2f}  (targets: <= 0.50, < 1.00)")
print(f"  wine64/unzip {w/u:.2f}  wine64/bsdtar {w/b:.2f}")
PY

# Peak memory with one 1 GiB entry.
rss() { /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident/ {gsub(/ /,"",$2); print $2}'; }
rm -rf "$out"; mkdir -p "$out"
m_native=$(rss "$native" "$big" "$out")
cmp -s <(unzip -p "$big" big.bin) "$out/big.bin" && same=identical || same=DIFFERENT
rm -rf "$out"; mkdir -p "$out"
m_wine=$(rss "$KX_WINE" "$winexe" "$(winpath "$big")" "$(winpath "$out")")
rm -rf "$out"; mkdir -p "$out"
m_unzip=$(rss unzip -q "$big" -d "$out")
rm -rf "$out"
echo "1 GiB entry, peak RSS: native $((m_native / 1024)) MB ($same output)," \
     "wine64 process $((m_wine / 1024)) MB, unzip -q $((m_unzip / 1024)) MB (target < 64 MB)"
