#!/usr/bin/env bash
# The signing tool end to end with the real handler: the native `penvane`
# command speaks to penvane-host.exe, which loads PenvanePlus.api under Wine
# (the environment of scripts/wine-env.sh, already up) and captures the
# bundled strokes through the capture control and the pad stand-in.
#   tests/signing/sign_verify_test.sh TOOL HOST_EXE PLUGIN OCX PAD SCRATCH
# The tool is the release build of scripts/build-tool.sh (scripts/test.sh
# builds it before the Windows tests run).
# One pass: sign a sample on a new field; qpdf finds the output sound; verify
# finds it valid; a byte flipped inside the signed range is not valid; a
# second signature on the signed output leaves both valid, the first followed
# by that signature only; three attack files get their verdicts; a short
# tamper sweep over both signed files finds every change.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
tool=${1:?tool} host=${2:?host program} plugin=${3:?plug-in} ocx=${4:?control} pad=${5:?pad stand-in}
work=${6:?scratch folder}
sample=$root/penvane/sample/agreement.pdf
strokes=$root/standins/pendata/sample/sample_signature.strokes
failures=0
started=$SECONDS

step() { echo "== $* ($((SECONDS - started)) s)"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }
differ() { ! cmp -s "$1" "$2"; }
win() { echo "Z:$(echo "$1" | tr / '\\')"; }

if [ ! -x "$tool" ]; then
  echo "sign/verify test: $tool is missing; build it with bash scripts/build-tool.sh" >&2; exit 1
fi
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  echo "sign/verify test: run under the Wine environment of scripts/wine-env.sh (penvane_wine_up)" >&2; exit 1
fi
rm -rf "$work" && mkdir -p "$work" || exit 1

# The registration test unregisters both in this prefix; the registry lock
# keeps it from running meanwhile.
for module in "$pad" "$ocx"; do
  wine regsvr32 /s "$(win "$module")" </dev/null >/dev/null 2>&1 || { echo "could not register $module"; exit 1; }
done
export PENVANE_HOST="wine $host --protocol $(win "$plugin")"
export PENVANE_HOST_LOG=$work/penvane-host.log

# verify FILE: the tool's JSON report of FILE in $work/FILE.json; the exit
# code in $rc.
verify() {
  "$tool" verify "$1" --json >"$1.json" 2>"$1.err"; rc=$?
}
# sig FILE N FILTER: jq FILTER on signature N (newest first) of FILE's report.
sig() { jq -e ".files[0].signatures[$2] | $3" "$1.json" >/dev/null; }
count() { jq -e ".files[0].signatures | length == $2" "$1.json" >/dev/null; }

step "sign a new field with the bundled strokes"
once=$work/once.pdf
"$tool" sign "$sample" "$once" --new-field 1:72,72,252,126 --name First --strokes "$strokes" ||
  { fail "signing $sample"; cat "$PENVANE_HOST_LOG" 2>/dev/null; exit 1; }
check "qpdf --check passes the signed file" qpdf --check "$once" >/dev/null

step "verify it"
verify "$once"
check "verify exits 0" [ "$rc" = 0 ]
check "one signature" count "$once" 1
check "the handler's valid signature on the new field, covering the whole file" \
  sig "$once" 0 '.field == "First" and .thisHandler and .valid and .verdict == "valid" and .coversWholeFile and (.handler.results | length > 0) and (.handler.texts | length > 0)'

step "a byte flipped inside the signed range"
flipped=$work/flipped.pdf
cp "$once" "$flipped"
# Inside the first stream's data: the file still parses, its bytes differ.
at=$(( $(grep -abo -m1 'stream' "$flipped" | cut -d: -f1) + 20 ))
check "the byte lies inside the signed range" sig "$once" 0 ".byteRange[1] > $at"
old=$(od -An -tu1 -j "$at" -N1 "$flipped" | tr -d ' ')
printf "$(printf '\\%03o' $((old ^ 1)))" | dd of="$flipped" bs=1 seek="$at" conv=notrunc status=none
check "the copy differs from the signed file" differ "$once" "$flipped"
verify "$flipped"
check "verify exits 1" [ "$rc" = 1 ]
check "the signature is not valid" sig "$flipped" 0 '.valid == false'

step "three attack files with the real handler"
# Kept files of penvane/tests/attacks (the native suite verifies them all):
# objects appended with no cross-reference section, a signed field's
# appearance replaced, a /Contents of zeros. None may come out valid.
attacks=$root/penvane/tests/attacks
"$tool" verify --json "$attacks/hidden-update-no-xref.pdf" "$attacks/inc-signature-appearance-via-new-widget.pdf" \
  "$attacks/contents-zeros.pdf" >"$work/attacks.json" 2>"$work/attacks.err"; rc=$?
check "verify exits 1" [ "$rc" = 1 ]
check "the appended objects are a change after signing" \
  jq -e '.files[0].signatures[0] | .valid and .changedAfterSigning and .laterRevisions.structure' "$work/attacks.json"
check "the replaced appearance is a change after signing" \
  jq -e '.files[1].signatures[0] | .valid and .changedAfterSigning and (.laterRevisions.kinds | index("widget appearance"))' "$work/attacks.json"
check "a value of zeros is invalid, without the handler's valid text" \
  jq -e '.files[2].signatures[0] | (.valid | not) and (.verdict | startswith("INVALID")) and (.handler.texts | length == 0)' "$work/attacks.json"

step "sign the signed file again"
twice=$work/twice.pdf
"$tool" sign "$once" "$twice" --new-field 1:320,72,500,126 --name Second --strokes "$strokes" ||
  { fail "signing $once"; exit 1; }
check "qpdf --check passes the twice-signed file" qpdf --check "$twice" >/dev/null
verify "$twice"
check "verify exits 0" [ "$rc" = 0 ]
check "two signatures" count "$twice" 2
check "the second is valid over the whole file" sig "$twice" 0 '.field == "Second" and .valid and .coversWholeFile and (.laterRevisions == null)'
check "the first is valid, followed by a signature only" \
  sig "$twice" 1 '.field == "First" and .valid and (.coversWholeFile | not) and .laterRevisions.signaturesAdded and (.laterRevisions | (.formValues or .annotations or .other) | not)'

step "a short tamper sweep over both files"
# 40 bytes in the signed ranges and 10 in /Contents of each; none may verify.
PENVANE_TOOL=$tool bash "$root/scripts/tamper-sweep" --ranges 40 --contents 10 --batch 50 "$once" "$twice" \
  >"$work/sweep.log" 2>&1
check "every changed copy is detected" [ $? = 0 ]
grep -E 'detected=|MISSED' "$work/sweep.log"

step "done"
if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed; reports in $work"
  for f in "$work"/*.json; do echo "--- $f"; cat "$f"; done
  exit 1
fi
