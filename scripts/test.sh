#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds both flavours and runs every test
# under Wine, each flavour in the test prefix of its own build directory.
#   scripts/test.sh            both flavours
#   scripts/test.sh x86        one flavour
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
flavours=("$@")
[ ${#flavours[@]} -gt 0 ] || flavours=(x86 x64)
./scripts/build.sh "${flavours[@]}"
failed=()
for f in "${flavours[@]}"; do
  echo "== test: $f"
  if ! ctest --preset "$f"; then
    failed+=("$f")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "test: FAILED in flavour(s): ${failed[*]}" >&2
  exit 1
fi
echo "test: every test passed in: ${flavours[*]}"
