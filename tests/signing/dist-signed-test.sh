#!/bin/bash
# Every deliverable of both widths in dist/ carries a signature osslsigncode accepts.
set -euo pipefail
dist=${1:?dist dir}
n=0
ca=()
[ -e "$dist/TEST-SIGNED-NOT-FOR-RELEASE.root.pem" ] && ca=(-CAfile "$dist/TEST-SIGNED-NOT-FOR-RELEASE.root.pem")
for f in "$dist"/win32/KXLaunch.exe "$dist"/win32/NPKXGamePlugin.dll \
         "$dist"/win64/KXLaunch.exe "$dist"/win64/NPKXGamePlugin.dll; do
  [ -e "$f" ] || { echo "missing $f"; exit 1; }
  osslsigncode verify "${ca[@]}" -in "$f" 2>&1 | grep -q "Signature verification: ok" || { echo "not signed: $f"; exit 1; }
  n=$((n+1))
done
echo "$n passed, 0 failed"
