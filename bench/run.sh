#!/usr/bin/env bash
# Builds scan_bench and runs it under Wine in a throw-away prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRUN_BUILD:-$root/build}
[ -f "$build/build.ninja" ] ||
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" --target scan_bench >/dev/null
exec "$root/tests/wine/run-in-prefix.sh" "$build/bench/scan_bench.exe"
