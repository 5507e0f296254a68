#!/usr/bin/env bash
# Runs kestrun-cli.exe under Wine in the prefix tools/start.sh uses, building it first when it is
# missing, and exits with its exit code. A Linux path given to export, apply or check
# (/tmp/state.json) reaches it as the Windows path of the same file (Z:\tmp\state.json).
#   tools/kestrun-cli.sh VERB [ARGS...]      (tools/kestrun-cli.sh --help lists the verbs)
set -euo pipefail
. "$(dirname "$0")/locale.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRUN_BUILD:-$root/build}
cli=$build/cli/kestrun-cli.exe
if [ ! -f "$cli" ]; then
  "$root/tools/setup.sh" >&2
  "$root/tools/build.sh" kestrun-cli >&2
fi
. "$root/tools/prefix.sh"
kestrun_prefix "$build" yes
kestrun_sample_shortcut "$cli"
# Wine's server keeps the output of the program that started it open: started here on /dev/null, so
# that $(tools/kestrun-cli.sh list) returns when the tool ends, not when the server does.
wineserver >/dev/null 2>&1 </dev/null || true
args=("$@")
case ${1:-} in
  export|apply|check)
    for i in "${!args[@]}"; do
      if [ "$i" -gt 0 ] && [[ ${args[i]} == /* ]]; then
        windows=$(winepath -w "${args[i]}" </dev/null 2>/dev/null) && [ -n "$windows" ] && args[i]=$windows
      fi
    done ;;
esac
exec wine "$cli" "${args[@]}"
