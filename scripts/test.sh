#!/usr/bin/env bash
# The project's test command: set-up, both builds, the native tests, then the
# Windows tests under Wine. Ends with ctest's summary; exits non-zero on any failure.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" || exit 1
bash "$root/scripts/build.sh" || exit 1
# The command the Windows signing test drives (a native release build).
bash "$root/scripts/build-tool.sh" || exit 1

status=0
echo "== native tests"
ctest --test-dir "$root/build/native" --output-on-failure -j "$(nproc)" || status=1

echo "== Windows tests under Wine"
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
penvane_wine_up "$root/build/win" || exit 1
trap penvane_wine_down EXIT
ctest --test-dir "$root/build/win" --output-on-failure -j "$(nproc)" || status=1
exit $status
