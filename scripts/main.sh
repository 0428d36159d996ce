#!/usr/bin/env bash
# The main job: installs what is missing and builds both flavours.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh x86 x64
echo "main: built build/x86 and build/x64"
