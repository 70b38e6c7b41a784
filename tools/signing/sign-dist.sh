#!/bin/bash
# sign-dist.sh <dist dir> [COMMAND ARGS...]: Authenticode-signs every .exe/.dll
# under dist/win32 and dist/win64, then runs COMMAND (the installer build) with
# the same signing environment, so that everything in the dist is signed with
# one key.
# Release key: KX_SIGN_PKCS12 (file) and KX_SIGN_PASSWORD; KX_SIGN_TSA=<url>
# adds an RFC 3161 time-stamp, which keeps release signatures valid after the
# certificate expires. Without a release key a throwaway test PKI is made, the
# build is marked as test-signed and time-stamped offline by its test TSA.
set -euo pipefail
dist=$1; shift
here=$(cd "$(dirname "$0")" && pwd)
export KX_SIGN_SCRIPT="$here/sign-file.sh"
if [ -z "${KX_SIGN_PKCS12:-}" ]; then
  pki=$(mktemp -d); trap 'rm -rf "$pki"' EXIT
  bash "$here/../../tests/signing/make-pki.sh" "$pki" >/dev/null
  export KX_SIGN_CERTS="$pki/corvane.pem" KX_SIGN_KEY="$pki/corvane.key"
  if [ -z "${KX_SIGN_TSA:-}" ]; then
    export KX_SIGN_TSA_CERTS="$pki/tsa.pem" KX_SIGN_TSA_KEY="$pki/tsa.key"
  fi
  echo "=================================================================="
  echo "  TEST-SIGNED BUILD — NOT FOR RELEASE (KX_SIGN_PKCS12 not set)"
  echo "=================================================================="
  cp "$pki/root.pem" "$dist/TEST-SIGNED-NOT-FOR-RELEASE.root.pem"
else
  rm -f "$dist/TEST-SIGNED-NOT-FOR-RELEASE.root.pem"
fi
for f in "$dist"/win32/*.exe "$dist"/win32/*.dll "$dist"/win64/*.exe "$dist"/win64/*.dll; do
  [ -e "$f" ] || continue
  bash "$KX_SIGN_SCRIPT" "$f"
done
[ "$#" -eq 0 ] || "$@"
