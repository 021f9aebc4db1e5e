#!/usr/bin/env bash
# The Wine session of one build folder: a 64-bit prefix (created once, non-interactively), a virtual
# display when none is set (QM_SCREEN_SIZE, 1280x1024 unless set), and a wineserver kept alive so that
# each program starts fast.
#   wine-env.sh start BUILD_DIR   prepare everything; prints nothing but errors
#   wine-env.sh stop BUILD_DIR    shut the wineserver and the virtual display down
set -euo pipefail
cmd=${1:?start or stop}
build=$(cd "${2:?build folder}" && pwd)
source "$(dirname "$0")/common.sh"
wine_env "$build"

start_display() {
  if [ -n "${DISPLAY:-}" ]; then rm -f "$wine_display_file"; return; fi
  if [ -f "$wine_xvfb_pid_file" ] && kill -0 "$(cat "$wine_xvfb_pid_file")" 2>/dev/null; then
    wine_display; return
  fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    setsid Xvfb ":$n" -screen 0 "${QM_SCREEN_SIZE:-1280x1024}x24" -nolisten tcp >/dev/null 2>&1 < /dev/null &
    echo $! > "$wine_xvfb_pid_file"
    for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    if [ -e "/tmp/.X11-unix/X$n" ]; then
      echo ":$n" > "$wine_display_file"; export DISPLAY=":$n"; return
    fi
    kill "$(cat "$wine_xvfb_pid_file")" 2>/dev/null || true
  done
  echo "wine-env: could not start Xvfb" >&2; exit 1
}

# The prefix records what it was made with (wine_installed) and is made anew when the installed Wine
# differs, for example once the test command has added the 32-bit half to a prefix the demo made without
# it ("wineboot -u" does not fill syswow64 then). The record is written last, so a prefix whose making was
# interrupted is never taken as ready.
make_prefix() {
  local mark="$WINEPREFIX/.qm-ready" want
  want=$(wine_installed)
  [ -f "$mark" ] && [ "$(cat "$mark")" = "$want" ] && return
  [ -d "$WINEPREFIX" ] && echo "wine-env: the Wine prefix $WINEPREFIX was made with another Wine than the one installed (or not finished); making it anew" >&2
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  local code=0
  { wineboot -i && wineserver -w &&
    # Without a window manager, hiding a top-level window stalls its thread: let Wine manage none.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f && wineserver -w; } >/dev/null 2>&1 || code=$?
  if [ $code -eq 0 ] && [[ "$want" == *wine32:i386* ]] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    code=1
  fi
  if [ $code -ne 0 ]; then
    echo "wine-env: making the Wine prefix $WINEPREFIX failed (wineboot -i, exit code $code). Delete $WINEPREFIX and run again; if it fails again, run 'WINEPREFIX=$WINEPREFIX wineboot -i' to see Wine's own message." >&2
    exit 1
  fi
  echo "$want" > "$mark"
}

case "$cmd" in
  start)
    start_display
    make_prefix
    setsid wineserver -p >/dev/null 2>&1 < /dev/null || true
    # Start Wine's own services now, detached from our output: a service started by the first test
    # program would inherit that program's output and hold the test runner's pipe open.
    setsid wine wineboot >/dev/null 2>&1 < /dev/null || true
    ;;
  stop)
    wineserver -k >/dev/null 2>&1 || true
    if [ -f "$wine_xvfb_pid_file" ]; then
      kill "$(cat "$wine_xvfb_pid_file")" 2>/dev/null || true
      rm -f "$wine_xvfb_pid_file" "$wine_display_file"
    fi
    ;;
  *) echo "usage: wine-env.sh start|stop BUILD_DIR" >&2; exit 2 ;;
esac
