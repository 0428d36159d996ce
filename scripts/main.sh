#!/usr/bin/env bash
# The main job: installs what is missing, builds both flavours with their packages, and
# runs the product's story in fresh Wine prefixes as a demo: install from the package,
# the context menu as the shell shows it, what the viewer received, the uninstallation
# and what it left. The packages and a screenshot of the viewer end up in out/.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh x86 x64

mkdir -p out
cp build/x86/VelluMax-*-x86.zip build/x64/VelluMax-*-x64.zip out/
echo
echo "== Packages"
for z in out/VelluMax-*.zip; do
  echo "$z ($(stat -c %s "$z") bytes):"
  unzip -l "$z" | sed -n '4,8p' | awk '{printf "    %-12s %8s bytes\n", $4, $1}'
done

status=0
for f in x86 x64; do
  tests/e2e/e2e.sh "build/$f" "$f" --demo out nt || status=1
done
echo
if [ $status -eq 0 ]; then
  echo "main: done. Packages and viewer screenshots are in $(pwd)/out"
else
  echo "main: the demo found a fault (see FAIL above)" >&2
fi
exit $status
