#!/usr/bin/env bash
# Configures (once) and builds Kestrun into build/ with the MinGW-w64 cross compiler.
#   tools/build.sh [TARGET...]   (no target: everything, tests and benchmarks included)
set -euo pipefail
. "$(dirname "$0")/locale.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRUN_BUILD:-$root/build}
# ccache, where a developer has it, lets several checkouts of one tree share their compiles.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$root")}
  # Without these ccache will not cache a file compiled with a precompiled header.
  export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}
fi
[ -f "$build/build.ninja" ] ||
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" "${launcher[@]}"
targets=()
[ $# -eq 0 ] || targets=(--target "$@")
cmake --build "$build" "${targets[@]}"
