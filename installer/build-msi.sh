#!/usr/bin/env bash
# Builds Kestrun's MSI from a folder holding Kestrun.exe, Kestrun.chm and kestrun-cli.exe, the same
# bytes every run: wixl picks a random package code and stamps the clock into the package, so the
# codes are derived from the version and the inputs, the input times and the clock are pinned to
# SOURCE_DATE_EPOCH, and the summary information is rewritten with msibuild.
#   installer/build-msi.sh VERSION FILES_DIR ICON OUTPUT.msi     (SOURCE_DATE_EPOCH must be set)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
usage="usage: build-msi.sh VERSION FILES_DIR ICON OUTPUT.msi"
version=${1:?$usage} files=${2:?$usage} icon=${3:?$usage} out=${4:?$usage}
epoch=${SOURCE_DATE_EPOCH:?build-msi.sh: SOURCE_DATE_EPOCH is not set}
fail() { echo "build-msi.sh: $*" >&2; exit 1; }

# Windows Installer compares only the first three fields, each within its range.
[[ $version =~ ^([0-9]+)\.([0-9]+)\.([0-9]+)$ ]] || fail "version '$version' is not MAJOR.MINOR.PATCH"
[ "${BASH_REMATCH[1]}" -le 255 ] && [ "${BASH_REMATCH[2]}" -le 255 ] && [ "${BASH_REMATCH[3]}" -le 65535 ] ||
  fail "version '$version' is out of the installer's range (255.255.65535)"
for f in Kestrun.exe Kestrun.chm kestrun-cli.exe; do [ -f "$files/$f" ] || fail "missing $files/$f"; done
[ -f "$icon" ] || fail "missing icon $icon"
for tool in wixl msibuild faketime; do command -v $tool >/dev/null || fail "$tool is missing: run tools/setup.sh"; done

# guid TEXT: a name-based GUID (RFC 4122 version 5 layout) from the SHA-256 of TEXT.
guid() {
  local h
  h=$(printf '%s' "$1" | sha256sum | tr 'a-f' 'A-F')
  printf '%s-%s-5%s-%s%s-%s' "${h:0:8}" "${h:8:4}" "${h:13:3}" \
    "$(printf '%X' $(( (0x${h:16:1} & 3) | 8 )))" "${h:17:3}" "${h:20:12}"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$files/Kestrun.exe" "$files/Kestrun.chm" "$files/kestrun-cli.exe" "$work/"
cp "$icon" "$work/Kestrun.ico"
touch -d "@$epoch" "$work"/*
inputs=$(cd "$work" && sha256sum Kestrun.exe Kestrun.chm kestrun-cli.exe Kestrun.ico)

# One product code per version (a major upgrade needs a new one); the package code also follows
# the files, since two packages with different contents must never share one.
product_code=$(guid "Kestrun product $version")
package_code=$(guid "Kestrun package $version $inputs")
clock=$(TZ=UTC date -d "@$epoch" '+%Y-%m-%d %H:%M:%S')
export TZ=UTC
# wixl finds sources only by paths relative to its working folder.
cd "$work"
faketime -f "$clock" wixl -a x64 -D "Version=$version" -D "ProductCode=$product_code" \
  -D "SourceDir=." -D "IconFile=Kestrun.ico" -o out.msi "$here/Kestrun.wxs"
faketime -f "$clock" msibuild out.msi -s "Kestrun $version" "Tamsel Soft" "x64;1033" "{$package_code}"
cd - >/dev/null
mkdir -p "$(dirname "$out")"
cp "$work/out.msi" "$out"
touch -d "@$epoch" "$out"
