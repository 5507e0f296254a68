#!/usr/bin/env bash
# What --verify costs: `kestrun-cli list --json --verify` over 1,000 HKCU Run entries pointing at 100
# distinct signed files (each file checked once), against `list --json` of the same entries in the
# same prefix. Usage: verify_bench.sh kestrun-cli.exe signee.exe winprobe.exe
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$1
signee=$2
probe=$3
. "$root/tests/wine/prefix.sh"
. "$root/tests/cli/signing.sh"
kt_new_prefix
work=$(mktemp -d)
trap 'rm -rf "$work"; kt_drop_prefix' EXIT

signed="$WINEPREFIX/drive_c/Signed"
mkdir -p "$signed"
kt_sign_copies "$signee" "$work"
for i in $(seq -w 0 99); do cp "$work/signed.exe" "$signed/app$i.exe"; done
kt_tries kt_quiet wine "$probe" trust "$(winepath -w "$work/root.der")"
{
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n'
  for i in $(seq 0 999); do printf '"Program %04d"="\\"C:\\\\Signed\\\\app%02d.exe\\" /background"\r\n' "$i" $((i % 100)); done
} >"$work/run.reg"
kt_quiet wine regedit /s "$(winepath -w "$work/run.reg")"

. "$root/bench/timing.sh"

plain=() verify=()
for _ in 1 2 3; do
  plain+=("$(seconds wine "$exe" list --json)")
  verify+=("$(seconds wine "$exe" list --json --verify)")
  signed_count=$(grep -c '"signature": "signed"' "$work/out" || true)
  [ "$signed_count" = 1000 ] || { echo "list --verify found $signed_count signed entries, expected 1000"; exit 1; }
done
p=$(median "${plain[@]}")
v=$(median "${verify[@]}")
printf 'list --json (1,000 entries): %.2f s; list --json --verify (100 distinct signed files): %.2f s; ratio %s (median of 3)\n' \
  "$p" "$v" "$(awk -v p="$p" -v v="$v" 'BEGIN { printf "%.2f", v / p }')"
