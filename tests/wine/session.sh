#!/usr/bin/env bash
# Starts or stops the Wine session the end-to-end cases run in:
#   session.sh start SESSION_DIR DRIVER_EXE
#   session.sh stop SESSION_DIR
# start: an X server of its own (Xvfb), a 32-bit Wine prefix under
# SESSION_DIR (made once, then reused), a persistent wineserver, and the
# driver's keeper, a hidden program that holds the Wine desktop open so that
# the clipboard outlives each program. It writes SESSION_DIR/session.env,
# which the cases source. stop ends the keeper, the prefix's wineserver and
# the X server, each by what start recorded.
#
# Wine writes to files, never into a pipe: its helper processes inherit the
# pipe and keep it open long after the command that started them.
set -u
action=$1 session=$2
mkdir -p "$session"
env_file=$session/session.env

wait_for_file() {  # FILE TENTHS
  local i
  for ((i = 0; i < $2; i++)); do
    [ -s "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

start() {
  local driver=$1
  if [ -f "$env_file" ]; then stop; fi

  rm -f "$session/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$session/display" >"$session/xvfb.log" 2>&1 </dev/null &
  echo $! >"$session/xvfb.pid"
  if ! wait_for_file "$session/display" 100; then
    echo "Xvfb did not start; see $session/xvfb.log" >&2
    return 1
  fi

  cat >"$env_file" <<ENV
export DISPLAY=:$(tr -d '[:space:]' <"$session/display")
export WINEPREFIX=$session/prefix
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree=;mshtml='
ENV
  # shellcheck source=/dev/null
  . "$env_file"

  if [ ! -f "$WINEPREFIX/.morvenda-ready" ]; then
    echo "Making the Wine prefix $WINEPREFIX (once)"
    wineboot --init >"$session/wineboot.log" 2>&1 || { echo "wineboot failed; see $session/wineboot.log" >&2; return 1; }
    # The dialog font and the symbols of the caption buttons.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
    touch "$WINEPREFIX/.morvenda-ready"
  fi
  # Without a window manager a closing window waits for one unless Wine
  # manages its windows itself; a program that crashes ends at once instead
  # of waiting behind a crash dialog.
  { wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f; } >"$session/reg.log" 2>&1 ||
    { echo "wine reg failed; see $session/reg.log" >&2; return 1; }
  wineserver -p >"$session/wineserver.log" 2>&1 </dev/null

  rm -f "$session/keeper.ready"
  setsid wine "$driver" keep "Z:$session/keeper.ready" >"$session/keeper.log" 2>&1 </dev/null &
  if ! wait_for_file "$session/keeper.ready" 600; then
    echo "the keeper did not start; see $session/keeper.log" >&2
    return 1
  fi
  echo "Wine session ready on $DISPLAY, prefix $WINEPREFIX"
}

stop() {
  if [ -f "$env_file" ]; then
    # shellcheck source=/dev/null
    . "$env_file"
    wineserver -k >/dev/null 2>&1
    rm -f "$env_file"
  fi
  if [ -f "$session/xvfb.pid" ]; then
    local pid i
    pid=$(cat "$session/xvfb.pid")
    kill "$pid" 2>/dev/null
    for ((i = 0; i < 50; i++)); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    rm -f "$session/xvfb.pid"
  fi
  return 0
}

case "$action" in
  start) start "$3" ;;
  stop) stop ;;
  *) echo "usage: session.sh start SESSION_DIR DRIVER_EXE | stop SESSION_DIR" >&2; exit 2 ;;
esac
