# Sourced by tools/start.sh and tools/kestrun-cli.sh: the Wine prefix both run in (BUILD/wine-prefix,
# unless WINEPREFIX names another). A new one gets the sample entries unless asked not to: the values
# at once, the shortcut (made by the console tool) by kestrun_sample_shortcut, once that tool is built.
#   kestrun_prefix_env BUILD      the prefix's environment, exported
#   kestrun_prefix BUILD yes|no   the same, and the prefix made when missing
#   kestrun_sample_shortcut CLI   the sample shortcut, when the prefix still waits for it
kestrun_prefix_env() {
  # No Mono or Gecko set-up; a caller's own overrides are kept.
  export WINEPREFIX=${WINEPREFIX:-$1/wine-prefix} WINEDEBUG=-all
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}mscoree=;mshtml="
}

kestrun_prefix() {
  kestrun_prefix_env "$1"
  [ -d "$WINEPREFIX" ] && return 0
  echo "Creating the Wine prefix $WINEPREFIX" >&2
  # Without a display, so that no desktop process keeps the new prefix's server running.
  DISPLAY= wine wineboot -i </dev/null >/dev/null 2>&1
  if [ "$2" = yes ]; then
    "$(dirname "${BASH_SOURCE[0]}")/seed-samples.sh" --values
    : >"$WINEPREFIX/.kestrun-sample-shortcut"
  fi
  # The server of the set-up, with its display-less desktop, would otherwise still be running for a
  # few seconds, and a window started then would be drawn on no display at all.
  wineserver -k >/dev/null 2>&1 || true
}

kestrun_sample_shortcut() {
  [ -f "$WINEPREFIX/.kestrun-sample-shortcut" ] || return 0
  "$(dirname "${BASH_SOURCE[0]}")/seed-samples.sh" --shortcut "$1" || return 1
  rm -f "$WINEPREFIX/.kestrun-sample-shortcut"
  echo "Seeded sample entries (tools/start.sh --empty on a new prefix skips them)" >&2
}
