#!/bin/bash
# sign-launchers.sh <pki dir> <recorder.exe> <stand-in KXLaunch.exe> <out dir>:
# signed by the test Corvane certificate, out/KXLaunch.exe (the recorder) and
# out/standin/KXLaunch.exe (the stand-in launcher); out/unsigned.exe, the
# recorder unsigned.
set -euo pipefail
pki=$1; recorder=$2; standin=$3; out=$4
mkdir -p "$out/standin"
sign() {
  rm -f "$2"
  osslsigncode sign -certs "$pki/corvane.pem" -key "$pki/corvane.key" -h sha256 -n "KX Launcher" \
    -in "$1" -out "$2" >/dev/null
}
sign "$recorder" "$out/KXLaunch.exe"
sign "$standin" "$out/standin/KXLaunch.exe"
cp "$recorder" "$out/unsigned.exe"
