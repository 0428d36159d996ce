#!/bin/sh
# Reads a built DLL's PE tables with objdump and fails unless it imports Windows system
# DLLs only and exports exactly DllCanUnloadNow (ordinal 2) and DllGetClassObject (ordinal 3).
#   check_dll_image.sh <objdump> <dll>
set -eu
objdump="$1"
dll="$2"
echo "check_dll_image: reading $dll with $objdump"
tables=$("$objdump" -p "$dll") || { echo "check_dll_image: objdump failed on $dll" >&2; exit 1; }
failed=0

imports=$(printf '%s\n' "$tables" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$imports" ] || { echo "check_dll_image: no import table found" >&2; exit 1; }
for name in $imports; do
  lower=$(printf '%s' "$name" | tr 'A-Z' 'a-z')
  case "$lower" in
    kernel32.dll|user32.dll|shell32.dll|ole32.dll|oleaut32.dll|advapi32.dll|msvcrt.dll|\
    shlwapi.dll|gdi32.dll|api-ms-win-crt-*.dll|api-ms-win-core-*.dll)
      echo "check_dll_image: imports $name (system DLL)" ;;
    *)
      echo "check_dll_image: imports $name, which is not a Windows system DLL" >&2
      failed=1 ;;
  esac
done

base=$(printf '%s\n' "$tables" | sed -n 's/^Ordinal Base[[:space:]]*//p' | head -n 1)
[ -n "$base" ] || { echo "check_dll_image: no export table found" >&2; exit 1; }
# "[Ordinal/Name Pointer] Table" lists "[index] name"; the ordinal is the base plus index.
exports=$(printf '%s\n' "$tables" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  sed -n 's/^[[:space:]]*\[[[:space:]]*\([0-9][0-9]*\)\][[:space:]]*\([^[:space:]]*\).*/\1 \2/p' |
  while read -r index name; do echo "$((base + index)) $name"; done)
expected="2 DllCanUnloadNow
3 DllGetClassObject"
echo "check_dll_image: exports (ordinal name):"
printf '%s\n' "$exports" | sed 's/^/    /'
if [ "$exports" != "$expected" ]; then
  echo "check_dll_image: expected exactly these exports:" >&2
  printf '%s\n' "$expected" | sed 's/^/    /' >&2
  failed=1
fi

[ "$failed" -eq 0 ] || { echo "check_dll_image: FAILED for $dll" >&2; exit 1; }
echo "check_dll_image: $dll imports system DLLs only and exports exactly the two entry points"
