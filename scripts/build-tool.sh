#!/usr/bin/env bash
# Builds the signing tool for use (not for the tests' sanitizers): an
# optimised native build in build/tool, target penvane only. Brings an
# existing build up to date; the build's output goes to build/tool-build.log.
#   bash scripts/build-tool.sh    (scripts/penvane, build.sh, test.sh, the tests that drive it)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
if command -v ccache >/dev/null; then
  launcher="env;CCACHE_BASEDIR=$root;CCACHE_NOHASHDIR=1;ccache"
  gen+=(-DCMAKE_C_COMPILER_LAUNCHER="$launcher" -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher")
fi
mkdir -p "$root/build"
{
  if [ ! -f "$root/build/tool/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$root/build/tool" "${gen[@]}" -DCMAKE_BUILD_TYPE=Release -DPENVANE_SANITIZE=OFF || exit 1
  fi
  cmake --build "$root/build/tool" --target penvane penvane-host-service -j "$(nproc)"
} >"$root/build/tool-build.log" 2>&1 ||
  { echo "build-tool: building the tool failed; see build/tool-build.log (run bash scripts/setup.sh first)" >&2; exit 1; }
