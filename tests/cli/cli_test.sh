#!/usr/bin/env bash
# kestrun-cli under Wine in one throw-away prefix: list (text, JSON lines and JSON validated against the
# published schema, docs/kestrun-cli.schema.json), selection, the changing verbs and their exit codes, scheduled tasks,
# export, apply and check (idempotence, Intune's one-line contract), history and undo.
# Usage: cli_test.sh path/to/kestrun-cli.exe path/to/winprobe.exe path/to/signee.exe [one-case]
#   one-case: only a name outside ASCII moved and listed (the run under a POSIX locale)
set -u
exe=$1
probe=$2
signee=$3
here=$(cd "$(dirname "$0")" && pwd)
schema="$here/../../docs/kestrun-cli.schema.json"
. "$here/harness.sh"
rel=${user_startup#"$drive/users/"}
user_name=${rel%%/*}
win_startup="C:\\users\\$user_name\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp"
common_startup="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/StartUp"
journal_home=$(ls -d "$drive"/users/*/AppData/Local | head -1)/Tamsel\ Soft/Kestrun
# validate DEF JSON: the text against one definition of the schema ("" for the whole schema).
validate() {
  python3 - "$schema" "$1" "$2" <<'PY'
import json, sys
import jsonschema
schema = json.load(open(sys.argv[1], encoding="utf-8"))
jsonschema.Draft202012Validator.check_schema(schema)
target = schema if not sys.argv[2] else {"$ref": "#/$defs/" + sys.argv[2], "$defs": schema["$defs"]}
jsonschema.Draft202012Validator(target).validate(json.loads(sys.argv[3]))
PY
}

# --- seed: the prefix's own winemenubuilder goes, then entries of every kind of place ---
reg delete "$mv\\RunServices" /v winemenubuilder
reg add "$cv\\Run" /v Привет /d 'C:\Программы\привет.exe'
: >"$user_startup/日本.lnk"
if [ "${4:-}" = one-case ]; then
  expect_rc 0 disable --name привет --location 1
  [[ $out == *"disabled  HKCU Run  Привет"* ]] || fail "disable output: '$out'"
  has "$cv\\Run-" Привет || fail "Привет not parked"
  expect_rc 0 list
  [[ $out == *"日本.lnk"* ]] || fail "日本.lnk not listed: '$out'"
  finish cli_posix_locale
fi
reg add "$cv\\Run" /v number /t REG_DWORD /d 7
reg add "$cv\\Run" /v expand /t REG_EXPAND_SZ /d '%SystemRoot%\system32\notepad.exe -x'
reg add "$cv\\Run" /v plain /d 'C:\windows\system32\notepad.exe /a b'
reg add "$cv\\Run" /v spaced /d 'C:\Program Files\Internet Explorer\iexplore.exe -k'
reg add "$cv\\Run" /v quoted /d '"C:\Program Files\No Such\app.exe" /q'
reg add "$cv\\Run" /v Dup /d 'C:\user-dup.exe'
reg add "$mv\\Run" /v dup /d 'C:\machine-dup.exe'
reg add "$mv\\Run" /v machine /d 'C:\m.exe /q'
reg add "$cv\\Run-" /v parked /d 'C:\p.exe'
reg add "$cv\\Run-" /v both /d 'C:\both-off.exe'
reg add "$cv\\Run" /v both /d 'C:\both-on.exe'
: >"$user_startup/.hidden.lnk"
printf 'echo \377 bytes\r\n' >"$user_startup/tool.bat"
: >"$common_startup/common.bat"

# --- list --json: the schema, every entry by place in scan order, exact names, each command split ---
expect_rc 0 list --json
list_json=$out
validate "" "$out" || fail "list --json does not match the schema"
python3 - "$out" "$win_startup" <<'PY' || fail "list --json"
import json, sys
entries, startup = json.loads(sys.argv[1]), sys.argv[2]
common = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\"
got = [(x["state"], x["locationName"], x["location"], x["name"], x["path"]) for x in entries]
places = [("enabled", "HKCU Run", 1, n, p) for n, p in [
    ("Привет", "C:\\Программы\\привет.exe"), ("expand", "%SystemRoot%\\system32\\notepad.exe -x"),
    ("plain", "C:\\windows\\system32\\notepad.exe /a b"), ("spaced", "C:\\Program Files\\Internet Explorer\\iexplore.exe -k"),
    ("quoted", '"C:\\Program Files\\No Such\\app.exe" /q'), ("Dup", "C:\\user-dup.exe"), ("both", "C:\\both-on.exe")]]
places += [("enabled", "HKLM Run", 16, "dup", "C:\\machine-dup.exe"), ("enabled", "HKLM Run", 16, "machine", "C:\\m.exe /q"),
           ("enabled", "User Startup", 4, "日本.lnk", startup + "\\日本.lnk"),
           ("enabled", "User Startup", 4, "tool.bat", startup + "\\tool.bat"),
           ("enabled", "Common Startup", 8, "common.bat", common + "common.bat"),
           ("disabled", "HKCU Run", 1, "parked", "C:\\p.exe"), ("disabled", "HKCU Run", 1, "both", "C:\\both-off.exe")]
assert [g[:3] for g in got] == [p[:3] for p in places], got  # a place's own entries in any order
assert sorted(got) == sorted(places), got
e = {(x["name"], x["locationName"]): x for x in entries}
def want(key, **fields):
    got = {k: e[key][k] for k in fields}
    assert got == fields, (key, got)
run = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
want(("plain", "HKCU Run"), source=run, scope="user", valueType="REG_SZ", command="C:\\windows\\system32\\notepad.exe /a b",
     executable="C:\\windows\\system32\\notepad.exe", arguments="/a b", targetExists=True)
want(("expand", "HKCU Run"), valueType="REG_EXPAND_SZ", command="%SystemRoot%\\system32\\notepad.exe -x")
want(("dup", "HKLM Run"), scope="machine", source="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run")
want(("tool.bat", "User Startup"), valueType="file", scope="user", targetExists=True)
PY
# --- list: an aligned table with the same entries ---
expect_rc 0 list
python3 - "$out" <<'PY' || fail "list table: $out"
import sys
lines = sys.argv[1].split("\n")
assert lines[0].split() == ["STATE", "LOCATION", "NAME", "PATH"], lines[0]
rows = [l for l in lines[1:] if l[:1] not in ("", "!", "?")]
assert len(rows) == 14, rows
column = lines[0].index("PATH")
for line in rows:
    assert line[column - 2:column] == "  " and line[column] != " ", line
assert any(l.startswith("disabled?  HKCU Run") and "parked" in l for l in rows)
assert any("Привет" in l and l.endswith("C:\\Программы\\привет.exe") for l in rows)
PY

expect_rc 0 list --jsonl
python3 - "$out" "$list_json" <<'PY' || fail "list --jsonl is not list --json one object a line"
import json, sys
lines = sys.argv[1].strip("\n").split("\n")
assert [json.loads(l) for l in lines] == json.loads(sys.argv[2])
PY
while IFS= read -r line; do validate entry "$line" || fail "a --jsonl line does not match: $line"; done <<<"$out"

# --- selection: --location only when the name is in several places (names ignore case) ---
expect_text 1 err '*"2 places"*"--location"*"HKCU Run"*"HKLM Run"*' disable --name DUP
expect_text 0 out '"would disable:"*plain*' disable --name PLAIN --dry-run

# --- export, apply and check end to end (what each item means: tests/cli/DesiredStateTest.cpp) ---
expect_rc 0 export 'C:\state.json'
expect_rc 0 export
validate desiredState "$out" || fail "export does not match the schema"
[ "$(tr -d '\r' <"$drive/state.json")" = "$out" ] || fail "export FILE differs from stdout"
echo '[{"name": "plain", "location": "HKCU Run", "state": "disabled"}, {"name": "EXPAND", "state": "enabled"},
 {"name": "tool.bat", "location": 4, "state": "disabled"}, {"name": "dup", "location": "HKLM Run", "state": "disabled"}]' >"$drive/want.json"
expect_text 1 out '"differs: 3 of 4 entries; "*' check 'C:\want.json'
[ -z "$err" ] || fail "check wrote to stderr: '$err'"
# Dry runs: cli_ansible.
expect_text 0 out \''{"changed":3,"failed":0,"dryRun":false,'\''*' apply 'C:\want.json' --json
validate applyResult "$out" || fail "apply --json does not match"
[ -e "$user_startup/../Disabled Startup Items/tool.bat" ] || fail "tool.bat not parked"
expect_text 0 out '"0 changed, 0 failed"' apply 'C:\want.json'
expect_text 0 out '"matches: 4 entries as wanted"' check 'C:\want.json'
# A failure is reported, and the rest still applied.
echo '[{"name": "absent", "state": "enabled"}, {"name": "spaced", "state": "disabled"}]' >"$drive/bad.json"
expect_text 1 out "'{\"changed\":1,\"failed\":1,'*'\"from\":null,'*\"no entry 'absent'\"*" apply 'C:\bad.json' --json
validate applyResult "$out" || fail "apply --json with failures does not match"
has "$cv\\Run-" spaced || fail "the rest was not applied after a failure"
# German: the messages follow the interface language (Wine takes it from the Unix locale); what
# scripts read (JSON, export) is the same bytes.
german() { LC_ALL='' LC_MESSAGES='' LANG=de_DE.UTF-8 "$@"; }
for run in "0 list --json" "0 export" "1 apply C:\\bad.json --json"; do
  expect_rc $run
  english=$out
  german expect_rc $run
  [ "$out" = "$english" ] || fail "${run#? } differs in German: '$out'"
done
[[ $err == *"kein Eintrag 'absent' (beliebiger Ort)"* ]] || fail "apply's message in German: '$err'"
german expect_text 0 out '"würde ausschalten:"*"enabled   HKCU Run  expand"*' disable --name expand --dry-run
german expect_text 2 err "*\"Rufen Sie 'kestrun-cli list --help' auf\"*" list --bogus
# Intune: one line of at most 2,048 characters, escaped, however much differs; 3 when the file is unusable.
python3 -c 'import json; print(json.dumps([{"name": "gone-%d\x0b\x85" % i, "state": "enabled"} for i in range(300)]))' >"$drive/many.json"
expect_text 1 out "\"differs: 300 of 300 entries; no entry 'gone-0\\x0b\\x85' \"*" check 'C:\many.json'
[ "${#out}" -le 2048 ] && [ "$(printf '%s' "$out" | wc -l)" -eq 0 ] || fail "check summary too long: ${#out}"
expect_rc 3 check 'C:\nothing.json'
echo '[{"name": "c", "location": "x\ny", "state": "enabled"}]' >"$drive/lines.json"
expect_text 3 out '"unreadable: "*"location x\ny: "*' check 'C:\lines.json'
expect_rc 2 apply 'C:\lines.json'
# A Startup folder value that is no text hides its own place only, with one message.
startup_value=$(wine winepath -w "$user_startup" 2>/dev/null)
reg add "$cv\\Explorer\\Shell Folders" /v Startup /t REG_DWORD /d 1
expect_rc 1 list
[[ $err == *"Startup folder named in Shell Folders cannot be read"* && $(printf '%s\n' "$err" | wc -l) -eq 1 &&
   $out == *"HKCU Run"* ]] || fail "list with a number as the Startup folder: '$out' '$err'"
expect_text 3 out '"unreadable: the machine: the Startup folder"*' check 'C:\want.json'
reg add "$cv\\Explorer\\Shell Folders" /v Startup /d "$startup_value"
expect_rc 2 apply
expect_rc 2 check

# --- history and undo ---
expect_rc 0 history --json
python3 - "$schema" "$out" <<'PY' || fail "history --json"
import json, sys, jsonschema
schema = json.load(open(sys.argv[1], encoding="utf-8"))
v = jsonschema.Draft202012Validator({"$ref": "#/$defs/journalRecord", "$defs": schema["$defs"]})
records = json.loads(sys.argv[2])
for r in records: v.validate(r)
assert [r["time"] for r in records] == sorted(r["time"] for r in records), records
# The machine-wide park is in the administrators' journal, numbered on its own.
assert sorted((r["journal"], r["id"], r["action"], r["name"], r["program"]) for r in records) == [
    ("machine", 1, "park", "dup", "console"), ("user", 1, "park", "plain", "console"),
    ("user", 2, "park", "tool.bat", "console"), ("user", 3, "park", "spaced", "console")], records
PY
[ -s "$drive/ProgramData/Tamsel Soft/Kestrun/journal.jsonl" ] || fail "no machine-wide journal"
expect_text 0 out '*"M1   "*"park"*"HKLM Run"*"dup"*' history
expect_rc 0 undo
[[ $out == "undone: #3 park 'spaced' (HKCU Run)" ]] || fail "undo output: '$out'"
has "$cv\\Run" spaced || fail "spaced not back in Run"
# One apply is one undo step: both its parks in the user's journal come back, newest first.
expect_rc 0 undo 2
[[ $out == "undone: #2 park 'tool.bat' (User Startup)"$'\n'"undone: #1 park 'plain' (HKCU Run)" ]] ||
  fail "second undo: '$out'"
cmp -s <(printf 'echo \377 bytes\r\n') "$user_startup/tool.bat" || fail "tool.bat not back byte for byte"
expect_text 1 err '*"undone already, by #5"*' undo 2
expect_rc 0 disable --name plain
# An entry changed since its change was made is left alone.
reg add "$mv\\Run-" /v dup /d 'C:\edited.exe'
expect_text 1 err '*"changed since"*' undo M1
expect_rc 1 undo 99
expect_rc 1 undo M99
expect_rc 2 undo nonsense

# Remove and undo, byte for byte: an expandable value and a Startup file.
before=$(cli list --json)
expect_rc 0 remove --name expand
expect_rc 0 remove --name tool.bat
[ -e "$user_startup/tool.bat" ] && fail "tool.bat not removed"
ls "$journal_home"/removed/*/tool.bat >/dev/null 2>&1 || fail "no copy of tool.bat beside the journal"
expect_rc 0 undo
expect_rc 0 undo
[ "$(cli list --json)" = "$before" ] || fail "remove + undo did not restore both entries"
cmp -s <(printf 'echo \377 bytes\r\n') "$user_startup/tool.bat" || fail "tool.bat not restored byte for byte"
# A forged record is refused by id, and nothing is written.
printf '{"id":900,"action":"remove","location":1,"name":"evil","from":{"place":"HKLM\\\\%s","type":1,"data":"YQA="}}\n' \
  'Software\\Microsoft\\Windows\\CurrentVersion\\Run' >>"$journal_home/journal.jsonl"
expect_text 1 err '*"cannot undo #900"*"is not a key of HKCU Run"*' undo 900
# A machine-wide change in the journal any program of the user can write is never undone.
printf '{"id":800,"action":"remove","location":16,"name":"evil","from":{"place":"HKLM\\\\%s","type":1,"data":"YQA="}}\n' \
  'Software\\Microsoft\\Windows\\CurrentVersion\\Run' >>"$journal_home/journal.jsonl"
expect_text 1 err '*"cannot undo #800"*"administrators keep"*' undo 800
has "$mv\\Run" evil && fail "a forged record was obeyed"
# A link planted where the next copy would go is passed by, not followed.
ln -s "$drive/windows/system32" "$journal_home/removed/901"
: >"$user_startup/planted.dll"
expect_rc 0 remove --name planted.dll
ls "$drive"/windows/system32/planted.dll "$drive"/windows/system32/*/planted.dll 2>/dev/null && fail "copy written through a link"
ls "$journal_home"/removed/902/planted.dll >/dev/null || fail "no copy of planted.dll"
# Four processes at once: unique ids, no copy shared, each undo reverses its own change.
for i in 1 2 3 4 5; do
  printf "u$i" >"$user_startup/same$i"; printf "c$i" >"$common_startup/same$i"; : >"$user_startup/k$i"
  reg add "$cv\\Run" /v "r$i" /d "C:\\r$i.exe"
done
before=$(cli list --json)
for job in "remove --location 4 --name same" "remove --location 8 --name same" "disable --name k" "disable --name r"; do
  (for i in 1 2 3 4 5; do wine "$exe" $job$i </dev/null >/dev/null 2>&1 || echo "$job$i failed" >&2; done) &
done
wait
expect_rc 0 history --json
python3 - "$out" "$journal_home" <<'PY' || fail "concurrent changes: $out"
import json, sys
records = json.loads(sys.argv[1])
ids = [(r["journal"], r["id"]) for r in records]
assert len(ids) == len(set(ids)), ids
removed = [r for r in records if r["action"] == "remove" and r["name"].startswith("same")]
assert len(removed) == 10 and len({r["from"]["backup"] for r in removed}) == 10, removed
PY
for i in $(seq 20); do cli undo >/dev/null || fail "undo $i of the concurrent changes"; done
[ "$(cli list --json)" = "$before" ] || fail "the concurrent changes were not each undone"
for i in 1 2 3 4 5; do
  [ "$(cat "$user_startup/same$i")$(cat "$common_startup/same$i")" = "u${i}c$i" ] || fail "same$i mixed up"
  rm "$user_startup/same$i" "$common_startup/same$i" "$user_startup/k$i"; reg delete "$cv\\Run" /v "r$i"
done
rm -f "$user_startup/planted.dll"

# --- usage errors: exit 2 with a message on stderr ---
expect_text 2 err '"kestrun-cli: "*'
expect_rc 2 frobnicate
[[ $err == *"unknown command 'frobnicate'"* ]] || fail "unknown verb: stderr '$err'"
expect_rc 2 list --bogus
expect_rc 2 list --json --jsonl
expect_rc 2 disable --location 1
expect_text 2 err '*"HKCU Run"*' disable --name parked --location nowhere
expect_rc 2 remove --name parked --location 1 --state sideways
expect_rc 0 --help
[[ $out == *"disable"* && $out == *"create"* ]] || fail "help lists no verbs"

# --- selection problems: exit 1 ---
expect_rc 1 disable --name absent --location 'HKCU Run'
[[ $err == "kestrun-cli: no entry 'absent'"* ]] || fail "absent: stderr '$err'"
expect_text 1 err '*"--state"*' remove --name both --location hkcu-run
expect_text 0 out "\"'machine' is already enabled (HKLM Run): nothing to do\"" enable --name machine --location 16
expect_text 0 out '*"already disabled"*' disable --name parked

# --- a move that would overwrite an entry of the same name needs --replace ---
expect_text 1 err '*"both"*"--replace"*' disable --name both --location 1
expect_text 0 out '"would disable:"*"C:\both-on.exe"*"replacing:"*"C:\both-off.exe"*' disable --name both --location 1 --replace --dry-run

# --- a file argument beginning with "/" is a path (from C:\, /state.json is C:\state.json), not an option ---
cd "$drive"
expect_rc 0 export /state.json
expect_text 3 out '*"name one entry"*' check /state.json  # 'both' lies enabled and parked in one place
expect_rc 3 check /x.json
[[ $out == "unreadable: /x.json: "* ]] || fail "check /x.json: '$out' '$err'"
rm -f state.json && cd - >/dev/null

# --- dry runs change nothing ---
before=$(cli list --json)
before_err=$(cat "$WINEPREFIX/stderr")
expect_text 0 out '"would disable:"*machine*' disable --name machine --location 'HKLM Run' --dry-run
expect_rc 0 remove --name both --location 1 --state disabled --dry-run
expect_rc 0 create 'C:\windows\notepad.exe' --dry-run
[[ $out == *"$win_startup\\notepad.lnk -> C:\\windows\\notepad.exe"* ]] || fail "dry-run create: '$out'"
after=$(cli list --json)
[ "$after" = "$before" ] ||
  fail "a dry run changed something: $(diff <(echo "$before") <(echo "$after") | head -6 | tr '\n' ' '); stderr: '$before_err' '$(cat "$WINEPREFIX/stderr")'"

# --- disable and enable move the value between Run and Run- ---
expect_text 0 out '*"disabled  HKCU Run  Привет"*' disable --name привет --location 1
has "$cv\\Run-" Привет || fail "not in Run-"
has "$cv\\Run" Привет && fail "still in Run"
expect_text 0 out '*"enabled   HKCU Run  Привет"*' enable --name Привет --location 1
expect_rc 0 disable --name 日本.lnk --location 'user startup'
[ -e "$user_startup/../Disabled Startup Items/日本.lnk" ] || fail "file not parked"
expect_rc 0 enable --name 日本.lnk --location 4
[ -e "$user_startup/日本.lnk" ] || fail "file not back"

# --- create and remove ---
expect_text 0 out '*"enabled   User Startup  Note pad.lnk"*' create 'C:\windows\notepad.exe' --display-name 'Note pad'
[ -s "$user_startup/Note pad.lnk" ] || fail "no shortcut written"
# Read back by an independent parser (lnkinfo, from liblnk-utils): path, description, folder, no arguments.
lnk() {
  local info
  info=$(lnkinfo "$user_startup/$1") || return 1
  printf '%s\n' "$info" | sed -n 's/^[[:space:]]*\(Local path\|Description\|Working directory\|Command line arguments\)[[:space:]]*: //p' |
    paste -sd '|'
}
[ "$(lnk 'Note pad.lnk')" = 'C:\windows\notepad.exe|Shortcut to C:\windows\notepad.exe|C:\windows\' ] ||
  fail "Note pad.lnk reads as '$(lnk 'Note pad.lnk')'"
expect_text 1 err '*"file not found"*' create 'C:\windows\no-such.exe'
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
for bad in 'a|b' NUL nul.txt; do
  both 1 notepad.exe --display-name "$bad"
  [[ $err == "kestrun-cli: the shortcut was not written: "* ]] || fail "bad display name $bad: '$err'"
done
# A program file, quoted as Explorer copies it, or refused as a command line, never taken as a relative name.
both 2 '"C:\windows\notepad.exe" \background'
[ "$err" = 'kestrun-cli: "C:\windows\notepad.exe" \background: a command line, not a program file: give the program alone (a shortcut made here holds no arguments)' ] ||
  fail "create with a command line: '$err'"
both 0 '"C:\windows\notepad.exe"' --display-name Quoted
exact Quoted.lnk
cd - >/dev/null
expect_rc 0 remove --name 'Note pad.lnk' --location 4
[ -e "$user_startup/Note pad.lnk" ] && fail "shortcut not removed"
expect_rc 0 remove --name both --location 1 --state disabled
has "$cv\\Run" both || fail "remove took the enabled 'both' too"

after=$(cli list --json)
python3 - "$after" <<'PY' || fail "final list: $after"
import json, sys
names = sorted((e["state"], e["name"]) for e in json.loads(sys.argv[1]))
assert names == sorted([("enabled", "Привет"), ("enabled", "expand"), ("enabled", "both"), ("enabled", "machine"),
                        ("enabled", "日本.lnk"), ("enabled", "common.bat"), ("disabled", "parked"), ("disabled", "plain"),
                        ("disabled", "dup"), ("enabled", "Dup"), ("enabled", "spaced"), ("enabled", "quoted"),
                        ("enabled", "tool.bat")]), names
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
expect_text 2 err '*"no target was given"*' create ''

# --- a different entry of the same name is never overwritten unless asked ---
reg add "$cv\\Run" /v Twin /d 'C:\live.exe'
reg add "$cv\\Run-" /v twin /d 'C:\parked.exe'
expect_rc 0 disable --name Twin --location 1 --replace
[[ "$(wine reg query "$cv\\Run-" /v twin </dev/null 2>/dev/null | tr -d '\r')" == *'C:\live.exe'* ]] || fail "--replace did not replace"
has "$cv\\Run" Twin && fail "--replace left the live Twin"
# One command, one undo step: the live Twin goes home and the parked one it replaced comes back.
expect_text 0 out "*\"park 'Twin'\"*" undo
[[ "$(wine reg query "$cv\\Run-" /v twin </dev/null 2>/dev/null | tr -d '\r')" == *'C:\parked.exe'* ]] &&
  has "$cv\\Run" Twin || fail "--replace was not undone as one step"
reg delete "$cv\\Run" /v Twin
reg delete "$cv\\Run-" /v twin

# --- a file that cannot be deleted after its copy: said as it is, never "nothing was changed" ---
: >"$user_startup/ro.bat" && chmod a-w "$user_startup/ro.bat"
expect_rc 1 disable --name ro.bat --location 4
[[ $err == *"'ro.bat' is now in both places"* && $err != *"nothing was changed"* ]] || fail "read-only: '$err'"
chmod u+w "$user_startup/ro.bat" "$parked_dir/ro.bat"; rm -f "$user_startup/ro.bat" "$parked_dir/ro.bat"

# --- a shortcut replacing one of the same name in another letter case says so ---
echo x >"$drive/DITTO.EXE"
expect_rc 0 create 'C:\DITTO.EXE' --display-name Ditto
expect_text 0 out '"created:"*"Ditto.lnk"*"replaced"*' create 'C:\DITTO.EXE'

# --- a target outside ASCII: the link holds it exactly, and starting the link runs it ---
mkdir -p "$drive/users/Дима"
printf '@echo started>C:\\started.txt\r\n' >"$drive/users/Дима/Error Fix.bat"
expect_rc 0 create 'C:\Users\Дима\Error Fix.bat'
[ "$(lnk 'Error Fix.lnk')" = 'C:\Users\Дима\Error Fix.bat|Shortcut to C:\Users\Дима\Error Fix.bat|C:\Users\Дима\' ] ||
  fail "Error Fix.lnk reads as '$(lnk 'Error Fix.lnk')'"
wine start /wait /unix "$user_startup/Error Fix.lnk" </dev/null >/dev/null 2>&1
for _ in $(seq 50); do [ -e "$drive/started.txt" ] && break; sleep 0.2; done
[ -e "$drive/started.txt" ] || fail "starting the link did not run its target"

# --- no Startup folder, or a relative one: nothing written anywhere, an error, exit 1 ---
sf="$cv\\Explorer\\Shell Folders"
reg add "$sf" /v Startup /d relstart
expect_rc 1 create 'C:\windows\notepad.exe' --display-name Lost
expect_rc 1 list
[[ $err == *"'relstart', is not a full path"* ]] || fail "relative Startup not reported: '$err'"
[ -e relstart ] || [ -e "Disabled Startup Items" ] && fail "made something in the current directory"
reg delete "$sf" /v Startup
expect_text 1 err '*"Startup folder is not known"*' create 'C:\windows\notepad.exe' --display-name Lost
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
[[ $out == *"disabled*?  HKCU Run"*offbywin* && $out == *"* switched off in Windows' startup settings"* ]] ||
  fail "table does not mark the switched-off entry: '$out'"
expect_text 0 out '*"enabled   HKCU Run  offbywin"*' enable --name offbywin --location 'HKCU Run'
[ "$(flag offbywin)" = 020000000000000000000000 ] || fail "enabled bytes: '$(flag offbywin)'"
[ "$(flag expand)" = 0300 ] || fail "a flag of another length was touched: '$(flag expand)'"
has "$cv\\Run" offbywin || fail "offbywin left its place"
expect_rc 0 disable --name w32 --location 'hklm run (32-bit)'
has "$v32\\Run-" w32 || fail "w32 not parked beside the 32-bit Run key"
expect_rc 0 enable --name w32 --location 64
expect_rc 0 enable --name monce --location 'HKLM RunOnce'
has "$mv\\RunOnce" monce || fail "monce not back in RunOnce"
reg add "$cv\\Run-" /v offbywin /d 'C:\off-parked.exe'
reg add "$approved" /v offbywin /t REG_BINARY /d 030000001032547698badc01
expect_text 1 err '*"both switched off by Windows in its live place and parked"*' enable --name offbywin --location 1
expect_rc 0 remove --name offbywin --location 1 --state disabled
has "$cv\\Run" offbywin || fail "remove --state disabled took the live one"
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
has "$mv\\Run" machine || fail "a refused change lost the entry"

# --- a journal folder that cannot be made: parking works with a warning, removing is refused ---
vendor=$(dirname "$journal_home")
rm -rf "$vendor"
: >"$vendor"  # a file where the folder "Tamsel Soft" would go
expect_text 0 err '*"warning:"*"cannot be undone"*' enable --name plain
[ "$(printf '%s\n' "$err" | grep -c warning)" -eq 1 ] || fail "more than one warning: '$err'"
expect_rc 1 remove --name plain
[[ $err == *"'plain' was not removed"* ]] || fail "remove without a journal: '$err'"
has "$cv\\Run" plain || fail "plain removed without a journal"
# The machine-wide journal's folder must be the administrators' own: a link there is refused, not followed.
machine_home="$drive/ProgramData/Tamsel Soft"
rm -rf "$machine_home"; mkdir -p "$drive/users/Public/loose"; ln -s "$drive/users/Public/loose" "$machine_home"
: >"$common_startup/linked.txt"
expect_text 0 err '*"warning:"*"Tamsel Soft is a link or junction"*' disable --name linked.txt --location 8
expect_rc 1 remove --name linked.txt --location 8
[ -z "$(ls "$drive/users/Public/loose")" ] || fail "the journal followed a link: $(ls "$drive/users/Public/loose")"
expect_rc 0 history
[ "$err" = "kestrun-cli: warning: the machine-wide journal is not read: C:\\ProgramData\\Tamsel Soft is a link or junction: Kestrun does not go through one" ] ||
  fail "history with a linked machine journal: '$err'"
rm "$machine_home"

# --- what each entry runs, from any current folder, end to end (the cases: tests/store/TargetResolverTest.cpp);
#     company and signature ---
kt="$drive/Ktools"
mkdir -p "$kt/dir.exe"
. "$here/signing.sh"
kt_sign_copies "$signee" "$kt"
cp "$kt/unsigned.exe" "$kt/app.exe" && cp "$kt/unsigned.exe" "$kt/my.exe" && cp "$kt/unsigned.exe" "$kt/my app.exe"
kt_tries wine "$probe" trust 'C:\Ktools\root.der' </dev/null || fail "the test root was not trusted"
reg delete "$cv\\Run" /va
for v in 'bare=notepad.exe' 'app=C:\Ktools\app -q' 'myapp=C:\Ktools\my app.exe --x' 'signed=C:\Ktools\signed.exe' \
         'again="C:\Ktools\signed.exe" /again' 'untrusted=C:\Ktools\untrusted.exe' 'changed=C:\Ktools\changed.exe' \
         'broken=C:\Ktools\broken.exe' 'folder="C:\Ktools\dir.exe"' 'server=C:\Ktools\server.exe' \
         'anyuse=C:\Ktools\anyuse.exe'; do
  reg add "$cv\\Run" /v "${v%%=*}" /d "${v#*=}"
done
cp "$kt/unsigned.exe" "$kt/gone.exe"
expect_rc 0 create 'C:\Ktools\gone.exe'
rm "$kt/gone.exe"
verified=$(cd "$kt" && cli list --json --verify) || fail "list --verify"
[ "$(cd "$drive/windows/system32" && cli list --json --verify)" = "$verified" ] || fail "resolution depends on the current folder"
expect_rc 0 list --json
validate "" "$verified" && validate "" "$out" || fail "list --json --verify does not match the schema"
python3 - "$verified" "$out" <<'PY' || fail "resolution and verdicts: $verified"
import json, sys
e = {x["name"]: x for x in json.loads(sys.argv[1]) if x["locationName"] in ("HKCU Run", "User Startup")}
plain = {x["name"]: x for x in json.loads(sys.argv[2])}
def want(name, **fields):
    got = {k: e[name][k] for k in fields}
    assert got == fields, (name, got)
want("bare", executable="C:\\windows\\notepad.exe", targetExists=True, warnings=[], signature="unsigned", company=None)
want("app", executable="C:\\Ktools\\app.exe", arguments="-q", targetExists=True, company="Kestrel Test Works")
want("myapp", executable="C:\\Ktools\\my.exe", arguments="app.exe --x", warnings=["unquoted-path"])
signer = "Kestrel trusted signer"
want("signed", signature="signed", signer=signer, company="Kestrel Test Works", warnings=[])
want("again", signature="signed", arguments="/again")
want("untrusted", signature="untrusted", signer="Kestrel stray signer")
want("changed", signature="invalid")
want("broken", signature="invalid")
want("server", signature="invalid", signer="Kestrel server")  # a web server's certificate signs no program
want("anyuse", signature="signed")  # one that names no use is valid for any, as Windows holds
want("gone.lnk", executable="C:\\Ktools\\gone.exe", targetExists=False, warnings=["target-missing"], signature=None)
for bad in ("folder",):
    want(bad, targetExists=False, warnings=["target-missing"], signature=None, company=None, signer=None)
assert plain["signed"]["signature"] == "unchecked" and plain["signed"]["company"] is None, plain["signed"]
PY
expect_rc 0 list
[[ $out == *"enabled!  "*"myapp"* && $out == *"enabled?  "*"folder"* && $out == *"! unquoted path"* ]] || fail "table marks: $out"

# --- alike things answered alike: already enabled, undo by the id as printed, export's note, the verdicts
# in the table, one capitalisation ---
expect_text 0 out "\"'bare' is already enabled (HKCU Run): nothing to do\"" enable --name bare
[ -z "$err" ] || fail "enable of an enabled entry: stderr '$err'"
rm -f "$vendor"  # the journal can be written again; HKLM Run is still read-only, RunServices is not
reg add "$mv\\RunServices" /v newcomer /d 'C:\n.exe'
expect_rc 0 disable --name bare
expect_rc 0 disable --name newcomer
parked_id() { cli history | tr -d '\r' | awk -v name="$1" '$4 == "park" && $NF == name { id = $1 } END { print id }'; }
user_id=$(parked_id bare) machine_id=$(parked_id newcomer)
[[ $user_id =~ ^[0-9]+$ && $machine_id =~ ^M[0-9]+$ ]] || fail "history ids: '$user_id' '$machine_id'"
expect_text 0 out "\"undone: #$user_id park 'bare' (HKCU Run)\"" undo "#$user_id"
expect_text 0 out "\"undone: #$machine_id park 'newcomer' (HKLM RunServices)\"" undo "#$machine_id"
expect_text 1 err "\"kestrun-cli: change #$machine_id was undone already, by #M\"*" undo "$machine_id"
expect_text 1 err '"kestrun-cli: the journal holds no change #99999"' undo '#99999'
expect_rc 2 undo '##3'
expect_text 0 err '"kestrun-cli: exported "*" entries to C:\newcomer.json"' export 'C:\newcomer.json'
[ -z "$out" ] && [ -s "$drive/newcomer.json" ] || fail "export FILE wrote '$out' on stdout, or no file"
expect_rc 0 list --verify
python3 - "$out" <<'PY' || fail "list --verify table: $out"
import sys
lines = sys.argv[1].split("\n")
assert lines[0].split() == ["STATE", "LOCATION", "NAME", "COMPANY", "SIGNATURE", "PATH"], lines[0]
row = {l.split()[3]: l for l in lines[1:] if len(l.split()) > 3}  # a location is two words
assert "Kestrel Test Works" in row["signed"] and "  signed  " in row["signed"], row["signed"]
assert "  -  " in row["folder"] and "untrusted" in row["untrusted"] and "  unsigned  " in row["bare"], row
PY
# The default undo follows the order of changes, not the clock: an older change stamped later stays older.
expect_rc 0 disable --name app
expect_rc 0 disable --name myapp
app_id=$(parked_id app) myapp_id=$(parked_id myapp)
sed -i "s/^{\"id\":$app_id,\"time\":\"[^\"]*\"/{\"id\":$app_id,\"time\":\"2999-01-01T00:00:00.000Z\"/" "$journal_home/journal.jsonl"
expect_text 0 out "\"undone: #$myapp_id park 'myapp' (HKCU Run)\"" undo

# --- scheduled tasks: read from their files (the cases: tests/store/ScheduledTaskTest.cpp); Wine's
#     scheduler takes a switch and keeps nothing, which must be said and journalled nowhere ---
tasks="$drive/windows/system32/tasks"
task_file() {  # PATH utf16|utf8 TRIGGERS: a task starting notepad, as Windows (UTF-16) or another writer leaves it
  python3 - "$tasks/$1" "$2" "$3" <<'PY'
import os, sys
path, encoding, triggers = sys.argv[1:]
xml = ('<?xml version="1.0" encoding="UTF-16"?><Task xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">'
       '<Triggers>' + triggers + '</Triggers><Actions><Exec><Command>%SystemRoot%\\notepad.exe</Command>'
       '<Arguments>/k</Arguments></Exec></Actions></Task>')
os.makedirs(os.path.dirname(path), exist_ok=True)
open(path, "wb").write(b"\xff\xfe" + xml.encode("utf-16-le") if encoding == "utf16" else xml.encode())
PY
}
task_file Kestrun/Logon utf16 '<LogonTrigger/>'
task_file Kestrun/Vendor/Boot utf8 '<BootTrigger/>'
task_file Kestrun/Timed utf16 '<TimeTrigger/>'
printf '<Task><Triggers><LogonTrigger/>' >"$tasks/Kestrun/Cut"
ln -s "$tasks/Kestrun/Vendor" "$tasks/Kestrun/Linked"  # (Wine shows a link to a file as the file)
expect_rc 0 list --json
validate "" "$out" || fail "list --json with tasks does not match the schema"
unlisted="kestrun-cli: warning: the scheduled task C:\\windows\\system32\\tasks\\Kestrun\\"
[[ $err == "${unlisted}Cut is not listed: it is not well-formed XML (0x"????????")
${unlisted}Linked is not listed: it is a link or junction" ]] || fail "the malformed and linked task files: '$err'"
python3 - "$out" <<'PY' || fail "list --json of the tasks: $out"
import json, sys
tasks = [e for e in json.loads(sys.argv[1]) if e["kind"] == "task"]
got = [(e["name"], e["location"], e["locationName"], e["state"], e["parked"], e["source"], e["scope"], e["valueType"],
        e["path"], e["executable"], e["arguments"], e["targetExists"]) for e in tasks]
base = "C:\\windows\\system32\\tasks\\Kestrun\\"
assert got == [(n, 1024, "Scheduled Tasks", "enabled", False, base + f, "machine", "task", "%SystemRoot%\\notepad.exe /k",
                "C:\\windows\\notepad.exe", "/k", True) for n, f in [("\\Kestrun\\Logon", "Logon"),
                                                                    ("\\Kestrun\\Vendor\\Boot", "Vendor\\Boot")]], got
PY
rm "$tasks/Kestrun/Cut"
# Said once, though the list is read again after the change.
expect_rc 1 disable --name '\Kestrun\Logon'
[ "$err" = "${unlisted}Linked is not listed: it is a link or junction
kestrun-cli: '\Kestrun\Logon' could not be disabled: the Task Scheduler accepted the change, but the task is still enabled" ] ||
  fail "disable of a task: '$err'"
rm "$tasks/Kestrun/Linked"
echo '[{"name": "\\Kestrun\\Vendor\\Boot", "location": "Scheduled Tasks", "state": "disabled"}]' >"$drive/tasks.json"
expect_text 1 out '*"\"result\":\"failed\",\"error\":\"it is still enabled\""*' apply 'C:\tasks.json' --json
[[ $err == *"'\\Kestrun\\Vendor\\Boot' could not be disabled: the Task Scheduler accepted the change"* ]] || fail "apply of a task: '$err'"
expect_text 1 out '"differs: 1 of 1 entry; "*' check 'C:\tasks.json'
expect_rc 0 history --json
[[ $out != *'"location": 1024'* ]] || fail "a switch that did not take was journalled: $out"
expect_text 1 err "\"kestrun-cli: '\\Kestrun\\Logon' could not be removed: \"*\"delete the task in Task Scheduler\"" \
  remove --name '\Kestrun\Logon' --dry-run
[ -e "$tasks/Kestrun/Logon" ] || fail "a task file was removed"
rm -rf "$tasks/Kestrun"

expect_text 2 err '"kestrun-cli: a subcommand is required"*'

# --- packaged apps' startup tasks: each State, both namespaces, Task Manager's writes, policy, undo to no key,
#     a manifest with a DTD or that is a link left out with one warning ---
am='HKCU\Software\Classes\Local Settings\Software\Microsoft\Windows\CurrentVersion\AppModel'
full=Contoso.Chat_1.2.0.0_x64__8wekyb3d8bbwe fam=Contoso.Chat_8wekyb3d8bbwe
package() {  # FULL MANIFEST: its folder in C:\Packages, registered for the user
  mkdir -p "$drive/Packages/$1" && printf '%s' "$2" >"$drive/Packages/$1/AppxManifest.xml"
  reg add "$am\\Repository\\Packages\\$1" /v PackageRootFolder /d "C:\\Packages\\$1"
}
task() { echo "<$1:StartupTask TaskId='$2' DisplayName='$3' Enabled='$4'/>"; }
state() { wine reg query "$am\\SystemAppData\\$fam\\$1" /v State </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_DWORD *//p'; }
tasks="$(task desktop Res ms-resource:Name true)$(task desktop NoKey 'No key' false)"
for s in 0 1 2 3 4; do
  tasks+=$(task desktop "S$s" "State $s" true)
  reg add "$am\\SystemAppData\\$fam\\S$s" /v State /t REG_DWORD /d "$s"
done
ns='http://schemas.microsoft.com/appx/manifest'
package "$full" "<Package xmlns='$ns/foundation/windows10' xmlns:desktop='$ns/desktop/windows10' xmlns:uap5='$ns/uap/windows10/5'>
<Properties><DisplayName>Contoso Chat</DisplayName></Properties><Applications><Application Executable='chat.exe'><Extensions>
<desktop:Extension Category='windows.startupTask'>$tasks</desktop:Extension><uap5:Extension Category='windows.startupTask'
Executable='helper.exe'>$(task uap5 Helper Helper true)</uap5:Extension></Extensions></Application></Applications></Package>"
package Bad_1_x64__b '<!DOCTYPE Package [<!ENTITY e SYSTEM "file:///C:/windows/win.ini">]><Package>&e;</Package>'
expect_rc 0 list --json
validate "" "$out" || fail "list --json with packaged tasks does not match the schema"
python3 - "$out" <<'PY' || fail "packaged tasks in list --json: $out"
import json, sys
e = [x for x in json.loads(sys.argv[1]) if x["kind"] == "packaged"]
assert [(x["name"], x["state"]) for x in e] == [("Contoso Chat", "enabled"), ("No key", "disabled"), ("State 0", "disabled"),
    ("State 1", "disabled"), ("State 2", "enabled"), ("State 3", "disabled"), ("State 4", "enabled"), ("Helper", "enabled")], e
x, folder = e[1], "C:\\Packages\\Contoso.Chat_1.2.0.0_x64__8wekyb3d8bbwe\\"
assert (x["location"], x["locationName"], x["parked"], x["scope"], x["valueType"]) == (512, "Packaged Apps", False, "user", "REG_DWORD"), x
assert x["source"] == "HKCU\\Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel\\SystemAppData\\Contoso.Chat_8wekyb3d8bbwe\\NoKey", x
assert (x["command"], e[7]["command"]) == (folder + "chat.exe", folder + "helper.exe"), e
PY
[[ $err == "kestrun-cli: warning: the package Bad_1_x64__b is left out: "*"DTD"* && $err != *$'\n'* ]] || fail "DTD manifest: '$err'"
reg delete "$am\\Repository\\Packages\\Bad_1_x64__b"
# Wine marks only a link to a folder as one (a link to a file reads as the file).
mkdir "$drive/Packages/Link_1_x64__b" && ln -s "$drive/Packages/$full" "$drive/Packages/Link_1_x64__b/AppxManifest.xml"
reg add "$am\\Repository\\Packages\\Link_1_x64__b" /v PackageRootFolder /d 'C:\Packages\Link_1_x64__b'
expect_rc 0 list
[[ $err == *"Link_1_x64__b is left out: "*"link or junction"* && $err != *$'\n'* ]] || fail "linked manifest: '$err'"
reg delete "$am\\Repository\\Packages\\Link_1_x64__b"
expect_rc 0 disable --name 'contoso chat' --location 'packaged apps'
[ "$(state Res)" = 0x1 ] || fail "switch off wrote '$(state Res)'"
expect_rc 0 enable --name 'no key'
[ "$(state NoKey)" = 0x2 ] || fail "switch on wrote '$(state NoKey)'"
expect_text 1 err "\"kestrun-cli: 'State 4' could not be disabled: set by policy\"" disable --name 'State 4'
expect_text 1 err '*"uninstall the app"*' remove --name Helper
expect_rc 0 undo
[[ $out == "undone: #"*" switch-on 'No key' (Packaged Apps)" ]] || fail "undo of a switch: '$out'"
wine reg query "$am\\SystemAppData\\$fam\\NoKey" </dev/null >/dev/null 2>&1 && fail "undo left the key it should take away"
echo '[{"name": "State 2", "location": "Packaged Apps", "state": "disabled"}, {"name": "State 3", "location": 512, "state": "disabled"}]' >"$drive/packaged.json"
expect_text 1 out '"differs: 1 of 2 entries; "*' check 'C:\packaged.json'
expect_rc 0 apply 'C:\packaged.json'
expect_text 0 out '"matches: 2 entries as wanted"' check 'C:\packaged.json'
[ "$(state S2)" = 0x1 ] || fail "apply wrote '$(state S2)'"
expect_rc 0 history --json
python3 - "$schema" "$out" <<'PY' || fail "history --json of packaged switches: $out"
import json, sys, jsonschema
schema = json.load(open(sys.argv[1], encoding="utf-8"))
v = jsonschema.Draft202012Validator({"$ref": "#/$defs/journalRecord", "$defs": schema["$defs"]})
for r in json.loads(sys.argv[2]): v.validate(r)
assert any(r["action"] == "switch-off" and r["from"]["absent"] == "key" for r in json.loads(sys.argv[2]))
PY

# --- links, forged places and stopped moves: nothing is written or read through a link or outside the
#     folder the system names, the refusal says why, and a move stopped half way is finished ---
win_journal="C:\\users\\$user_name\\AppData\\Local\\Tamsel Soft\\Kestrun"
user_disabled="$(dirname "$user_startup")/Disabled Startup Items"
forge() { python3 -c 'import json, sys; print(json.dumps(eval(sys.argv[1])))' "$1" >>"$journal_home/journal.jsonl"; }
elsewhere() { rm -rf "$drive/elsewhere"; mkdir -p "$drive/elsewhere/$1"; }
untouched() { [ -z "$(find "$drive/elsewhere" -mindepth 1 ! -type d)" ] || fail "$1: $(find "$drive/elsewhere" ! -type d)"; }
# A Startup folder any program of the user can point anywhere: listed, but nothing is changed there.
reg add "$sf" /v Startup /d 'C:\windows\system32'
mkdir -p "$journal_home/removed/950" && printf evil >"$journal_home/removed/950/evil.dll"
printf victim >"$drive/windows/system32/victim.txt"
forge "{'id': 950, 'action': 'remove', 'location': 4, 'name': 'evil.dll', 'from': {'place': r'C:\windows\system32',
        'path': r'C:\windows\system32\evil.dll', 'backup': r'$win_journal\removed\950\evil.dll'}}"
forge "{'id': 951, 'action': 'create', 'location': 4, 'name': 'victim.txt',
        'to': {'place': r'C:\windows\system32', 'path': r'C:\windows\system32\victim.txt'}}"
expect_text 1 err "*\"cannot undo #950\"*\"system32 is not inside the user's profile\"*" undo 950
expect_text 1 err "*\"cannot undo #951\"*\"system32 is not inside the user's profile\"*" undo 951
expect_text 1 err "*\"is not inside the user's profile\"*" disable --name victim.txt --location 4
[ -e "$drive/windows/system32/evil.dll" ] && fail "undo wrote into system32"
[ "$(cat "$drive/windows/system32/victim.txt")" = victim ] || fail "a file of system32 was deleted or moved"
reg add "$sf" /v Startup /d "$win_startup"
# Undo of a remove through a link planted under the entry's name, or through a linked Startup folder.
printf B >"$user_startup/dangle.lnk" && expect_rc 0 remove --name dangle.lnk
ln -s "$drive/windows/dangled.lnk" "$user_startup/dangle.lnk"
cli undo >/dev/null
[ -e "$drive/windows/dangled.lnk" ] && fail "undo wrote through a dangling link"
printf C >"$user_startup/viajunction.lnk" && expect_rc 0 remove --name viajunction.lnk
elsewhere x && mv "$user_startup" "$user_startup.real" && ln -s "$drive/elsewhere" "$user_startup"
expect_text 1 err '*"StartUp is a link or junction"*' undo
untouched "undo through a linked Startup folder"
rm "$user_startup" && mv "$user_startup.real" "$user_startup"
expect_rc 0 undo
# A linked parking folder, a linked "Tamsel Soft" or "Kestrun": refused, nothing made or written there.
printf D >"$user_startup/parkme.lnk"
elsewhere x && rm -rf "$user_disabled" && ln -s "$drive/elsewhere" "$user_disabled"
expect_text 1 err '*"Disabled Startup Items is a link or junction"*' disable --name parkme.lnk
untouched "disable through a linked parking folder"
rm "$user_disabled"
for level in "$vendor" "$journal_home"; do
  elsewhere Kestrun && mv "$level" "$level.real" && ln -s "$drive/elsewhere" "$level"
  expect_text 1 err "*\"$(basename "$level") is a link or junction: Kestrun does not go through one\"*" remove --name parkme.lnk
  [ -e "$user_startup/parkme.lnk" ] || fail "parkme.lnk removed without its copy"
  [ -z "$(find "$drive/elsewhere" -mindepth 1 ! -path "$drive/elsewhere/Kestrun")" ] ||
    fail "made through a linked $(basename "$level"): $(find "$drive/elsewhere" -mindepth 1)"
  rm "$level" && mv "$level.real" "$level"
done
# A kept copy swapped for a folder link, or for a hard link to another file, is not restored.
printf G >"$user_startup/gee.lnk" && expect_rc 0 remove --name gee.lnk
kept=$(dirname "$(ls -d "$journal_home"/removed/*/gee.lnk)")
elsewhere x && printf 'not G' >"$drive/elsewhere/gee.lnk" && rm -r "$kept" && ln -s "$drive/elsewhere" "$kept"
expect_text 1 err '*"is a link or junction"*' undo
rm "$kept" && mkdir "$kept" && ln "$drive/elsewhere/gee.lnk" "$kept/gee.lnk"
expect_text 1 err '*"has other names (hard links)"*' undo
[ -e "$user_startup/gee.lnk" ] && fail "undo restored another file's bytes"
# A park stopped in its copy leaves no cut-short file under the entry's name; the next run finishes it.
head -c 50000000 /dev/urandom >"$drive/big.bin" && cp "$drive/big.bin" "$user_startup/big.bin"
wine "$exe" disable --name big.bin </dev/null >/dev/null 2>&1 &
pid=$!
for i in $(seq 1000); do [ -n "$(ls -A "$user_disabled" 2>/dev/null)" ] && break; sleep 0.005; done
kill -9 $pid; wait $pid 2>/dev/null
[ ! -e "$user_disabled/big.bin" ] || cmp -s "$drive/big.bin" "$user_disabled/big.bin" || fail "a cut-short big.bin is parked"
expect_rc 0 disable --name big.bin
cmp -s "$drive/big.bin" "$user_disabled/big.bin" && [ ! -e "$user_startup/big.bin" ] || fail "big.bin not parked whole"
# The same bytes in both places, a file or a value: disable, enable and apply finish the move.
reg add "$cv\\Run" /v halfway /d 'C:\h.exe' && reg add "$cv\\Run-" /v halfway /d 'C:\h.exe'
cp "$user_disabled/big.bin" "$user_startup/big.bin"
expect_rc 0 enable --name big.bin
expect_rc 0 disable --name halfway
reg add "$cv\\Run" /v halfway /d 'C:\h.exe'
printf '[{"name": "halfway", "location": "HKCU Run", "state": "enabled"}]' >"$drive/half.json"
expect_rc 0 apply 'C:\half.json'
{ has "$cv\\Run" halfway && ! has "$cv\\Run-" halfway && [ ! -e "$user_disabled/big.bin" ]; } ||
  fail "a move stopped half way was not finished"
# A journal at the top of its ids refuses a removal with the reason; nothing wraps round.
forge "{'id': 9223372036854775807, 'action': 'park', 'location': 1, 'name': 'top'}"
expect_text 1 err "*\"the journal's ids have reached the top of their range\"*" remove --name big.bin
[ -e "$user_startup/big.bin" ] || fail "a removal the journal could not record went ahead"
# A reader of a large journal never stops its rotation; a change reads only its end.
python3 -c 'import json, sys; line = json.dumps({"id": 1, "action": "park", "location": 1, "name": "x" * 200})
sys.stdout.write((line + "\n") * 150000)' >"$journal_home/journal.jsonl"
wine "$exe" history </dev/null >/dev/null 2>&1 &
sleep 1
expect_rc 0 disable --name halfway
wait
[[ $err == *warning* ]] && fail "rotation while history read the journal: '$err'"
[ "$(wc -c <"$journal_home/journal.jsonl")" -lt 10000 ] || fail "the journal was not rotated"

finish cli
