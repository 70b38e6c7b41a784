#!/usr/bin/env bash
# ctest's emulator for the win64 build: runs a Windows program in the run's prefix.
. "$(dirname "$0")/wine-env.sh"
exec "$KX_WINE" "$@"
