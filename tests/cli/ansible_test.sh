#!/usr/bin/env bash
# A real Ansible run (Debian's ansible-core) against localhost: the playbook calls kestrun-cli apply
# under Wine. Check mode reports a change and makes none; the first run changes; the second is ok.
# Usage: ansible_test.sh path/to/kestrun-cli.exe
set -u
exe=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/harness.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrun-ansible.XXXXXX")
trap 'kt_drop_prefix; rm -rf "$work"' EXIT
reg add "$cv\\Run" /v Updater /d 'C:\updater.exe /background'
cat >"$drive/startup-state.json" <<'JSON'
[{"name": "Updater", "location": "HKCU Run", "state": "disabled"}]
JSON

export KESTRUN_CLI=$exe KESTRUN_STATE='C:\startup-state.json'
# Ansible's own files stay in the test's folder; no colours, no retry files, no cows.
export HOME=$work ANSIBLE_LOCAL_TEMP=$work/tmp ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_NOCOWS=1
export ANSIBLE_LOCALHOST_WARNING=0 ANSIBLE_INVENTORY_UNPARSED_WARNING=0
play() { ansible-playbook -i localhost, "$here/ansible/apply-local.yml" "$@" </dev/null; }
recap() { grep -E '^localhost +:' <<<"$1"; }
parked() { has "$cv\\Run-" Updater; }

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
echo '[{"name": "Nowhere", "state": "enabled"}]' >"$drive/startup-state.json"
out=$(play) && fail "a missing entry did not fail the play"
[[ $(recap "$out") == *"failed=1"* ]] || fail "missing entry: $(recap "$out")"

# What docs/fleet ships: the Windows playbook runs the same command and judges it as the one above;
# its sample file is valid.
python3 - "$here/../../docs/fleet" <<'PY' || fail "docs/fleet"
import json, sys, yaml, jinja2, jsonschema
fleet = sys.argv[1]
play = yaml.safe_load(open(fleet + "/kestrun-startup.yml", encoding="utf-8"))[0]
task = play["tasks"][-1]
cmd = jinja2.Environment().from_string(task["ansible.windows.win_command"]["cmd"])
run = '"C:\\Program Files\\Tamsel Soft\\Kestrun\\kestrun-cli.exe" apply "C:\\ProgramData\\Tamsel Soft\\Kestrun\\startup-state.json" --json'
for check, want in [(False, run), (True, run + " --dry-run")]:
    got = cmd.render(ansible_check_mode=check, **play["vars"])
    assert got == want, (check, got)
assert task["changed_when"] == "(kestrun.stdout_lines | last | from_json).changed > 0" and task["check_mode"] is False
schema = json.load(open(fleet + "/../kestrun-cli.schema.json", encoding="utf-8"))
jsonschema.Draft202012Validator({"$ref": "#/$defs/desiredState", "$defs": schema["$defs"]}).validate(
    json.load(open(fleet + "/startup-state.json", encoding="utf-8")))
PY
finish cli_ansible
