#!/usr/bin/env bash
# One Wine session for the Wine-run tests: a private Xvfb display and a running wineserver.
#   session.sh [scaled | win64] start | stop | run PROGRAM.exe [ARGS...]
# "scaled" is a session of its own on a display scaled to 150% (144 DPI); "win64" one in the 64-bit
# prefix, for zeb64.exe and the 64-bit test programs.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$here/scripts/env.sh"
export WINEPREFIX="$ZEB_SESSION_PREFIX"
state="${ZEB_WINE_STATE:-${TMPDIR:-/tmp}/zeb-wine-session-$(id -u)}"
if [ "${1:-}" = scaled ]; then
  shift
  export WINEPREFIX="$ZEB_SCALED_PREFIX"
  state="$state-scaled"
elif [ "${1:-}" = win64 ]; then
  shift
  export WINEPREFIX="$ZEB_WIN64_PREFIX" WINEARCH=win64
  state="$state-win64"
fi

start() {
  stop >/dev/null 2>&1
  mkdir -p "$state"
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    echo $! >"$state/xvfb.pid"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    if [ -e "/tmp/.X11-unix/X$n" ]; then
      echo ":$n" >"$state/display"
      DISPLAY=":$n" wineserver -p 60 >/dev/null 2>&1
      DISPLAY=":$n" wine cmd /c exit >/dev/null 2>&1   # warm the prefix up once
      echo "wine session on :$n"
      return 0
    fi
  done
  echo "no free X display" >&2
  return 1
}

stop() {
  [ -f "$state/display" ] && DISPLAY=$(cat "$state/display") wineserver -k >/dev/null 2>&1
  [ -f "$state/xvfb.pid" ] && kill "$(cat "$state/xvfb.pid")" 2>/dev/null
  rm -rf "$state"
  return 0
}

run() {
  local started=0
  if [ ! -f "$state/display" ]; then start >/dev/null || return 1; started=1; fi
  DISPLAY=$(cat "$state/display")
  export DISPLAY
  wine "$@"
  local rc=$?
  [ $started = 1 ] && stop
  return $rc
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  run) shift; run "$@" ;;
  *) echo "usage: $0 start|stop|run PROGRAM [ARGS]" >&2; exit 2 ;;
esac
