#!/bin/bash
# setup-programs-test.sh <dist>: both setup programs are built for their width
# and carry a signature that osslsigncode accepts, with a time-stamp whose own
# signature verifies.
set -euo pipefail
dist=${1:?dist dir}
ca=()
root="$dist/TEST-SIGNED-NOT-FOR-RELEASE.root.pem"
[ -e "$root" ] && ca=(-CAfile "$root" -TSA-CAfile "$root")
fail=0
for f in "$dist/KXGameSetup-1.19.0.0.exe" "$dist/KXGameSetup-1.19.0.0-x64.exe"; do
  if [ ! -e "$f" ]; then echo "missing $f (make dist)"; fail=1; continue; fi
  out=$(osslsigncode verify "${ca[@]}" -in "$f" 2>&1 || true)
  grep -q "^Signature verification: ok" <<<"$out" || { echo "not signed: $f"; fail=1; }
  grep -q "^Timestamp Server Signature verification: ok" <<<"$out" \
    || { echo "no verified time-stamp: $f"; fail=1; }
  grep -q "Timestamp time: " <<<"$out" || { echo "no time-stamp time: $f"; fail=1; }
  grep -q "Subject: /CN=Corvane Network Co. Ltd." <<<"$out" || { echo "wrong signer: $f"; fail=1; }
done
# The 32-bit one must run (and see WOW64) as a 32-bit process.
file "$dist/KXGameSetup-1.19.0.0.exe" | grep -q "PE32 executable (GUI) Intel 80386" \
  || { echo "not a 32-bit program: KXGameSetup-1.19.0.0.exe"; fail=1; }
file "$dist/KXGameSetup-1.19.0.0-x64.exe" | grep -q "PE32+ executable (GUI) x86-64" \
  || { echo "not a 64-bit program: KXGameSetup-1.19.0.0-x64.exe"; fail=1; }
exit $fail
