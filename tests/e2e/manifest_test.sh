#!/usr/bin/env bash
# The rights each program asks Windows for: the window the highest its user has, the console tool
# only its caller's (a script must never stop at an elevation prompt).
set -u
app=$1 cli=$2
level() { grep -a -o 'requestedExecutionLevel level="[A-Za-z]*"' "$1" | sed 's/.*level="\(.*\)"/\1/'; }
rc=0
[ "$(level "$app")" = highestAvailable ] || { echo "FAIL: Kestrun.exe asks for '$(level "$app")'"; rc=1; }
[ "$(level "$cli")" = asInvoker ] || { echo "FAIL: kestrun-cli.exe asks for '$(level "$cli")'"; rc=1; }
# Both keep the rest of the shared manifest: UTF-8 code page and common controls 6.
for exe in "$app" "$cli"; do
  grep -a -q '<activeCodePage[^>]*>UTF-8<' "$exe" || { echo "FAIL: $exe lost the UTF-8 code page"; rc=1; }
done
[ $rc -eq 0 ] && echo "manifests: both levels right"
exit $rc
