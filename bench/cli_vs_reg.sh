#!/usr/bin/env bash
# The whole-program bar: `kestrun-cli list` over 10,000 HKCU Run values, 1,000 per-user Startup
# files, 1,000 scheduled tasks' files and 200 packaged apps with a startup task each, against Wine's
# own `reg query` of the Run key, in the same throw-away prefix, with two kinds of commands: every
# one an unquoted path with blanks (C:\Program Files\Vendor 00001\app.exe /background --flag=1),
# then commands shaped like real ones (bench/Seed.h). Each round runs the tool and reg query one after
# the other; the medians of five rounds count. Output goes to a regular file for both (a character
# device costs a server round trip per write under Wine). Before the rounds, what one run spends on the
# scan and on resolving the programs (scan_bench resolve).
#   KESTRUN_CLI_BEFORE=other/kestrun-cli.exe   also times that build in the same rounds (a before/after)
# Target: the tool takes at most a quarter as long as reg query (aiming at a fifth).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRUN_BUILD:-$root/build}
[ -f "$build/build.ninja" ] ||
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" --target kestrun-cli scan_bench >/dev/null
exe=$build/cli/kestrun-cli.exe
before=${KESTRUN_CLI_BEFORE:-}

. "$root/tests/wine/prefix.sh"
kt_new_prefix
work=$(mktemp -d)
trap 'rm -rf "$work"; kt_drop_prefix' EXIT

run='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
. "$root/bench/timing.sh"
ratio() { awk -v c="$1" -v r="$2" 'BEGIN { printf "%.2f", c / r }'; }
listed() {  # rows, not the notes below them
  local rows
  rows=$(grep -Ec "^(enabled|disabled)" "$work/out")
  [ "$rows" = 12200 ] || { echo "$1 listed $rows entries, expected 12200"; exit 1; }
}

missed=0
for commands in unquoted mixed; do
  kt_quiet wine "$build/bench/scan_bench.exe" seed 10000 1000 "$commands" 1000 200
  echo "10,000 values ($commands commands) + 1,000 files + 1,000 task files + 200 packages:"
  echo "  one run: $(wine "$build/bench/scan_bench.exe" resolve </dev/null 2>/dev/null | tr -d '\r')"
  # One round unmeasured: the server saves the registry it was just given, and the files are cached.
  seconds wine "$exe" list >/dev/null
  seconds wine reg query "$run" >/dev/null
  cli_times=() before_times=() reg_times=()
  for _ in 1 2 3 4 5; do
    cli_times+=("$(seconds wine "$exe" list)")
    listed kestrun-cli
    if [ -n "$before" ]; then
      before_times+=("$(seconds wine "$before" list)")
      listed "$before"
    fi
    reg_times+=("$(seconds wine reg query "$run")")
  done
  cli=$(median "${cli_times[@]}") reg=$(median "${reg_times[@]}")
  printf '  kestrun-cli list %.2f s; reg query %.2f s; ratio %s (median of 5)\n' "$cli" "$reg" "$(ratio "$cli" "$reg")"
  if [ -n "$before" ]; then
    b=$(median "${before_times[@]}")
    printf '  before (%s): %.2f s; ratio %s\n' "$before" "$b" "$(ratio "$b" "$reg")"
  fi
  if awk -v c="$cli" -v r="$reg" 'BEGIN { exit !(c * 4 <= r) }'; then
    echo "  ok (target: at most a quarter of reg query)"
  else
    echo "  TARGET MISSED (target: at most a quarter of reg query)"
    missed=1
  fi
done
exit $missed
