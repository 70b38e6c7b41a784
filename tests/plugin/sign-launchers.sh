#!/bin/bash
# sign-launchers.sh <pki dir> <program.exe> <out dir>: the program signed by
# the test Corvane certificate (out/KXLaunch.exe) and unsigned (out/unsigned.exe).
set -euo pipefail
pki=$1; program=$2; out=$3
mkdir -p "$out"
rm -f "$out/KXLaunch.exe"
osslsigncode sign -certs "$pki/corvane.pem" -key "$pki/corvane.key" -h sha256 -n "KX Launcher" \
  -in "$program" -out "$out/KXLaunch.exe" >/dev/null
cp "$program" "$out/unsigned.exe"
