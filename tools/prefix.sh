# Sourced by tools/start.sh and tools/kestrun-cli.sh: the Wine prefix both run in (BUILD/wine-prefix,
# unless WINEPREFIX names another). A new one gets the sample entries unless asked not to.
#   kestrun_prefix BUILD yes|no
kestrun_prefix() {
  # No Mono or Gecko set-up; a caller's own overrides are kept.
  export WINEPREFIX=${WINEPREFIX:-$1/wine-prefix} WINEDEBUG=-all
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}mscoree=;mshtml="
  [ -d "$WINEPREFIX" ] && return 0
  echo "Creating the Wine prefix $WINEPREFIX" >&2
  # Without a display, so that no desktop process keeps the new prefix's server running.
  DISPLAY= wine wineboot -i </dev/null >/dev/null 2>&1
  if [ "$2" = yes ]; then
    "$(dirname "${BASH_SOURCE[0]}")/seed-samples.sh" "$1/cli/kestrun-cli.exe"
    echo "Seeded sample entries (tools/start.sh --empty on a new prefix skips them)" >&2
  fi
  # The server of the set-up, with its display-less desktop, would otherwise still be running for a
  # few seconds, and a window started then would be drawn on no display at all.
  wineserver -k >/dev/null 2>&1 || true
}
