#!/bin/sh
# A private X display, and a Wine prefix that uses it, for the tests that show windows
# (the CTest fixture "display"):
#   display.sh start <dir> <wine-run.sh>   make the prefix, start Xvfb on a free display
#   display.sh stop <dir>                  end the prefix's Wine session and Xvfb
# <dir>/number holds the display (":N"); wine-run.sh exports it as DISPLAY for tests that
# name that file in VMX_DISPLAY_FILE. The prefix of its own keeps the Wine session with a
# display apart from the one that the tests without a display share.
set -u
dir=$2
case "$1" in
start)
  mkdir -p "$dir"
  VMX_WINEPREFIX="$dir/wineprefix" "$3" --make-prefix || exit $?
  if [ -s "$dir/pid" ] && [ -s "$dir/number" ] && kill -0 "$(cat "$dir/pid")" 2>/dev/null; then
    echo "display: Xvfb $(cat "$dir/number") is running"
    exit 0
  fi
  for n in $(seq 160 259); do
    if [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; then continue; fi
    # Detached, and holding none of CTest's pipes, so that the fixture ends at once.
    setsid Xvfb :$n -screen 0 1280x800x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    if [ -e /tmp/.X11-unix/X$n ]; then
      echo "$pid" >"$dir/pid"
      echo ":$n" >"$dir/number"
      echo "display: Xvfb :$n started"
      exit 0
    fi
    kill "$pid" 2>/dev/null
  done
  echo "display: could not start Xvfb" >&2
  exit 1
  ;;
stop)
  if [ -d "$dir/wineprefix" ]; then WINEPREFIX="$dir/wineprefix" wineserver -k 2>/dev/null; fi
  if [ -s "$dir/pid" ]; then kill "$(cat "$dir/pid")" 2>/dev/null; fi
  rm -f "$dir/pid" "$dir/number"
  echo "display: stopped"
  ;;
*)
  echo "usage: display.sh start <dir> <wine-run.sh> | stop <dir>" >&2
  exit 2
  ;;
esac
