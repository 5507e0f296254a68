#!/usr/bin/env bash
# kestrun-cli under Wine in a throw-away prefix: list (text and JSON), the changing verbs, exit codes.
# Usage: cli_test.sh path/to/kestrun-cli.exe path/to/winprobe.exe
set -u
exe=$1
probe=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/harness.sh"
rel=${user_startup#"$drive/users/"}
user_name=${rel%%/*}
win_startup="C:\\users\\$user_name\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp"
common_startup="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/StartUp"

# --- seed: the prefix's own winemenubuilder goes, then one entry per kind of place ---
reg delete "$mv\\RunServices" /v winemenubuilder
reg add "$cv\\Run" /v Привет /d 'C:\Программы\привет.exe'
reg add "$cv\\Run" /v number /t REG_DWORD /d 7
reg add "$cv\\Run" /v expand /t REG_EXPAND_SZ /d '%SystemRoot%\x.exe'
reg add "$mv\\Run" /v machine /d 'C:\m.exe /q'
reg add "$cv\\Run-" /v parked /d 'C:\p.exe'
reg add "$cv\\Run-" /v both /d 'C:\both-off.exe'
reg add "$cv\\Run" /v both /d 'C:\both-on.exe'
: >"$user_startup/日本.lnk"
: >"$user_startup/.hidden.lnk"
: >"$common_startup/common.bat"

# --- list --json: every entry, scan order, exact names ---
expect_rc 0 list --json
python3 - "$out" "$win_startup" <<'PY' || fail "list --json"
import json, sys
entries = json.loads(sys.argv[1])
startup = sys.argv[2]
got = [(e["state"], e["locationName"], e["location"], e["name"], e["path"]) for e in entries]
run = sorted(g for g in got if g[1] == "HKCU Run" and g[0] == "enabled")
rest = [g for g in got if not (g[1] == "HKCU Run" and g[0] == "enabled")]
want_run = sorted([("enabled", "HKCU Run", 1, "Привет", "C:\\Программы\\привет.exe"),
                   ("enabled", "HKCU Run", 1, "expand", "%SystemRoot%\\x.exe"),
                   ("enabled", "HKCU Run", 1, "both", "C:\\both-on.exe")])
want_rest = [("enabled", "HKLM Run", 16, "machine", "C:\\m.exe /q"),
             ("enabled", "User Startup", 4, "日本.lnk", startup + "\\日本.lnk"),
             ("enabled", "Common Startup", 8, "common.bat", "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\common.bat")]
want_rest_disabled = sorted([("disabled", "HKCU Run", 1, "parked", "C:\\p.exe"),
                             ("disabled", "HKCU Run", 1, "both", "C:\\both-off.exe")])
ok = True
if got[:3] != [g for g in got if g[1] == "HKCU Run" and g[0] == "enabled"]: ok = False; print("HKCU Run not first")
if run != want_run: ok = False; print("HKCU Run:", run)
if rest[:3] != want_rest: ok = False; print("live places:", rest[:3])
if sorted(rest[3:]) != want_rest_disabled: ok = False; print("disabled places:", rest[3:])
sys.exit(0 if ok else 1)
PY

# --- list: an aligned table with the same entries ---
expect_rc 0 list
python3 - "$out" <<'PY' || fail "list table: $out"
import sys
lines = sys.argv[1].split("\n")
assert lines[0].split() == ["STATE", "LOCATION", "NAME", "PATH"], lines[0]
rows = lines[1:]
assert len(rows) == 8, rows
column = lines[0].index("PATH")
for line in rows:
    assert line[column - 2:column] == "  " and line[column] != " ", line
assert any(l.startswith("disabled  HKCU Run") and "parked" in l for l in rows)
assert any("Привет" in l and l.endswith("C:\\Программы\\привет.exe") for l in rows)
PY

# --- usage errors: exit 2 with a message on stderr ---
expect_rc 2
[[ $err == "kestrun-cli: "* ]] || fail "no verb: stderr '$err'"
expect_rc 2 frobnicate
[[ $err == *"unknown command 'frobnicate'"* ]] || fail "unknown verb: stderr '$err'"
expect_rc 2 list --bogus
expect_rc 2 disable --location 1
expect_rc 2 disable --name parked --location nowhere
[[ $err == *"HKCU Run"* ]] || fail "bad location does not list the choices: '$err'"
expect_rc 2 remove --name parked --location 1 --state sideways
expect_rc 0 --help
[[ $out == *"disable"* && $out == *"create"* ]] || fail "help lists no verbs"

# --- selection problems: exit 1 ---
expect_rc 1 disable --name absent --location 'HKCU Run'
[[ $err == "kestrun-cli: no entry 'absent'"* ]] || fail "absent: stderr '$err'"
expect_rc 1 remove --name both --location hkcu-run
[[ $err == *"--state"* ]] || fail "ambiguous remove: stderr '$err'"
expect_rc 1 enable --name machine --location 16  # it is not disabled
expect_rc 1 disable --name parked  # nor is this one enabled, wherever it lies
[[ $err == *"no entry 'parked'"* ]] || fail "disable of a parked entry: '$err'"

# --- a move that would overwrite an entry of the same name needs --replace ---
expect_rc 1 disable --name both --location 1
[[ $err == *"both"*"--replace"* ]] || fail "overwrite not refused: '$err'"
expect_rc 0 disable --name both --location 1 --replace --dry-run
[[ $out == "would disable:"*"C:\both-on.exe"*"replacing:"*"C:\both-off.exe"* ]] || fail "dry-run replace: '$out'"

# --- a file argument beginning with "/" is a path (from C:\, /state.json is C:\state.json), not an option ---
cd "$drive"
expect_rc 0 export /state.json
expect_rc 1 check /state.json  # read, and it differs: 'both' cannot be parked where its twin lies
[[ $out == "differs: 1 of 8 entries"* ]] || fail "check /state.json: '$out'"
expect_rc 3 check /x.json
[[ $out == "unreadable: /x.json: "* ]] || fail "check /x.json: '$out' '$err'"
rm -f state.json && cd - >/dev/null

# --- dry runs change nothing ---
before=$(cli list --json)
expect_rc 0 disable --name machine --location 'HKLM Run' --dry-run
[[ $out == "would disable:"*machine* ]] || fail "dry-run disable: '$out'"
expect_rc 0 remove --name both --location 1 --state disabled --dry-run
expect_rc 0 create 'C:\windows\notepad.exe' --dry-run
[[ $out == *"$win_startup\\notepad.lnk -> C:\\windows\\notepad.exe"* ]] || fail "dry-run create: '$out'"
[ "$(cli list --json)" = "$before" ] || fail "a dry run changed something"

# --- disable and enable move the value between Run and Run- ---
expect_rc 0 disable --name привет --location 1
[[ $out == *"disabled  HKCU Run  Привет"* ]] || fail "disable output: '$out'"
wine reg query "$cv\\Run-" /v Привет </dev/null >/dev/null 2>&1 || fail "not in Run-"
wine reg query "$cv\\Run" /v Привет </dev/null >/dev/null 2>&1 && fail "still in Run"
expect_rc 0 enable --name Привет --location 1
[[ $out == *"enabled   HKCU Run  Привет"* ]] || fail "enable output: '$out'"
expect_rc 0 disable --name 日本.lnk --location 'user startup'
[ -e "$user_startup/../Disabled Startup Items/日本.lnk" ] || fail "file not parked"
expect_rc 0 enable --name 日本.lnk --location 4
[ -e "$user_startup/日本.lnk" ] || fail "file not back"

# --- create and remove ---
expect_rc 0 create 'C:\windows\notepad.exe' --display-name 'Note pad'
[[ $out == *"enabled   User Startup  Note pad.lnk"* ]] || fail "create output: '$out'"
[ -s "$user_startup/Note pad.lnk" ] || fail "no shortcut written"
expect_rc 1 create 'C:\windows\no-such.exe'
[[ $err == *"file not found"* ]] || fail "missing target: '$err'"
expect_rc 2 create 'C:\windows\notepad.exe' --display-name ''
# A target with "/" or a relative one becomes the exact full path; a dry run ends as the run does.
both() {  # RC ARGS...: create ARGS as a dry run and for real, both ending in RC with the same error
  expect_rc "$1" create "${@:2}" --dry-run; dry_out=$out dry_err=$err
  expect_rc "$1" create "${@:2}"
  [ "$dry_err" = "$err" ] || fail "create ${*:2}: the dry run said '$dry_err', the run '$err'"
}
exact() {  # LINK: the shortcut holds C:\windows\notepad.exe and starts in its folder
  [[ $(lnkinfo "$user_startup/$1" 2>&1 | tr -d '\r') == *'Local path'*': C:\windows\notepad.exe'*'Working directory'*': C:\windows\'* ]] ||
    fail "$1 is not exact: $(lnkinfo "$user_startup/$1" 2>&1)"
  rm -f "$user_startup/$1"
}
cd "$drive/windows"
both 0 'C:/windows/notepad.exe'
[[ $dry_out == *"$win_startup\\notepad.lnk -> C:\\windows\\notepad.exe" ]] || fail "dry run of C:/...: '$dry_out'"
exact notepad.lnk
both 0 notepad.exe --display-name Relative
[[ $dry_out == *"Relative.lnk -> C:\\windows\\notepad.exe" ]] || fail "dry run of a relative target: '$dry_out'"
exact Relative.lnk
both 1 no-such.exe
[ "$err" = 'kestrun-cli: C:\windows\no-such.exe: file not found' ] || fail "relative missing target: '$err'"
both 1 notepad.exe --display-name 'a|b'
[[ $err == "kestrun-cli: the shortcut was not written: "* ]] || fail "bad display name: '$err'"
cd - >/dev/null
expect_rc 0 remove --name 'Note pad.lnk' --location 4
[ -e "$user_startup/Note pad.lnk" ] && fail "shortcut not removed"
expect_rc 0 remove --name both --location 1 --state disabled
wine reg query "$cv\\Run" /v both </dev/null >/dev/null 2>&1 || fail "remove took the enabled 'both' too"

after=$(cli list --json)
python3 - "$after" <<'PY' || fail "final list: $after"
import json, sys
names = sorted((e["state"], e["name"]) for e in json.loads(sys.argv[1]))
assert names == sorted([("enabled", "Привет"), ("enabled", "expand"), ("enabled", "both"), ("enabled", "machine"),
                        ("enabled", "日本.lnk"), ("enabled", "common.bat"), ("disabled", "parked")]), names
PY

# --- names the file system would trim, or read as a path, reach exactly the listed entry ---
parked_dir="$user_startup/../Disabled Startup Items"
for f in s 's ' t 't.'; do printf '%s' "$f" >"$user_startup/$f"; done
expect_rc 0 remove --name 's ' --location 'User Startup'
[ -e "$user_startup/s" ] && [ ! -e "$user_startup/s " ] || fail "remove 's ' did not remove exactly 's '"
expect_rc 0 disable --name 't.' --location 'User Startup'
[ -e "$user_startup/t" ] && [ -e "$parked_dir/t." ] && [ ! -e "$parked_dir/t" ] || fail "disable 't.' moved another file"
mkdir -p "$user_startup/b" && : >"$user_startup/b/s.bat" && : >"$user_startup/b\\s.bat"
expect_rc 0 list
[[ $out == *'b\s.bat'* ]] && fail "a name holding a backslash is listed: '$out'"
expect_rc 1 remove --name 'b\s.bat' --location 4
[ -e "$user_startup/b/s.bat" ] || fail "remove 'b\s.bat' deleted a file in a subfolder"
rm -rf "$user_startup/b" "$user_startup/b\\s.bat" "$user_startup/s" "$user_startup/t" "$parked_dir/t."

# --- the table never lets a name forge a row or hide a trailing blank ---
reg add "$cv\\Run" /v "$(printf 'tab\there')" /d '"C:\x y\x.exe" /q'
: >"$user_startup/trail"
: >"$user_startup/trail "
expect_rc 0 list
[[ $(grep -F '"tab\there"' <<<"$out") == *'  "C:\x y\x.exe" /q' ]] || fail "tab not escaped, or the command not as written: '$out'"
grep -q '  trail  ' <<<"$out" && grep -q '  "trail "  ' <<<"$out" || fail "trail and 'trail ' look alike: '$out'"
reg delete "$cv\\Run" /v "$(printf 'tab\there')"
rm -f "$user_startup/trail" "$user_startup/trail "
expect_rc 2 create ''
[[ $err == *"no target was given"* ]] || fail "create '': '$err'"

# --- a different entry of the same name is never overwritten unless asked ---
reg add "$cv\\Run" /v Twin /d 'C:\live.exe'
reg add "$cv\\Run-" /v twin /d 'C:\parked.exe'
expect_rc 1 disable --name Twin --location 1
expect_rc 0 disable --name Twin --location 1 --replace
[[ "$(wine reg query "$cv\\Run-" /v twin </dev/null 2>/dev/null | tr -d '\r')" == *'C:\live.exe'* ]] || fail "--replace did not replace"
wine reg query "$cv\\Run" /v Twin </dev/null >/dev/null 2>&1 && fail "--replace left the live Twin"

# --- a file that cannot be deleted after its copy: said as it is, never "nothing was changed" ---
: >"$user_startup/ro.bat" && chmod a-w "$user_startup/ro.bat"
expect_rc 1 disable --name ro.bat --location 4
[[ $err == *"'ro.bat' is now in both places"* && $err != *"nothing was changed"* ]] || fail "read-only: '$err'"
chmod u+w "$user_startup/ro.bat" "$parked_dir/ro.bat"; rm -f "$user_startup/ro.bat" "$parked_dir/ro.bat"

# --- a file in the way of the disabled folder is named ---
common_parked="$common_startup/../Disabled Startup Items"
rm -rf "$common_parked" && : >"$common_parked"
expect_rc 1 disable --name common.bat --location 8
[[ $err == *"the folder C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Disabled Startup Items cannot be used"* ]] ||
  fail "file in the way: '$err'"
rm -f "$common_parked"

# --- a shortcut replacing one of the same name in another letter case says so ---
echo x >"$drive/DITTO.EXE"
expect_rc 0 create 'C:\DITTO.EXE' --display-name Ditto
expect_rc 0 create 'C:\DITTO.EXE'
[[ $out == "created:"*"Ditto.lnk"*"replaced"* ]] || fail "create over Ditto.lnk: '$out'"

# --- no Startup folder, or a relative one: nothing written anywhere, an error, exit 1 ---
sf="$cv\\Explorer\\Shell Folders"
reg add "$sf" /v Startup /d relstart
expect_rc 1 create 'C:\windows\notepad.exe' --display-name Lost
expect_rc 1 list
[[ $err == *"'relstart', is not a full path"* ]] || fail "relative Startup not reported: '$err'"
[ -e relstart ] || [ -e "Disabled Startup Items" ] && fail "made something in the current directory"
reg delete "$sf" /v Startup
expect_rc 1 create 'C:\windows\notepad.exe' --display-name Lost
[[ $err == *"Startup folder is not known"* ]] || fail "missing Startup: '$err'"
[ -e "$drive/Lost.lnk" ] && fail "a shortcut was written at the root of the drive"
reg add "$sf" /v Startup /d "$win_startup"

# --- the later places, StartupApproved flags, and a machine-wide key the user may only read ---
v32='HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion'
approved="$cv\\Explorer\\StartupApproved\\Run"
reg add "$v32\\Run" /v w32 /d 'C:\x86\w.exe'
reg add "$cv\\RunOnce" /v once /d '!C:\once.exe'
reg add "$mv\\RunOnce-" /v monce /d 'C:\monce.exe'
reg add "$cv\\Run" /v offbywin /d 'C:\off.exe'
reg add "$approved" /v offbywin /t REG_BINARY /d 030000001032547698badc01
reg add "$approved" /v expand /t REG_BINARY /d 0300
flag() { wine reg query "$approved" /v "$1" </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_BINARY *//p'; }
expect_rc 0 list --json
python3 - "$out" <<'PY' || fail "list --json of the later places: $out"
import json, sys
entries = json.loads(sys.argv[1])
got = [(e["name"], e["location"], e["locationName"], e["state"], e["approved"], e["parked"]) for e in entries]
assert got[-3:] == [("w32", 64, "HKLM Run (32-bit)", "enabled", None, False),
                    ("once", 128, "HKCU RunOnce", "enabled", None, False),
                    ("monce", 256, "HKLM RunOnce", "disabled", None, True)], got
assert ("offbywin", 1, "HKCU Run", "disabled", "off", False) in got, got
assert ("expand", 1, "HKCU Run", "enabled", None, False) in got, got  # a flag of another length is none
assert ("parked", 1, "HKCU Run", "disabled", None, True) in got, got
PY
expect_rc 0 list
[[ $out == *"disabled*  HKCU Run"*offbywin* && $out == *"* switched off in Windows' startup settings"* ]] ||
  fail "table does not mark the switched-off entry: '$out'"
expect_rc 0 enable --name offbywin --location 'HKCU Run'
[[ $out == *"enabled   HKCU Run  offbywin"* ]] || fail "enable of a switched-off entry: '$out'"
[ "$(flag offbywin)" = 020000000000000000000000 ] || fail "enabled bytes: '$(flag offbywin)'"
[ "$(flag expand)" = 0300 ] || fail "a flag of another length was touched: '$(flag expand)'"
wine reg query "$cv\\Run" /v offbywin </dev/null >/dev/null 2>&1 || fail "offbywin left its place"
expect_rc 0 disable --name w32 --location 'hklm run (32-bit)'
wine reg query "$v32\\Run-" /v w32 </dev/null >/dev/null 2>&1 || fail "w32 not parked beside the 32-bit Run key"
expect_rc 0 enable --name w32 --location 64
expect_rc 0 enable --name monce --location 'HKLM RunOnce'
wine reg query "$mv\\RunOnce" /v monce </dev/null >/dev/null 2>&1 || fail "monce not back in RunOnce"
reg add "$cv\\Run-" /v offbywin /d 'C:\off-parked.exe'
reg add "$approved" /v offbywin /t REG_BINARY /d 030000001032547698badc01
expect_rc 1 enable --name offbywin --location 1
[[ $err == *"both switched off by Windows in its live place and parked"* ]] || fail "two to enable: '$err'"
expect_rc 0 remove --name offbywin --location 1 --state disabled
wine reg query "$cv\\Run" /v offbywin </dev/null >/dev/null 2>&1 || fail "remove --state disabled took the live one"
[ "$(flag offbywin)" = 030000001032547698BADC01 ] || [ "$(flag offbywin)" = 030000001032547698badc01 ] ||
  fail "removing the parked one changed the live one's flag: '$(flag offbywin)'"
expect_rc 0 remove --name offbywin --location 1
[ -z "$(flag offbywin)" ] || fail "remove left the flag behind"

wine "$probe" readonly 'Software\Microsoft\Windows\CurrentVersion\Run' </dev/null || fail "probe readonly"
expect_rc 0 list --json
[[ $out == *'"machine"'* ]] || fail "a machine-wide key the user may only read is not listed"
expect_rc 1 disable --name machine --location 16
[ "$err" = "kestrun-cli: 'machine' could not be disabled: Changing entries for all users needs administrator rights. Start Kestrun as administrator." ] ||
  fail "refused for want of rights: '$err'"
wine reg query "$mv\\Run" /v machine </dev/null >/dev/null 2>&1 || fail "a refused change lost the entry"

finish cli
