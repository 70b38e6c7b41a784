#!/bin/bash
# sign-file.sh <file>: Authenticode-signs one file in place with a SHA-256
# signature and a time-stamp. Key and time-stamp source come from the
# environment that sign-dist.sh sets up:
#   KX_SIGN_PKCS12 + KX_SIGN_PASSWORD, or KX_SIGN_CERTS + KX_SIGN_KEY;
#   KX_SIGN_TSA=<url> (RFC 3161 server), or KX_SIGN_TSA_CERTS + KX_SIGN_TSA_KEY
#   (an offline time-stamp made here by osslsigncode), or neither (no time-stamp).
# The NSIS scripts call it for each installer and for the uninstaller inside.
set -euo pipefail
f=${1:?file to sign}
if [ -n "${KX_SIGN_PKCS12:-}" ]; then
  keyargs=(-pkcs12 "$KX_SIGN_PKCS12" -pass "${KX_SIGN_PASSWORD:-}")
elif [ -n "${KX_SIGN_CERTS:-}" ] && [ -n "${KX_SIGN_KEY:-}" ]; then
  keyargs=(-certs "$KX_SIGN_CERTS" -key "$KX_SIGN_KEY")
else
  echo "sign-file.sh: no signing key in the environment" >&2
  exit 1
fi
tsargs=()
if [ -n "${KX_SIGN_TSA:-}" ]; then
  tsargs=(-ts "$KX_SIGN_TSA")
elif [ -n "${KX_SIGN_TSA_CERTS:-}" ] && [ -n "${KX_SIGN_TSA_KEY:-}" ]; then
  tsargs=(-TSA-certs "$KX_SIGN_TSA_CERTS" -TSA-key "$KX_SIGN_TSA_KEY")
fi
rm -f "$f.signed"
osslsigncode sign "${keyargs[@]}" "${tsargs[@]}" -h sha256 -n "KX Game" \
  -in "$f" -out "$f.signed" >/dev/null
mv "$f.signed" "$f"
echo "signed $f"
