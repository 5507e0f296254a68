#!/usr/bin/env bash
# Configures (once) and builds Kestrun into build/ with the MinGW-w64 cross compiler.
set -euo pipefail
. "$(dirname "$0")/locale.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRUN_BUILD:-$root/build}
[ -f "$build/build.ninja" ] ||
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
cmake --build "$build"
