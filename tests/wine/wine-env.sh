# Sourced by the Wine scripts: the prefix of this test run and the Wine binaries.
# KX_WINE_DIR is the run's Wine folder under build/ (set by ctest per test).
: "${KX_WINE_DIR:=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/win64/wine}"
export WINEPREFIX="$KX_WINE_DIR/prefix"
export WINEDEBUG=-all
# No Mono/Gecko installers: nothing here needs .NET or HTML.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
KX_WINE=/usr/lib/wine/wine64
KX_WINESERVER=/usr/lib/wine/wineserver64
[ -x "$KX_WINESERVER" ] || KX_WINESERVER=/usr/lib/wine/wineserver
