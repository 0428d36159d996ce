#!/usr/bin/env bash
# Configures and builds the given flavours (default: x86 x64) with their CMake presets.
set -euo pipefail
cd "$(dirname "$0")/.."
flavours=("$@")
[ ${#flavours[@]} -gt 0 ] || flavours=(x86 x64)
for f in "${flavours[@]}"; do
  echo "== build: $f"
  cmake --preset "$f" >/dev/null
  cmake --build --preset "$f"
done
