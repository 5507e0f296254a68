#!/usr/bin/env bash
# Seeds the Wine prefix in WINEPREFIX with a few harmless startup entries, one of each kind, so that a
# first look at Kestrun has something to untick, save, remove and create beside. Each points at a
# console program of the prefix that prints a line and ends: nothing shows when Wine starts them.
#   tools/seed-samples.sh KESTRUN-CLI.exe              every sample
#   tools/seed-samples.sh --values                     the registry values and the packaged app alone (no console tool needed)
#   tools/seed-samples.sh --shortcut KESTRUN-CLI.exe   the shortcut alone
set -euo pipefail
usage='usage: seed-samples.sh [--values | --shortcut] KESTRUN-CLI.exe'
values=yes shortcut=yes
case ${1:-} in
  --values) shortcut=no ;;
  --shortcut) values=no; shift ;;
esac
cli=${1:-}
[ "$shortcut" = no ] || [ -n "$cli" ] || { echo "$usage" >&2; exit 2; }
: "${WINEPREFIX:?seed-samples.sh: WINEPREFIX is not set}"
system='C:\windows\system32'
version='Software\Microsoft\Windows\CurrentVersion'

saved=$(mktemp -d)
trap 'rm -rf "$saved"' EXIT
# Wine's helpers inherit the output of the call that starts them: it goes to a file, never a pipe, and
# is shown when the call fails.
said=$saved/said
run() {  # what-failed command...
  local what=$1 rc=0
  shift
  "$@" </dev/null >"$said" 2>&1 || rc=$?
  [ $rc -eq 0 ] || { echo "seed-samples.sh: $what (exit $rc): $(tr -d '\r' <"$said")" >&2; exit 1; }
}
add() {  # key name program
  run "cannot write $1\\$2" wine reg add "$1" /v "$2" /t REG_SZ /d "$3" /f
}

if [ "$values" = yes ]; then
  add "HKCU\\$version\\Run" 'Sample host name' "$system\\hostname.exe"
  add "HKLM\\$version\\Run" 'Sample user name' "$system\\whoami.exe"
  add "HKCU\\$version\\RunServices" 'Sample network settings' "$system\\ipconfig.exe"
  add "HKCU\\$version\\Run-" 'Sample parked entry' "$system\\whoami.exe /user"
  # A packaged app's startup task, declared as an MSIX app declares one; its program a copy of hostname.exe.
  package='Kestrun.Sample_1.0.0.0_x64__kestrun00000'
  folder="$WINEPREFIX/drive_c/Program Files/WindowsApps/$package"
  mkdir -p "$folder" && cp "$WINEPREFIX/drive_c/windows/system32/hostname.exe" "$folder/"
  printf '%s\n' '<?xml version="1.0" encoding="utf-8"?>' \
    '<Package xmlns="http://schemas.microsoft.com/appx/manifest/foundation/windows10"' \
    '         xmlns:desktop="http://schemas.microsoft.com/appx/manifest/desktop/windows10">' \
    '  <Identity Name="Kestrun.Sample" Publisher="CN=Sample" Version="1.0.0.0" ProcessorArchitecture="x64"/>' \
    '  <Properties><DisplayName>Sample packaged app</DisplayName></Properties>' \
    '  <Applications><Application Id="App" Executable="hostname.exe"><Extensions>' \
    '    <desktop:Extension Category="windows.startupTask">' \
    '      <desktop:StartupTask TaskId="SampleTask" Enabled="true" DisplayName="Sample packaged app"/>' \
    '    </desktop:Extension>' \
    '  </Extensions></Application></Applications>' \
    '</Package>' >"$folder/AppxManifest.xml"
  add "HKCU\\Software\\Classes\\Local Settings\\$version\\AppModel\\Repository\\Packages\\$package" PackageRootFolder \
    "C:\\Program Files\\WindowsApps\\$package"
fi
[ "$shortcut" = yes ] || exit 0
# The shortcut is made the way Kestrun makes one: by its console companion. That is no change of the
# user's, so his journal is put back as it was: undo never reaches a sample.
local_data=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local | grep -v '/users/Public/' | head -1)
kestrun_data="$local_data/Tamsel Soft/Kestrun"
[ ! -d "$kestrun_data" ] || cp -a "$kestrun_data" "$saved/kept"
run "cannot create the sample shortcut" wine "$cli" create "$system\\hostname.exe" --display-name 'Sample shortcut'
rm -rf "$kestrun_data"
if [ -d "$saved/kept" ]; then mv "$saved/kept" "$kestrun_data"; else rmdir "$local_data/Tamsel Soft" 2>/dev/null || true; fi
