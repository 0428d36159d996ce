#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on Debian 12.
# Safe to run again: when every package is present it changes nothing.
set -euo pipefail

PACKAGES=(
  cmake ninja-build make
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 binutils-mingw-w64
  googletest
  wine wine64
  xvfb xauth x11-utils imagemagick
  zip unzip python3 python3-yaml libc-bin locales-all
  gcab
  openssl
)
# Package signing needs osslsigncode 2.7 or later: Debian 12 has it in bookworm-backports only.
BACKPORTS_LIST=/etc/apt/sources.list.d/bookworm-backports.list
SIGNER=osslsigncode
SIGNER_RELEASE=bookworm-backports

# 32-bit Wine only where this machine runs 32-bit x86 programs: elsewhere it could not start.
kind=$("$(dirname "$0")/machine-kind.sh")
echo "install-deps: this machine is $kind"
[ "$kind" = x64-only ] || PACKAGES+=(wine32:i386)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

signer_ok() {
  # osslsigncode prints "osslsigncode 2.9, using:"; packages need 2.7 or later.
  local v
  v=$(osslsigncode --version 2>/dev/null | sed -n 's/^osslsigncode \([0-9]*\)\.\([0-9]*\).*/\1 \2/p' | head -1)
  [ -n "$v" ] && set -- $v && { [ "$1" -gt 2 ] || { [ "$1" -eq 2 ] && [ "$2" -ge 7 ]; }; }
}
need_signer=0
signer_ok || need_signer=1

if [ ${#missing[@]} -eq 0 ] && [ $need_signer -eq 0 ]; then
  echo "install-deps: every package is present"
  exit 0
fi

[ $need_signer -eq 0 ] || missing+=("$SIGNER/$SIGNER_RELEASE")
echo "install-deps: missing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: run as root to install them" >&2
  exit 1
fi

if [ "$kind" != x64-only ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "install-deps: adding the i386 architecture (32-bit Wine)"
  dpkg --add-architecture i386
fi

if [ $need_signer -eq 1 ] && ! grep -rqs "^[^#]*$SIGNER_RELEASE" /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "install-deps: adding $SIGNER_RELEASE to the package sources ($BACKPORTS_LIST)"
  echo "deb http://deb.debian.org/debian $SIGNER_RELEASE main" >"$BACKPORTS_LIST"
fi

export DEBIAN_FRONTEND=noninteractive
# A mirror in the middle of a sync fails one index now and then; the others still serve
# what we need, so retry a few times and then go on with what was fetched.
for attempt in 1 2 3; do
  if apt-get update -q; then break; fi
  echo "install-deps: apt-get update failed (attempt $attempt), going on with the indexes it has" >&2
  sleep $((attempt * 5))
done
if ! apt-get install -y -q --no-install-recommends "${missing[@]}"; then
  echo "install-deps: apt-get could not install: ${missing[*]}" >&2
  exit 1
fi

for p in "${missing[@]}"; do
  [ "$p" != "$SIGNER/$SIGNER_RELEASE" ] || continue
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    echo "install-deps: package still missing after install: $p" >&2
    exit 1
  fi
done
if ! signer_ok; then
  echo "install-deps: $SIGNER 2.7 or later is still missing after install" >&2
  exit 1
fi
echo "install-deps: done"
