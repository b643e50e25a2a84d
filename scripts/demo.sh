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
echo "built: $plugin"
echo "built: $ocx"
wine regsvr32 /s "$(win "$ocx")" </dev/null >/dev/null 2>&1
rc=$?
echo "regsvr32 PenvanePdf.OCX: exit code $rc ($([ $rc = 0 ] && echo registered || echo FAILED)) in $WINEPREFIX"
exit $rc
