#!/usr/bin/env bash
# The real Kestrun.exe, driven from outside with xdotool against a seeded prefix; the registry and the
# folders are checked afterwards. Runs inside a Wine virtual desktop, where scripted clicks land; the
# probe (winprobe.exe) runs in the same desktop to find windows and read the list's check marks.
set -euo pipefail
program=$1 probe=$2
here=$(cd "$(dirname "$0")" && pwd)
journey=mainwindow
. "$here/desktop.sh"

unix() { winepath -u "$1" 2>/dev/null; }
shell_folder() {
  wine reg query "$1\\Explorer\\Shell Folders" /v "$2" </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'
}

reg delete "$mac\\RunServices" /f
reg add "$cur\\Run" /v UserRun /d 'C:\u.exe' /f
reg add "$mac\\Run" /v MachineRun /d 'C:\m.exe' /f
reg add "$cur\\RunServices" /v UserSvc /d 'C:\us.exe' /f
reg add "$mac\\RunServices" /v MachineSvc /d 'C:\ms.exe' /f
user_startup=$(shell_folder "$cur" Startup)
common_startup=$(shell_folder "$mac" "Common Startup")
mkdir -p "$(unix "$user_startup")" "$(unix "$common_startup")"
echo u >"$(unix "$user_startup")/user.bat"
echo c >"$(unix "$common_startup")/common.bat"
user_parked=$(unix "$user_startup")/../"Disabled Startup Items"
common_parked=$(unix "$common_startup")/../"Disabled Startup Items"

# Screen points of the main window, which always opens at (239, 158).
tile() { case $1 in save) echo 275 211 ;; refresh) echo 339 212 ;; remove) echo 403 212 ;;
                    create) echo 467 212 ;; about) echo 531 211 ;; esac; }
click_tile() { click $(tile "$1"); }
first_row() { click 300 275; }

cd "$(dirname "$program")"  # the help file lies beside the program
wine "$program" </dev/null >/dev/null 2>&1 &
probe window "Tamsel Soft Kestrun" 20000 >/dev/null || fail "main window did not open"
expect_marks 111111 "first scan"

step "disable one entry of every location and save"
first_row
for _ in 1 2 3 4 5 6; do xdotool key space Down; sleep 0.2; done
expect_marks 000000 "all cleared, not saved"
click_tile save
for key in "$cur\\Run-:UserRun" "$mac\\Run-:MachineRun" "$cur\\RunServices-:UserSvc" "$mac\\RunServices-:MachineSvc"; do
  soon has "${key%%:*}" "${key##*:}" || fail "${key##*:} not parked in ${key%%:*}"
done
has "$cur\\Run" UserRun && fail "UserRun still live"
[ -f "$user_parked/user.bat" ] && [ ! -f "$(unix "$user_startup")/user.bat" ] || fail "user.bat not parked"
[ -f "$common_parked/common.bat" ] || fail "common.bat not parked"

step "a tick saved brings the entry back"
first_row
xdotool key space
expect_marks 100000 "first row ticked"
click_tile save
soon has "$cur\\Run" UserRun || fail "UserRun not enabled again"
expect_marks 100000 "after saving"  # UserRun is live again: first in the list, ticked

step "Remove: No keeps the entry, Yes deletes it"
first_row
click_tile remove
answer Confirm 220
click_tile remove
answer Confirm 88
expect_marks 00000 "after Remove"
has "$cur\\Run" UserRun && fail "Yes did not delete the entry"
has "$cur\\Run-" UserRun && fail "Remove touched another key"
# Every change the window made is in the journal, the removed value with its bytes; one remove only,
# so No removed nothing. The machine-wide parks are in the administrators' journal.
journals=("$WINEPREFIX"/drive_c/users/*/AppData/Local/Tamsel\ Soft/Kestrun/journal.jsonl
          "$WINEPREFIX/drive_c/ProgramData/Tamsel Soft/Kestrun/journal.jsonl")
python3 - "${journals[@]}" <<'PY' || fail "journals: $(cat "${journals[@]}")"
import base64, json, sys
records, machine = ([json.loads(line) for line in open(f, encoding="utf-8")] for f in sys.argv[1:])
assert {r["program"] for r in records + machine} == {"window"}, records
assert sorted(r["location"] for r in machine if r["action"] == "park") == [8, 16, 32], machine
actions = [r["action"] for r in records]
assert actions.count("park") == 3 and "bring-back" in actions and actions.count("remove") == 1, actions
assert actions[-1] == "remove", actions
removed = records[-1]
assert removed["name"] == "UserRun" and base64.b64decode(removed["from"]["data"]).decode("utf-16-le").startswith("C:\\"), removed
PY

step "a Startup value that is not text hides only its place, said in one box; the window stays usable"
reg add "$cur\\Explorer\\Shell Folders" /v Startup /t REG_DWORD /d 1 /f
click_tile refresh
answer Error 152
# The list without that place is shown once the scan ends: a click before then would find it busy.
expect_marks 0000 "the user's Startup folder hidden"
reg add "$cur\\Explorer\\Shell Folders" /v Startup /d "$user_startup" /f
click_tile refresh
expect_marks 00000 "after the error"

step "a click on a row's box toggles its mark; a click on its text only selects it"
box_of_row() { click 255 $((275 + 14 * $1)); }
box_of_row 0
expect_marks 10000 "box of the first row clicked"
click 300 289
soon eval '[ "$(probe selected)" = "1 focused" ]' || fail "a click on the text did not select the row"
[ "$(marks)" = 10000 ] || fail "a click on the text of the second row changed the marks: $(marks)"
box_of_row 1
expect_marks 11000 "box of the second row clicked"
box_of_row 0
expect_marks 01000 "box of the first row clicked again"

step "the later places and a switched-off entry: their marks"
reg add "$cur\\Run" /v Off /d 'C:\off.exe' /f
reg add "$cur\\Explorer\\StartupApproved\\Run" /v Off /t REG_BINARY /d 030000001032547698badc01 /f
reg add 'HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Run' /v W32 /d 'C:\x86\w.exe /tray' /f
reg add "$cur\\RunOnce" /v Once /d '!C:\once.exe' /f
reg add "$mac\\RunOnce-" /v MOnce /d 'C:\monce.exe' /f
click_tile refresh
expect_marks 000000110 "switched off, five parked, 32-bit Run, HKCU RunOnce, parked HKLM RunOnce"
# Switched off by Windows is no change of the user's: Create New opens without a question.
click_tile create
probe window "Create New" 5000 >/dev/null || fail "Create New asked before opening"
xdotool key Escape
probe gone "Create New" || fail "Create New still open"
first_row
xdotool key space
expect_marks 100000110 "the switched-off entry ticked"
click_tile save
flag() { wine reg query "$cur\\Explorer\\StartupApproved\\Run" /v Off </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_BINARY *//p'; }
soon eval '[ "$(flag)" = 020000000000000000000000 ]' || fail "ticking the switched-off entry wrote '$(flag)'"
has "$cur\\Run" Off || fail "the switched-off entry left its place"

step "a machine-wide key the user may only read: listed, and a change to it refused with what to do"
probe readonly 'Software\Microsoft\Windows\CurrentVersion\Run-' || fail "probe readonly"
click_tile refresh
expect_marks 100000110 "HKLM Run- still listed"
click 300 289  # MachineRun, parked in HKLM Run-
xdotool key space
click_tile save
answer Error 152
expect_marks 100000110 "after the refused change"
has "$mac\\Run-" MachineRun || fail "the refused change lost MachineRun"

step "closing with an entry switched off by Windows and nothing changed asks nothing"
reg add "$cur\\Explorer\\StartupApproved\\Run" /v Off /t REG_BINARY /d 030000001032547698badc01 /f
click_tile refresh
expect_marks 000000110 "Off switched off again"
click 679 166  # the close spot of the title strip
probe gone "Tamsel Soft Kestrun" || fail "closing asked: $(probe box Confirm)"
wait  # the program has ended: nothing of it is left for the clean-up
passed
