#!/usr/bin/env bash
# Trace lines reach OutputDebugStringW: Wine shows them on its debugstr
# channel (older releases) or as seh warnings (Wine 8).
set -euo pipefail
. "$(dirname "$0")/../../tests/wine/wine-env.sh"
export WINEDEBUG=+debugstr,warn+seh
out=$("$KX_WINE" "$1" 2>&1 </dev/null)
fail=0
for want in 'kx trace probe wide -3 0000beef narrow !' 'kx trace probe mismatch <%d? text \"wide\">'; do
  if ! grep -qF -- "$want" <<<"$out"; then
    echo "missing trace line: $want"; fail=1
  fi
done
[ $fail -eq 0 ] || { echo "$out" | grep -iE 'debugstr|seh' | head -20; exit 1; }
echo "trace lines seen"
