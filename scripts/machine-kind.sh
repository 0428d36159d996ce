#!/usr/bin/env bash
# Tells whether this machine runs 32-bit x86 programs, which 32-bit Wine needs.
# Some hypervisors refuse 32-bit user mode altogether; there no 32-bit Windows program runs,
# and nothing here ever falls back to emulation.
#   machine-kind.sh          prints "x86+x64" or "x64-only"
#   machine-kind.sh --why    the same, followed by one line that says how it was found
# It runs a 93-byte i386 Linux program that exits with 42 (it needs no 32-bit library).
set -u
probe=$(mktemp "${TMPDIR:-/tmp}/vmx-i386-probe.XXXXXX") || exit 1
trap 'rm -f "$probe"' EXIT
# ELF header, one loadable segment, then: xor eax,eax; inc eax; xor ebx,ebx; mov bl,42; int 0x80
printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >>"$probe"
printf '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' >>"$probe"
printf '\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00' >>"$probe"
printf '\x00\x10\x00\x00\x31\xc0\x40\x31\xdb\xb3\x2a\xcd\x80' >>"$probe"
chmod +x "$probe"
why=$("$probe" 2>&1)
rc=$?
if [ $rc -eq 42 ]; then
  kind=x86+x64
  why="an i386 program ran"
else
  kind=x64-only
  why="an i386 program did not run (exit $rc${why:+: ${why##*: }})"
fi
echo "$kind"
[ "${1:-}" = --why ] && echo "$why"
exit 0
