#!/bin/bash
# build-installers.sh <dist dir>: the 32-bit and the 64-bit setup programs from
# the (signed) files in dist/win32 and dist/win64. With KX_SIGN_SCRIPT set (as
# sign-dist.sh does) each installer and the uninstaller inside it are signed.
set -euo pipefail
dist=$(cd "${1:?dist dir}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
sign=()
[ -z "${KX_SIGN_SCRIPT:-}" ] || sign=("-DKX_SIGN=bash \"$KX_SIGN_SCRIPT\" \"%1\"")
for width in 32 64; do
  makensis -V2 -INPUTCHARSET UTF8 -DKX_WIDTH=$width -DKX_FILES="$dist/win$width" \
    -DKX_OUTDIR="$dist" "${sign[@]}" "$here/KXGameSetup.nsi"
done
ls "$dist"/KXGameSetup-*.exe
