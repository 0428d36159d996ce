#!/usr/bin/env bash
# Runs chosen tests many times in a row, each run from fresh Wine prefixes, to show that
# they pass every time and not only most of the time.
#   scripts/soak.sh N [test regex] [flavour...]
#     N         how many runs
#     regex     CTest's -R (default: every test)
#     flavours  x86 and/or x64 (default: both); a flavour without a matching test is left out
# It builds what is missing first. At the end it prints, per test, how many runs passed, and
# the output of its first failure. The exit code is 0 only when every run of every test
# passed. Skipped tests (32-bit code on a machine without it) count as skipped, not passed.
set -uo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 1 ] && [[ "$1" =~ ^[1-9][0-9]*$ ]] || {
  echo "usage: scripts/soak.sh N [test regex] [flavour...]" >&2
  exit 2
}
runs=$1
regex=${2:-.}
shift $(($# >= 2 ? 2 : 1))
flavours=("$@")
[ ${#flavours[@]} -gt 0 ] || flavours=(x86 x64)

./scripts/build.sh "${flavours[@]}" >/dev/null || { echo "soak: the build failed" >&2; exit 1; }
out=build/soak
rm -rf "$out"
mkdir -p "$out"

chosen=()
for f in "${flavours[@]}"; do
  n=$(ctest --preset "$f" -N -R "$regex" 2>/dev/null | sed -nE 's/^Total Tests: ([0-9]+)/\1/p')
  if [ "${n:-0}" -gt 0 ]; then chosen+=("$f"); echo "soak: $f: $n test(s) match '$regex'"; fi
done
[ ${#chosen[@]} -gt 0 ] || { echo "soak: no test matches '$regex'" >&2; exit 2; }

# Every prefix a run may use: the build's test prefixes, the private display's, and the
# end-to-end story's clean bases. Their Wine sessions end first, so nothing outlives them.
fresh_prefixes() {
  local b=build/$1 p
  for p in "$b/wineprefix" "$b/wineprefix32" "$b/display/wineprefix" "$b"/e2e/base-* "$b"/e2e/pfx-*; do
    [ -d "$p" ] || continue
    WINEPREFIX=$(realpath "$p") wineserver -k 2>/dev/null
    rm -rf "$p"
  done
}

start=$(date +%s)
for i in $(seq 1 "$runs"); do
  for f in "${chosen[@]}"; do
    fresh_prefixes "$f"
    t0=$(date +%s)
    ctest --preset "$f" -R "$regex" --output-junit "$(pwd)/$out/$f-$i.xml" >"$out/$f-$i.log" 2>&1
    rc=$?
    echo "soak: run $i/$runs, $f: ctest exit $rc in $(($(date +%s) - t0)) s; $(grep -E 'tests passed|tests failed' "$out/$f-$i.log" | tail -1)"
  done
done
echo "soak: $runs run(s) in $(($(date +%s) - start)) s"

python3 - "$out" "$runs" "${chosen[@]}" <<'EOF'
import sys, xml.etree.ElementTree as ET
out, runs, flavours = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
status = 0
for f in flavours:
    tally = {}  # name -> [passed, skipped, failed, first failure's output]
    for i in range(1, runs + 1):
        try:
            cases = ET.parse(f"{out}/{f}-{i}.xml").getroot().iter("testcase")
        except (OSError, ET.ParseError) as e:
            print(f"soak: {f} run {i}: no CTest report ({e}); see {out}/{f}-{i}.log")
            status = 1
            continue
        for c in cases:
            t = tally.setdefault(c.get("name"), [0, 0, 0, None])
            if c.get("status") == "run":
                t[0] += 1
            elif c.get("status") in ("notrun", "disabled") or c.find("skipped") is not None:
                t[1] += 1
            else:
                t[2] += 1
                if t[3] is None:
                    text = (c.findtext("system-out") or "").strip()
                    t[3] = f"run {i}: " + (text[-3000:] or "(no output)")
    print(f"== {f}: runs passed / {runs} per test")
    for name in sorted(tally):
        passed, skipped, failed, first = tally[name]
        line = f"{passed:3d}/{runs}  {name}"
        if skipped:
            line += f"  ({skipped} skipped)"
        print(line)
        if failed:
            status = 1
            print("      first failure, " + first.replace("\n", "\n      "))
print("soak: every run of every test passed" if status == 0 else "soak: FAILED")
sys.exit(status)
EOF
