#!/usr/bin/env bash
# exports_test.sh DLL...: each DLL exports exactly NP_GetEntryPoints,
# NP_Initialize and NP_Shutdown under their plain names.
set -euo pipefail
fail=0
for dll in "$@"; do
  names=$(objdump -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/\]/ && NR>1 {print $NF}' | sort | tr '\n' ' ')
  if [ "$names" != "NP_GetEntryPoints NP_Initialize NP_Shutdown " ]; then
    echo "FAIL $dll exports: $names"; fail=1
  else
    echo "ok   $dll exports: $names"
  fi
done
exit $fail
