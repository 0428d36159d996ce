#!/usr/bin/env bash
# The main job: installs what is missing, builds both flavours and the one package, and
# runs the product's story on 64-bit Windows in a fresh Wine prefix as a demo: install from
# the package, the context menu as 64-bit Explorer and a 32-bit program show it, what the
# viewer received, the uninstallation and what it left; then the same through the single
# setup file, and a damaged copy of it refused. The package and a screenshot of
# the viewer end up in out/.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t machine < <(./scripts/machine-kind.sh --why)
echo "main: this machine is ${machine[0]}: ${machine[1]}"
./scripts/install-deps.sh
./scripts/build.sh x86 x64

mkdir -p out
rm -rf out/VelluMax-*.zip out/VelluMax-*-setup-x64.exe out/SHA256SUMS out/winget
cp build/x86/VelluMax-*.zip build/x86/VelluMax-*-setup-x64.exe out/
cp -r build/x86/winget out/winget
# The release's downloads, as `sha256sum -c SHA256SUMS` checks them.
(cd out && sha256sum VelluMax-*-setup-x64.exe VelluMax-*.zip >SHA256SUMS)
echo
echo "== The package"
for z in out/VelluMax-*.zip; do
  echo "$z ($(stat -c %s "$z") bytes):"
  unzip -l "$z" | awk 'NR > 3 && $4 != "" && $1 ~ /^[0-9]+$/ {printf "    %-14s %8s bytes\n", $4, $1}'
done
for s in out/VelluMax-*-setup-x64.exe; do
  echo "$s ($(stat -c %s "$s") bytes): the single setup file for 64-bit Windows, carrying the package"
done
echo "out/SHA256SUMS:"
sed 's/^/    /' out/SHA256SUMS
echo "out/winget: the package manager's manifest ($(find out/winget -name '*.yaml' | wc -l) files)"

status=0
tests/e2e/e2e.sh build/x86 build/x64 --demo out win64 single || status=1
echo
echo "main: the setup program that did the work on this machine's 64-bit Windows: vmxinst64.exe, started as $(paste -sd' ' build/x86/e2e/started.txt 2>/dev/null | sed 's/ / and /g')"
if [ "${machine[0]}" = x64-only ]; then
  echo "main: not shown on this machine, which runs no 32-bit x86 programs: vmxinst.exe handing 64-bit Windows over to vmxinst64.exe (the story started vmxinst64.exe itself) and the 32-bit programs' context menu and viewer"
fi
if [ $status -eq 0 ]; then
  echo "main: done. The package and the viewer's screenshot are in $(pwd)/out"
else
  echo "main: the demo found a fault (see FAIL above)" >&2
fi
exit $status
