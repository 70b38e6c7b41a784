#!/bin/bash
# sign-dist.sh <dist dir>: Authenticode-signs every .exe/.dll under it.
# Release key: KX_SIGN_PKCS12 (file) and KX_SIGN_PASSWORD. Without them a
# throwaway test certificate is made and the build is marked as test-signed.
set -euo pipefail
dist=$1
here=$(cd "$(dirname "$0")" && pwd)
if [ -n "${KX_SIGN_PKCS12:-}" ]; then
  keyargs=(-pkcs12 "$KX_SIGN_PKCS12" -pass "${KX_SIGN_PASSWORD:-}")
else
  pki=$(mktemp -d); trap 'rm -rf "$pki"' EXIT
  bash "$here/../../tests/signing/make-pki.sh" "$pki" >/dev/null
  keyargs=(-certs "$pki/corvane.pem" -key "$pki/corvane.key")
  echo "=================================================================="
  echo "  TEST-SIGNED BUILD — NOT FOR RELEASE (KX_SIGN_PKCS12 not set)"
  echo "=================================================================="
  cp "$pki/root.pem" "$dist/TEST-SIGNED-NOT-FOR-RELEASE.root.pem"
fi
for f in "$dist"/win32/*.exe "$dist"/win32/*.dll "$dist"/win64/*.exe "$dist"/win64/*.dll; do
  [ -e "$f" ] || continue
  osslsigncode sign "${keyargs[@]}" -h sha256 -n "KX Game" -in "$f" -out "$f.signed" >/dev/null
  mv "$f.signed" "$f"
  echo "signed $f"
done
