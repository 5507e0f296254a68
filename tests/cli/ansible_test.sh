#!/usr/bin/env bash
# A real Ansible run (Debian's ansible-core) against localhost: the playbook calls kestrun-cli apply
# under Wine. Check mode reports a change and makes none; the first run changes; the second is ok.
# Usage: ansible_test.sh path/to/kestrun-cli.exe
set -u
exe=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../wine/prefix.sh"
kt_new_prefix
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrun-ansible.XXXXXX")
trap 'kt_drop_prefix; rm -rf "$work"' EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
cv='HKCU\Software\Microsoft\Windows\CurrentVersion'
wine reg add "$cv\\Run" /v Updater /d 'C:\updater.exe /background' /f >/dev/null 2>&1 </dev/null || fail "seed"
cat >"$WINEPREFIX/drive_c/startup-state.json" <<'JSON'
[{"name": "Updater", "location": "HKCU Run", "state": "disabled"}]
JSON

export KESTRUN_CLI=$exe KESTRUN_STATE='C:\startup-state.json'
# Ansible's own files stay in the test's folder; no colours, no retry files, no cows.
export HOME=$work ANSIBLE_LOCAL_TEMP=$work/tmp ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_NOCOWS=1
export ANSIBLE_LOCALHOST_WARNING=0 ANSIBLE_INVENTORY_UNPARSED_WARNING=0
play() { ansible-playbook -i localhost, "$here/ansible/apply-local.yml" "$@" </dev/null; }
recap() { grep -E '^localhost +:' <<<"$1"; }
parked() { wine reg query "$cv\\Run-" /v Updater </dev/null >/dev/null 2>&1; }

out=$(play --check --diff) || fail "check-mode run failed: $out"
[[ $(recap "$out") == *"changed=1"* ]] || fail "check mode does not report the change: $(recap "$out")"
parked && fail "check mode changed the machine"

out=$(play) || fail "first run failed: $out"
echo "$out"
[[ $(recap "$out") == *"ok=1"*"changed=1"*"failed=0"* ]] || fail "first run: $(recap "$out")"
parked || fail "the first run did not park Updater"

out=$(play) || fail "second run failed: $out"
echo "$out"
[[ $(recap "$out") == *"ok=1"*"changed=0"*"failed=0"* ]] || fail "second run is not idempotent: $(recap "$out")"

# An entry that is not there fails the task (exit 1), and Ansible says so.
echo '[{"name": "Nowhere", "state": "enabled"}]' >"$WINEPREFIX/drive_c/startup-state.json"
out=$(play) && fail "a missing entry did not fail the play"
[[ $(recap "$out") == *"failed=1"* ]] || fail "missing entry: $(recap "$out")"

# What docs/fleet ships: the Windows playbook parses and holds the same task; its sample file is valid.
python3 - "$here/../../docs/fleet" <<'PY' || fail "docs/fleet"
import json, sys, yaml, jsonschema
fleet = sys.argv[1]
play = yaml.safe_load(open(fleet + "/kestrun-startup.yml", encoding="utf-8"))[0]
task = play["tasks"][-1]
assert "ansible.windows.win_command" in task and "--json" in task["ansible.windows.win_command"]["cmd"], task
assert task["changed_when"] == "(kestrun.stdout_lines | last | from_json).changed > 0" and task["check_mode"] is False
schema = json.load(open(fleet + "/../kestrun-cli.schema.json", encoding="utf-8"))
jsonschema.Draft202012Validator({"$ref": "#/$defs/desiredState", "$defs": schema["$defs"]}).validate(
    json.load(open(fleet + "/startup-state.json", encoding="utf-8")))
PY

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "cli_ansible: all checks passed"
