#!/usr/bin/env bash
# The main job: set-up, build, then register the capture control module in
# the project's Wine prefix and report what was done.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" || exit 1
PENVANE_SKIP_NATIVE=1 bash "$root/scripts/build.sh" || exit 1
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
penvane_wine_up "$root/build/win" || exit 1
trap penvane_wine_down EXIT

win() { echo "Z:$(echo "$1" | tr / '\\')"; }
plugin=$root/build/win/plugin/PenvanePlus.api
ocx=$root/build/win/control/PenvanePdf.OCX
pad=$root/build/win/standins/quillix/quillix.dll
client=$root/build/win/control/capture_demo.exe
sample=$root/standins/pendata/sample/sample_signature.strokes
echo "built: $plugin"
echo "built: $ocx"
for module in "$pad" "$ocx"; do
  wine regsvr32 /s "$(win "$module")" </dev/null >/dev/null 2>&1
  rc=$?
  echo "regsvr32 $(basename "$module"): exit code $rc ($([ $rc = 0 ] && echo registered || echo FAILED)) in $WINEPREFIX"
  [ $rc = 0 ] || exit $rc
done

# Until signing exists: the capture dialog with the bundled sample signature
# replayed on the pad, then Accept, and the control's answers.
echo "capture: $(basename "$sample") replayed onto the \"Signature Capture\" dialog, then Accept"
wine "$client" "$(win "$sample")" </dev/null 2>/dev/null | tr -d '\r'
rc=${PIPESTATUS[0]}
echo "capture_demo: exit code $rc"
exit $rc
