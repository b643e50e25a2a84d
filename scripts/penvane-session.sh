# The shared Wine session of the `penvane` command (scripts/penvane), for one
# user and one checkout. Source it, then:
#   penvane_session_up headless|desktop
#   penvane_session_down      ends this session's service, hosts and Wine
#                             (scripts/penvane stop-session; the tests)
# Every command of the user shares it, at any pace and overlapping:
#   - a prefix of its own per kind, in build/session/KIND, or in
#     $PENVANE_SESSION_HOME/KIND when that is set (the test suite's
#     prefix in build/win registers and unregisters the same modules);
#     "headless" runs without any display (Wine's null display driver: the
#     handler's windows exist but are drawn nowhere), "desktop" shows the
#     capture dialog as an ordinary window of the person's own $DISPLAY;
#   - a wineserver per prefix that stays 5 idle minutes, started in a session
#     of its own with Wine's services, so no command's end or Ctrl-C touches
#     them; nothing here ever runs wineserver -k;
#   - the capture control and the pad stand-in registered once per prefix,
#     and again only when those files changed;
#   - for "headless", the host service (penvane-host-service) keeping two
#     host programs started with the plug-in loaded; commands take one each
#     through a socket in the runtime folder; it leaves after 5 idle
#     minutes, and is replaced when the modules changed.
# Set-up runs under a lock in the runtime folder: $XDG_RUNTIME_DIR, or a
# private /tmp/penvane-UID (mode 0700). It exports WINEPREFIX, WINEDEBUG,
# WINEARCH, WINEDLLOVERRIDES, PENVANE_HOST, PENVANE_HOST_LOG and (headless)
# PENVANE_HOST_SOCKET, and unsets DISPLAY for headless.
# shellcheck shell=bash

# Parameter expansion and builtins where they do: most commands find the
# session up, and then this file's whole cost is a handful of milliseconds.
_penvane_session_here=${BASH_SOURCE[0]}
case $_penvane_session_here in */*) _penvane_session_here=${_penvane_session_here%/*} ;; *) _penvane_session_here=. ;; esac
# scripts/penvane has found the checkout already and says so.
if [ "${_penvane_checkout:-}" -ef "$_penvane_session_here/.." ]; then
  _penvane_session_root=$_penvane_checkout
else
  _penvane_session_root=$(cd -P "$_penvane_session_here/.." && pwd)
fi
unset _penvane_session_here
PENVANE_SESSION_IDLE=${PENVANE_SESSION_IDLE:-300}
_penvane_session_home=${PENVANE_SESSION_HOME:-$_penvane_session_root/build/session}
_penvane_session_home() { echo "$_penvane_session_home"; }

_penvane_session_log() { echo "penvane: $*" >&2; }

# A short name for this checkout's session (FNV-1a of its home, in bash),
# into _penvane_session_tag_value.
_penvane_session_tag() {
  local text=$1 hash=2166136261 i code
  for ((i = 0; i < ${#text}; i++)); do
    printf -v code '%d' "'${text:i:1}"
    hash=$(( ((hash ^ (code & 255)) * 16777619) & 4294967295 ))
  done
  _penvane_session_tag_value=$hash
}

# The private runtime folder of this user and checkout, in _penvane_run.
# With CHECK=check, a folder under /tmp is checked to be ours and closed to
# others (a stat); without, it only has to exist and be ours: a folder of
# ours that a set-up checked stays closed unless we open it ourselves.
_penvane_runtime_dir() {
  local check=${1:-} base=${XDG_RUNTIME_DIR:-}
  if [ -z "$base" ] || [ ! -d "$base" ] || [ ! -w "$base" ]; then
    base=/tmp/penvane-$UID
    [ -d "$base" ] || mkdir -p -m 0700 "$base" 2>/dev/null
    # Someone else's folder, or one others may enter, is not ours to use.
    if [ ! -O "$base" ] || { [ -n "$check" ] && [ "$(stat -c %a "$base")" != 700 ]; }; then
      _penvane_session_log "$base is not a private folder of yours; remove it or set XDG_RUNTIME_DIR"
      return 1
    fi
  fi
  [ -n "${_penvane_session_tag_value:-}" ] || _penvane_session_tag "$_penvane_session_home"
  _penvane_run=$base/penvane-$_penvane_session_tag_value
  [ -d "$_penvane_run" ] || mkdir -p -m 0700 "$_penvane_run" || return 1
}

# Debian's wineserver is a script that runs wineserver64 in its place.
_penvane_is_wineserver() {
  [ -n "$1" ] || return 1
  _penvane_line "/proc/$1/comm"
  case $_penvane_value in wineserver*) return 0 ;; esac
  return 1
}

_penvane_is_service() { [ -n "$1" ] && _penvane_line "/proc/$1/comm" && [ "$_penvane_value" = penvane-host-se ]; }

# A Linux path as Wine names it, into _penvane_value.
_penvane_win_path() { _penvane_value="Z:${1//\//\\}"; }

# Runs a command and waits for it in a way a signal interrupts at once: the
# session's long steps run in sessions of their own (setsid), where a
# terminal's Ctrl-C does not reach them, and a shell waiting for such a
# command in the foreground would take Ctrl-C only once it ended.
_penvane_bg() { "$@" & wait $!; }

# The content of a small file, without a process for it.
# The first line of a small file into _penvane_value, without a process or
# a subshell for it (empty when it cannot be read).
_penvane_line() { _penvane_value=; [ -r "$1" ] && read -r _penvane_value <"$1"; return 0; }

# The wineserver of the prefix in WINEPREFIX, when one runs.
_penvane_prefix_server() {
  local pid
  for pid in $(pgrep -x 'wineserver.*' 2>/dev/null); do
    grep -qaxF "WINEPREFIX=$WINEPREFIX" <(tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ") && { echo "$pid"; return 0; }
  done
  return 1
}

# Runs the wineserver and Wine's services of the prefix, unless they run.
# Long-lived children close the lock's descriptor (9): holding it, they would
# hold the lock for their whole life.
_penvane_session_server() {
  local pidfile=$1 pid
  _penvane_line "$pidfile"; pid=$_penvane_value
  _penvane_is_wineserver "$pid" && return 0
  pid=$(_penvane_prefix_server) && { echo "$pid" >"$pidfile"; return 0; }
  # A session of its own: neither a terminal's Ctrl-C nor the end of this
  # command reaches the server and the services it starts. Without -f the
  # server returns once it listens, so no wine process starts a second one.
  _penvane_bg setsid wineserver -p"$PENVANE_SESSION_IDLE" </dev/null >/dev/null 2>&1 9>&-
  _penvane_prefix_server >"$pidfile"
  _penvane_bg setsid wine cmd /c exit </dev/null >/dev/null 2>&1 9>&-
}

_penvane_session_prefix() {
  local kind=$1
  [ -f "$WINEPREFIX/.penvane-ready" ] && return 0
  _penvane_session_log "making the Wine prefix $WINEPREFIX (once, about 15 s)"
  mkdir -p "$WINEPREFIX"
  _penvane_bg setsid wineboot -i </dev/null >/dev/null 2>&1 9>&- || { _penvane_session_log "wineboot failed"; return 1; }
  if [ "$kind" = headless ]; then
    # Wine's null display driver: windows work, nothing needs an X server.
    _penvane_bg setsid wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1 9>&- ||
      { _penvane_session_log "could not choose the null display driver"; return 1; }
  fi
  # No virtual desktop for "desktop" (Wine's default): the dialog is a
  # window of the person's own desktop.
  wineserver -w
  touch "$WINEPREFIX/.penvane-ready"
}

# Sets the environment of session KIND (headless or desktop) and answers
# whether it is up with the current modules, as it is for most commands:
# nothing to set up then, and no lock to wait for.
penvane_session_ready() {
  local kind=${1:?headless or desktop}
  local build=$_penvane_session_root/build
  _penvane_hostexe=$build/win/standins/host/program/penvane-host.exe
  _penvane_plugin=$build/win/plugin/PenvanePlus.api
  _penvane_ocx=$build/win/control/PenvanePdf.OCX
  _penvane_pad=$build/win/standins/quillix/quillix.dll
  _penvane_runtime_dir || return 2
  local run=$_penvane_run
  export WINEPREFIX=$_penvane_session_home/$kind WINEDEBUG=-all WINEARCH=win64
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  [ "$kind" = headless ] && unset DISPLAY
  export PENVANE_HOST_LOG=${PENVANE_HOST_LOG:-$run/penvane-host.log}
  _penvane_win_path "$_penvane_plugin"
  export PENVANE_HOST="wine \"$_penvane_hostexe\" --protocol \"$_penvane_value\""
  _penvane_service=$_penvane_session_root/build/tool/penvane/service/penvane-host-service
  # One stat for both fingerprints: the modules the prefix registers and the
  # hosts load, and with them the service that hands the hosts over.
  local files
  mapfile -t files < <(stat -L -c '%n %s %Y' "$_penvane_ocx" "$_penvane_pad" "$_penvane_hostexe" "$_penvane_plugin" \
    "$_penvane_service" 2>/dev/null)
  _penvane_stamp="${files[*]:0:4}"
  _penvane_service_stamp="${files[*]}"
  _penvane_line "$WINEPREFIX/.penvane-registered"
  [ "$_penvane_value" = "$_penvane_stamp" ] || return 1
  _penvane_line "$run/wineserver-$kind.pid"
  _penvane_is_wineserver "$_penvane_value" || return 1
  [ "$kind" = desktop ] && return 0
  _penvane_line "$run/service.pid"
  _penvane_is_service "$_penvane_value" && [ -S "$run/host.sock" ] || return 1
  _penvane_line "$run/service.stamp"
  [ "$_penvane_value" = "$_penvane_service_stamp" ] || return 1
  export PENVANE_HOST_SOCKET=$run/host.sock
}

penvane_session_up() {
  local kind=${1:?headless or desktop}
  local ready=0
  penvane_session_ready "$kind" || ready=$?
  case $ready in 0) return 0 ;; 2) return 1 ;; esac
  local service=$_penvane_service
  local hostexe=$_penvane_hostexe ocx=$_penvane_ocx pad=$_penvane_pad stamp=$_penvane_stamp
  local service_stamp=$_penvane_service_stamp
  _penvane_runtime_dir check || return 1
  local run=$_penvane_run
  # The set-up runs as a job the caller waits for with `wait`, which a
  # trapped signal interrupts at once (scripts/penvane traps them); the set-up
  # itself then finishes on its own, for the next command.
  (
    flock 9 || exit 1
    _penvane_session_prefix "$kind" || exit 1
    _penvane_session_server "$run/wineserver-$kind.pid"
    local registered=$WINEPREFIX/.penvane-registered module
    _penvane_line "$registered"
    if [ "$_penvane_value" != "$stamp" ]; then
      for module in "$pad" "$ocx"; do
        _penvane_win_path "$module"
        _penvane_bg setsid wine regsvr32 /s "$_penvane_value" </dev/null >/dev/null 2>&1 9>&- ||
          { _penvane_session_log "$(basename "$module") could not be registered in $WINEPREFIX"; exit 1; }
      done
      echo "$stamp" >"$registered"
    fi
    [ "$kind" = headless ] || exit 0
    # The host service, replaced when the modules it loads changed.
    local pid
    _penvane_line "$run/service.pid"; pid=$_penvane_value
    if _penvane_is_service "$pid" && [ -S "$run/host.sock" ]; then
      _penvane_line "$run/service.stamp"
      [ "$_penvane_value" = "$service_stamp" ] && exit 0
      kill "$pid" 2>/dev/null
      for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.02; done
    fi
    [ -x "$service" ] || exit 0   # commands then start their own hosts
    # Its hosts warm up while they wait: the first request finds the pad's
    # module loaded.
    eval "set -- $PENVANE_HOST"
    setsid "$service" --socket "$run/host.sock" --warm 2 --idle "$PENVANE_SESSION_IDLE" \
      --log "$PENVANE_HOST_LOG" -- "$@" --warm-up </dev/null >/dev/null 2>>"$PENVANE_HOST_LOG" 9>&- &
    echo $! >"$run/service.pid"
    echo "$service_stamp" >"$run/service.stamp"
    for _ in $(seq 1 100); do [ -S "$run/host.sock" ] && break; sleep 0.01; done
  ) 9>"$run/lock" &
  wait $! || return 1
  [ "$kind" = headless ] && export PENVANE_HOST_SOCKET=$run/host.sock
  return 0
}

penvane_session_down() {
  local run pid kind
  _penvane_runtime_dir || return 1
  run=$_penvane_run
  (
    flock 9
    _penvane_line "$run/service.pid"; pid=$_penvane_value
    if _penvane_is_service "$pid"; then
      kill "$pid" 2>/dev/null
      for _ in $(seq 1 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.02; done
    fi
    rm -f "$run/service.pid" "$run/service.stamp"
    for kind in headless desktop; do
      _penvane_line "$run/wineserver-$kind.pid"; pid=$_penvane_value
      rm -f "$run/wineserver-$kind.pid"
      _penvane_is_wineserver "$pid" || continue
      # This session's own prefix: ending its server ends only its processes.
      WINEPREFIX=$(_penvane_session_home)/$kind wineserver -k </dev/null >/dev/null 2>&1
      for _ in $(seq 1 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.02; done
    done
  ) 9>"$run/lock"
}
