#!/usr/bin/env bash
# A shortcut written by the store, read back by an independent parser (lnkinfo, from liblnk-utils).
set -euo pipefail
cli=$1
. "$(dirname "$0")/../wine/prefix.sh"
kt_new_prefix
trap kt_drop_prefix EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$WINEPREFIX/drive_c/Tools"
echo x >"$WINEPREFIX/drive_c/Tools/app.exe"
wine "$cli" create 'C:\Tools\app.exe' --display-name App </dev/null >/dev/null 2>&1 || fail "create failed"
startup=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' /v Startup \
  </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
link="$(winepath -u "$startup" 2>/dev/null)/App.lnk"
[ -f "$link" ] || fail "no App.lnk in the Startup folder"
info=$(lnkinfo "$link")
field() { printf '%s\n' "$info" | sed -n "s/^[[:space:]]*$1[[:space:]]*: //p" | head -n1; }
[ "$(field 'Local path')" = 'C:\Tools\app.exe' ] || fail "local path: $(field 'Local path')"
[ "$(field 'Description')" = 'Shortcut to C:\Tools\app.exe' ] || fail "description: $(field 'Description')"
[ "$(field 'Working directory')" = 'C:\Tools\' ] || fail "working directory: $(field 'Working directory')"
[ -z "$(field 'Command line arguments')" ] || fail "arguments set: $(field 'Command line arguments')"

# A target outside ASCII: the link holds it exactly, and starting the link runs it.
mkdir -p "$WINEPREFIX/drive_c/users/Дима"
printf '@echo started>C:\\started.txt\r\n' >"$WINEPREFIX/drive_c/users/Дима/Error Fix.bat"
wine "$cli" create 'C:\Users\Дима\Error Fix.bat' </dev/null >/dev/null 2>&1 || fail "create of a Cyrillic target failed"
link="$(winepath -u "$startup" 2>/dev/null)/Error Fix.lnk"
info=$(lnkinfo "$link")
[ "$(field 'Local path')" = 'C:\Users\Дима\Error Fix.bat' ] || fail "Cyrillic local path: $(field 'Local path')"
[ "$(field 'Description')" = 'Shortcut to C:\Users\Дима\Error Fix.bat' ] || fail "description: $(field 'Description')"
[ "$(field 'Working directory')" = 'C:\Users\Дима\' ] || fail "working directory: $(field 'Working directory')"
wine start /wait /unix "$link" </dev/null >/dev/null 2>&1
for _ in $(seq 50); do [ -e "$WINEPREFIX/drive_c/started.txt" ] && break; sleep 0.2; done
[ -e "$WINEPREFIX/drive_c/started.txt" ] || fail "starting the link did not run its target"
echo "lnkinfo: 2 passed, 0 failed"
