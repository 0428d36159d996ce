#!/bin/sh
# A private X display, and a Wine prefix that uses it, for the tests that show windows
# (the CTest fixture "display"):
#   display.sh start <dir> <wine-run.sh>   make the prefix, start Xvfb on a free display and
#                                          the prefix's Wine session on it
#   display.sh stop <dir>                  end the prefix's Wine session and Xvfb
# <dir>/number holds the display (":N"); wine-run.sh exports it as DISPLAY for tests that
# name that file in VMX_DISPLAY_FILE. The prefix of its own keeps the Wine session with a
# display apart from the one that the tests without a display share.
set -u
dir=$2
wine_run=${3:-}

# The session starts once, with its desktop on the display, before the tests run side by
# side: two tests that both start it can see a program fail to start. It runs until stop.
warm_up() {
  WINEPREFIX="$dir/wineprefix" wineserver -p </dev/null >/dev/null 2>&1
  VMX_DISPLAY_FILE="$dir/number" VMX_WINEPREFIX="$dir/wineprefix" "$wine_run" cmd.exe /c exit 0 \
    </dev/null >/dev/null 2>&1
  echo "display: Wine session ready"
}
case "$1" in
start)
  mkdir -p "$dir"
  VMX_WINEPREFIX="$dir/wineprefix" "$wine_run" --make-prefix || exit $?
  if [ -s "$dir/pid" ] && [ -s "$dir/number" ] && kill -0 "$(cat "$dir/pid")" 2>/dev/null; then
    echo "display: Xvfb $(cat "$dir/number") is running"
    warm_up
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
      warm_up
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
