#!/usr/bin/env bash
# The sample entries tools/start.sh seeds into a new prefix: one of each kind, each where Kestrun
# looks for it, each naming a program the prefix really has, none in the user's journal; and
# tools/kestrun-cli.sh in that prefix: Linux paths, exit codes.
#   samples_test.sh KESTRUN-CLI.exe
set -euo pipefail
cli=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../wine/prefix.sh"
kt_new_prefix
trap kt_drop_prefix EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$here/../../tools/seed-samples.sh" "$cli" || fail "seeding failed"
listing=$(wine "$cli" list --json </dev/null 2>/dev/null) || fail "kestrun-cli list failed"
python3 - "$listing" "$WINEPREFIX" <<'PY' || fail "sample entries"
import json, os, sys
entries, prefix = json.loads(sys.argv[1]), sys.argv[2]
samples = sorted((e["state"], e["locationName"], e["name"]) for e in entries if e["name"].startswith("Sample"))
want = sorted([("enabled", "HKCU Run", "Sample host name"),
               ("enabled", "HKLM Run", "Sample user name"),
               ("enabled", "HKCU RunServices", "Sample network settings"),
               ("disabled", "HKCU Run", "Sample parked entry"),
               ("enabled", "User Startup", "Sample shortcut.lnk"),
               ("enabled", "Packaged Apps", "Sample packaged app")])
ok = samples == want
if not ok:
    print("samples:", samples)
for e in entries:
    if not e["name"].startswith("Sample") or e["name"].endswith(".lnk"):
        continue
    program = e["path"] if e["kind"] == "packaged" else e["path"].split(" ")[0]
    unix = os.path.join(prefix, "drive_c", *program[3:].split("\\"))
    if not os.path.isfile(unix):
        ok = False
        print("missing program:", e["name"], program)
sys.exit(0 if ok else 1)
PY
history=$(wine "$cli" history --json </dev/null 2>/dev/null) || fail "kestrun-cli history failed"
[ "$(tr -d ' \r\n' <<<"$history")" = "[]" ] || fail "seeding entered the journal: $history"

runner() { KESTRUN_BUILD=$(dirname "$(dirname "$cli")") "$here/../../tools/kestrun-cli.sh" "$@" </dev/null 2>/dev/null; }
state=$(mktemp -d)
trap 'rm -rf "$state"; kt_drop_prefix' EXIT
runner export "$state/state.json" || fail "runner: export to a Linux path"
grep -q '"Sample host name"' "$state/state.json" || fail "runner: nothing exported"
sed -i 's/"disabled"/"enabled"/' "$state/state.json"
rc=0; out=$(runner check "$state/state.json") || rc=$?
[ $rc -eq 1 ] && [[ $out == "differs: 1 of "* ]] || fail "runner: check exited $rc: '$out'"
echo "samples: all 6 listed where expected, each program present; the journal empty; the runner exports and checks"
