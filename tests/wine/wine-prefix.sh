#!/usr/bin/env bash
# wine-prefix.sh up|down DIR
#   up:   makes DIR/template once (wineboot, null graphics driver), copies it to
#         DIR/prefix for this run and starts a persistent wineserver there.
#   down: ends that wineserver (scoped to the run's prefix).
set -euo pipefail
cmd=$1
export KX_WINE_DIR=$2
. "$(dirname "$0")/wine-env.sh"
template="$KX_WINE_DIR/template"

case "$cmd" in
up)
  if [ ! -f "$template/.kx-ready" ]; then
    rm -rf "$template"
    mkdir -p "$KX_WINE_DIR"
    WINEPREFIX="$template" "$KX_WINE" wineboot -i >/dev/null 2>&1
    # Windows, message boxes and dialogs without an X display.
    WINEPREFIX="$template" "$KX_WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    WINEPREFIX="$template" "$KX_WINESERVER" -w
    touch "$template/.kx-ready"
  fi
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    "$KX_WINESERVER" -k 2>/dev/null || true
    "$KX_WINESERVER" -w 2>/dev/null || true
  fi
  rm -rf "$WINEPREFIX"
  cp -a "$template" "$WINEPREFIX"
  # No inherited pipes: ctest waits for every holder of its output to close.
  "$KX_WINESERVER" -p </dev/null >/dev/null 2>&1
  # Warm the prefix so the first test does not pay the start-up.
  "$KX_WINE" cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
  echo "wine prefix ready: $WINEPREFIX"
  ;;
down)
  "$KX_WINESERVER" -k 2>/dev/null || true
  echo "wineserver ended for $WINEPREFIX"
  ;;
*)
  echo "usage: $0 up|down DIR" >&2; exit 2 ;;
esac
