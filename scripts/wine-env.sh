# Wine environment shared by the tests, the demo and CI.  Source it, then:
#   penvane_wine_up BUILD_DIR [PREFIX]
#                                 private prefix in BUILD_DIR/wineprefix (or in
#                                 PREFIX: a test that changes the machine, such
#                                 as the installer's, keeps its own), Xvfb on a
#                                 free display, virtual desktop, warm wineserver
#   penvane_wine_down             stops what penvane_wine_up started, by PID
# Everything a wine process needs is exported: WINEPREFIX, WINEDEBUG, DISPLAY.
# shellcheck shell=bash

_penvane_log() { echo "wine-env: $*" >&2; }

_penvane_free_display() {
  local n
  for n in $(seq 91 250); do
    if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
      echo "$n"; return 0
    fi
  done
  return 1
}

_penvane_start_xvfb() {
  local tries n
  for tries in 1 2 3 4 5; do
    n=$(_penvane_free_display) || { _penvane_log "no free X display"; return 1; }
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
    PENVANE_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      if [ -e "/tmp/.X11-unix/X${n}" ]; then
        export DISPLAY=":$n"; return 0
      fi
      kill -0 "$PENVANE_XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
    kill "$PENVANE_XVFB_PID" 2>/dev/null; wait "$PENVANE_XVFB_PID" 2>/dev/null
    PENVANE_XVFB_PID=
  done
  _penvane_log "Xvfb did not start"; return 1
}

_penvane_init_prefix() {
  # A new prefix takes ~15 s; it is kept in the build tree and reused.
  if [ -f "$WINEPREFIX/.penvane-ready" ]; then return 0; fi
  _penvane_log "creating Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1 || { _penvane_log "wineboot failed"; return 1; }
  # Virtual desktop: with no window manager, hiding or destroying a top-level
  # window otherwise stalls for 2 s.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1 &&
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1 ||
    { _penvane_log "could not enable the virtual desktop"; return 1; }
  wineserver -w
  touch "$WINEPREFIX/.penvane-ready"
}

penvane_wine_up() {
  local build=${1:?build directory} prefix=${2:-}
  mkdir -p "$build"
  export WINEPREFIX
  WINEPREFIX=${prefix:-$(cd "$build" && pwd)/wineprefix}
  mkdir -p "$WINEPREFIX" && WINEPREFIX=$(cd "$WINEPREFIX" && pwd)
  export WINEDEBUG=-all
  export WINEARCH=win64
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  PENVANE_XVFB_PID= PENVANE_WINESERVER_PID=
  _penvane_start_xvfb || return 1
  _penvane_init_prefix || { penvane_wine_down; return 1; }
  # A persistent server with detached streams: ctest's pipes are not inherited
  # by it, and each test program starts warm (~0.15 s instead of ~3 s).
  setsid wineserver -f -p </dev/null >/dev/null 2>&1 &
  PENVANE_WINESERVER_PID=$!
  wine cmd /c exit </dev/null >/dev/null 2>&1
  _penvane_log "up: WINEPREFIX=$WINEPREFIX DISPLAY=$DISPLAY"
}

penvane_wine_down() {
  # Every step tolerates what is gone already: called from an EXIT trap
  # under set -e, a failing step would end the function before Xvfb is
  # stopped.
  if [ -n "${PENVANE_WINESERVER_PID:-}" ]; then
    # -k asks this prefix's server (ours alone: the prefix is private) to end
    # its wine processes too; then make sure the PID we started is gone.
    wineserver -k </dev/null >/dev/null 2>&1 || true
    kill "$PENVANE_WINESERVER_PID" 2>/dev/null || true
    wait "$PENVANE_WINESERVER_PID" 2>/dev/null || true
    PENVANE_WINESERVER_PID=
  fi
  if [ -n "${PENVANE_XVFB_PID:-}" ]; then
    kill "$PENVANE_XVFB_PID" 2>/dev/null || true
    wait "$PENVANE_XVFB_PID" 2>/dev/null || true
    PENVANE_XVFB_PID=
  fi
  return 0
}
