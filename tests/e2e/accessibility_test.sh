#!/usr/bin/env bash
# What a screen reader finds: the client objects of the main window, the message box, the create
# dialog and the About box, read from another process through oleacc (winprobe acc), and their
# default actions (winprobe accdo) doing what a click does.
set -euo pipefail
program=$1 probe=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../wine/prefix.sh"

kt_new_prefix
trap 'kill $(jobs -p) 2>/dev/null; kt_drop_prefix' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "--- $*"; }

main='Tamsel Soft Kestrun'
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
reg() { wine reg "$@" </dev/null >/dev/null 2>&1; }
probe() { wine "$probe" "$@" </dev/null | tr -d '\r'; }
# name|role|shortcut|action of every child, without the locations
children() { probe acc "$1" | awk -F'|' '{ print $1 "|" $2 "|" $4 "|" $5 }'; }
expect_children() {
  local got
  got=$(children "$1")
  [ "$got" = "$2" ] || fail "$1 reads as:
$got
expected:
$2"
}

reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d kestrun /f
reg add 'HKCU\Software\Wine\Explorer\Desktops' /v kestrun /d 1024x768 /f
reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunServices' /f
reg add "$run" /v First /d 'C:\first.exe' /f
cd "$(dirname "$program")"
wine "$program" </dev/null >/dev/null 2>&1 &
probe window "$main" 20000 >/dev/null || fail "main window did not open"

step "the main window's tiles, spots and banner"
expect_children "$main" "Save Settings|push button|Ctrl+S|Press
Refresh|push button|F5|Press
Remove|push button|Delete|Press
Create New|push button|Ctrl+N|Press
About|push button||Press
Help|push button|F1|Press
Close|push button|Alt+F4|Press
Tamsel Soft web site|link||Jump"
# Each child lies where it is drawn: the Refresh tile at (71, 25) of the window, 58 pixels square.
read -r x y _ _ < <(probe window "$main")
refresh=$(probe acc "$main" | awk -F'|' '$1 == "Refresh" { print $3 }')
[ "$refresh" = "$((x + 71)) $((y + 25)) 58 58" ] || fail "Refresh lies at $refresh"

step "Refresh's default action rescans"
[ "$(probe rows | wc -l)" = 1 ] || fail "rows before: $(probe rows | wc -l)"
reg add "$run" /v Second /d 'C:\second.exe' /f
probe accdo "$main" Refresh || fail "no default action for Refresh"
for _ in $(seq 25); do [ "$(probe rows | wc -l)" = 2 ] && break; sleep 0.2; done
[ "$(probe rows | wc -l)" = 2 ] || fail "Refresh did not rescan"

step "the message box: its shown buttons and its text"
probe accdo "$main" Remove || fail "no default action for Remove"
probe window Confirm >/dev/null || fail "Remove asked nothing"
expect_children Confirm "Yes|push button||Press
No|push button||Press
Do you really want to delete First from Startup?|text||"
probe accdo Confirm No || fail "no default action for No"
probe gone Confirm || fail "No did not close the box"
[ "$(probe rows | wc -l)" = 2 ] || fail "No removed an entry"

step "the create dialog"
probe accdo "$main" "Create New" || fail "no default action for Create New"
probe window "Create New" >/dev/null || fail "Create New did not open"
expect_children "Create New" "Browse|push button||Press
Cancel|push button||Press
Create|push button||Press"
probe accdo "Create New" Cancel || fail "no default action for Cancel"
probe gone "Create New" || fail "Cancel did not close the dialog"

step "the About box"
probe accdo "$main" About || fail "no default action for About"
probe window "About Kestrun" >/dev/null || fail "About did not open"
expect_children "About Kestrun" "www.tamselsoft.example|link||Jump
support@tamselsoft.example|link||Jump
Tamsel DiskTally|link||Jump
Tamsel ClipKeeper|link||Jump
Close|push button|Esc|Press"
probe accdo "About Kestrun" Close || fail "no default action for Close"
probe gone "About Kestrun" || fail "Close did not close the About box"
echo "accessibility journey: 5 passed, 0 failed"
