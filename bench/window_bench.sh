#!/usr/bin/env bash
# Builds the program, the console tool and window_bench, and runs the window benchmark under Wine in
# a throw-away prefix, on a virtual display when there is none. An argument "medium" or "large" runs
# one part alone; "first" times Kestrun's first window against a bare Win32 program's (bare_window).
#   KESTRUN_WINDOW=other/Kestrun.exe          measures that build of the window instead
#   KESTRUN_WINDOW_BEFORE=other/Kestrun.exe   "first" and "medium" time that build too, in the same turns
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRUN_BUILD:-$root/build}
[ -f "$build/build.ninja" ] ||
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" --target Kestrun kestrun-cli window_bench bare_window >/dev/null
args=("$@")
case ${1:-} in
  first) args=(first "$build/bench/bare_window.exe" ${KESTRUN_WINDOW_BEFORE:+"$KESTRUN_WINDOW_BEFORE"}) ;;
  medium) args=(medium ${KESTRUN_WINDOW_BEFORE:+"$KESTRUN_WINDOW_BEFORE"}) ;;
esac
run=("$root/tests/wine/run-in-prefix.sh" "$build/bench/window_bench.exe" "${KESTRUN_WINDOW:-$build/app/Kestrun.exe}"
     "$build/cli/kestrun-cli.exe" "${args[@]}")
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "${run[@]}"
fi
exec "${run[@]}"
