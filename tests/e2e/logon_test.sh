#!/usr/bin/env bash
# End to end: a Run value and a Startup-folder item that each leave a marker when run at log-on.
# Disabled with kestrun-cli, neither starts when Wine logs on again; enabled, both start again.
set -euo pipefail
cli=$1
. "$(dirname "$0")/../wine/prefix.sh"
kt_new_prefix
trap kt_drop_prefix EXIT

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
drive_c="$WINEPREFIX/drive_c"
startup=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' /v Startup \
  </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
startup_unix=$(winepath -u "$startup" 2>/dev/null)
mkdir -p "$startup_unix"
printf '@echo off\r\necho started > C:\\startup-marker.txt\r\n' >"$startup_unix/marker.bat"
kt_quiet wine reg add "$run_key" /v Marker /d 'cmd.exe /c echo started > C:\run-marker.txt' /f

fail() { echo "FAIL: $*" >&2; exit 1; }
cli() { wine "$cli" "$@" </dev/null >/dev/null 2>"$WINEPREFIX/cli.err" || fail "kestrun-cli $*: $(cat "$WINEPREFIX/cli.err")"; }

logon() {
  rm -f "$drive_c/run-marker.txt" "$drive_c/startup-marker.txt"
  kt_quiet wineserver -k
  kt_quiet wineserver -w
  kt_quiet wine wineboot
  kt_quiet wineserver -w
}

expect_markers() {  # present|absent
  for m in run-marker.txt startup-marker.txt; do
    if [ "$1" = present ]; then [ -f "$drive_c/$m" ] || fail "$m missing after log-on";
    else [ ! -f "$drive_c/$m" ] || fail "$m written after log-on although disabled"; fi
  done
}

logon
expect_markers present

cli disable --name Marker --location "HKCU Run"
cli disable --name marker.bat --location "User Startup"
[ -f "$startup_unix/../Disabled Startup Items/marker.bat" ] || fail "marker.bat not parked"
logon
expect_markers absent

cli enable --name Marker --location "HKCU Run"
cli enable --name marker.bat --location "User Startup"
logon
expect_markers present
echo "log-on proof: 1 passed, 0 failed"
