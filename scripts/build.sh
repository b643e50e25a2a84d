#!/usr/bin/env bash
# Configures and builds the trees: build/win (mingw-w64, everything) and
# build/native (platform-free units with ASan/UBSan, fuzz targets with clang)
# and build/tool (the signing tool, optimised).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
# A compiler cache, when present, shares objects between work trees of the
# same sources; paths are taken relative to the tree so hits carry across.
if command -v ccache >/dev/null; then
  launcher="env;CCACHE_BASEDIR=$root;CCACHE_NOHASHDIR=1;ccache"
  gen+=(-DCMAKE_C_COMPILER_LAUNCHER="$launcher" -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher")
fi

# Configure every time (cheap): folders are picked up by their presence, so a
# new one must be seen even when no CMakeLists.txt that cmake tracks changed.
if [ -f "$root/build/win/CMakeCache.txt" ]; then
  cmake "$root/build/win" >/dev/null
else
  cmake -S "$root" -B "$root/build/win" "${gen[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
fi
cmake --build "$root/build/win" -j "$jobs"

if [ "${PENVANE_SKIP_NATIVE:-0}" != 1 ]; then
  if [ -f "$root/build/native/CMakeCache.txt" ]; then
    cmake "$root/build/native" >/dev/null
  else
    CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/native" "${gen[@]}" >/dev/null
  fi
  cmake --build "$root/build/native" -j "$jobs"
  # The signing tool as a user runs it (build/tool): the installer test signs
  # with it through the installed modules.
  bash "$root/scripts/build-tool.sh"
fi
