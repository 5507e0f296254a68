#!/usr/bin/env bash
# The whole-program bar: `kestrun-cli list` over 10,000 HKCU Run values and 1,000 per-user Startup
# files, against Wine's own `reg query` of that key, in the same throw-away prefix. Output goes to a
# regular file for both (a character device costs a server round trip per write under Wine).
# Target: the tool takes at most half as long as reg query.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRUN_BUILD:-$root/build}
[ -f "$build/build.ninja" ] ||
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" --target kestrun-cli scan_bench >/dev/null
exe=$build/cli/kestrun-cli.exe

. "$root/tests/wine/prefix.sh"
kt_new_prefix
work=$(mktemp -d)
trap 'rm -rf "$work"; kt_drop_prefix' EXIT

run='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
kt_quiet wine "$build/bench/scan_bench.exe" seed 10000 1000

. "$root/bench/timing.sh"

cli_times=() reg_times=()
for _ in 1 2 3 4 5; do
  cli_times+=("$(seconds wine "$exe" list)")
  cli_rows=$(grep -Ec "^(enabled|disabled)" "$work/out")  # rows, not the notes below them
  [ "$cli_rows" = 11000 ] || { echo "kestrun-cli listed $cli_rows entries, expected 11000"; exit 1; }
  reg_times+=("$(seconds wine reg query "$run")")
done
cli=$(median "${cli_times[@]}")
reg=$(median "${reg_times[@]}")
ratio=$(awk -v c="$cli" -v r="$reg" 'BEGIN { printf "%.2f", c / r }')
printf 'kestrun-cli list (%d entries): %.2f s; reg query (10,000 values): %.2f s; ratio %s (median of 5)\n' \
  "$cli_rows" "$cli" "$reg" "$ratio"
if awk -v c="$cli" -v r="$reg" 'BEGIN { exit !(c * 2 <= r) }'; then
  echo "ok (target: at most half of reg query)"
else
  echo "TARGET MISSED (target: at most half of reg query)"
  exit 1
fi
