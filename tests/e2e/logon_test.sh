#!/usr/bin/env bash
# End to end: a Run value, a Startup-folder item, a 32-bit machine Run value and a machine RunOnce
# value that each leave a marker when run at log-on. Disabled with kestrun-cli, none starts when Wine
# logs on again; enabled, all start again (and Windows deletes the RunOnce value it ran).
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
run32_key='HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Run'
once_key='HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce'
kt_quiet wine reg add "$run32_key" /v Marker32 /d 'cmd.exe /c echo started > C:\run32-marker.txt' /f
markers="run-marker.txt startup-marker.txt run32-marker.txt"

fail() { echo "FAIL: $*" >&2; exit 1; }
cli() { wine "$cli" "$@" </dev/null >/dev/null 2>"$WINEPREFIX/cli.err" || fail "kestrun-cli $* exited $?: $(cat "$WINEPREFIX/cli.err")"; }

# Every new wineserver runs HKLM RunOnce and deletes what it ran, and any wine call may start one: one
# is kept from each log-on to the next, so that a RunOnce value waits for the log-on it is meant for.
logon() {
  rm -f "$drive_c"/*-marker.txt
  kt_quiet wineserver -k
  kt_quiet wineserver -w
  kt_quiet wine wineboot
  kt_quiet wineserver -w
  kt_quiet wineserver -p
}

expect_markers() {  # present|absent
  for m in $markers; do
    if [ "$1" = present ]; then [ -f "$drive_c/$m" ] || fail "$m missing after log-on";
    else [ ! -f "$drive_c/$m" ] || fail "$m written after log-on although disabled"; fi
  done
}

logon
expect_markers present

# Seeded only now: the first log-on would have run it, and deleted it.
kt_quiet wine reg add "$once_key" /v MarkerOnce /d 'cmd.exe /c echo started > C:\once-marker.txt' /f
markers="$markers once-marker.txt"
cli disable --name Marker --location "HKCU Run"
cli disable --name marker.bat --location "User Startup"
cli disable --name Marker32 --location "HKLM Run (32-bit)"
cli disable --name MarkerOnce --location "HKLM RunOnce"
[ -f "$startup_unix/../Disabled Startup Items/marker.bat" ] || fail "marker.bat not parked"
logon
expect_markers absent
kt_quiet wine reg query "$once_key-" /v MarkerOnce || fail "the parked RunOnce value did not stay parked"

cli enable --name Marker --location "HKCU Run"
cli enable --name marker.bat --location "User Startup"
cli enable --name Marker32 --location 64
cli enable --name MarkerOnce --location 256
logon
expect_markers present
kt_quiet wine reg query "$once_key" /v MarkerOnce && fail "Windows did not delete the RunOnce value it ran"
echo "log-on proof: after each of 3 log-ons every marker as expected"
