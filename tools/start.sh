#!/usr/bin/env bash
# Installs what is needed, builds, and starts Kestrun under Wine in a prefix of its own.
# Without a display it starts Xvfb and keeps a screenshot in build/kestrun.png.
# A prefix it creates gets a few sample entries (tools/seed-samples.sh); --empty leaves it bare.
set -euo pipefail
. "$(dirname "$0")/locale.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
samples=yes
for arg in "$@"; do
  case $arg in
    --empty) samples=no ;;
    *) echo "usage: tools/start.sh [--empty]" >&2; exit 2 ;;
  esac
done
build=${KESTRUN_BUILD:-$root/build}
"$root/tools/setup.sh"
"$root/tools/build.sh"
export WINEPREFIX=${WINEPREFIX:-$build/wine-prefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
program=$build/app/Kestrun.exe
if [ ! -d "$WINEPREFIX" ]; then
  echo "Creating the Wine prefix $WINEPREFIX"
  # Without a display, so that no desktop process keeps the new prefix's server running.
  DISPLAY= wine wineboot -i </dev/null >/dev/null 2>&1
  if [ $samples = yes ]; then
    "$root/tools/seed-samples.sh" "$build/cli/kestrun-cli.exe"
    echo "Seeded sample entries (tools/start.sh --empty on a new prefix skips them)"
  fi
fi
[ -f "$program" ] || program=$build/cli/kestrun-cli.exe
if [ -z "${DISPLAY:-}" ]; then
  display=:${KESTRUN_DISPLAY:-77}
  Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null' EXIT
  export DISPLAY=$display
  sleep 1
  ( while kill -0 $xvfb 2>/dev/null; do sleep 3; import -window root "$build/kestrun.png" 2>/dev/null || true; done ) &
  echo "No display: Kestrun runs on the virtual display $display; look at $build/kestrun.png"
fi
cd "$build"  # the help file Kestrun.chm lies beside the program
[ "$program" = "$build/app/Kestrun.exe" ] && cd "$build/app"
if [ "$(basename "$program")" = kestrun-cli.exe ]; then
  echo "(the main window is not built yet: starting the console companion)"
  exec wine "$program" list
fi
wine "$program"
