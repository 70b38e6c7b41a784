#!/bin/bash
# trust-test-root.sh <dist> <trust_root.exe>: a test-signed dist's root becomes
# trusted in this run's prefix (a release dist chains to a root Windows has).
set -euo pipefail
dist=$1; trust=$2
root="$dist/TEST-SIGNED-NOT-FOR-RELEASE.root.pem"
[ -e "$root" ] || { echo "release-signed dist: nothing to trust"; exit 0; }
. "$(dirname "$0")/../wine/wine-env.sh"
der="$KX_WINE_DIR/dist-root.der"
openssl x509 -in "$root" -outform DER -out "$der"
"$KX_WINE" "$trust" "$der"
echo "trusted $root"
