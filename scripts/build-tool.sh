#!/usr/bin/env bash
# Builds the `penvane` command for use (build/tool/penvane/tool/penvane): a
# native release build without sanitizers. scripts/penvane runs it the first
# time; scripts/test.sh every time, before the Windows tests, whose signing
# test drives it. Quiet; the log is build/tool-build.log.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$root/build"
{
  if [ ! -f "$root/build/tool/CMakeCache.txt" ]; then
    gen=(); command -v ninja >/dev/null && gen=(-G Ninja)
    cmake -S "$root" -B "$root/build/tool" "${gen[@]}" -DCMAKE_BUILD_TYPE=Release -DPENVANE_SANITIZE=OFF || exit 1
  fi
  cmake --build "$root/build/tool" --target penvane -j "$(nproc)"
} >"$root/build/tool-build.log" 2>&1 ||
  { echo "building the tool failed; see build/tool-build.log (run bash scripts/setup.sh first)" >&2; exit 1; }
