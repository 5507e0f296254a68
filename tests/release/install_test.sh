#!/usr/bin/env bash
# The release's MSI under Wine: installs per machine with a full uninstall entry, its programs' signatures
# hold once their root is trusted, it runs and opens its manual by F1 and by "?", upgrades in place to a newer package, refuses to go back to
# an older one, and uninstalls without leaving anything behind.
#   install_test.sh RELEASE_DIR VERSION WINPROBE.exe     (RELEASE_DIR as left by repro_test.sh)
set -euo pipefail
release=$1 version=$2 probe=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../wine/prefix.sh"
# No menu entries in the Linux desktop of whoever runs the tests.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
work=$(mktemp -d)
kt_new_prefix
trap 'kt_drop_prefix; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; import -window root "$work/failure.png" 2>/dev/null && cp "$work/failure.png" "$release/install-failure.png"; exit 1; }
step() { echo "--- $*"; }

msi=$release/dist/Kestrun-$version-x64.msi
[ -f "$msi" ] || fail "no $msi"
folder='C:\Program Files\Tamsel Soft\Kestrun'
maker_unix="$WINEPREFIX/drive_c/Program Files/Tamsel Soft"
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
msiexec() { wine msiexec "$1" "$(winepath -w "$2" 2>/dev/null)" /qn </dev/null >/dev/null 2>&1; }
run() { wine "$@" </dev/null 2>/dev/null | tr -d '\r'; }
shortcuts() { find "$WINEPREFIX/drive_c" -iname 'Kestrun.lnk'; }
# The uninstall entries named Kestrun or holding an icon, one "version publisher help-link|icon|folder" line each.
entries() {
  run reg query "$uninstall" /s | awk '
    function show() { if (name == "Kestrun" || icon != "") print ver, pub, help "|" icon "|" dir }
    function text() { s = $0; sub(/^.*REG_SZ[ \t]+/, "", s); return s }
    /^HKEY/ { show(); name = ver = pub = help = icon = dir = "" }
    $1 == "DisplayName" { name = $3 } $1 == "DisplayVersion" { ver = $3 }
    $1 == "Publisher" { pub = $3 " " $4 } $1 == "HelpLink" { help = $3 }
    $1 == "DisplayIcon" { icon = text() } $1 == "InstallLocation" { dir = text() }
    END { show() }'
}
entry() { echo "$1 Tamsel Soft http://www.tamselsoft.example/|$folder\\Kestrun.exe,0|$folder\\"; }

step "install $version"
msiexec /i "$msi" || fail "msiexec /i exited $?"
for f in Kestrun.exe Kestrun.chm kestrun-cli.exe; do
  cmp -s "$maker_unix/Kestrun/$f" "$release/files/$f" || fail "$folder\\$f missing or not the released one"
done
[ "$(shortcuts | wc -l)" -eq 1 ] || fail "expected one Start-menu shortcut Kestrun.lnk, found: $(shortcuts)"
link=$(shortcuts)
case $link in */"Start Menu/Programs/Kestrun.lnk") ;; *) fail "shortcut not in a Start menu: $link" ;; esac
target=$(lnkinfo "$link" | sed -n 's/^[[:space:]]*Local path[[:space:]]*: //p' | head -n1)
[ "$target" = "$folder\\Kestrun.exe" ] || fail "shortcut points at '$target'"
[ "$(run "$folder\\kestrun-cli.exe" --version)" = "kestrun-cli $version" ] || fail "--version says '$(run "$folder\\kestrun-cli.exe" --version)'"
[ "$(entries)" = "$(entry "$version")" ] || fail "uninstall entry: '$(entries)'"
run reg query 'HKLM\Software\Wow6432Node\Tamsel Soft' >/dev/null && fail "registry written to the 32-bit view"

step "the installed programs' signatures: refused under an unknown root, accepted once it is trusted"
verdict=$(run "$probe" verify "$folder\\Kestrun.exe") || true
[ "$verdict" = "trust 0x00000000 policy 0x800B0109" ] || fail "before trusting the root: $verdict"
kt_tries wine "$probe" trust "$(winepath -w "$release/signing-root.der" 2>/dev/null)" </dev/null || fail "cannot trust the root"
verdict=$(run "$probe" verify "$folder\\Kestrun.exe" "$folder\\kestrun-cli.exe") || fail "after trusting it: $verdict"

step "the Start-menu shortcut starts Kestrun"
wine start /unix "$link" </dev/null >/dev/null 2>&1
read -r x y _ _ < <(run "$probe" window "Tamsel Soft Kestrun" 20000) || fail "the main window did not open"

step "F1, then the ? spot, open the installed manual"
shots=${KESTRUN_SHOTS:-$release}
for how in F1 spot; do
  # No window manager here: keys go to the window under the pointer.
  xdotool mousemove $((x + 300)) $((y + 200))
  sleep 0.4
  if [ $how = F1 ]; then xdotool key F1; else xdotool mousemove $((x + 424)) $((y + 8)) click 1; fi
  wine "$probe" window "Kestrun Help" 15000 </dev/null >/dev/null || fail "$how opened no manual"
  # Its panes fill some seconds after it shows: a picture of the filled window, for a person to look at.
  for _ in $(seq 20); do
    import -window root "$shots/installed-manual-$how.png"
    [ "$(identify -format %k "$shots/installed-manual-$how.png")" -gt 100 ] && break
    sleep 0.5
  done
  run taskkill /f /im hh.exe >/dev/null
  wine "$probe" gone "Kestrun Help" 10000 </dev/null || fail "the manual did not close"
done
run taskkill /f /im Kestrun.exe >/dev/null
wine "$probe" gone "Tamsel Soft Kestrun" 10000 </dev/null || fail "Kestrun did not end"

# The same files packaged as the next patch version.
IFS=. read -r major minor patch <<<"$version"
next=$major.$minor.$((patch + 1))
SOURCE_DATE_EPOCH=$(stat -c %Y "$msi") "$here/../../installer/build-msi.sh" "$next" "$release/files" \
  "$release/kestrun.ico" "$work/Kestrun-$next-x64.msi" 2>/dev/null || fail "cannot build the $next package"

step "upgrade to $next in place"
msiexec /i "$work/Kestrun-$next-x64.msi" || fail "msiexec /i of $next exited $?"
[ "$(entries)" = "$(entry "$next")" ] || fail "after the upgrade: '$(entries)'"
[ -f "$maker_unix/Kestrun/Kestrun.exe" ] && [ "$(shortcuts | wc -l)" -eq 1 ] || fail "files or shortcut lost in the upgrade"

step "an older package is refused"
msiexec /i "$msi" && fail "installing $version over $next succeeded"
[ "$(entries)" = "$(entry "$next")" ] || fail "after the refused downgrade: '$(entries)'"
[ -f "$maker_unix/Kestrun/Kestrun.exe" ] || fail "the refused downgrade removed the program"

step "uninstall"
msiexec /x "$work/Kestrun-$next-x64.msi" || fail "msiexec /x exited $?"
[ ! -e "$maker_unix" ] || fail "left behind: $(find "$maker_unix")"
[ -z "$(shortcuts)" ] || fail "shortcut left behind: $(shortcuts)"
[ -z "$(entries)" ] || fail "uninstall entry left behind: $(entries)"
run reg query 'HKLM\Software\Tamsel Soft' >/dev/null && fail "registry key HKLM\\Software\\Tamsel Soft left behind"
echo "install: 1 passed, 0 failed"
