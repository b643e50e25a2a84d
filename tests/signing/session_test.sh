#!/usr/bin/env bash
# scripts/penvane as people use it, with the real plug-in in its shared Wine
# session (scripts/penvane-session.sh), here a session of the test's own
# (prefixes in BUILD_DIR/test-session, runtime folder in SCRATCH):
#   - sign then verify with no pause, several times: every command succeeds;
#   - a signing with its dialog open on the display while two verifies run:
#     the verifies succeed and the dialog stays;
#   - SIGINT, SIGTERM, SIGHUP to a signing with its dialog open: exit
#     128+signal at once, the dialog and its host gone, no output;
#   - no display and no --strokes: an error at once; the script through a
#     symlink works.
# Nothing of the session is left when it ends.
#   tests/signing/session_test.sh BUILD_DIR SCRATCH
# The dialog appears on an Xvfb display of the test's own, so that other
# tests' dialogs are not taken for its own.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?build directory} work=${2:?scratch folder}
penvane=$root/scripts/penvane
sample=$root/penvane/sample/agreement.pdf
strokes=$root/standins/pendata/sample/sample_signature.strokes
failures=0
started=$SECONDS

step() { echo "== $* ($((SECONDS - started)) s)"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }

rm -rf "$work" && mkdir -p -m 0700 "$work/run" || exit 1
export PENVANE_SESSION_HOME=$build/test-session XDG_RUNTIME_DIR=$work/run
# shellcheck source=../../scripts/wine-env.sh
. "$root/scripts/wine-env.sh"
PENVANE_XVFB_PID=
_penvane_start_xvfb || { echo "session test: Xvfb did not start" >&2; exit 1; }
display=$DISPLAY
# shellcheck source=../../scripts/penvane-session.sh
. "$root/scripts/penvane-session.sh"

# Processes of this test's session: whatever runs with one of its prefixes.
session_processes() {
  grep -lsaF "WINEPREFIX=$PENVANE_SESSION_HOME/" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3
}
dialog_shown() { DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -q '"Signature Capture"'; }
hosts_of() {  # hosts_of KIND: penvane-host.exe processes of that prefix
  for pid in $(grep -lsaF "WINEPREFIX=$PENVANE_SESSION_HOME/$1" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3); do
    grep -qa 'penvane-host' "/proc/$pid/cmdline" 2>/dev/null && echo "$pid"
  done
}
wait_for() {  # wait_for SECONDS COMMAND...
  local until=$((SECONDS + $1)); shift
  until "$@"; do [ $SECONDS -ge "$until" ] && return 1; sleep 0.1; done
}
no_dialog() { ! dialog_shown; }
no_desktop_host() { [ -z "$(hosts_of desktop)" ]; }
cleanup() {
  penvane_session_down >/dev/null 2>&1
  [ -n "$PENVANE_XVFB_PID" ] && kill "$PENVANE_XVFB_PID" 2>/dev/null && wait "$PENVANE_XVFB_PID" 2>/dev/null
}
trap cleanup EXIT
# Job control: a background job of a script otherwise starts with SIGINT
# ignored, and a command keeps a signal ignored as it found it.
set -m

step "Ctrl-C while the session comes up"
"$penvane" verify "$sample" >/dev/null 2>&1 &
early=$!
# Once the set-up has started a process of the session (it then has Wine's
# services to start, about half a second): a fixed pause may outlast it.
session_started() { [ -n "$(session_processes)" ]; }
wait_for 10 session_started
t=$(date +%s%N)
kill -INT $early; wait $early; rc=$?
check "exit code 130" [ $rc = 130 ]
check "at once (not after the set-up)" [ $(( ($(date +%s%N) - t) / 1000000 )) -lt 3000 ]

step "sign then verify with no pause, three times"
for i in 1 2 3; do
  check "signing $i" "$penvane" sign "$sample" "$work/signed-$i.pdf" --strokes "$strokes" --new-field 1:350,60,550,130
  check "verifying $i at once" "$penvane" verify "$work/signed-$i.pdf"
done
check "a second signing over the first, then its verification" \
  "$penvane" sign "$work/signed-1.pdf" "$work/twice.pdf" --strokes "$strokes" --new-field 1:50,60,250,130
check "both signatures verify" "$penvane" verify "$work/twice.pdf"
folder="$work/Zürich Verträge"
mkdir -p "$folder" && cp "$strokes" "$folder/Unterschrift ü.strokes" && cp "$sample" "$folder/Vertrag für Ärzte.pdf"
check "names with blanks and non-ASCII characters: signing" "$penvane" sign "$folder/Vertrag für Ärzte.pdf" \
  "$folder/unterschrieben ü.pdf" --strokes "$folder/Unterschrift ü.strokes" --new-field 1:350,60,550,130
check "and verifying" "$penvane" verify "$folder/unterschrieben ü.pdf"
check "three files verified in one call" "$penvane" verify "$work/signed-1.pdf" "$work/signed-2.pdf" "$work/twice.pdf"

step "a signing with its dialog open while two verifies run"
DISPLAY=$display "$penvane" sign "$sample" "$work/by-hand.pdf" --new-field 1:350,60,550,130 \
  >"$work/by-hand.out" 2>&1 &
signer=$!
if wait_for 90 dialog_shown; then
  echo "ok: the dialog is on the display"
  "$penvane" verify "$work/signed-1.pdf" >"$work/v1.out" 2>&1 & v1=$!
  "$penvane" verify "$work/signed-2.pdf" >"$work/v2.out" 2>&1 & v2=$!
  wait $v1; check "the first verify succeeds meanwhile" [ $? = 0 ]
  wait $v2; check "the second verify succeeds meanwhile" [ $? = 0 ]
  check "the dialog is still open" dialog_shown
  check "the signing still runs" kill -0 $signer
else
  fail "the dialog did not appear"; cat "$work/by-hand.out"
fi
kill -INT $signer 2>/dev/null; wait $signer; rc=$?
check "Ctrl-C ends that signing with exit code 130" [ $rc = 130 ]
check "its dialog is gone" wait_for 10 no_dialog
check "its host is gone" wait_for 5 no_desktop_host
check "no output was written" [ ! -e "$work/by-hand.pdf" ]

step "SIGTERM and SIGHUP to a signing with its dialog open"
for signal in TERM HUP; do
  DISPLAY=$display "$penvane" sign "$sample" "$work/by-hand.pdf" --new-field 1:350,60,550,130 >/dev/null 2>&1 &
  signer=$!
  wait_for 60 dialog_shown || fail "the dialog did not appear for SIG$signal"
  kill -"$signal" $signer; wait $signer; rc=$?
  check "SIG$signal: exit code 128+$(kill -l "$signal")" [ $rc = $((128 + $(kill -l "$signal"))) ]
  check "SIG$signal: the dialog is gone" wait_for 10 no_dialog
  check "SIG$signal: the host is gone" wait_for 5 no_desktop_host
  check "SIG$signal: no output, no temporary file" [ -z "$(ls "$work" | grep by-hand.pdf)" ]
done

step "errors at once, and the script through a symlink"
t=$SECONDS
out=$(env -u DISPLAY "$penvane" sign "$sample" "$work/x.pdf" --new-field 1:350,60,550,130 2>&1); rc=$?
named() { [ "$rc" = 2 ] && grep -q 'DISPLAY is not set.*--strokes FILE' <<<"$out"; }
check "no display, no strokes: exit 2 naming both ways out" named
check "an existing output is refused" [ "$("$penvane" sign "$sample" "$work/signed-1.pdf" --strokes "$strokes" \
  --new-field 1:350,60,550,130 >/dev/null 2>&1; echo $?)" = 2 ]
check "both within 3 s" [ $((SECONDS - t)) -le 3 ]
ln -sf "$penvane" "$work/penvane-link"
check "the script through a symlink" "$work/penvane-link" verify "$work/signed-3.pdf"

step "stop the session"
cleanup
no_session_process() { [ -z "$(session_processes)" ]; }
check "no process of the session is left" wait_for 10 no_session_process
trap - EXIT

step "done"
if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"; tail -20 "$XDG_RUNTIME_DIR"/penvane-*/penvane-host.log 2>/dev/null
  exit 1
fi
