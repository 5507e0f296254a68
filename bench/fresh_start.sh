#!/usr/bin/env bash
# tools/start.sh from a fresh clone with no compiler cache: seconds from the start to Kestrun's first
# visible window, and where they went (each line of start.sh's output stamped with its second; the
# longest build steps from ninja's log). Runs on a display of its own; ends everything it started.
#   bench/fresh_start.sh [REF]     (default: HEAD of this checkout)
# Target: at most 90 s on an idle 2-core machine.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
ref=${1:-HEAD}
top=$(mktemp -d)
git clone -q "$root" "$top/kestrun" && git -C "$top/kestrun" checkout -q "$(git -C "$root" rev-parse "$ref")" || exit 1
display=:$((200 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=$display CCACHE_DISABLE=1 KESTRUN_BUILD=$top/kestrun/build
start=$(date +%s.%N)
since() { awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%6.1f", e - s }'; }
( setsid "$top/kestrun/tools/start.sh" 2>&1 | while IFS= read -r line; do echo "$(since) $line"; done >"$top/log" ) &
shown=
for _ in $(seq 6000); do
  if xdotool search --onlyvisible --name '^Tamsel Soft Kestrun$' >/dev/null 2>&1; then shown=$(since); break; fi
  sleep 0.1
done
load=$(cut -d' ' -f1-3 /proc/loadavg)
WINEPREFIX=$KESTRUN_BUILD/wine-prefix wineserver -k >/dev/null 2>&1
sleep 3  # start.sh ends with its window, and ends the build behind it
kill "$xvfb" 2>/dev/null
wait 2>/dev/null
grep -v '^ *[0-9.]* \[[0-9]*/[0-9]*\] Building' "$top/log" | grep -v '^ *[0-9.]* *$'
echo "The longest build steps (s):"
awk '!seen[$1" "$2]++ { printf "%6.1f %s\n", ($2 - $1) / 1000, $4 }' "$KESTRUN_BUILD/.ninja_log" | sort -rn | head -12
echo "first window after ${shown:-(none within 10 minutes)} s (load average at the end: $load)"
rm -rf "$top"
