#!/usr/bin/env bash
# Screenshots of the message box for each button set (0, 1, 3, 4), taken from the whole virtual screen.
#   tools/screenshots/messagebox.sh [OUTPUT_DIR]
# Needs a build (KESTRUN_BUILD, default build/); runs itself under Xvfb when there is no display.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${KESTRUN_BUILD:-$root/build}
out=${1:-$build/screenshots}
demo=$build/tools/demo/messagebox-demo.exe
[ -x "$demo" ] || { echo "missing $demo: build first" >&2; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$out"
fi
mkdir -p "$out"
. "$root/tests/wine/prefix.sh"
kt_new_prefix
trap kt_drop_prefix EXIT

for set in 0 1 3 4; do
  wine "$demo" "$set" 4000 >/dev/null 2>&1 </dev/null &
  pid=$!
  # The box is up once a window of its size is mapped; give it a moment to paint.
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name . getwindowgeometry %@ 2>/dev/null | grep -q "310x153" && break
    sleep 0.1
  done
  sleep 0.5
  import -window root "$out/messagebox-set$set.png"
  wait "$pid" || true
  echo "$out/messagebox-set$set.png"
done
