#!/usr/bin/env bash
# kestrun-cli for scripts and fleets, under Wine in a throw-away prefix: the JSON it writes validated
# against the published schema (docs/kestrun-cli.schema.json), selection without --location, export,
# apply and check (idempotence, exit codes, Intune's one-line contract), history and undo.
# Usage: state_test.sh path/to/kestrun-cli.exe
set -u
exe=$1
here=$(cd "$(dirname "$0")" && pwd)
schema="$here/../../docs/kestrun-cli.schema.json"
. "$here/harness.sh"
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
journal_home=$(ls -d "$drive"/users/*/AppData/Local | head -1)/Tamsel\ Soft/Kestrun

# --- seed ---
reg delete "$mv\\RunServices" /v winemenubuilder
reg add "$cv\\Run" /v plain /d 'C:\windows\system32\notepad.exe /a b'
reg add "$cv\\Run" /v expand /t REG_EXPAND_SZ /d '%SystemRoot%\system32\notepad.exe -x'
reg add "$cv\\Run" /v spaced /d 'C:\Program Files\Internet Explorer\iexplore.exe -k'
reg add "$cv\\Run" /v quoted /d '"C:\Program Files\No Such\app.exe" /q'
reg add "$cv\\Run" /v Dup /d 'C:\user-dup.exe'
reg add "$mv\\Run" /v dup /d 'C:\machine-dup.exe'
printf 'echo \377 bytes\r\n' >"$user_startup/tool.bat"

# --- list --json and --jsonl: the schema, and the split of each command ---
expect_rc 0 list --json
list_json=$out
validate "" "$out" || fail "list --json does not match the schema"
python3 - "$out" <<'PY' || fail "list --json facts"
import json, sys
e = {(x["name"], x["locationName"]): x for x in json.loads(sys.argv[1])}
def want(key, **fields):
    got = {k: e[key][k] for k in fields}
    assert got == fields, (key, got)
run = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
want(("plain", "HKCU Run"), source=run, scope="user", valueType="REG_SZ", command="C:\\windows\\system32\\notepad.exe /a b",
     executable="C:\\windows\\system32\\notepad.exe", arguments="/a b", targetExists=True)
want(("expand", "HKCU Run"), valueType="REG_EXPAND_SZ", command="%SystemRoot%\\system32\\notepad.exe -x",
     executable="C:\\windows\\system32\\notepad.exe", arguments="-x", targetExists=True)
want(("spaced", "HKCU Run"), executable="C:\\Program Files\\Internet Explorer\\iexplore.exe", arguments="-k", targetExists=True)
want(("quoted", "HKCU Run"), executable="C:\\Program Files\\No Such\\app.exe", arguments="/q", targetExists=False)
want(("dup", "HKLM Run"), scope="machine", source="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run")
want(("tool.bat", "User Startup"), valueType="file", scope="user", targetExists=True)
PY
expect_rc 0 list --jsonl
python3 - "$out" "$list_json" <<'PY' || fail "list --jsonl is not list --json one object a line"
import json, sys
lines = sys.argv[1].strip("\n").split("\n")
assert [json.loads(l) for l in lines] == json.loads(sys.argv[2])
PY
while IFS= read -r line; do validate entry "$line" || fail "a --jsonl line does not match: $line"; done <<<"$out"

# --- selection: --location only when the name is in several places (names ignore case) ---
expect_rc 1 disable --name DUP
[[ $err == *"2 places"*"--location"*"HKCU Run"*"HKLM Run"* ]] || fail "several places not listed: '$err'"
expect_rc 0 disable --name PLAIN --dry-run
[[ $out == "would disable:"*plain* ]] || fail "selection by name alone: '$out'"

# --- export ---
expect_rc 0 export
validate desiredState "$out" || fail "export does not match the schema"
exported=$out
expect_rc 0 export 'C:\state.json'
[ "$(tr -d '\r' <"$drive/state.json")" = "$exported" ] || fail "export FILE differs from stdout"

# --- apply: changes, idempotence, failures, dry run, exit codes ---
cat >"$drive/want.json" <<'JSON'
[{"name": "plain", "location": "HKCU Run", "state": "disabled"},
 {"name": "EXPAND", "state": "enabled"},
 {"name": "tool.bat", "location": 4, "state": "disabled"},
 {"name": "dup", "location": "HKLM Run", "state": "disabled"}]
JSON
expect_rc 1 check 'C:\want.json'
[ -z "$err" ] || fail "check wrote to stderr: '$err'"
[[ $out == "differs: 3 of 4 entries"* && $(printf '%s' "$out" | wc -l) -eq 0 ]] || fail "check summary: '$out'"
expect_rc 0 apply 'C:\want.json' --dry-run --json
validate applyResult "$out" || fail "apply --dry-run --json does not match"
[ "$(python3 -c 'import json,sys; d=json.loads(sys.argv[1]); print(d["changed"], d["failed"], d["dryRun"])' "$out")" = "3 0 True" ] ||
  fail "dry run summary: $out"
expect_rc 1 check 'C:\want.json'  # the dry run changed nothing
expect_rc 0 apply 'C:\want.json' --json
validate applyResult "$out" || fail "apply --json does not match"
summary=$(printf '%s\n' "$out" | tail -n 1)
[ "$(python3 -c 'import json,sys; d=json.loads(sys.argv[1]); print(d["changed"], d["failed"], sorted(c["result"] for c in d["changes"]))' "$summary")" = \
  "3 0 ['changed', 'changed', 'changed']" ] || fail "apply summary: $summary"
[ -e "$user_startup/../Disabled Startup Items/tool.bat" ] || fail "tool.bat not parked"
expect_rc 0 apply 'C:\want.json' --json
[[ $out == '{"changed":0,"failed":0,'* ]] || fail "second apply changed something: $out"
expect_rc 0 check 'C:\want.json'
[[ $out == "matches: 4 entries as wanted" && -z $err ]] || fail "check after apply: '$out' '$err'"
expect_rc 0 apply 'C:\want.json'
[[ $out == "0 changed, 0 failed" ]] || fail "apply text: '$out'"

cat >"$drive/bad.json" <<'JSON'
[{"name": "absent", "state": "enabled"}, {"name": "dup", "state": "enabled"}, {"name": "spaced", "state": "disabled"}]
JSON
expect_rc 1 apply 'C:\bad.json' --json
python3 - "$out" <<'PY' || fail "failures reported: $out"
import json, sys
d = json.loads(sys.argv[1])
assert (d["changed"], d["failed"]) == (1, 2), d
errors = sorted(c.get("error", "") for c in d["changes"] if c["result"] == "failed")
assert "no entry 'absent'" in errors[1] and "--location" in errors[0], errors
PY
wine reg query "$cv\\Run-" /v spaced </dev/null >/dev/null 2>&1 || fail "the rest was not applied after a failure"
expect_rc 1 check 'C:\bad.json'

# Intune: one line of at most 2,048 characters, however much differs; 3 when the file cannot be read.
python3 -c 'import json; print(json.dumps([{"name": "missing-%04d" % i, "state": "enabled"} for i in range(300)]))' >"$drive/many.json"
expect_rc 1 check 'C:\many.json'
[ "${#out}" -le 2048 ] && [ "$(printf '%s' "$out" | wc -l)" -eq 0 ] || fail "check summary too long: ${#out}"
expect_rc 3 check 'C:\nothing.json'
[ -z "$err" ] || fail "check wrote to stderr: '$err'"
echo '[{"name": 1}' >"$drive/broken.json"
expect_rc 3 check 'C:\broken.json'
expect_rc 2 apply 'C:\broken.json'
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
assert [(r["action"], r["name"], r["program"]) for r in records] == [
    ("park", "plain", "console"), ("park", "dup", "console"), ("park", "tool.bat", "console"),
    ("park", "spaced", "console")], records
PY
expect_rc 0 undo
[[ $out == "undone: #4 park 'spaced' (HKCU Run)" ]] || fail "undo output: '$out'"
wine reg query "$cv\\Run" /v spaced </dev/null >/dev/null 2>&1 || fail "spaced not back in Run"
expect_rc 0 undo
[[ $out == "undone: #3 park 'tool.bat' (User Startup)" ]] || fail "second undo: '$out'"
cmp -s <(printf 'echo \377 bytes\r\n') "$user_startup/tool.bat" || fail "tool.bat not back byte for byte"
expect_rc 1 undo 3
[[ $err == *"undone already, by #6"* ]] || fail "undo twice: '$err'"
# An entry changed since its change was made is left alone.
reg add "$mv\\Run-" /v dup /d 'C:\edited.exe'
expect_rc 1 undo 2
[[ $err == *"changed since"* ]] || fail "undo over a change: '$err'"
expect_rc 1 undo 99
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

# --- a journal folder that cannot be made: parking works with a warning, removing is refused ---
vendor=$(dirname "$journal_home")
rm -rf "$vendor"
: >"$vendor"  # a file where the folder "Tamsel Soft" would go
expect_rc 0 enable --name plain
[[ $err == *"warning:"*"cannot be undone"* ]] || fail "no warning without a journal: '$err'"
[ "$(printf '%s\n' "$err" | grep -c warning)" -eq 1 ] || fail "more than one warning: '$err'"
expect_rc 1 remove --name plain
[[ $err == *"'plain' was not removed"* ]] || fail "remove without a journal: '$err'"
wine reg query "$cv\\Run" /v plain </dev/null >/dev/null 2>&1 || fail "plain removed without a journal"

finish cli_state
