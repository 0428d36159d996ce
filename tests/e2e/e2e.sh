#!/usr/bin/env bash
# The whole product on a real host, the way a user meets it: unpack the package, run the
# shipped setup program and answer its message boxes, use the context menu as Explorer
# would, run the "Infos disque" verb, uninstall, and let a restart finish the job.
#
#   e2e.sh <build dir> <flavour> [--demo <out dir>] [scenario...]
#
# Scenarios: nt (install, use, uninstall, restart), twice (install twice in a row),
# win98 (x86 only: the Windows 95 family in a 32-bit prefix). Default: all that apply.
# Each scenario runs in a fresh Wine prefix of its own under <build dir>/e2e, on a private
# Xvfb display. With --demo it tells the story as it goes and saves a screenshot of the
# viewer into <out dir>. Ends with "N passed, M failed" and exit code 0 only if none failed.
set -uo pipefail

BUILD=$(cd "$1" && pwd)
FLAVOUR=$2
shift 2
DEMO_OUT=""
if [ "${1:-}" = "--demo" ]; then
  DEMO_OUT=$(mkdir -p "$2" && cd "$2" && pwd)
  shift 2
fi
SCENARIOS=("$@")
if [ ${#SCENARIOS[@]} -eq 0 ]; then
  SCENARIOS=(nt twice)
  [ "$FLAVOUR" = x86 ] && SCENARIOS+=(win98)
fi

ZIP=$(ls "$BUILD"/VelluMax-*-"$FLAVOUR".zip 2>/dev/null | head -1)
TOOLS=$BUILD/tests/e2e
WORK=$BUILD/e2e
CLSID='{0b95b7e0-c8b9-11cf-8f59-444553540000}'
PASSED=0
FAILED=0

say() { [ -n "$DEMO_OUT" ] && printf '%s\n' "$*"; return 0; }
# For the story: the logs' escaped bytes (\xNN) shown as the French text they are, carriage
# returns as " | ".
readable() { while IFS= read -r l; do printf '%b\n' "$l" | iconv -f CP1252 -t UTF-8 | sed 's/\r/ | /g'; done; }
note() { printf '  %s\n' "$*"; }
pass() { PASSED=$((PASSED + 1)); [ -n "$DEMO_OUT" ] || printf 'ok   %s\n' "$1"; }
fail() { FAILED=$((FAILED + 1)); printf 'FAIL %s\n' "$1"; shift; for l in "$@"; do printf '       %s\n' "$l"; done; }

# expect_eq <what> <expected> <actual>
expect_eq() {
  if [ "$2" = "$3" ]; then pass "$1"; else fail "$1" "expected: $2" "got:      $3"; fi
}
# expect_match <what> <extended regex> <actual>
expect_match() {
  if [[ "$3" =~ $2 ]]; then pass "$1"; else fail "$1" "expected to match: $2" "got:              $3"; fi
}
expect_true() { if eval "$2"; then pass "$1"; else fail "$1" "condition failed: $2"; fi; }

[ -f "$ZIP" ] || { echo "e2e: no package VelluMax-*-$FLAVOUR.zip in $BUILD (build first)" >&2; exit 1; }
for t in box_answerer.exe shell_host.exe; do
  [ -f "$TOOLS/$t" ] || { echo "e2e: $TOOLS/$t is missing (build first)" >&2; exit 1; }
done

# ---- a private X display for the message boxes and the viewer's windows ----
start_display() {
  local n
  for n in $(seq 91 140); do
    if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then
      Xvfb :$n -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
      XVFB_PID=$!
      for _ in $(seq 1 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
      if [ -e /tmp/.X11-unix/X$n ]; then
        export DISPLAY=:$n
        return 0
      fi
      kill $XVFB_PID 2>/dev/null
    fi
  done
  echo "e2e: could not start Xvfb" >&2
  exit 1
}
XVFB_PID=""
cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null; fi
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
}
trap cleanup EXIT
start_display

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The user's programs run on a French system; Wine's own tools report in English, so that
# their output reads the same everywhere.
UI_LOCALE=fr_FR.UTF-8
mkdir -p "$WORK"

# ---- prefixes: one clean base per architecture, copied for every scenario ----
base_prefix() {  # base_prefix win64|win32 -> prints its path
  local arch=$1 base=$WORK/base-$1
  if [ ! -f "$base/system.reg" ]; then
    rm -rf "$base"
    echo "e2e: creating a clean $arch prefix (once)" >&2
    WINEPREFIX=$base WINEARCH=$arch wineboot -i >/dev/null 2>&1
    WINEPREFIX=$base wineserver -w
  fi
  echo "$base"
}

new_prefix() {  # new_prefix <name> win64|win32
  local base
  base=$(base_prefix "$2")
  export WINEPREFIX=$WORK/pfx-$FLAVOUR-$1
  FAILED_BEFORE=$FAILED
  rm -rf "$WINEPREFIX"
  cp -a "$base" "$WINEPREFIX"
  # Keep one Wine session for the whole scenario: a new session would carry out the
  # pending restart deletions before the scenario checks that they are still pending.
  wineserver -p
  PREFIX_ARCH=$2
  if [ "$2" = win32 ]; then
    SHELLEXT_UNIX=$WINEPREFIX/drive_c/windows/system32/Shellext
    REGVIEW=""
  elif [ "$FLAVOUR" = x86 ]; then
    SHELLEXT_UNIX=$WINEPREFIX/drive_c/windows/syswow64/Shellext
    REGVIEW=/reg:32
  else
    SHELLEXT_UNIX=$WINEPREFIX/drive_c/windows/system32/Shellext
    REGVIEW=/reg:64
  fi
  mkdir -p "$WINEPREFIX/drive_c/e2e"
}

# A scenario's prefix is a full copy of Windows (about a gigabyte): it is kept only when
# something failed in it, for a look at what went wrong.
end_prefix() {
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  if [ "$FAILED" -eq "$FAILED_BEFORE" ]; then
    rm -rf "$WINEPREFIX"
  else
    echo "e2e: kept $WINEPREFIX for a look at the failure" >&2
  fi
}

# Runs a program of this flavour; the loader follows the program's own bitness.
# 64-bit programs go straight to the 64-bit loader (the 32-bit one hands them on through
# ShellExecuteEx, which now and then fails on a busy machine).
WINE_LOADER=wine
[ "$FLAVOUR" = x64 ] && WINE_LOADER=/usr/lib/wine/wine64
run_wine() { LC_ALL=$UI_LOCALE timeout 120 "$WINE_LOADER" "$@"; }
reg_tool() { LC_ALL=en_US.UTF-8 wine reg "$@"; }

# reg_value <key> <value name or ""> -> the value's data, or "<missing>"
reg_value() {
  local line name args
  if [ -z "$2" ]; then args=(/ve); name='(Default)'; else args=(/v "$2"); name=$2; fi
  while IFS= read -r line; do
    line=${line%$'\r'}
    line=${line#"    "}
    if [[ "$line" == "$name    REG_"* ]]; then
      line=${line#"$name    "}
      printf '%s' "${line#*    }"
      return
    fi
  done < <(reg_tool query "$1" "${args[@]}" $REGVIEW 2>/dev/null)
  printf '<missing>'
}
key_exists() { reg_tool query "$1" $REGVIEW >/dev/null 2>&1; }

# answer_boxes <log> <answer>...: starts the user's side in the background
answer_boxes() {
  local log=$1
  shift
  : >"$WINEPREFIX/drive_c/e2e/$log"
  LC_ALL=$UI_LOCALE timeout 150 "$WINE_LOADER" "$TOOLS/box_answerer.exe" "C:\\e2e\\$log" "$@" >/dev/null 2>&1 &
  ANSWERER_PID=$!
}
boxes() { tr -d '\r' <"$WINEPREFIX/drive_c/e2e/$1"; }

# wait_for_file <unix path> [seconds]
wait_for_file() {
  local i
  for i in $(seq 1 $((${2:-30} * 10))); do [ -s "$1" ] && return 0; sleep 0.1; done
  return 1
}

# Closes the viewers and the readme the story opened, and waits until they are gone: a
# viewer still running would keep Windows from deleting its file at the uninstallation.
kill_windows() {
  local i taskkill=(wine taskkill)
  # Only the 64-bit taskkill sees the 64-bit processes of a 64-bit prefix.
  [ "$PREFIX_ARCH" = win64 ] && taskkill=(/usr/lib/wine/wine64 taskkill)
  for i in $(seq 1 50); do
    if ! ps -eo stat=,args= | awk '$1 !~ /^Z/' | grep -qiE 'vmxtool\.exe|notepad\.exe'; then
      # The process is gone; give Wine a moment to let go of its image file too.
      sleep 1
      return 0
    fi
    "${taskkill[@]}" /f /im vmxtool.exe >/dev/null 2>&1
    "${taskkill[@]}" /f /im notepad.exe >/dev/null 2>&1
    sleep 0.2
  done
  echo "e2e: the viewer or the readme would not close" >&2
}

# ---- the user's steps ----
install_product() {  # install_product <log> <answer to the offer>
  local dir=$WINEPREFIX/drive_c/users/Public/Downloads/VelluMax
  rm -rf "$dir" && mkdir -p "$dir"
  (cd "$dir" && unzip -q "$ZIP")
  answer_boxes "$1" OK "$2"
  (cd "$dir" && run_wine vmxinst.exe >"$WORK/install.out" 2>&1)
  INSTALL_RC=$?
  wait "$ANSWERER_PID"
  ANSWERER_RC=$?
}

uninstall_product() {  # uninstall_product <log> <answers>...
  local log=$1 command exe
  shift
  command=$(reg_value 'HKLM\SoftWare\Microsoft\Windows\CurrentVersion\Uninstall\VelluMax' UninstallString)
  UNINSTALL_COMMAND=$command
  exe=$(printf '%s' "$command" | sed -E 's/^"([^"]+)".*/\1/')
  answer_boxes "$log" "$@"
  if [ "$FLAVOUR" = x64 ]; then
    LC_ALL=$UI_LOCALE timeout 120 /usr/lib/wine/wine64 "$exe" /uninstall >"$WORK/uninstall.out" 2>&1
  else
    # Wine's loader does not redirect a 32-bit program's own path into the 32-bit system
    # folder, so the program is named where it really is.
    exe="$SHELLEXT_UNIX/$(basename "${exe//\\//}")"
    run_wine "$exe" /uninstall >"$WORK/uninstall.out" 2>&1
  fi
  UNINSTALL_RC=$?
  wait "$ANSWERER_PID"
  ANSWERER_RC=$?
}

# use_menu <name> <path>...: Explorer's part; the viewer records what it received
use_menu() {
  local name=$1
  shift
  export VMXTOOL_TRACE="C:\\e2e\\trace-$name.txt"
  rm -f "$WINEPREFIX/drive_c/e2e/trace-$name.txt"
  # Into a file, not a pipe: the viewer that the handler starts inherits the output and
  # would hold a pipe open for as long as it runs.
  run_wine "$TOOLS/shell_host.exe" menu "$@" >"$WORK/menu-$name.out" 2>&1
  MENU_RC=$?
  MENU_OUT=$(tr -d '\r' <"$WORK/menu-$name.out")
  unset VMXTOOL_TRACE
  wait_for_file "$WINEPREFIX/drive_c/e2e/trace-$name.txt" 30
  sleep 0.5
  TRACE=$(tr -d '\r' <"$WINEPREFIX/drive_c/e2e/trace-$name.txt" 2>/dev/null)
}

trace_line() { printf '%s\n' "$TRACE" | grep -E "^$1: " | head -1 | sed -E "s/^$1: //"; }

# ---- checks shared by the scenarios ----
SYS='C:\windows\system32'
VIEWER="$SYS\\Shellext\\vmxtool.exe"
VIEWER_RE='^"C:\\windows\\system32\\Shellext\\vmxtool\.exe"'
INSTALL_BOXES_FR=(
  'caption=VelluMax FR    text= Voici la version FRAN\xC7AISE de VelluMax\x0D\x0D"OK" pour d\xE9buter l'"'"'installation.'
  'caption=VelluMax FR    text=Votre syst\xE8me peut \xEAtre configur\xE9 pour lancer '"'"'Infos disque'"'"' depuis le menu contextuel de l'"'"'Explorer.'
)

check_installed() {
  local tag=$1 f
  for f in vmxtool.dll vmxtool.exe vmxtool.txt vmxinst.exe; do
    expect_true "$tag: $f installed in Shellext" "[ -f '$SHELLEXT_UNIX/$f' ]"
  done
  expect_eq "$tag: class registered" "$SYS\\Shellext\\vmxtool.dll" \
    "$(reg_value "HKCR\\CLSID\\$CLSID\\InprocServer32" "")"
  expect_eq "$tag: apartment threading" "Apartment" \
    "$(reg_value "HKCR\\CLSID\\$CLSID\\InprocServer32" ThreadingModel)"
  expect_eq "$tag: handler for files" "$CLSID" \
    "$(reg_value 'HKCR\*\ShellEx\ContextMenuHandlers\VelluMax' "")"
  expect_eq "$tag: handler for folders" "$CLSID" \
    "$(reg_value 'HKCR\folder\ShellEx\ContextMenuHandlers\VelluMax' "")"
  expect_eq "$tag: uninstall entry" "\"$SYS\\Shellext\\vmxinst.exe\" /uninstall" \
    "$(reg_value 'HKLM\SoftWare\Microsoft\Windows\CurrentVersion\Uninstall\VelluMax' UninstallString)"
}

check_verbs() {
  local tag=$1 root
  for root in Drive Directory; do
    expect_eq "$tag: Infos disque label on $root" "&Infos disque" \
      "$(reg_value "HKCR\\$root\\shell\\DiskInfoByVmax" "")"
    expect_eq "$tag: Infos disque command on $root" "\"$VIEWER\" \"%1\" /dinfo" \
      "$(reg_value "HKCR\\$root\\shell\\DiskInfoByVmax\\command" "")"
  done
}

check_uninstalled() {
  local tag=$1 key left
  for key in "HKCR\\CLSID\\$CLSID" 'HKCR\*\ShellEx\ContextMenuHandlers\VelluMax' \
    'HKCR\folder\ShellEx\ContextMenuHandlers\VelluMax' 'HKCR\Drive\shell\DiskInfoByVmax' \
    'HKCR\Directory\shell\DiskInfoByVmax' 'HKCR\folder\shell\DiskInfoByVmax' \
    'HKLM\SoftWare\Microsoft\Windows\CurrentVersion\Uninstall\VelluMax' 'HKCU\Software\Caldwyn'; do
    expect_true "$tag: $key removed" "! key_exists '$key'"
  done
  expect_eq "$tag: approved-extension entry removed" "<missing>" \
    "$(reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved' "$CLSID")"
  left=$(ls "$SHELLEXT_UNIX" 2>/dev/null | tr '\n' ' ')
  expect_eq "$tag: only the setup program is left in Shellext" "vmxinst.exe " "$left"
}

restart_windows() {
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  timeout 120 wineboot -r >/dev/null 2>&1
  wineserver -w 2>/dev/null
}

# ---- scenario: install, use, uninstall, restart (NT family) ----
scenario_nt() {
  local t=nt-$FLAVOUR
  new_prefix nt win64
  say ""
  say "== VelluMax $FLAVOUR on Windows (NT family, Wine $(wine --version | sed 's/wine-//'))"
  say "-- 1. The user unpacks $(basename "$ZIP") into C:\\users\\Public\\Downloads\\VelluMax and runs vmxinst.exe"
  install_product install.log OK
  expect_eq "$t: installer exit code" 0 "$INSTALL_RC"
  expect_eq "$t: both install boxes answered" 0 "$ANSWERER_RC"
  mapfile -t got < <(boxes install.log | sed -E 's/^BOX //; s/ answer=[A-Z]+$//')
  expect_eq "$t: start confirmation box" "${INSTALL_BOXES_FR[0]}" "${got[0]:-<none>}"
  expect_eq "$t: Infos disque offer box" "${INSTALL_BOXES_FR[1]}" "${got[1]:-<none>}"
  if [ -n "$DEMO_OUT" ]; then
    boxes install.log | sed -E 's/^BOX /   message box: /' | readable
    say "   The INF file copied the product into C:\\windows\\system32\\Shellext:"
    ls -l "$SHELLEXT_UNIX" | tail -n +2 | awk '{printf "     %-12s %8s bytes\n", $9, $5}'
  fi
  check_installed "$t"
  check_verbs "$t"
  kill_windows

  mkdir -p "$WINEPREFIX/drive_c/e2e/files" "$WINEPREFIX/drive_c/e2e/Mes documents"
  printf 'Bonjour\r\n' >"$WINEPREFIX/drive_c/e2e/files/lettre.txt"
  head -c 20000 /dev/zero >"$WINEPREFIX/drive_c/e2e/files/photo.bmp"
  printf 'x' >"$WINEPREFIX/drive_c/e2e/Mes documents/note.txt"

  say "-- 2. A right-click on one file: Explorer asks the handler into its context menu"
  use_menu one 'C:\e2e\files\lettre.txt'
  [ -n "$DEMO_OUT" ] && printf '%s\n' "$MENU_OUT" | grep -E '^(menu|invoke):' | sed 's/^/   /' | readable
  expect_eq "$t: menu item found and invoked (one file)" 0 "$MENU_RC"
  expect_match "$t: menu shows Vellu M&ax" 'menu: +[0-9]+  Vellu M&ax   <- VelluMax' "$MENU_OUT"
  expect_eq "$t: viewer command line for one file" "\"$VIEWER\" \"C:\\e2e\\files\\lettre.txt\"" "$(trace_line command)"
  say "   The viewer was started with: $(trace_line command)"

  say "-- 3. Two files selected: the paths travel in a temporary list file"
  use_menu two 'C:\e2e\files\lettre.txt' 'C:\e2e\files\photo.bmp'
  expect_eq "$t: menu item found and invoked (two files)" 0 "$MENU_RC"
  local cmd list
  cmd=$(trace_line command)
  expect_match "$t: viewer command line for two files" \
    "$VIEWER_RE"' "C:\\e2e\\files\\photo\.bmp" /f ".*\\VM[0-9A-Fa-f]+\.tmp"$' "$cmd"
  expect_eq "$t: list file count" "2" "$(trace_line count)"
  expect_eq "$t: list file items" "C:\\e2e\\files\\lettre.txt|C:\\e2e\\files\\photo.bmp" \
    "$(printf '%s\n' "$TRACE" | grep '^item: ' | sed 's/^item: //' | paste -sd'|')"
  list=$(printf '%s' "$cmd" | sed -E 's/.* \/f "([^"]+)"$/\1/')
  expect_eq "$t: viewer deleted the list file" "yes" "$(trace_line deleted)"
  say "   The viewer was started with: $cmd"
  say "   and read from ${list}: $(printf '%s\n' "$TRACE" | grep '^item: ' | sed 's/^item: //' | paste -sd',' | sed 's/,/, /g')"
  if [ -n "$DEMO_OUT" ]; then
    sleep 2
    local wid
    wid=$(xwininfo -root -tree 2>/dev/null | grep -E '"VelluMax' | head -1 | awk '{print $1}')
    if [ -n "$wid" ] && import -window "$wid" "$DEMO_OUT/viewer-$FLAVOUR.png" 2>/dev/null; then
      say "   Screenshot of the viewer window: $DEMO_OUT/viewer-$FLAVOUR.png"
    else
      import -window root "$DEMO_OUT/viewer-$FLAVOUR.png" 2>/dev/null &&
        say "   Screenshot of the screen: $DEMO_OUT/viewer-$FLAVOUR.png"
    fi
  fi
  kill_windows

  say "-- 4. A right-click on a folder"
  use_menu folder 'C:\e2e\Mes documents'
  expect_eq "$t: menu item found and invoked (folder)" 0 "$MENU_RC"
  expect_eq "$t: viewer command line for a folder" "\"$VIEWER\" \"C:\\e2e\\Mes documents\"" "$(trace_line command)"
  say "   The viewer was started with: $(trace_line command)"
  kill_windows

  say "-- 5. \"Infos disque\" on a folder"
  export VMXTOOL_TRACE='C:\e2e\trace-dinfo.txt'
  run_wine "$TOOLS/shell_host.exe" verb DiskInfoByVmax 'C:\e2e\Mes documents' >"$WORK/verb.out" 2>&1
  unset VMXTOOL_TRACE
  wait_for_file "$WINEPREFIX/drive_c/e2e/trace-dinfo.txt" 30
  sleep 0.5
  TRACE=$(tr -d '\r' <"$WINEPREFIX/drive_c/e2e/trace-dinfo.txt" 2>/dev/null)
  expect_eq "$t: Infos disque starts the viewer with /dinfo" "\"$VIEWER\" \"C:\\e2e\\Mes documents\" /dinfo" "$(trace_line command)"
  say "   The viewer was started with: $(trace_line command)"
  kill_windows

  say "-- 6. The user uninstalls through the entry in the list of installed programs"
  uninstall_product uninstall.log YES OK
  say "   $UNINSTALL_COMMAND"
  expect_eq "$t: uninstaller exit code" 0 "$UNINSTALL_RC"
  expect_eq "$t: both uninstall boxes answered" 0 "$ANSWERER_RC"
  mapfile -t got < <(boxes uninstall.log | sed -E 's/^BOX //; s/ answer=[A-Z]+$//')
  expect_eq "$t: uninstall confirmation box" \
    "caption=VelluMax Fran\\xE7ais  text= Cela supprimera les composants de VelluMax. D'accord?" "${got[0]:-<none>}"
  expect_eq "$t: uninstall report box" \
    "caption=VelluMax uninstall text=D\\xE9sinstallation OK. \\x0D\\x0DRemarque: C:\\x5Cwindows\\x5Csystem32\\x5CShellext\\x5Cvmxinst.exe sera supprim\\xE9 d\\xE8s le prochain red\\xE9marrage de Windows...   " \
    "${got[1]:-<none>}"
  [ -n "$DEMO_OUT" ] && boxes uninstall.log | sed -E 's/^BOX /   message box: /' | readable
  check_uninstalled "$t"
  local pending
  pending=$(reg_tool query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations /reg:64 2>&1 | tr -d '\r')
  expect_match "$t: the setup program's deletion is pending" 'Shellext\\vmxinst\.exe' "$pending"
  say "   Left behind until the next restart: $(ls "$SHELLEXT_UNIX" | tr '\n' ' ')"

  say "-- 7. Windows restarts (wineboot -r)"
  restart_windows
  expect_true "$t: the restart deleted the setup program" "[ ! -e '$SHELLEXT_UNIX/vmxinst.exe' ]"
  say "   Shellext now holds: $(ls "$SHELLEXT_UNIX" 2>/dev/null | tr '\n' ' ')(nothing of the product is left)"
  end_prefix
}

# ---- scenario: the second installation replaces the first cleanly ----
scenario_twice() {
  local t=twice-$FLAVOUR
  new_prefix twice win64
  install_product first.log OK
  expect_eq "$t: first installation" 0 "$INSTALL_RC"
  kill_windows
  install_product second.log CANCEL
  expect_eq "$t: second installation" 0 "$INSTALL_RC"
  expect_eq "$t: second installation asked twice" 2 "$(boxes second.log | grep -c '^BOX ')"
  kill_windows
  check_installed "$t"
  expect_true "$t: declined offer removed the earlier verbs" \
    "! key_exists 'HKCR\\Drive\\shell\\DiskInfoByVmax' && ! key_exists 'HKCR\\Directory\\shell\\DiskInfoByVmax'"
  printf 'x' >"$WINEPREFIX/drive_c/e2e/twice.txt"
  use_menu twice 'C:\e2e\twice.txt'
  expect_eq "$t: the menu works after reinstalling" 0 "$MENU_RC"
  kill_windows
  end_prefix
}

# ---- scenario: the Windows 95 family (32-bit flavour, 32-bit prefix) ----
scenario_win98() {
  local t=win98-$FLAVOUR
  new_prefix win98 win32
  reg_tool add 'HKCU\Software\Wine\AppDefaults\vmxinst.exe' /v Version /d win98 /f >/dev/null 2>&1
  say ""
  say "== VelluMax $FLAVOUR on the Windows 95 family"
  install_product install.log OK
  expect_eq "$t: installer exit code" 0 "$INSTALL_RC"
  check_installed "$t"
  kill_windows
  uninstall_product uninstall.log YES NO
  expect_eq "$t: uninstaller exit code" 0 "$UNINSTALL_RC"
  mapfile -t got < <(boxes uninstall.log | sed -E 's/^BOX //; s/ answer=[A-Z]+$//')
  expect_eq "$t: restart offered" \
    "caption=VelluMax uninstall text=D\\xE9sinstallation OK. \\x0D\\x0DRemarque: C:\\x5Cwindows\\x5Csystem32\\x5CShellext\\x5Cvmxinst.exe sera supprim\\xE9 d\\xE8s le prochain red\\xE9marrage de Windows...   \\x0D\\x0DRed\\xE9marrer l'ordinateur maintenant ?" \
    "${got[1]:-<none>}"
  check_uninstalled "$t"
  local wininit
  wininit=$(tr -d '\r' <"$WINEPREFIX/drive_c/windows/wininit.ini" 2>/dev/null | paste -sd'|')
  expect_match "$t: wininit.ini schedules the setup program" \
    '\[[Rr][Ee][Nn][Aa][Mm][Ee]\]\|NUL=C:\\windows\\system32\\Shellext\\vmxinst\.exe' "$wininit"
  say "   wininit.ini: $wininit"
  restart_windows
  expect_true "$t: the restart deleted the setup program" "[ ! -e '$SHELLEXT_UNIX/vmxinst.exe' ]"
  end_prefix
}

for s in "${SCENARIOS[@]}"; do
  case $s in
    nt) scenario_nt ;;
    twice) scenario_twice ;;
    win98) scenario_win98 ;;
    *) echo "e2e: unknown scenario $s" >&2; exit 2 ;;
  esac
done

echo "e2e $FLAVOUR: $PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
