#!/usr/bin/env bash
# Checks that the deliverables have the expected PE format and no mingw DLL imports.
set -euo pipefail
fail=0
check() {
  local f=$1 want=$2
  local got; got=$(file -b "$f")
  if [[ "$got" != *"$want"* ]]; then echo "FAIL $f: $got (want $want)"; fail=1; else echo "ok   $f: $want"; fi
  if objdump -p "$f" 2>/dev/null | grep -iE 'DLL Name: (libstdc|libgcc|libwinpthread)' ; then
    echo "FAIL $f imports a mingw runtime DLL"; fail=1
  fi
}
for b in KXLaunch.exe NPKXGamePlugin.dll; do
  f64=$(find "$1" -name "$b" -not -path '*/CMakeFiles/*' | head -1)
  f32=$(find "$2" -name "$b" -not -path '*/CMakeFiles/*' | head -1)
  check "$f64" "PE32+ executable"
  check "$f32" "Intel 80386"
done
# The plug-in's exports by their plain names in both widths (browsers use GetProcAddress).
bash "$(dirname "$0")/../../tests/plugin/exports_test.sh" \
  "$(find "$1" -name NPKXGamePlugin.dll -not -path '*/CMakeFiles/*' | head -1)" \
  "$(find "$2" -name NPKXGamePlugin.dll -not -path '*/CMakeFiles/*' | head -1)" || fail=1
exit $fail
