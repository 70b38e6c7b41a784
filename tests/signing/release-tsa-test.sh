#!/bin/bash
# release-tsa-test.sh <program.exe>: the release path of sign-file.sh: a
# PKCS#12 key with a password and KX_SIGN_TSA pointing at a time-stamp server
# (a local one here) give a signature whose time-stamp osslsigncode verifies.
# Without KX_SIGN_TSA the same key signs without a time-stamp.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=${1:?program to sign}
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
bash "$here/make-pki.sh" "$work/pki" >/dev/null
openssl pkcs12 -export -in "$work/pki/corvane.pem" -inkey "$work/pki/corvane.key" \
  -certfile "$work/pki/root.pem" -passout pass:kx-release -out "$work/release.p12"
cat "$work/pki/tsa.pem" "$work/pki/root.pem" >"$work/tsa-chain.pem"

coproc TSA { exec python3 "$here/local_tsa.py" "$work/pki/tsa.pem" "$work/pki/tsa.key" \
                 "$work/tsa-chain.pem"; }
tsa_pid=$TSA_PID
trap 'kill "$tsa_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
read -r port <&"${TSA[0]}"
check() {  # file expect-timestamp(yes|no)
  local out
  out=$(osslsigncode verify -CAfile "$work/pki/root.pem" -TSA-CAfile "$work/pki/root.pem" \
        -in "$1" 2>&1 || true)
  grep -q "^Signature verification: ok" <<<"$out" || { echo "not signed: $1"; echo "$out"; return 1; }
  if [ "$2" = yes ]; then
    grep -q "^Timestamp Server Signature verification: ok" <<<"$out" \
      || { echo "no verified time-stamp: $1"; echo "$out"; return 1; }
  else
    ! grep -q "Timestamp time:" <<<"$out" || { echo "unexpected time-stamp: $1"; return 1; }
  fi
}
cp "$program" "$work/with-ts.exe"
cp "$program" "$work/without-ts.exe"
KX_SIGN_PKCS12="$work/release.p12" KX_SIGN_PASSWORD=kx-release \
  KX_SIGN_TSA="http://127.0.0.1:$port/" bash "$here/../../tools/signing/sign-file.sh" "$work/with-ts.exe"
KX_SIGN_PKCS12="$work/release.p12" KX_SIGN_PASSWORD=kx-release \
  bash "$here/../../tools/signing/sign-file.sh" "$work/without-ts.exe"
check "$work/with-ts.exe" yes
check "$work/without-ts.exe" no
echo "release signing with and without a time-stamp server: ok"
