#!/usr/bin/env bash
# What the release holds, read back without Wine: names, checksums, the zip's contents, the
# executables' size, version resource, icon, symbols and signature, the MSI's files, properties, summary and
# signature, and the winget manifest.
#   files_test.sh RELEASE_DIR VERSION     (RELEASE_DIR as left by repro_test.sh)
set -euo pipefail
release=$1 version=$2
here=$(cd "$(dirname "$0")" && pwd)
dist=$release/dist name=Kestrun-$version-x64
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

[ -f "$dist/$name.msi" ] && [ -f "$dist/$name.zip" ] || fail "no $name.msi / $name.zip in dist/"
[ "$(cut -d' ' -f3 "$dist/SHA256SUMS" | tr '\n' ' ')" = "$name.msi $name.zip " ] || fail "SHA256SUMS names: $(cat "$dist/SHA256SUMS")"
[ "$(unzip -Z1 "$dist/$name.zip" | tr '\n' ' ')" = "Kestrun/Kestrun.exe Kestrun/Kestrun.chm Kestrun/kestrun-cli.exe Kestrun/README.txt " ] ||
  fail "zip contents: $(unzip -Z1 "$dist/$name.zip" | tr '\n' ' ')"
unzip -tq "$dist/$name.zip" >/dev/null || fail "the zip does not test clean"

msiextract -C "$work/msi" "$dist/$name.msi" >/dev/null || fail "msiextract cannot read the MSI"
for f in Kestrun.exe Kestrun.chm kestrun-cli.exe; do
  unzip -p "$dist/$name.zip" "Kestrun/$f" | cmp -s - "$work/msi/Tamsel Soft/Kestrun/$f" ||
    fail "$f: the zip's and the MSI's differ (or one is missing)"
done

# Signed with release_repro's throw-away certificate: the MSI, and both programs in the zip and in it.
verify() {
  osslsigncode verify -CAfile "$release/signing-root.pem" -in "$1" >"$work/verify.log" 2>&1 ||
    fail "$2 does not verify: $(grep -im2 'fail\|error' "$work/verify.log" | tr '\n' ' ')"
}
verify "$dist/$name.msi" "$name.msi"
for f in Kestrun.exe kestrun-cli.exe; do
  unzip -p "$dist/$name.zip" "Kestrun/$f" >"$work/$f"
  verify "$work/$f" "the zip's $f"
  verify "$work/msi/Tamsel Soft/Kestrun/$f" "the MSI's $f"
done
# Shipped, signed: at most 1.0 MiB each (kestrun-cli.exe is near 600 KB without iostreams: a stream
# brought back would bring their locales, some 900 KB, and fail here).
for limit in Kestrun.exe=1048576 kestrun-cli.exe=1048576; do
  size=$(stat -c %s "$work/${limit%=*}")
  [ "$size" -le "${limit#*=}" ] || fail "${limit%=*} is $size bytes, more than its ${limit#*=}"
done

# The libraries loaded at their first call stay out of the window's start: a call not listed in
# cmake/delayload would link (shell32 is linked by default) and load its library before WinMain again.
imports=$(x86_64-w64-mingw32-objdump -p "$release/files/Kestrun.exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
for dll in comdlg32 crypt32 ole32 oleacc oleaut32 shell32 shlwapi version wintrust; do
  grep -qx "$dll.dll" <<<"$imports" && fail "Kestrun.exe loads $dll.dll at start"
done

for exe in Kestrun.exe kestrun-cli.exe; do
  info=$("$here/versioninfo.py" "$release/files/$exe") || { fail "$exe: no version resource"; continue; }
  for expect in "Fixed.FileVersion=$version.0" "Fixed.ProductVersion=$version.0" "FileVersion=$version.0" \
                "ProductVersion=$version" "ProductName=Kestrun" "CompanyName=Tamsel Soft" \
                "OriginalFilename=$exe" "LegalCopyright=Copyright (C) "*" Tamsel Soft" "FileDescription=?*"; do
    found=0
    while IFS= read -r line; do [[ $line == $expect ]] && found=1; done <<<"$info"
    [ $found -eq 1 ] || fail "$exe: no '$expect' in its version resource"
  done
  wrestool -x --type=14 "$release/files/$exe" >"$work/icon.ico"
  sizes=$(icotool -l "$work/icon.ico" 2>/dev/null | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | tr '\n' ' ')
  [ "$sizes" = "16 32 48 256 " ] || fail "$exe: icon sizes '$sizes', expected 16 32 48 256"
  x86_64-w64-mingw32-objdump -h "$release/files/$exe" | grep -q '\.debug_' && fail "$exe carries debug sections"
  [ -z "$(x86_64-w64-mingw32-nm "$release/files/$exe" 2>/dev/null | head -n1)" ] || fail "$exe is not stripped"
done

property() { msiinfo export "$dist/$name.msi" Property | tr -d '\r' | sed -n "s/^$1\t//p"; }
[ "$(property ProductVersion)" = "$version" ] || fail "MSI ProductVersion $(property ProductVersion)"
[ "$(property Manufacturer)" = "Tamsel Soft" ] || fail "MSI Manufacturer $(property Manufacturer)"
[ -n "$(property ARPHELPLINK)" ] || fail "MSI has no help link"
summary=$(msiinfo suminfo "$dist/$name.msi")
grep -q '^Template: x64;1033$' <<<"$summary" || fail "MSI template is not x64;1033"
grep -q "^Subject: Kestrun $version$" <<<"$summary" || fail "MSI subject: $(grep Subject <<<"$summary")"

# The winget manifest: each field it states about the package, against the MSI it names.
copyright=$("$here/versioninfo.py" "$release/files/Kestrun.exe" | sed -n 's/^LegalCopyright=//p')
expected="TamselSoft.Kestrun $version $(property Manufacturer) $(property ProductName) x64 wix machine
$(sha256sum "$dist/$name.msi" | cut -d' ' -f1 | tr a-f A-F) $(property ProductCode) $name.msi $copyright"
stated=$(python3 - "$dist/winget" <<'EOF'
import glob, sys, yaml
m = {d["ManifestType"]: d for d in (yaml.safe_load(open(f)) for f in glob.glob(sys.argv[1] + "/*.yaml"))}
v, i, l = m["version"], m["installer"], m["defaultLocale"]
assert len({(x["PackageIdentifier"], x["PackageVersion"], x["ManifestVersion"]) for x in m.values()}) == 1
assert v["DefaultLocale"] == l["PackageLocale"] and l["License"], "locale or licence"
x = i["Installers"][0]
print(v["PackageIdentifier"], v["PackageVersion"], l["Publisher"], l["PackageName"], x["Architecture"],
      i["InstallerType"], i["Scope"])
print(x["InstallerSha256"], x["ProductCode"], x["InstallerUrl"].rsplit("/", 1)[1], l["Copyright"])
EOF
) || fail "the winget manifest cannot be read"
[ "$stated" = "$expected" ] || fail "winget manifest: '$stated', expected '$expected'"

[ $failures -eq 0 ] || exit 1
echo "release files: 1 passed, 0 failed"
