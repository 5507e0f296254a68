# Throw-away Wine prefixes for tests. Source this file; it never touches ~/.wine.
#   kt_new_prefix      copy the template into a fresh WINEPREFIX and start its server
#   kt_drop_prefix     stop that server and delete the prefix
# The template is made once per machine (KT_TEMPLATE): a fresh prefix costs 10-13 s, a copy about 1 s.

. "$(dirname "${BASH_SOURCE[0]}")/../../tools/locale.sh"
export WINEDEBUG=-all
# A crash must end the process with a code, never wait in winedbg's dialog; skip Mono/Gecko set-up.
# The shell's menu builder, started after every saved link, rewrites Shell Folders behind a test's back.
export WINEDLLOVERRIDES="winedbg.exe=d;winemenubuilder.exe=d;mscoree=;mshtml="
KT_TEMPLATE=${KT_TEMPLATE:-${TMPDIR:-/tmp}/kestrun-wine-template}

kt_quiet() { "$@" >/dev/null 2>&1 </dev/null; }

# kt_tries CMD...: a loaded machine has seen one registry write in a few hundred fail, so a step that
# writes the prefix's registry is tried three times before it fails.
kt_tries() {
  local try
  for try in 1 2 3; do
    "$@" && return 0
    sleep "$try"
  done
  return 1
}

# wine reg add ARGS..., quietly.
kt_reg_add() { kt_tries kt_quiet wine reg add "$@" /f; }

kt_make_template() {
  (
    flock 9
    if [ ! -f "$KT_TEMPLATE/.kestrun-ready" ]; then
      rm -rf "$KT_TEMPLATE"
      WINEPREFIX="$KT_TEMPLATE" kt_quiet wineboot -i
      WINEPREFIX="$KT_TEMPLATE" kt_quiet wineserver -w
      touch "$KT_TEMPLATE/.kestrun-ready"
    fi
  ) 9>"$KT_TEMPLATE.lock"
}

kt_new_prefix() {
  kt_make_template
  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/kestrun-prefix.XXXXXX")
  export WINEPREFIX
  cp -a "$KT_TEMPLATE/." "$WINEPREFIX/"
  # Server and services first, with stdio closed: Wine's helpers inherit stdio and would hold a pipe open.
  kt_quiet wineserver -p
  kt_quiet wine wineboot
}

kt_drop_prefix() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  kt_quiet wineserver -k || true
  kt_quiet wineserver -w || true
  case "$WINEPREFIX" in */kestrun-prefix.*) rm -rf "$WINEPREFIX" ;; esac
  unset WINEPREFIX
}
