#!/usr/bin/env bash
# Builds and runs every test under Wine (each test binary in a throw-away prefix). GUI tests need a
# display: without one, the whole run goes on a virtual one (Xvfb).
set -euo pipefail
. "$(dirname "$0")/locale.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh"
cd "${KESTRUN_BUILD:-$root/build}"
run=(ctest --output-on-failure -j2 -LE bench "$@")
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "${run[@]}"
fi
exec "${run[@]}"
