#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds both flavours and runs every test
# under Wine, each flavour in the test prefix of its own build directory.
#   scripts/test.sh            both flavours
#   scripts/test.sh x86        one flavour
# On a machine that runs no 32-bit x86 code, the 32-bit build's Windows programs are CTest
# skips and the end-to-end story plays its 64-bit part. The last line tells what ran, what
# passed and what was skipped; the exit code is 0 only when every test that could run
# passed and the whole 64-bit suite ran.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t machine < <(./scripts/machine-kind.sh --why)
echo "test: this machine is ${machine[0]}: ${machine[1]}"
./scripts/install-deps.sh
flavours=("$@")
[ ${#flavours[@]} -gt 0 ] || flavours=(x86 x64)
./scripts/build.sh "${flavours[@]}"

status=0
summary=()
for f in "${flavours[@]}"; do
  echo "== test: $f"
  log=build/$f/ctest-output.txt
  ctest_rc=0
  ctest --preset "$f" 2>&1 | tee "$log" || ctest_rc=$?
  # CTest's own account: "... tests failed out of N", then one "(Skipped)" line per skip.
  total=$(sed -nE 's/.* tests failed out of ([0-9]+).*/\1/p' "$log" | tail -1)
  failed=$(sed -nE 's/.* ([0-9]+) tests failed out of.*/\1/p' "$log" | tail -1)
  skipped=$(grep -cE '^[[:space:]]*[0-9]+ - .* \(Skipped\)$' "$log" || true)
  if [ -z "$total" ]; then
    summary+=("$f: ctest did not finish (exit $ctest_rc)")
    status=1
    continue
  fi
  ran=$((total - skipped))
  part="$f: $ran ran, $((ran - failed)) passed, $failed failed, $skipped skipped"
  [ "$skipped" -gt 0 ] && [ "$f" = x86 ] && part+=" (no 32-bit x86 code on this machine)"
  if [ "$f" = x86 ] && [ -s build/x86/e2e/started.txt ]; then
    part+="; e2e started the setup program as $(paste -sd' ' build/x86/e2e/started.txt | sed 's/ / and /g')"
  fi
  if [ "$f" = x86 ] && [ -s build/x86/e2e/skipped.txt ]; then
    part+="; in e2e $(wc -l <build/x86/e2e/skipped.txt) step(s) skipped: [$(cut -f1 build/x86/e2e/skipped.txt | paste -sd'|' | sed 's/|/] [/g')]"
  fi
  summary+=("$part")
  [ "$ctest_rc" -eq 0 ] && [ "$failed" -eq 0 ] || status=1
  if [ "$f" = x64 ] && [ "$skipped" -gt 0 ]; then
    summary+=("the 64-bit suite must run whole, yet $skipped test(s) were skipped")
    status=1
  fi
done
line="test: machine ${machine[0]}; $(printf '%s; ' "${summary[@]}" | sed 's/; $//')"
if [ $status -eq 0 ]; then
  echo "$line. PASSED"
else
  echo "$line. FAILED" >&2
fi
exit $status
