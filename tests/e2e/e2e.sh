#!/usr/bin/env bash
# The whole product on a real host, the way a user meets it: unpack the one package, run
# the shipped setup program and answer its message boxes, use the context menu as 64-bit
# Explorer and a 32-bit program's Open dialog would, run the "Infos disque" verb, uninstall
# through the entry in the list of installed programs, and let a restart finish the job.
#
#   e2e.sh <32-bit build dir> <64-bit build dir> [--demo <out dir>] [scenario...]
#
# Scenarios: win64 (64-bit Windows, then the quiet runs of a deployment tool), win32
# (32-bit Windows of the NT family), upgrade (on 64-bit Windows over the keys of earlier 32-
# and 64-bit packages, then installed twice), win98 (the Windows 95 family), single (64-bit
# Windows through the single setup file, alone in a folder whose name is outside the code
# page, and a damaged copy of it). Default: all.
# Each scenario runs in a fresh Wine prefix of its own under <32-bit build dir>/e2e, on a
# private Xvfb display. With --demo it tells the story as it goes and saves a screenshot of
# the viewer into <out dir>. Ends with
# "N passed, M failed, K skipped" and exit code 0 only if none failed.
#
# The package is installed exactly as users get it. The user starts vmxinst.exe, which
# hands 64-bit Windows over to vmxinst64.exe beside it (Wine's process trace shows the
# hand-over). On a machine that runs no 32-bit x86 code the story starts vmxinst64.exe from
# the same unpacked folder, as the 32-bit program would, and plays with the 64-bit host
# alone; what needs 32-bit code is reported as skipped, each step by name, and listed in
# <32-bit build dir>/e2e/skipped.txt. <32-bit build dir>/e2e/started.txt names the setup
# program that the story started.
set -uo pipefail

BUILD=$(cd "$1" && pwd)
BUILD64=$(cd "$2" && pwd)
shift 2
DEMO_OUT=""
if [ "${1:-}" = "--demo" ]; then
  DEMO_OUT=$(mkdir -p "$2" && cd "$2" && pwd)
  shift 2
fi
SCENARIOS=("$@")
[ ${#SCENARIOS[@]} -gt 0 ] || SCENARIOS=(win64 win32 upgrade win98 single)

ZIP=$(ls "$BUILD"/VelluMax-*.zip 2>/dev/null | head -1)
SETUP_FILE=$(ls "$BUILD"/VelluMax-*-setup-x64.exe 2>/dev/null | head -1)
TOOLS=$BUILD/tests/e2e
# 64-bit programs go straight to the 64-bit loader: Debian's wine wrapper starts the 32-bit
# one first where it is installed, which fails on a machine without 32-bit code.
WINE64=/usr/lib/wine/wine64
HOST64=("$WINE64" "$BUILD64/tests/e2e/shell_host.exe")
HOST32=(wine "$TOOLS/shell_host.exe")
WORK=$BUILD/e2e
CLSID='{0b95b7e0-c8b9-11cf-8f59-444553540000}'
PASSED=0
FAILED=0
SKIPPED=0
MACHINE=$("$(dirname "$0")/../../scripts/machine-kind.sh")
NO32="this machine runs no 32-bit x86 programs"

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
# skip <what> <why>: a step this machine cannot play, named, never counted as passed
skip() {
  SKIPPED=$((SKIPPED + 1))
  printf 'skip %s: %s\n' "$1" "$2"
  printf '%s\t%s\n' "$1" "$2" >>"$WORK/skipped.txt"
}
runs_32bit() { [ "$MACHINE" != x64-only ]; }

[ -f "$ZIP" ] || { echo "e2e: no package VelluMax-*.zip in $BUILD (build first)" >&2; exit 1; }
for t in "$TOOLS/box_answerer.exe" "$TOOLS/shell_host.exe" "$BUILD64/tests/e2e/shell_host.exe" \
  "$BUILD64/tests/e2e/box_answerer.exe"; do
  [ -f "$t" ] || { echo "e2e: $t is missing (build first)" >&2; exit 1; }
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
: >"$WORK/skipped.txt"
: >"$WORK/started.txt"

# ---- prefixes: one clean base per architecture, copied for every scenario ----
base_prefix() {  # base_prefix win64|win32 -> prints its path
  local arch=$1 base=$WORK/base-$1
  if [ ! -f "$base/system.reg" ]; then
    rm -rf "$base"
    echo "e2e: creating a clean $arch prefix (once)" >&2
    if [ "$arch" = win64 ]; then
      WINEPREFIX=$base WINEARCH=win64 "$WINE64" wineboot.exe -i >/dev/null 2>&1
    else
      WINEPREFIX=$base WINEARCH=win32 wineboot -i >/dev/null 2>&1
    fi
    WINEPREFIX=$base wineserver -w
  fi
  echo "$base"
}

new_prefix() {  # new_prefix <name> win64|win32
  local base
  base=$(base_prefix "$2")
  export WINEPREFIX=$WORK/pfx-$1
  FAILED_BEFORE=$FAILED
  rm -rf "$WINEPREFIX"
  cp -a "$base" "$WINEPREFIX"
  # Keep one Wine session for the whole scenario: a new session would carry out the
  # pending restart deletions before the scenario checks that they are still pending.
  wineserver -p
  PREFIX_ARCH=$2
  # The loader for the prefix's own programs (reg, wineboot, the box answerer): a 64-bit
  # prefix's are 64-bit.
  NATIVE_WINE=wine
  [ "$2" = win64 ] && NATIVE_WINE=$WINE64
  # Per registry view: the system folder that holds that view's extension, as Windows
  # names it and on the host. 32-bit Windows has one view, 64-bit Windows two.
  if [ "$2" = win32 ]; then
    VIEWS=(32)
    DIR_32='C:\windows\system32'
    UNIX_32=$WINEPREFIX/drive_c/windows/system32/Shellext
  else
    VIEWS=(64 32)
    DIR_64='C:\windows\system32'
    UNIX_64=$WINEPREFIX/drive_c/windows/system32/Shellext
    DIR_32='C:\windows\syswow64'
    UNIX_32=$WINEPREFIX/drive_c/windows/syswow64/Shellext
  fi
  NATIVE=${VIEWS[0]}
  mkdir -p "$WINEPREFIX/drive_c/e2e"
}
dir_of() { local v=DIR_$1; printf '%s' "${!v}"; }
unix_of() { local v=UNIX_$1; printf '%s' "${!v}"; }
host_of() { if [ "$1" = 64 ]; then HOST=("${HOST64[@]}"); else HOST=("${HOST32[@]}"); fi; }

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

run_wine() { LC_ALL=$UI_LOCALE timeout 120 "$@"; }
# The reg tool reads as a 32-bit program where one can run: Wine shows the handler keys,
# which Windows shares between the views, to 32-bit programs, not to a 64-bit one that
# asks for the 32-bit view.
reg_tool() {
  if runs_32bit; then LC_ALL=en_US.UTF-8 wine reg "$@"; else LC_ALL=en_US.UTF-8 "$NATIVE_WINE" reg "$@"; fi
}
# The reg tool's switch for a view; a 32-bit prefix has only its own.
view_switch() { [ "$PREFIX_ARCH" = win64 ] && printf '/reg:%s' "$1"; }

# reg_query <view> <key> [reg's query switches]: reg's report in REG_REPORT (a file); exit
# status 0 when it read the key (and the value asked for), 1 when reg says they do not exist,
# 2 when reg did not run to an answer. That happens now and then while Wine starts a process
# (a loader that cannot map its memory, a dropped session): only then is the read tried again,
# and after the last try what came back is printed, so a check reads "unread", not "missing".
REG_TRIES=5
reg_query() {
  local view=$1 key=$2 try rc err
  shift 2
  REG_REPORT=$(mktemp "$WORK/reg.XXXXXX")
  err=$(mktemp "$WORK/reg.XXXXXX")
  for try in $(seq 1 $REG_TRIES); do
    reg_tool query "$key" "$@" $(view_switch "$view") >"$REG_REPORT" 2>"$err"
    rc=$?
    # reg answers on its standard output: the key's listing with exit code 0, or one line
    # saying that the key or the value does not exist with exit code 1.
    if [ $rc -eq 0 ] && grep -q "^HKEY_" "$REG_REPORT"; then
      rm -f "$err"; return 0
    fi
    if [ $rc -eq 1 ] && grep -qE '^reg: Unable to find the specified registry (key|value)' "$REG_REPORT"; then
      rm -f "$err"; return 1
    fi
    REG_FAILURE="reg query '$key' $* (view $view) exited $rc after $try tries; it printed: $(head -c 300 "$REG_REPORT" | tr -d '\r' | paste -sd'|'); errors: $(head -c 300 "$err" | paste -sd'|')"
    sleep 0.5
  done
  echo "e2e: $REG_FAILURE" >&2
  rm -f "$err"
  return 2
}

# reg_value <view> <key> <value name or ""> -> the value's data, "<missing>" where reg says
# there is none, or "<unread: why>"
reg_value() {
  local line name args rc
  if [ -z "$3" ]; then args=(/ve); name='(Default)'; else args=(/v "$3"); name=$3; fi
  reg_query "$1" "$2" "${args[@]}"
  rc=$?
  if [ $rc -eq 2 ]; then printf '<unread: %s>' "$REG_FAILURE"; rm -f "$REG_REPORT"; return; fi
  while IFS= read -r line; do
    line=${line%$'\r'}
    line=${line#"    "}
    if [[ "$line" == "$name    REG_"* ]]; then
      line=${line#"$name    "}
      printf '%s' "${line#*    }"
      rm -f "$REG_REPORT"
      return
    fi
  done <"$REG_REPORT"
  rm -f "$REG_REPORT"
  printf '<missing>'
}
# key_exists <view> <key>: true or false as reg answers; a key that could not be read is
# neither, and stops the story with the reason rather than pass for either.
key_exists() {
  reg_query "$1" "$2"
  local rc=$?
  rm -f "$REG_REPORT"
  [ $rc -eq 2 ] && { fail "registry read of $2" "$REG_FAILURE"; return 2; }
  return $rc
}

# answer_boxes <log> <answer>...: starts the user's side in the background
answer_boxes() {
  local log=$1
  shift
  : >"$WINEPREFIX/drive_c/e2e/$log"
  local answerer=$TOOLS/box_answerer.exe
  [ "$PREFIX_ARCH" = win64 ] && answerer=$BUILD64/tests/e2e/box_answerer.exe
  LC_ALL=$UI_LOCALE timeout 150 "$NATIVE_WINE" "$answerer" "C:\\e2e\\$log" "$@" >/dev/null 2>&1 &
  ANSWERER_PID=$!
}
boxes() { tr -d '\r' <"$WINEPREFIX/drive_c/e2e/$1"; }

# wait_for_file <unix path> [seconds]
wait_for_file() {
  local i
  for i in $(seq 1 $((${2:-30} * 10))); do [ -s "$1" ] && return 0; sleep 0.1; done
  return 1
}

# own_processes <extended regex>: the command lines of this prefix's running processes that
# match. Another story on the same machine (another build folder's) has viewers and readmes
# of its own, which are not this one's to wait for or to count.
own_processes() {
  local pid
  for pid in $(pgrep -i -f -- "$1"); do
    [ "$(ps -o stat= -p "$pid" 2>/dev/null | cut -c1)" = Z ] && continue
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    ps -o args= -p "$pid" 2>/dev/null
  done
}

# Closes the viewers and the readme the story opened, and waits until they are gone: a
# viewer still running would keep Windows from deleting its file at the uninstallation.
kill_windows() {
  local i taskkill=(wine taskkill)
  # Only the 64-bit taskkill sees the 64-bit processes of a 64-bit prefix.
  [ "$PREFIX_ARCH" = win64 ] && taskkill=("$WINE64" taskkill)
  for i in $(seq 1 50); do
    if [ -z "$(own_processes 'vmxtool\.exe|notepad\.exe')" ]; then
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
PACKAGE_DIR_WIN='C:\users\Public\Downloads\VelluMax'
# PACKAGE_IN names a folder under Downloads to unpack into instead (a user name, say).
unpack_package() {
  PACKAGE_DIR=$WINEPREFIX/drive_c/users/Public/Downloads/${PACKAGE_IN:+$PACKAGE_IN/}VelluMax
  rm -rf "$PACKAGE_DIR" && mkdir -p "$PACKAGE_DIR"
  (cd "$PACKAGE_DIR" && unzip -q "$ZIP")
}

# The user double-clicks vmxinst.exe. On 64-bit Windows it starts vmxinst64.exe beside it
# and ends with its exit code; Wine's process trace records that start. Without 32-bit code
# the story starts vmxinst64.exe itself, from the same unpacked folder.
install_product() {  # install_product <log> <answer to the offer> [keep: the unpacked folder as it is]
  local run=(wine vmxinst.exe) trace=-all
  [ "${3:-}" = keep ] || unpack_package
  if [ "$PREFIX_ARCH" = win64 ]; then
    if runs_32bit; then trace=+process; else run=("$WINE64" vmxinst64.exe); fi
  fi
  STARTED=${run[1]}
  grep -qx "$STARTED" "$WORK/started.txt" || echo "$STARTED" >>"$WORK/started.txt"
  local start=OK mark=$WINEPREFIX/drive_c/e2e/start-shown
  if [ -n "${SWAP_AT_START:-}" ]; then
    # Other programs of the user's swap an extension, the INF file and the readme in the
    # unpacked folder while the start confirmation waits for the user: the package was
    # copied and checked before that box, and only the copy is installed.
    start="OK+C:\\e2e\\start-shown"
    rm -f "$mark"
    (for _ in $(seq 1 900); do [ -e "$mark" ] && break; sleep 0.1; done
     printf 'planted by another program' >"$PACKAGE_DIR/$SWAP_AT_START"
     printf 'a readme planted by another program' >"$PACKAGE_DIR/vmxtool.txt"
     printf '%s\r\n' '[Version]' 'Signature="$Windows NT$"' '[DefaultInstall]' 'AddReg=Planted' \
       '[Planted]' 'HKLM,Software\VelluMaxPlanted,Written,,1' >"$PACKAGE_DIR/vmxtool.inf") &
  fi
  answer_boxes "$1" "$start" "$2"
  (cd "$PACKAGE_DIR" && WINEDEBUG=$trace run_wine "${run[@]}" >"$WORK/install.out" 2>&1)
  INSTALL_RC=$?
  wait "$ANSWERER_PID"
  ANSWERER_RC=$?
  # The 64-bit program's command line as the 32-bit one started it.
  HANDOVER=$(tr -d '\r' <"$WORK/install.out" | grep -i 'CreateProcessInternalW' | grep -io 'cmdline L"[^)]*vmxinst64\.exe[^)]*' | head -1)
}

# The list of installed programs, as a program of the system's own bitness, starts the
# entry's command as it stands.
uninstall_product() {  # uninstall_product <log> <answers>...
  local log=$1
  shift
  UNINSTALL_COMMAND=$(reg_value "$NATIVE" 'HKLM\SoftWare\Microsoft\Windows\CurrentVersion\Uninstall\VelluMax' UninstallString)
  answer_boxes "$log" "$@"
  host_of "$NATIVE"
  run_wine "${HOST[@]}" uninstall >"$WORK/uninstall.out" 2>&1
  UNINSTALL_RC=$?
  wait "$ANSWERER_PID"
  ANSWERER_RC=$?
}

# use_menu <32|64> <name> <path>...: Explorer's part, played by a host program of that
# bitness; the viewer records what it received
use_menu() {
  local bits=$1 name=$2-$1
  shift 2
  host_of "$bits"
  export VMXTOOL_TRACE="C:\\e2e\\trace-$name.txt"
  rm -f "$WINEPREFIX/drive_c/e2e/trace-$name.txt"
  # Into a file, not a pipe: the viewer that the handler starts inherits the output and
  # would hold a pipe open for as long as it runs.
  run_wine "${HOST[@]}" menu "$@" >"$WORK/menu-$name.out" 2>&1
  MENU_RC=$?
  MENU_OUT=$(tr -d '\r' <"$WORK/menu-$name.out")
  unset VMXTOOL_TRACE
  wait_for_file "$WINEPREFIX/drive_c/e2e/trace-$name.txt" 30
  sleep 0.5
  TRACE=$(tr -d '\r' <"$WINEPREFIX/drive_c/e2e/trace-$name.txt" 2>/dev/null)
}

# use_verb <32|64> <path>: "Infos disque" on a folder, run by a host of that bitness
use_verb() {
  host_of "$1"
  export VMXTOOL_TRACE="C:\\e2e\\trace-dinfo-$1.txt"
  run_wine "${HOST[@]}" verb DiskInfoByVmax "$2" >"$WORK/verb-$1.out" 2>&1
  unset VMXTOOL_TRACE
  wait_for_file "$WINEPREFIX/drive_c/e2e/trace-dinfo-$1.txt" 30
  sleep 0.5
  TRACE=$(tr -d '\r' <"$WINEPREFIX/drive_c/e2e/trace-dinfo-$1.txt" 2>/dev/null)
}

# hold_extensions <tag>: Explorer's part after a right-click, in every view whose host can
# run here: the handler stays loaded until C:\e2e\release-<tag> exists.
hold_extensions() {
  local tag=$1 bits
  HELD=()
  for bits in "${VIEWS[@]}"; do
    [ "$bits" = 32 ] && [ "$PREFIX_ARCH" = win64 ] && ! runs_32bit && continue
    host_of "$bits"
    LC_ALL=$UI_LOCALE timeout 600 "${HOST[@]}" hold "C:\\e2e\\release-$tag" 'C:\e2e\files\lettre.txt' \
      >"$WORK/hold-$tag-$bits.out" 2>&1 &
    HELD+=("$bits")
  done
  for bits in "${HELD[@]}"; do
    for _ in $(seq 1 100); do grep -q '^hold: ' "$WORK/hold-$tag-$bits.out" 2>/dev/null && break; sleep 0.2; done
  done
}
held_extension() { tr -d '\r' <"$WORK/hold-$1-$2.out" 2>/dev/null | sed -n 's/^hold: //p'; }
release_extensions() {
  : >"$WINEPREFIX/drive_c/e2e/release-$1"
  sleep 2
}
# The folders in the order the setup program deletes in: its own system folder's first.
# The setup program of the system's own bitness uninstalls: 64-bit Windows' removes its own
# folder first, then the 32-bit one.
deletion_order() {
  if [ "$PREFIX_ARCH" = win32 ]; then echo 32; else echo 64 32; fi
}
is_held() { [[ " ${HELD[*]} " == *" $1 "* ]]; }
pending_now() {
  reg_query "$NATIVE" 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations
  [ $? -eq 2 ] && printf '<unread: %s>\n' "$REG_FAILURE"
  tr -d '\r' <"$REG_REPORT"
  rm -f "$REG_REPORT"
}
ACCESS_DENIED_FR='caption=VelluMax Fran\xE7ais  text=Acces refus\xE9 \xE0 :   '
escaped_path() { printf '%s' "$1" | sed 's/\\/\\x5C/g'; }

trace_line() { printf '%s\n' "$TRACE" | grep -E "^$1: " | head -1 | sed -E "s/^$1: //"; }
escaped_re() { printf '%s' "$1" | sed -E 's/[][\.^$*+?(){}|]/\\&/g'; }

# ---- checks shared by the scenarios ----
SYS='C:\windows\system32'
UNINSTALL_KEY='HKLM\SoftWare\Microsoft\Windows\CurrentVersion\Uninstall\VelluMax'
MENU_CLSID=$(sed -n 's/^#define VMX_MENU_CLSID "\(.*\)"$/\1/p' "$(dirname "$0")/../../common/menu_package.h")
ACTIVE_SETUP_KEY="HKLM\\Software\\Microsoft\\Active Setup\\Installed Components\\$MENU_CLSID"
APPROVED_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved'
INSTALL_BOXES_FR=(
  'caption=VelluMax FR    text= Voici la version FRAN\xC7AISE de VelluMax\x0D\x0D"OK" pour d\xE9buter l'"'"'installation.'
  'caption=VelluMax FR    text=Votre syst\xE8me peut \xEAtre configur\xE9 pour lancer '"'"'Infos disque'"'"' depuis le menu contextuel de l'"'"'Explorer.'
)
REPORT_FR="caption=VelluMax uninstall text=D\\xE9sinstallation OK. \\x0D\\x0DRemarque: C:\\x5Cwindows\\x5Csystem32\\x5CShellext\\x5Cvmxinst.exe sera supprim\\xE9 d\\xE8s le prochain red\\xE9marrage de Windows...   "

# Every view holds its own class, whose server is the extension of that view's bitness in
# that view's system folder, beside the whole product; the handler entries are shared, the
# list of installed programs has one entry, in the native view.
check_installed() {
  local tag=$1 v f bits
  for v in "${VIEWS[@]}"; do
    for f in vmxtool.dll vmxtool.exe vmxtool.txt vmxinst.exe; do
      expect_true "$tag: $f installed in $(dir_of "$v")\\Shellext" "[ -f '$(unix_of "$v")/$f' ]"
    done
    bits=$([ "$v" = 64 ] && echo x86-64 || echo 80386)
    expect_match "$tag: the $v-bit setup program in $(dir_of "$v")\\Shellext" "$bits" \
      "$(file -b "$(unix_of "$v")/vmxinst.exe" 2>&1)"
    expect_match "$tag: the $v-bit extension in $(dir_of "$v")\\Shellext" "$bits" \
      "$(file -b "$(unix_of "$v")/vmxtool.dll" 2>&1)"
    expect_match "$tag: the $v-bit viewer in $(dir_of "$v")\\Shellext" "$bits" \
      "$(file -b "$(unix_of "$v")/vmxtool.exe" 2>&1)"
    expect_eq "$tag: class registered in the $v-bit view" "$(dir_of "$v")\\Shellext\\vmxtool.dll" \
      "$(reg_value "$v" "HKCR\\CLSID\\$CLSID\\InprocServer32" "")"
    expect_eq "$tag: apartment threading in the $v-bit view" "Apartment" \
      "$(reg_value "$v" "HKCR\\CLSID\\$CLSID\\InprocServer32" ThreadingModel)"
    expect_eq "$tag: class approved in the $v-bit view" "VelluMax" \
      "$(reg_value "$v" "$APPROVED_KEY" "$CLSID")"
    if [ "$v" = 32 ] && [ "$PREFIX_ARCH" = win64 ] && ! runs_32bit; then
      skip "$tag: handlers for files and folders as 32-bit programs see them" \
        "$NO32 (Wine shows a 64-bit reader a 32-bit view without the shared keys)"
      continue
    fi
    expect_eq "$tag: handler for files in the $v-bit view" "$CLSID" \
      "$(reg_value "$v" 'HKCR\*\ShellEx\ContextMenuHandlers\VelluMax' "")"
    expect_eq "$tag: handler for folders in the $v-bit view" "$CLSID" \
      "$(reg_value "$v" 'HKCR\folder\ShellEx\ContextMenuHandlers\VelluMax' "")"
  done
  expect_eq "$tag: uninstall entry in the native view" "\"$SYS\\Shellext\\vmxinst.exe\" /uninstall" \
    "$(reg_value "$NATIVE" "$UNINSTALL_KEY" UninstallString)"
  if [ "$PREFIX_ARCH" = win64 ]; then
    expect_true "$tag: no second uninstall entry in the 32-bit view" "! key_exists 32 '$UNINSTALL_KEY'"
  fi
}

# The command names the system folder as programs of both bitnesses see it: each finds
# the viewer of its own bitness there.
check_verbs() {
  local tag=$1 root v
  for root in Drive Directory; do
    expect_eq "$tag: Infos disque label on $root" "&Infos disque" \
      "$(reg_value "$NATIVE" "HKCR\\$root\\shell\\DiskInfoByVmax" "")"
    expect_eq "$tag: Infos disque command on $root" "\"$SYS\\Shellext\\vmxtool.exe\" \"%1\" /dinfo" \
      "$(reg_value "$NATIVE" "HKCR\\$root\\shell\\DiskInfoByVmax\\command" "")"
  done
  for v in "${VIEWS[@]}"; do
    expect_true "$tag: the verb's viewer exists for $v-bit programs" "[ -f '$(unix_of "$v")/vmxtool.exe' ]"
  done
}

check_uninstalled() {
  local tag=$1 key left v keys
  for v in "${VIEWS[@]}"; do
    keys=("HKCR\\CLSID\\$CLSID" 'HKCR\*\ShellEx\ContextMenuHandlers\VelluMax'
      'HKCR\folder\ShellEx\ContextMenuHandlers\VelluMax' 'HKCR\Drive\shell\DiskInfoByVmax'
      'HKCR\Directory\shell\DiskInfoByVmax' 'HKCR\folder\shell\DiskInfoByVmax'
      "$UNINSTALL_KEY" 'HKCU\Software\Caldwyn')
    # A 64-bit reader sees none of the shared keys in the 32-bit view, present or not: there
    # only the keys of that view's own are worth reading; the native view covers the rest.
    [ "$v" = 32 ] && [ "$PREFIX_ARCH" = win64 ] && ! runs_32bit &&
      keys=("HKCR\\CLSID\\$CLSID" "$UNINSTALL_KEY")
    for key in "${keys[@]}"; do
      expect_true "$tag: $key removed from the $v-bit view" "! key_exists $v '$key'"
    done
    expect_eq "$tag: approved-extension entry removed from the $v-bit view" "<missing>" \
      "$(reg_value "$v" "$APPROVED_KEY" "$CLSID")"
    # Besides the setup program, only an upgrade's moved-aside extension, which goes at the
    # restart too.
    left=$(ls "$(unix_of "$v")" 2>/dev/null | grep -viE '^vmx[0-9a-f]+\.tmp$' | grep -vx vmxmenu | tr '\n' ' ')
    # The menu command's folder stays only for what an upgrade moved aside, and goes with it.
    if [ -d "$(unix_of "$v")/vmxmenu" ]; then
      expect_eq "$tag: only moved-aside files wait in $(dir_of "$v")\\Shellext\\vmxmenu" "" \
        "$(ls "$(unix_of "$v")/vmxmenu" | grep -viE '^vmx[0-9a-f]+\.tmp$' | tr '\n' ' ')"
      expect_match "$tag: ... and the folder goes at the restart" \
        "$(escaped_re "$(dir_of "$v")")"'\\Shellext\\vmxmenu\\0(\\0|$)' "$(pending_now)"
    fi
    expect_eq "$tag: only the setup program is left in $(dir_of "$v")\\Shellext" "vmxinst.exe " "$left"
  done
}

restart_windows() {
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  timeout 120 "$NATIVE_WINE" wineboot.exe -r >/dev/null 2>&1
  wineserver -w 2>/dev/null
}

check_restarted() {  # check_restarted <tag> [folders-stay]: the Windows 95 family keeps them
  local tag=$1 v
  for v in "${VIEWS[@]}"; do
    expect_eq "$tag: nothing of the product left in $(dir_of "$v")\\Shellext after the restart" "" \
      "$(ls "$(unix_of "$v")" 2>/dev/null | tr '\n' ' ')"
    [ "${2:-}" = folders-stay ] ||
      expect_true "$tag: no empty $(dir_of "$v")\\Shellext folder after the restart" "[ ! -d '$(unix_of "$v")' ]"
  done
}

make_files() {
  mkdir -p "$WINEPREFIX/drive_c/e2e/files" "$WINEPREFIX/drive_c/e2e/Mes documents"
  printf 'Bonjour\r\n' >"$WINEPREFIX/drive_c/e2e/files/lettre.txt"
  head -c 20000 /dev/zero >"$WINEPREFIX/drive_c/e2e/files/photo.bmp"
  printf 'x' >"$WINEPREFIX/drive_c/e2e/Mes documents/note.txt"
}

# menu_story <tag> <32|64>: the right-clicks of one host; its extension starts the viewer
# beside it
menu_story() {
  local t=$1 bits=$2 viewer cmd list
  viewer="$(dir_of "$bits")\\Shellext\\vmxtool.exe"
  say "-- A right-click on one file, in a $bits-bit program: the shell asks the handler into its context menu"
  use_menu "$bits" one 'C:\e2e\files\lettre.txt'
  [ -n "$DEMO_OUT" ] && printf '%s\n' "$MENU_OUT" | grep -E '^(menu|invoke):' | sed 's/^/   /' | readable
  expect_eq "$t: $bits-bit host: menu item found and invoked (one file)" 0 "$MENU_RC"
  expect_match "$t: $bits-bit host: menu shows Vellu M&ax" 'menu: +[0-9]+  Vellu M&ax   <- VelluMax' "$MENU_OUT"
  expect_eq "$t: $bits-bit host: viewer command line for one file" "\"$viewer\" \"C:\\e2e\\files\\lettre.txt\"" "$(trace_line command)"
  say "   The viewer was started with: $(trace_line command)"
  kill_windows

  say "-- Two files selected, in a $bits-bit program: the paths travel in a temporary list file"
  use_menu "$bits" two 'C:\e2e\files\lettre.txt' 'C:\e2e\files\photo.bmp'
  expect_eq "$t: $bits-bit host: menu item found and invoked (two files)" 0 "$MENU_RC"
  cmd=$(trace_line command)
  expect_match "$t: $bits-bit host: viewer command line for two files" \
    "^\"$(escaped_re "$viewer")\""' "C:\\e2e\\files\\photo\.bmp" /f ".*\\VM[0-9A-Fa-f]+\.tmp"$' "$cmd"
  expect_eq "$t: $bits-bit host: list file count" "2" "$(trace_line count)"
  expect_eq "$t: $bits-bit host: list file items" "C:\\e2e\\files\\lettre.txt|C:\\e2e\\files\\photo.bmp" \
    "$(printf '%s\n' "$TRACE" | grep '^item: ' | sed 's/^item: //' | paste -sd'|')"
  expect_eq "$t: $bits-bit host: viewer deleted the list file" "yes" "$(trace_line deleted)"
  list=$(printf '%s' "$cmd" | sed -E 's/.* \/f "([^"]+)"$/\1/')
  say "   The viewer was started with: $cmd"
  say "   and read from ${list}: $(printf '%s\n' "$TRACE" | grep '^item: ' | sed 's/^item: //' | paste -sd',' | sed 's/,/, /g')"
  if [ -n "$DEMO_OUT" ] && [ "$bits" = 64 ]; then
    sleep 2
    local wid
    wid=$(xwininfo -root -tree 2>/dev/null | grep -E '"VelluMax' | head -1 | awk '{print $1}')
    if [ -n "$wid" ] && import -window "$wid" "$DEMO_OUT/viewer.png" 2>/dev/null; then
      say "   Screenshot of the viewer window: $DEMO_OUT/viewer.png"
    else
      import -window root "$DEMO_OUT/viewer.png" 2>/dev/null &&
        say "   Screenshot of the screen: $DEMO_OUT/viewer.png"
    fi
  fi
  kill_windows

  say "-- A right-click on a folder, in a $bits-bit program"
  use_menu "$bits" folder 'C:\e2e\Mes documents'
  expect_eq "$t: $bits-bit host: menu item found and invoked (folder)" 0 "$MENU_RC"
  expect_eq "$t: $bits-bit host: viewer command line for a folder" "\"$viewer\" \"C:\\e2e\\Mes documents\"" "$(trace_line command)"
  say "   The viewer was started with: $(trace_line command)"
  kill_windows

  say "-- \"Infos disque\" on a folder, in a $bits-bit program"
  use_verb "$bits" 'C:\e2e\Mes documents'
  expect_eq "$t: $bits-bit host: Infos disque starts the viewer with /dinfo" \
    "\"$SYS\\Shellext\\vmxtool.exe\" \"C:\\e2e\\Mes documents\" /dinfo" "$(trace_line command)"
  say "   The viewer was started with: $(trace_line command)"
  kill_windows
}

# ---- scenario: install, use, uninstall, restart (NT family, 64- or 32-bit) ----
scenario_nt() {  # scenario_nt win64|win32
  local t=$1 bits pending
  new_prefix "$1" "$1"
  say ""
  say "== VelluMax on $([ "$1" = win64 ] && echo 64-bit || echo 32-bit) Windows (NT family, Wine $("$WINE64" --version | sed 's/wine-//'))"
  if runs_32bit || [ "$1" = win32 ]; then
    say "-- 1. The user unpacks $(basename "$ZIP") into $PACKAGE_DIR_WIN and runs vmxinst.exe"
  else
    say "-- 1. The user unpacks $(basename "$ZIP") into $PACKAGE_DIR_WIN and runs vmxinst64.exe (vmxinst.exe would start it, but $NO32)"
  fi
  if [ "$1" = win64 ]; then SWAP_AT_START=vmxtool64.dll; else SWAP_AT_START=vmxtool.dll; fi
  install_product install.log OK
  expect_eq "$t: installer exit code ($STARTED)" 0 "$INSTALL_RC"
  expect_eq "$t: the extension swapped in the unpacked folder at the start confirmation" \
    "planted by another program" "$(cat "$PACKAGE_DIR/$SWAP_AT_START")"
  expect_true "$t: what was installed is what was shipped, taken before the swap" \
    "unzip -p '$ZIP' '$SWAP_AT_START' | cmp -s - '$(unix_of "$NATIVE")/vmxtool.dll'"
  expect_true "$t: the readme installed is the shipped one, not the swapped one" \
    "unzip -p '$ZIP' vmxtool.txt | cmp -s - '$(unix_of "$NATIVE")/vmxtool.txt'"
  expect_eq "$t: no key of the swapped INF file written" "<missing>" \
    "$(reg_value "$NATIVE" 'HKLM\Software\VelluMaxPlanted' Written)"
  SWAP_AT_START=
  expect_eq "$t: no staged copy left in the Windows temporary folder" "" \
    "$(ls "$WINEPREFIX/drive_c/windows/temp" 2>/dev/null | grep -i '^VelluMax-')"
  if [ "$1" = win64 ] && runs_32bit; then
    # Elevated, it starts a checked copy in a folder of its own under the Windows temporary
    # folder, not the file in Downloads.
    expect_match "$t: vmxinst.exe handed 64-bit Windows over to its staged copy of vmxinst64.exe" \
      '[Tt]emp.+VelluMax-[0-9A-Fa-f]+.+vmxinst64\.exe' "$HANDOVER"
    say "   vmxinst.exe started the 64-bit setup program: ${HANDOVER:-<not seen>}, and ended with its exit code $INSTALL_RC"
  elif [ "$1" = win64 ]; then
    say "   vmxinst64.exe did the work and ended with exit code $INSTALL_RC"
  fi
  expect_eq "$t: both install boxes answered" 0 "$ANSWERER_RC"
  mapfile -t got < <(boxes install.log | sed -E 's/^BOX //; s/ answer=[A-Z]+$//')
  expect_eq "$t: start confirmation box" "${INSTALL_BOXES_FR[0]}" "${got[0]:-<none>}"
  expect_eq "$t: Infos disque offer box" "${INSTALL_BOXES_FR[1]}" "${got[1]:-<none>}"
  if [ -n "$DEMO_OUT" ]; then
    boxes install.log | sed -E 's/^BOX /   message box: /' | readable
    for bits in "${VIEWS[@]}"; do
      say "   The INF file copied the $bits-bit product into $(dir_of "$bits")\\Shellext:"
      (cd "$(unix_of "$bits")" && for f in *; do printf '     %-12s %8s bytes  %s\n' "$f" "$(stat -c %s "$f")" "$(file -b "$f" | cut -d, -f1)"; done)
    done
  fi
  check_installed "$t"
  check_verbs "$t"
  kill_windows

  make_files
  for bits in "${VIEWS[@]}"; do
    if [ "$bits" = 32 ] && ! runs_32bit; then
      skip "$t: the 32-bit host's menu item, viewer and Infos disque" "$NO32"
    else
      menu_story "$t" "$bits"
    fi
  done

  [ "$1" = win64 ] && command_story "$t"
  held_story "$t"

  say "-- The user uninstalls through the entry in the list of installed programs; Explorer has let go"
  hold_extensions last
  local answers=(YES)
  [ ${#HELD[@]} -gt 0 ] && answers+=("RETRY+C:\\e2e\\release-last")
  uninstall_product uninstall.log "${answers[@]}" OK
  say "   $UNINSTALL_COMMAND"
  expect_eq "$t: uninstaller exit code" 0 "$UNINSTALL_RC"
  expect_eq "$t: every uninstall box answered" 0 "$ANSWERER_RC"
  mapfile -t got < <(boxes uninstall.log | sed -E 's/^BOX //; s/ answer=[A-Z]+$//')
  expect_eq "$t: uninstall confirmation box" \
    "caption=VelluMax Fran\\xE7ais  text= Cela supprimera les composants de VelluMax. D'accord?" "${got[0]:-<none>}"
  if [ ${#HELD[@]} -gt 0 ]; then
    for bits in $(deletion_order); do is_held "$bits" && break; done
    expect_eq "$t: access denied while Explorer held the DLL, then Retry" \
      "$ACCESS_DENIED_FR$(escaped_path "$(dir_of "$bits")\\Shellext\\vmxtool.dll")" "${got[1]:-<none>}"
  fi
  expect_eq "$t: uninstall report box" "$REPORT_FR" "${got[-1]:-<none>}"
  expect_eq "$t: no box beyond these" $((${#HELD[@]} > 0 ? 3 : 2)) "${#got[@]}"
  [ -n "$DEMO_OUT" ] && boxes uninstall.log | sed -E 's/^BOX /   message box: /' | readable
  kill_windows
  check_uninstalled "$t"
  pending=$(pending_now)
  for bits in "${VIEWS[@]}"; do
    expect_match "$t: the deletion of $(dir_of "$bits")\\Shellext\\vmxinst.exe is pending" \
      "$(escaped_re "$(dir_of "$bits")")"'\\Shellext\\vmxinst\.exe' "$pending"
    expect_match "$t: the removal of the folder $(dir_of "$bits")\\Shellext is pending" \
      "$(escaped_re "$(dir_of "$bits")")"'\\Shellext\\0(\\0|$)' "$pending"
    say "   Left in $(dir_of "$bits")\\Shellext until the next restart: $(ls "$(unix_of "$bits")" | tr '\n' ' ')"
  done

  say "-- Windows restarts (wineboot -r)"
  restart_windows
  check_restarted "$t"
  say "   Nothing of the product is left: no Shellext folder remains."
  [ "$1" = win64 ] && quiet_story "$t"
  end_prefix
}

# ---- quiet runs, as a deployment tool starts them (64-bit Windows) ----
# quiet_setup <current folder> <log name> <program> <switch>...: no one answers a box; one
# would hang the run until its time limit. Its exit code in QUIET_RC, its log's lines (time
# cut off) in QUIET_LOG. A batch file reads the exit code as a deployment tool does: Wine
# hands a Unix parent only its lowest byte (1603 arrives as 67).
quiet_setup() {
  local folder=$1 log=$2 program=$3 loader=wine
  shift 3
  runs_32bit || loader=$WINE64
  rm -f "$WINEPREFIX/drive_c/e2e/$log"
  printf '@%%*\r\n@echo exit code %%ERRORLEVEL%%\r\n' >"$WINEPREFIX/drive_c/e2e/exit-code.cmd"
  (cd "$folder" && run_wine "$loader" cmd.exe /c 'C:\e2e\exit-code.cmd' "$program" "$@" \
    /log "C:\\e2e\\$log" >"$WORK/quiet.out" 2>&1)
  QUIET_RC=$(tr -d '\r' <"$WORK/quiet.out" | sed -n 's/^exit code //p' | tail -1)
  [ -n "$QUIET_RC" ] || QUIET_RC="none ($(head -c 200 "$WORK/quiet.out"))"
  QUIET_LOG=$(tr -d '\r' <"$WINEPREFIX/drive_c/e2e/$log" 2>/dev/null | cut -c22-)
}
box_on_screen() { xwininfo -root -tree 2>/dev/null | grep -q '"VelluMax'; }

quiet_story() {
  local t="$1 quiet" i installed='C:\windows\system32\Shellext\vmxinst.exe' setup=vmxinst.exe
  # What the deployment tool starts from the package: vmxinst.exe, which hands over, or
  # where no 32-bit code runs the 64-bit program it would start.
  runs_32bit || setup=vmxinst64.exe
  # A session of its own that outlives each program: the restart deletions stay pending.
  wineserver -p
  say ""
  say "== Deployment: the setup program without anyone at the screen"
  unpack_package

  quiet_setup "$PACKAGE_DIR" quiet-bad.log "$setup" /quiet /norestart
  expect_eq "$t: an unknown switch ends with 87" 87 "$QUIET_RC"
  expect_true "$t: ... and installs nothing" "[ ! -d '$UNIX_64' ]"
  expect_match "$t: ... and says why in the log" 'unknown switch /norestart.*exit code 87' "$QUIET_LOG"

  quiet_setup "$WINEPREFIX/drive_c/e2e" quiet-noinf.log "$PACKAGE_DIR_WIN\\$setup" /quiet
  expect_eq "$t: without vmxtool.inf in the current folder: 1603" 1603 "$QUIET_RC"
  expect_match "$t: ... with the missing file's message in the log" \
    'Impossible de trouver le fichier spécifié : C:\\e2e\\vmxtool\.inf => OK \(quiet\)' "$QUIET_LOG"

  # Windows 11 as far as Wine goes: the registry names build 22000, and the registration for
  # the desktop's user really runs and fails, as Wine has no package deployment.
  say "-- $setup /quiet /diskinfo /log ... from the unpacked package, on what says it is Windows 11"
  reg_tool add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' /v CurrentBuildNumber /d 22000 /f \
    $(view_switch 64) >/dev/null 2>&1
  local trusted=''
  if unzip -Z1 "$ZIP" | grep -x vmxmenu.cer >/dev/null; then
    trusted="HKLM\\Software\\Microsoft\\SystemCertificates\\TrustedPeople\\Certificates\\$(unzip -p "$ZIP" vmxmenu.cer |
      openssl x509 -inform DER -noout -fingerprint -sha1 | sed 's/.*=//; s/://g')"
  fi
  quiet_setup "$PACKAGE_DIR" quiet-install.log "$setup" /QUIET /DiskInfo
  expect_eq "$t: quiet installation exit code" 0 "$QUIET_RC"
  expect_match "$t: Windows 11: the log says that every user gets the command at the next sign-in" \
    'Windows 11 menu command: every user gets it at their next sign-in' "$QUIET_LOG"
  expect_match "$t: ... that the registration for the desktop's user failed, changing nothing else" \
    "Windows 11 menu command: not registered for the desktop's user now \(.+\); it will be at their next sign-in" "$QUIET_LOG"
  expect_match "$t: ... and when the command appears" \
    'Windows 11 menu command: it appears in the first menu after the next sign-in or a restart of Explorer' "$QUIET_LOG"
  expect_true "$t: the Active Setup entry stays for everyone's next sign-in" "key_exists 64 '$ACTIVE_SETUP_KEY'"
  [ -n "$trusted" ] && expect_true "$t: the build's certificate stays in TrustedPeople" "key_exists 64 '$trusted'"
  check_installed "$t"
  check_verbs "$t"
  expect_true "$t: no readme opened" "[ -z \"\$(own_processes 'notepad\\.exe')\" ]"
  expect_match "$t: the log has the boxes with the answers taken" \
    'Voici la version FRANÇAISE de VelluMax / "OK" pour débuter.* => OK \(quiet\).*Infos disque.* => OK \(quiet\)' \
    "$(printf '%s' "$QUIET_LOG" | paste -sd' ')"
  expect_eq "$t: the log ends with the outcome" "end: done; exit code 0" "$(printf '%s\n' "$QUIET_LOG" | tail -1)"
  [ -n "$DEMO_OUT" ] && printf '%s\n' "$QUIET_LOG" | sed 's/^/   log: /'

  say "-- A quiet uninstallation while an interactive one waits for its answer"
  local loader=wine
  runs_32bit || loader=$WINE64
  (cd "$WINEPREFIX/drive_c/e2e" && run_wine "$loader" "$installed" /uninstall >"$WORK/first.out" 2>&1) &
  local first=$!
  for i in $(seq 1 300); do box_on_screen && break; sleep 0.1; done
  quiet_setup "$WINEPREFIX/drive_c/e2e" quiet-second.log "$installed" /uninstall /quiet
  expect_eq "$t: a second setup program at once ends with 1618" 1618 "$QUIET_RC"
  expect_match "$t: ... and says so in its log" 'another setup program of the product is at work: nothing was changed' "$QUIET_LOG"
  answer_boxes quiet-first.log NO
  wait "$ANSWERER_PID"
  wait "$first"
  expect_eq "$t: the first one, answered No, ends as ever" 0 "$?"
  check_installed "$t: after both"
  kill_windows

  say "-- vmxinst.exe /uninstall /quiet while Explorer holds the extension"
  hold_extensions quiet
  quiet_setup "$WINEPREFIX/drive_c/e2e" quiet-uninstall.log "$installed" /uninstall /quiet
  expect_eq "$t: quiet uninstallation with a held extension: 3010" 3010 "$QUIET_RC"
  expect_match "$t: the held extension is in the log, left for the restart" \
    'left for the restart \(file\): C:\\windows\\system32\\Shellext\\vmxtool\.dll' "$QUIET_LOG"
  expect_eq "$t: the log ends with the outcome" "end: done; files wait for the restart; exit code 3010" \
    "$(printf '%s\n' "$QUIET_LOG" | tail -1)"
  expect_true "$t: the registration is gone" "! key_exists 64 'HKCR\\CLSID\\$CLSID'"
  expect_true "$t: the Active Setup entry is gone" "! key_exists 64 '$ACTIVE_SETUP_KEY'"
  [ -n "$trusted" ] && expect_true "$t: the certificate's trust is gone" "! key_exists 64 '$trusted'"
  expect_true "$t: the command's folder is gone" "[ ! -e '$UNIX_64/vmxmenu' ]"
  [ -n "$DEMO_OUT" ] && printf '%s\n' "$QUIET_LOG" | sed 's/^/   log: /'
  release_extensions quiet
  restart_windows
  check_restarted "$t"
}

# command_story <tag>: Windows 11's own menu, whose COM surrogate loads the packaged command
# from the package's external location; Wine has no package deployment, so a host of ours
# plays the surrogate and loads the installed DLL itself.
command_story() {
  local t=$1 dll cmd menu
  menu="$(dir_of 64)\\Shellext\\vmxmenu"
  dll="$menu\\vmxmenu.dll"
  say "-- Windows 11's own menu: the packaged command from $dll, as its COM surrogate calls it"
  for f in vmxmenu.dll vmxtool.exe vmxmenu.msix vmxmenu.png $(unzip -Z1 "$ZIP" | grep -x vmxmenu.cer); do
    expect_true "$t: $f installed in $menu, the package's external location" \
      "[ -f '$(unix_of 64)/vmxmenu/$f' ]"
  done
  expect_true "$t: the command's viewer is the 64-bit one" \
    "cmp -s '$(unix_of 64)/vmxmenu/vmxtool.exe' '$(unix_of 64)/vmxtool.exe'"
  export VMXTOOL_TRACE='C:\e2e\trace-command.txt'
  rm -f "$WINEPREFIX/drive_c/e2e/trace-command.txt"
  run_wine "${HOST64[@]}" command "$dll" 'C:\e2e\files\lettre.txt' 'C:\e2e\files\photo.bmp' \
    >"$WORK/command.out" 2>&1
  MENU_RC=$?
  unset VMXTOOL_TRACE
  MENU_OUT=$(tr -d '\r' <"$WORK/command.out")
  wait_for_file "$WINEPREFIX/drive_c/e2e/trace-command.txt" 30
  sleep 0.5
  TRACE=$(tr -d '\r' <"$WINEPREFIX/drive_c/e2e/trace-command.txt" 2>/dev/null)
  expect_eq "$t: packaged command enabled and invoked" 0 "$MENU_RC"
  expect_match "$t: packaged command's title, without the access key" '(^|'$'\n'')title: Vellu Max($|'$'\n'')' "$MENU_OUT"
  expect_match "$t: packaged command's icon is the viewer's in its folder" \
    "icon: $(escaped_re "$menu")"'\\vmxtool\.exe,' "$MENU_OUT"
  expect_match "$t: no selection starts nothing and breaks nothing" 'invoke without a selection: 0x' "$MENU_OUT"
  cmd=$(trace_line command)
  expect_match "$t: packaged command starts the viewer beside it as the classic item does" \
    "^\"$(escaped_re "$menu")"'\\vmxtool\.exe" "C:\\e2e\\files\\photo\.bmp" /f ".*\\VM[0-9A-Fa-f]+\.tmp"$' "$cmd"
  expect_eq "$t: packaged command's list file" "2|C:\\e2e\\files\\lettre.txt|C:\\e2e\\files\\photo.bmp" \
    "$(trace_line count)|$(printf '%s\n' "$TRACE" | grep '^item: ' | sed 's/^item: //' | paste -sd'|')"
  say "   $(printf '%s\n' "$MENU_OUT" | grep -E '^(title|icon):' | paste -sd';' | sed 's/;/; /')"
  say "   The viewer was started with: $cmd"
  kill_windows
}

# held_story <tag>: Explorer keeps the extension loaded and a viewer stays open through an
# upgrade, an uninstallation and a reinstallation before the restart.
held_story() {
  local t=$1 bits v f pending

  say "-- An upgrade while Explorer holds the extension: the new one is in place at once"
  hold_extensions old
  unpack_package
  for f in vmxtool.dll vmxtool64.dll; do printf 'new build' >>"$PACKAGE_DIR/$f"; done
  # A new build's package: its setup programs sealed over its files, as packaging does.
  for f in vmxinst64.exe vmxinst.exe; do
    python3 "$(dirname "$0")/../../package/seal_payload.py" "$PACKAGE_DIR" "$f" >/dev/null
  done
  install_product upgrade.log CANCEL keep
  expect_eq "$t: upgrade installer exit code" 0 "$INSTALL_RC"
  pending=$(pending_now)
  for bits in "${HELD[@]}"; do
    f=$([ "$bits" = 64 ] && echo vmxtool64.dll || echo vmxtool.dll)
    expect_eq "$t: the new $bits-bit extension is in place while the old one is loaded" \
      "$(stat -c %s "$PACKAGE_DIR/$f")" "$(stat -c %s "$(unix_of "$bits")/vmxtool.dll" 2>&1)"
    expect_match "$t: the old $bits-bit extension, moved aside, goes at the restart" \
      "$(escaped_re "$(dir_of "$bits")")"'\\Shellext\\vmx[0-9a-fA-F]+\.tmp\\0(\\0|$)' "$pending"
  done
  kill_windows
  use_menu "$NATIVE" upgraded 'C:\e2e\files\lettre.txt'
  expect_eq "$t: a new host gets the item from the new extension" 0 "$MENU_RC"
  kill_windows

  say "-- Uninstallation while Explorer holds the extension and a viewer is open"
  hold_extensions new
  use_menu "$NATIVE" open 'C:\e2e\files\lettre.txt'   # the viewer stays open
  # Windows refuses both with access denied: a box each, in the order of deletion.
  local answers=(YES) refused=()
  for bits in $(deletion_order); do
    [ "$bits" = "$NATIVE" ] && refused+=("$(dir_of "$bits")\\Shellext\\vmxtool.exe")
    is_held "$bits" && refused+=("$(dir_of "$bits")\\Shellext\\vmxtool.dll")
  done
  for f in "${refused[@]}"; do answers+=(CANCEL); done
  uninstall_product held.log "${answers[@]}" OK
  expect_eq "$t: uninstaller exit code (held)" 0 "$UNINSTALL_RC"
  mapfile -t got < <(boxes held.log | sed -E 's/^BOX //; s/ answer=[A-Z]+$//')
  local i=1
  for f in "${refused[@]}"; do
    expect_eq "$t: access denied for $f, in use, by the name the user knows" \
      "$ACCESS_DENIED_FR$(escaped_path "$f")" "${got[$i]:-<none>}"
    i=$((i + 1))
  done
  expect_eq "$t: the report after the held files" "$REPORT_FR" "${got[$i]:-<none>}"
  pending=$(pending_now)
  for bits in "${HELD[@]}"; do
    expect_true "$t: the held $bits-bit extension stays until the restart" "[ -f '$(unix_of "$bits")/vmxtool.dll' ]"
    expect_match "$t: the held $bits-bit extension goes at the restart" \
      "$(escaped_re "$(dir_of "$bits")")"'\\Shellext\\vmxtool\.dll\\0(\\0|$)' "$pending"
  done
  expect_match "$t: the open viewer goes at the restart" \
    "$(escaped_re "$(dir_of "$NATIVE")")"'\\Shellext\\vmxtool\.exe\\0(\\0|$)' "$pending"
  [ -n "$DEMO_OUT" ] && say "   Pending at the restart: $(printf '%s' "$pending" | sed -n 's/.*REG_MULTI_SZ *//p')"

  say "-- A reinstallation before the restart keeps every file"
  install_product reinstall.log CANCEL
  expect_eq "$t: reinstaller exit code" 0 "$INSTALL_RC"
  pending=$(pending_now)
  for v in "${VIEWS[@]}"; do
    for f in vmxtool.dll vmxtool.exe vmxtool.txt vmxinst.exe; do
      expect_true "$t: $f present after the reinstallation in $(dir_of "$v")" "[ -f '$(unix_of "$v")/$f' ]"
      expect_true "$t: $f in $(dir_of "$v") no longer goes at the restart" \
        "! [[ \"\$pending\" == *'$(dir_of "$v")\\Shellext\\$f\\0'* ]]"
    done
    expect_true "$t: the folder $(dir_of "$v")\\Shellext no longer goes at the restart" \
      "! [[ \"\$pending\" == *'$(dir_of "$v")\\Shellext\\0'* ]]"
  done
  release_extensions old
  release_extensions new
  kill_windows
}

# ---- scenario: 64-bit Windows that had the earlier 32-bit and 64-bit packages ----
scenario_upgrade() {
  local t=upgrade old64
  new_prefix upgrade win64
  unpack_package
  # The earlier packages ran the plain section: the 32-bit one through the 32-bit installer
  # (its class, approval and uninstall entry in the 32-bit view), the 64-bit one through
  # the 64-bit installer.
  run_wine wine rundll32.exe setupapi.dll,InstallHinfSection DefaultInstall 132 "$PACKAGE_DIR_WIN\\vmxtool.inf" >/dev/null 2>&1
  sed 's/^\[DefaultInstall\.NTamd64\]/[Earlier.NTamd64]/' "$PACKAGE_DIR/vmxtool.inf" >"$PACKAGE_DIR/old64.inf"
  run_wine "$WINE64" rundll32.exe setupapi.dll,InstallHinfSection DefaultInstall 132 "$PACKAGE_DIR_WIN\\old64.inf" >/dev/null 2>&1
  expect_true "$t: the earlier 32-bit package's entry is there" "key_exists 32 '$UNINSTALL_KEY'"
  expect_true "$t: the earlier 64-bit package's entry is there" "key_exists 64 '$UNINSTALL_KEY'"
  kill_windows

  install_product first.log OK
  expect_eq "$t: first installation" 0 "$INSTALL_RC"
  kill_windows
  # The second time from a folder whose name the French code page cannot spell, as under a
  # user name in Cyrillic: reached all the same.
  PACKAGE_IN='Дмитрий' install_product second.log CANCEL
  expect_eq "$t: second installation, from a Cyrillic folder" 0 "$INSTALL_RC"
  expect_eq "$t: second installation asked twice" 2 "$(boxes second.log | grep -c '^BOX ')"
  expect_eq "$t: the Cyrillic folder's start confirmation" "${INSTALL_BOXES_FR[0]}" \
    "$(boxes second.log | sed -nE '1{s/^BOX //; s/ answer=[A-Z]+$//; p}')"
  kill_windows
  check_installed "$t"
  expect_true "$t: declined offer removed the earlier verbs" \
    "! key_exists 64 'HKCR\\Drive\\shell\\DiskInfoByVmax' && ! key_exists 64 'HKCR\\Directory\\shell\\DiskInfoByVmax'"
  printf 'x' >"$WINEPREFIX/drive_c/e2e/twice.txt"
  for bits in 64 32; do
    use_menu "$bits" twice 'C:\e2e\twice.txt'
    expect_eq "$t: the menu works after reinstalling ($bits-bit host)" 0 "$MENU_RC"
    expect_eq "$t: the $bits-bit extension starts the viewer beside it" \
      "\"$(dir_of "$bits")\\Shellext\\vmxtool.exe\" \"C:\\e2e\\twice.txt\"" "$(trace_line command)"
    kill_windows
  done
  end_prefix
}

# ---- scenario: the Windows 95 family (32-bit prefix) ----
scenario_win98() {
  local t=win98 wininit
  new_prefix win98 win32
  reg_tool add 'HKCU\Software\Wine\AppDefaults\vmxinst.exe' /v Version /d win98 /f >/dev/null 2>&1
  say ""
  say "== VelluMax on the Windows 95 family"
  install_product install.log OK
  expect_eq "$t: installer exit code" 0 "$INSTALL_RC"
  check_installed "$t"
  kill_windows
  uninstall_product uninstall.log YES NO
  expect_eq "$t: uninstaller exit code" 0 "$UNINSTALL_RC"
  mapfile -t got < <(boxes uninstall.log | sed -E 's/^BOX //; s/ answer=[A-Z]+$//')
  expect_eq "$t: restart offered" \
    "$REPORT_FR\\x0D\\x0DRed\\xE9marrer l'ordinateur maintenant ?" "${got[1]:-<none>}"
  check_uninstalled "$t"
  wininit=$(tr -d '\r' <"$WINEPREFIX/drive_c/windows/wininit.ini" 2>/dev/null | paste -sd'|')
  expect_match "$t: wininit.ini schedules the setup program" \
    '\[[Rr][Ee][Nn][Aa][Mm][Ee]\]\|NUL=C:\\windows\\system32\\Shellext\\vmxinst\.exe' "$wininit"
  say "   wininit.ini: $wininit"
  restart_windows
  check_restarted "$t" folders-stay
  end_prefix
}

# ---- scenario: the single setup file on 64-bit Windows ----
# The user downloads VelluMax-<version>-setup-x64.exe alone into a folder whose name the
# French code page cannot write, and double-clicks it: a 64-bit program, started directly.
SINGLE_DIR_NAME='Загрузки'
# run_single <folder (unix)> <log> <file name> <answers>...: the setup file started from its
# folder as Explorer starts it, with the arguments in SINGLE_ARGS; exit code in SINGLE_RC
SINGLE_ARGS=()
run_single() {
  local folder=$1 log=$2 name=$3
  shift 3
  answer_boxes "$log" "$@"
  (cd "$folder" && run_wine "$WINE64" "$name" "${SINGLE_ARGS[@]}" >"$WORK/single.out" 2>&1)
  SINGLE_RC=$?
  wait "$ANSWERER_PID"
  ANSWERER_RC=$?
}
# Staged folders of any setup program left under the Windows temporary folder, and the
# user's temporary folder's entries.
staged_left() { ls -d "$WINEPREFIX"/drive_c/windows/[Tt]emp/VelluMax-* 2>/dev/null | wc -l; }
user_temp() { ls -A "$WINEPREFIX"/drive_c/users/*/AppData/Local/Temp 2>/dev/null | sort | tr '\n' ' '; }
# flip_payload_byte <file>: one byte in the middle of the cabinet that the file carries
flip_payload_byte() {
  python3 - "$1" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
at = data.find(b'MSCF\0\0\0\0')
size = struct.unpack('<I', data[at + 8:at + 12])[0]
data[at + size // 2] ^= 0x55
open(sys.argv[1], 'wb').write(data)
PY
}

scenario_single() {
  local t=single name dir got temp_before damaged
  new_prefix single win64
  name=$(basename "$SETUP_FILE")
  dir=$WINEPREFIX/drive_c/users/Public/Downloads/$SINGLE_DIR_NAME
  mkdir -p "$dir" && cp "$SETUP_FILE" "$dir/"
  say ""
  say "== VelluMax on 64-bit Windows from the single setup file"
  say "-- The user downloads $name alone into C:\\users\\Public\\Downloads\\$SINGLE_DIR_NAME and double-clicks it"
  temp_before=$(user_temp)
  echo "$name" >>"$WORK/started.txt"
  run_single "$dir" single-install.log "$name" OK OK
  expect_eq "$t: installer exit code" 0 "$SINGLE_RC"
  expect_eq "$t: both install boxes answered" 0 "$ANSWERER_RC"
  mapfile -t got < <(boxes single-install.log | sed -E 's/^BOX //; s/ answer=[A-Z]+$//')
  expect_eq "$t: start confirmation box, as from the unpacked package" "${INSTALL_BOXES_FR[0]}" "${got[0]:-<none>}"
  expect_eq "$t: Infos disque offer box, as from the unpacked package" "${INSTALL_BOXES_FR[1]}" "${got[1]:-<none>}"
  expect_eq "$t: no box beyond these" 2 "${#got[@]}"
  [ -n "$DEMO_OUT" ] && boxes single-install.log | sed -E 's/^BOX /   message box: /' | readable
  check_installed "$t"
  check_verbs "$t"
  expect_true "$t: the installed setup program is the plain vmxinst64.exe, not the setup file" \
    "unzip -p '$ZIP' vmxinst64.exe | cmp -s - '$UNIX_64/vmxinst.exe'"
  expect_eq "$t: the download folder holds the setup file alone" "$name" "$(ls -A "$dir")"
  expect_eq "$t: no staged folder left in C:\\windows\\Temp" 0 "$(staged_left)"
  expect_eq "$t: nothing left in the user's temporary folder" "$temp_before" "$(user_temp)"
  kill_windows

  say "-- The user uninstalls through the entry in the list of installed programs"
  uninstall_product single-uninstall.log YES OK
  expect_eq "$t: uninstaller exit code" 0 "$UNINSTALL_RC"
  mapfile -t got < <(boxes single-uninstall.log | sed -E 's/^BOX //; s/ answer=[A-Z]+$//')
  expect_eq "$t: uninstall report box" "$REPORT_FR" "${got[-1]:-<none>}"
  kill_windows
  check_uninstalled "$t"
  restart_windows
  check_restarted "$t"
  wineserver -p

  say "-- An administrator installs quietly through the setup file, with a log, then uninstalls through it"
  quiet_setup "$dir" single-quiet.log "$name" /quiet
  expect_eq "$t: quiet, the setup file ends with the setup program's 0" 0 "$QUIET_RC"
  expect_eq "$t: ... whose log ends with the outcome" "end: done; exit code 0" "$(printf '%s\n' "$QUIET_LOG" | tail -1)"
  check_installed "$t quiet"
  expect_eq "$t: ... and no staged folder left" 0 "$(staged_left)"
  kill_windows
  SINGLE_ARGS=(/uninstall)
  run_single "$dir" single-uninstall-file.log "$name" YES OK
  SINGLE_ARGS=()
  expect_eq "$t: /uninstall through the setup file ends with 0" 0 "$SINGLE_RC"
  mapfile -t got < <(boxes single-uninstall-file.log | sed -E 's/^BOX //; s/ answer=[A-Z]+$//')
  expect_eq "$t: ... after the uninstall report box" "$REPORT_FR" "${got[-1]:-<none>}"
  kill_windows
  check_uninstalled "$t /uninstall"
  expect_eq "$t: ... and no staged folder left" 0 "$(staged_left)"
  restart_windows
  wineserver -p

  say "-- A copy of the setup file with one payload byte changed (a broken download)"
  damaged=$WINEPREFIX/drive_c/users/Public/Downloads/damaged
  mkdir -p "$damaged" && cp "$SETUP_FILE" "$damaged/$name"
  flip_payload_byte "$damaged/$name"
  run_single "$damaged" single-damaged.log "$name" OK
  expect_eq "$t: a damaged payload ends with exit code 1" 1 "$SINGLE_RC"
  mapfile -t got < <(boxes single-damaged.log | sed -E 's/^BOX //; s/ answer=[A-Z]+$//')
  expect_match "$t: ... after one box that says the setup file is damaged" \
    '^caption=VelluMax .*text=Installation impossible : le programme d.installation est endommag\\xE9\. T\\xE9l\\xE9chargez-le \\xE0 nouveau\. Fichier en cause : .+$' \
    "${got[0]:-<none>}"
  expect_eq "$t: ... and no other box" 1 "${#got[@]}"
  [ -n "$DEMO_OUT" ] && boxes single-damaged.log | sed -E 's/^BOX /   message box: /' | readable
  expect_true "$t: ... installing nothing" "[ ! -d '$UNIX_64' ] && [ ! -d '$UNIX_32' ] && ! key_exists 64 '$UNINSTALL_KEY'"
  expect_eq "$t: ... and leaving no staged folder" 0 "$(staged_left)"
  quiet_setup "$damaged" single-damaged-quiet.log "$name" /quiet
  expect_eq "$t: quiet, a damaged payload ends with 1603" 1603 "$QUIET_RC"
  expect_match "$t: ... and says why in the log" 'carried payload is damaged' "$QUIET_LOG"
  expect_true "$t: ... installing nothing" "[ ! -d '$UNIX_64' ]"
  end_prefix
}

# What a user downloads: every file listed in SHA256SUMS with the sum it has, the signed
# package among them.
check_zip_contents() {
  local dir=$WORK/zip-contents sums
  rm -rf "$dir" && mkdir -p "$dir"
  (cd "$dir" && unzip -q "$ZIP")
  sums=$(cd "$dir" && sha256sum -c SHA256SUMS 2>&1)
  expect_true "zip: SHA256SUMS matches every file it lists" \
    '(cd "$dir" && sha256sum -c --quiet SHA256SUMS >/dev/null 2>&1)'
  expect_eq "zip: SHA256SUMS lists every other file of the zip" \
    "$(cd "$dir" && ls | grep -vx SHA256SUMS | sort | tr '\n' ' ')" \
    "$(printf '%s\n' "$sums" | sed -n 's/: OK$//p' | sort | tr '\n' ' ')"
  expect_true "zip: the signed package vmxmenu.msix is in it" '[ -s "$dir/vmxmenu.msix" ]'
  rm -rf "$dir"
}

echo "e2e: this machine is $MACHINE"
check_zip_contents
for s in "${SCENARIOS[@]}"; do
  case $s in
    win64) scenario_nt win64 ;;
    single)
      if [ -f "$SETUP_FILE" ]; then scenario_single; else fail "scenario single" "no VelluMax-*-setup-x64.exe in $BUILD"; fi ;;
    win32 | upgrade | win98)
      if ! runs_32bit; then
        case $s in
          win32) skip "scenario win32 (32-bit Windows of the NT family)" "$NO32" ;;
          upgrade) skip "scenario upgrade (over the earlier 32- and 64-bit packages, with the shipped 32-bit setup program)" "$NO32" ;;
          win98) skip "scenario win98 (the Windows 95 family, with the shipped 32-bit setup program)" "$NO32" ;;
        esac
        continue
      fi
      case $s in
        win32) scenario_nt win32 ;;
        upgrade) scenario_upgrade ;;
        win98) scenario_win98 ;;
      esac ;;
    *) echo "e2e: unknown scenario $s" >&2; exit 2 ;;
  esac
done

echo "e2e: $PASSED passed, $FAILED failed, $SKIPPED skipped"
[ "$FAILED" -eq 0 ]
