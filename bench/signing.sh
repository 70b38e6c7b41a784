#!/usr/bin/env bash
# Signature-check benchmark under wine64: the first verifyFileSignature
# (WinVerifyTrust) call in a process against the later calls on the same signed
# file, without and with the signer record. Prints figures and ratios; not a test.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work="$repo/build/bench-signing"
procs=${KX_BENCH_PROCS:-5}
calls=${KX_BENCH_CALLS:-20}
mkdir -p "$work"
cd "$repo"

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target kx_signing_bench trust_root >/dev/null
driver="$repo/build/win64/common/signing/kx_signing_bench.exe"
trust="$repo/build/win64/tools/trust_root/trust_root.exe"

export KX_WINE_DIR="$work/wine"
. tests/wine/wine-env.sh
tests/wine/wine-prefix.sh up "$KX_WINE_DIR" >/dev/null
trap 'tests/wine/wine-prefix.sh down "$KX_WINE_DIR" >/dev/null 2>&1 || true' EXIT

# Fresh test PKI; the root goes into this prefix, the trust tool is the sample.
bash tests/signing/make-pki.sh "$work/pki" "$trust" "$trust" >/dev/null
winpath() { echo "Z:${1//\//\\}"; }
file="$work/pki/corvane-ts.exe"

# One line per process: the per-call times, in order. Modes alternate so that
# load from other work hits both alike.
: >"$work/trust.txt"; : >"$work/details.txt"
for _ in $(seq "$procs"); do
  for mode in trust details; do
    extra=(); [ "$mode" = details ] && extra=(details)
    "$KX_WINE" "$driver" "$(winpath "$file")" "$calls" "${extra[@]}" </dev/null |
      awk '{ sub(/\r$/, "") } $1 == "call" { if ($4 != "") bad = 1; printf "%s ", $3 } END { print ""; exit bad }' \
      >>"$work/$mode.txt"
  done
done

echo "file: $file ($procs processes x $calls calls each, wine64)"
python3 - "$work/trust.txt" "$work/details.txt" <<'PY'
import statistics, sys
for name, path in zip(("without record", "with record"), sys.argv[1:]):
    rows = [list(map(float, l.split())) for l in open(path) if l.strip()]
    first = statistics.median(r[0] for r in rows)
    later = statistics.median(t for r in rows for t in r[1:])
    spread = ", ".join(f"{r[0]:.1f}" for r in rows)
    print(f"{name:>14}: first call {first:.2f} ms (median over processes; each: {spread})")
    print(f"{'':>14}  later calls {later:.2f} ms (median)  first/later {first / later:.1f}x")
PY
