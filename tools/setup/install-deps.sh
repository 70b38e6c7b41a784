#!/usr/bin/env bash
# Installs the build and test tools on a Debian 12 machine (as root) and fetches
# the third-party sources that the mingw builds compile from Debian's source packages.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
src_cache="$here/build/third_party-src"

packages=(cmake ninja-build g++ make file
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix gcc-mingw-w64-x86-64-posix gcc-mingw-w64-i686-posix
  wine64 libz-mingw-w64-dev
  zlib1g-dev libminizip-dev libcjson-dev libgtest-dev libgmock-dev googletest
  nginx-light xvfb xauth osslsigncode openssl nsis dpkg-dev curl unzip libarchive-tools python3
  clang libclang-rt-14-dev
  chromium fonts-wqy-microhei)
# The page tests run on Node and npm; a machine that already has a Node of its own keeps it.
command -v node >/dev/null && command -v npm >/dev/null || packages+=(nodejs npm)

retry() {
  local n=0
  until "$@"; do
    n=$((n + 1))
    [ "$n" -ge 4 ] && return 1
    echo "retrying ($n): $*" >&2
    sleep $((n * 5))
  done
}

sudo_() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# deb-src entry with the same mirror as the binary entries.
srcfile=/etc/apt/sources.list.d/kx-deb-src.sources
need_update=0
if [ ! -f "$srcfile" ]; then
  uri=$(awk '/^URIs:/{print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  [ -n "$uri" ] || uri=http://deb.debian.org/debian
  sudo_ tee "$srcfile" >/dev/null <<SRC
Types: deb-src
URIs: $uri
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ] || [ "$need_update" = 1 ] || [ "${CI:-}" = true ]; then
  retry sudo_ apt-get update -qq
fi
if [ "${#missing[@]}" -gt 0 ]; then
  echo "installing: ${missing[*]}"
  # Packages such as nginx start a system service when installed; the tests run
  # their own server, so keep services from starting during the install.
  policy=/usr/sbin/policy-rc.d
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' | sudo_ tee "$policy" >/dev/null
    sudo_ chmod +x "$policy"
    trap 'sudo_ rm -f "$policy"' EXIT
  fi
  retry sudo_ env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

mkdir -p "$src_cache"
cd "$src_cache"
for pkg in cjson minizip; do
  if ! ls -d "$pkg"-*/ >/dev/null 2>&1; then
    retry apt-get source -qq "$pkg" >/dev/null 2>&1 || { echo "apt-get source $pkg failed" >&2; exit 1; }
  fi
done
# The page bridge's npm packages, exactly as locked.
bridge="$here/tools/page_bridge"
if [ ! -f "$bridge/node_modules/.package-lock.json" ] ||
   [ "$bridge/package-lock.json" -nt "$bridge/node_modules/.package-lock.json" ]; then
  (cd "$bridge" && retry npm ci --no-audit --no-fund --loglevel=error >/dev/null)
fi
echo "dependencies ready"
