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
  zip unzip python3 libc-bin locales-all
)

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

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: every package is present"
  exit 0
fi

echo "install-deps: missing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: run as root to install them" >&2
  exit 1
fi

if [ "$kind" != x64-only ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "install-deps: adding the i386 architecture (32-bit Wine)"
  dpkg --add-architecture i386
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
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    echo "install-deps: package still missing after install: $p" >&2
    exit 1
  fi
done
echo "install-deps: done"
