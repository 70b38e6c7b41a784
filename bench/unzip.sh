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
trap 'rm -rf "$out"; tests/wine/wine-prefix.sh down "$KX_WINE_DIR" >/dev/null 2>&1 || true' EXIT

winpath() { echo "Z:${1//\//\\}"; }

# Wall time in seconds of one run into a fresh folder.
# Unpack into tmpfs where there is one: on ext4, creating thousands of files
# right after deleting the previous run's scans for recently freed inodes, and
# that kernel time, the same for every tool, would hide what the tools do.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then out=/dev/shm/kx-bench-unzip-$$; else out="$work/out"; fi
once() {
  rm -rf "$out"; mkdir -p "$out"; sync
  local t0 t1
  t0=$(date +%s.%N)
  "$@" >/dev/null
  t1=$(date +%s.%N)
  rm -rf "$out"
  python3 -c "print($t1 - $t0)"
}
best() { printf '%s\n' "$@" | sort -g | head -1; }

files=$(unzip -Z1 "$many" | wc -l)
echo "unpacking into $out"
echo "package: $many ($(du -m "$many" | cut -f1) MB packed, $files entries," \
     "$(unzip -l "$many" | tail -1 | awk '{printf "%d", $1/1048576}') MB unpacked)"
# Rounds interleave the tools so that load from other work hits them alike.
u=(); b=(); n=(); w=()
for _ in 1 2 3; do
  u+=("$(once unzip -q "$many" -d "$out")")
  b+=("$(once bsdtar -x -f "$many" -C "$out")")
  n+=("$(once "$native" "$many" "$out")")
  w+=("$(once "$KX_WINE" "$winexe" "$(winpath "$many")" "$(winpath "$out")")")
done
t_unzip=$(best "${u[@]}"); t_bsdtar=$(best "${b[@]}")
t_native=$(best "${n[@]}"); t_wine=$(best "${w[@]}")

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
