#!/usr/bin/env bash
# Screenshots of the main window with a seeded list (grey: all but Notepad, whose files are missing):
# plain, and with the pointer over a tile; with KESTRUN_DPI (120, 144, 192) the prefix runs at that
# DPI and the picture is main-window-<per cent>.png. Then the Remove question, the create dialog and
# the About box. KESTRUN_CONTRAST=1: the user asked for high contrast, with a white-on-black colour set
# (tools/screenshots/contrast.sh), and each name ends in -contrast. LANG=de_DE.UTF-8 (the locale must be
# generated): the windows in German, and each name ends in -de.
#   tools/screenshots/main-window.sh [OUTDIR]   (default: build/screenshots)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${KESTRUN_BUILD:-$root/build}
out=${1:-$build/screenshots}
mkdir -p "$out"
. "$root/tests/wine/prefix.sh"
. "$root/tools/texts.sh"
language=LANG_ENGLISH lang=''
case "${LANG:-}" in de_*) language=LANG_GERMAN lang=-de ;; esac
# Wine takes the user's language from the locale: LC_ALL, which tools/locale.sh may set, would hide LANG.
[ -z "$lang" ] || unset LC_ALL
name() { spoken "$(ui_text "$language" "$1")"; }
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$out"; fi
kt_new_prefix
trap 'kill $(jobs -p) 2>/dev/null; kt_drop_prefix' EXIT
reg() { wine reg "$@" </dev/null >/dev/null 2>&1; }
cur='HKCU\Software\Microsoft\Windows\CurrentVersion'
mac='HKLM\Software\Microsoft\Windows\CurrentVersion'
reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d kestrun /f
reg add 'HKCU\Software\Wine\Explorer\Desktops' /v kestrun /d 1024x768 /f
reg add "$cur\\Run" /v "OneDrive" /d '"C:\Program Files\Microsoft OneDrive\OneDrive.exe" /background' /f
reg add "$cur\\Run" /v "Spotify" /d 'C:\Users\root\AppData\Roaming\Spotify\Spotify.exe /minimized' /f
reg add "$mac\\Run" /v "SecurityHealth" /t REG_EXPAND_SZ /d '%windir%\system32\SecurityHealthSystray.exe' /f
reg add "$mac\\Run" /v "Tom & Jerry Updater" /d 'C:\Program Files\TJ\update.exe -q' /f
reg add "$cur\\Run" /v "Notepad" /d 'notepad.exe' /f
reg add "$cur\\Run-" /v "Steam" /d '"C:\Program Files (x86)\Steam\steam.exe" -silent' /f
startup=$(wine reg query "$cur\\Explorer\\Shell Folders" /v Startup </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
dir=$(winepath -u "$startup" 2>/dev/null); mkdir -p "$dir"; echo x >"$dir/Notes.lnk"
dpi=${KESTRUN_DPI:-96}
contrast=$lang
if [ "${KESTRUN_CONTRAST:-}" = 1 ]; then
  . "$root/tools/screenshots/contrast.sh"
  contrast_registry
  contrast=$lang-contrast
fi
for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
  reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f
done
cd "$build/app"
wine Kestrun.exe </dev/null >/dev/null 2>&1 &
read -r x y w h < <(wine "$build/tests/e2e/winprobe.exe" window "Tamsel Soft Kestrun" 20000 </dev/null | tr -d '\r')
xdotool mousemove 1020 760; sleep 1
if [ "$dpi" = 96 ]; then
  import -window root -crop 449x375+239+158 +repage "$out/main-window$contrast.png"
  xdotool mousemove 403 212; sleep 1
  import -window root -crop 449x375+239+158 +repage "$out/main-window-hover$contrast.png"
else
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/main-window-$((dpi * 100 / 96))$contrast.png"
fi
# The question and the About box at this scale, opened as a screen reader would (their default actions).
probe() { wine "$build/tests/e2e/winprobe.exe" "$@" </dev/null | tr -d '\r'; }
suffix=$([ "$dpi" = 96 ] || echo "-$((dpi * 100 / 96))")$contrast
shoot() {  # window title, file name
  local bx by bw bh
  read -r bx by bw bh < <(probe window "$1")
  sleep 0.5
  import -window root -crop "${bw}x${bh}+${bx}+${by}" +repage "$out/$2$suffix.png"
}
confirm=$(name IDS_CONFIRM) create=$(name IDS_CREATE_CAPTION) about=$(name IDS_ABOUT_CAPTION)
probe accdo "Tamsel Soft Kestrun" "$(name IDS_TILE_REMOVE)"
shoot "$confirm" confirm
probe accdo "$confirm" "$(name IDS_NO)"
probe gone "$confirm"
probe accdo "Tamsel Soft Kestrun" "$(name IDS_TILE_CREATE)"
shoot "$create" create
probe accdo "$create" "$(name IDS_CANCEL)"
probe gone "$create"
probe accdo "Tamsel Soft Kestrun" "$(name IDS_TILE_ABOUT)"
shoot "$about" about
probe accdo "$about" "$(name IDS_NAME_CLOSE)"
echo "window at $x,$y, ${w}x${h} ($dpi DPI)"
echo "screenshots in $out"
