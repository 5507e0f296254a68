#!/usr/bin/env bash
# Installs what is needed, builds what it starts (Kestrun.exe, its manual, kestrun-cli.exe) and starts
# Kestrun under Wine in a prefix of its own, inside a Wine desktop window (KESTRUN_DESKTOP=WxH, default
# 1024x768); the tests are built by tools/test.sh. Without a display it starts Xvfb and keeps a
# screenshot in build/kestrun.png. Ctrl+C ends Kestrun and that display.
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
"$root/tools/build.sh" Kestrun kestrun-cli kestrun_help
. "$root/tools/prefix.sh"
kestrun_prefix "$build" $samples

xvfb=
# Wine goes first, then the display it draws on: the other way round, Wine reports the lost display.
stop() {
  trap - INT TERM EXIT
  wineserver -k >/dev/null 2>&1 || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
}
trap 'stop; exit 0' INT TERM
trap stop EXIT
if [ -z "${DISPLAY:-}" ]; then
  display=:${KESTRUN_DISPLAY:-77}
  # A session of its own: Ctrl+C must not end the display before Wine.
  setsid Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=$display
  sleep 1
  ( while kill -0 "$xvfb" 2>/dev/null; do sleep 3; import -window root "$build/kestrun.png" 2>/dev/null || true; done ) &
  echo "No display: Kestrun runs on the virtual display $display; look at $build/kestrun.png"
fi
echo "Kestrun is running; Ctrl+C (or closing its window) ends it"
# Inside Wine's own desktop window, as the tests run it: there the keys go to the active window and a
# closed dialog leaves nothing behind, as on Windows; on a bare X display without a window manager the
# keys would go to the window under the pointer. The desktop ends a few seconds after Kestrun does.
# In the background, so that Ctrl+C reaches the trap at once rather than after Wine has exited.
wine explorer /desktop=Kestrun,${KESTRUN_DESKTOP:-1024x768} "$build/app/Kestrun.exe" &
wait $! || true
