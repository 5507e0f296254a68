#!/usr/bin/env bash
# Builds Kestrun's release into dist/: the MSI, the portable zip, SHA256SUMS and a winget manifest.
# Two runs of the same commit, in any two folders, give the same bytes: every date comes from the last
# commit's time (SOURCE_DATE_EPOCH), and no folder name of the checkout reaches the files.
#   KESTRUN_RELEASE_BUILD   build folder (default build-release/; emptied when built for another commit)
#   KESTRUN_DIST            output folder (default dist/)
#   KESTRUN_DOWNLOAD_URL    where the MSI will be published, for the winget manifest written into
#                           dist/winget/ (default https://www.tamselsoft.example/download)
#   KESTRUN_SIGN_CERT, KESTRUN_SIGN_KEY
#                           a code-signing certificate (PEM, the signing certificate first, then the
#                           rest of its chain) and its private key (PEM, no passphrase): both programs
#                           are signed before they are packed, then the MSI. Without them, unsigned.
#                           The signing time is SOURCE_DATE_EPOCH: signed builds stay byte-identical.
#   KESTRUN_SIGN_TIMESTAMP_URL
#                           optional RFC 3161 time-stamp server, so the signatures outlive the
#                           certificate; its answer differs every time: the release is then NOT
#                           byte-reproducible.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRUN_RELEASE_BUILD:-$root/build-release}
dist=${KESTRUN_DIST:-$root/dist}
fail() { echo "release.sh: $*" >&2; exit 1; }

"$root/tools/setup.sh"

if epoch=$(git -C "$root" log -1 --format=%ct 2>/dev/null) && [ -n "$epoch" ]; then
  [ -z "$(git -C "$root" status --porcelain --untracked-files=no)" ] ||
    echo "release.sh: warning: uncommitted changes are built, but the dates are those of the last commit" >&2
elif [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  epoch=$SOURCE_DATE_EPOCH
else
  fail "cannot read the last commit's time (git log in $root failed): set SOURCE_DATE_EPOCH (seconds since 1970)"
fi
export SOURCE_DATE_EPOCH=$epoch TZ=UTC

cert=${KESTRUN_SIGN_CERT:-} key=${KESTRUN_SIGN_KEY:-}
if [ -n "$cert$key" ]; then
  [ -f "$cert" ] && [ -f "$key" ] || fail "signing needs both KESTRUN_SIGN_CERT and KESTRUN_SIGN_KEY as PEM files"
  command -v osslsigncode >/dev/null || fail "osslsigncode is missing: run tools/setup.sh"
fi
# sign FILE: Authenticode (SHA-256) in place, dated by the server when one is given, else by the commit.
sign() {
  local when=(-time "$epoch")
  [ -z "${KESTRUN_SIGN_TIMESTAMP_URL:-}" ] || when=(-ts "$KESTRUN_SIGN_TIMESTAMP_URL")
  osslsigncode sign -certs "$cert" -key "$key" -h sha256 -n Kestrun -i http://www.tamselsoft.example/ \
    "${when[@]}" -in "$1" -out "$1.signed" >/dev/null || fail "cannot sign $1"
  mv "$1.signed" "$1"
}

# The time is no input ninja knows of: a build not finished for this very commit time starts over.
stamp=$build/release-epoch
if [ -f "$build/CMakeCache.txt" ] && [ "$(cat "$stamp" 2>/dev/null)" != "$epoch" ]; then
  rm -rf "$build"
fi
mkdir -p "$build"
build=$(cd "$build" && pwd)
stamp=$build/release-epoch
# The shipped programs and the help only; stripped, and with the checkout's folders mapped away
# (the build folder last: of two maps that match, GCC takes the one given last); every file
# compiled on its own, with no precompiled header, as releases always were.
maps="-ffile-prefix-map=$root=. -ffile-prefix-map=$build=build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DKESTRUN_TESTS=OFF -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON \
  -DCMAKE_C_FLAGS="$maps" -DCMAKE_CXX_FLAGS="$maps" -DCMAKE_EXE_LINKER_FLAGS="-s" >/dev/null
rm -f "$stamp"
cmake --build "$build" --target Kestrun kestrun-cli kestrun_help
echo "$epoch" >"$stamp"

version=$(sed -n 's/^#define KESTRUN_VERSION "\(.*\)"$/\1/p' "$build/version/KestrunVersion.h")
[ -n "$version" ] || fail "no version in $build/version/KestrunVersion.h"
name=Kestrun-$version-x64

# The portable copy: one folder "Kestrun" with the three files and the README.
stage=$build/stage
rm -rf "$stage"
mkdir -p "$stage/Kestrun"
cp "$build/app/Kestrun.exe" "$build/Kestrun.chm" "$build/cli/kestrun-cli.exe" "$stage/Kestrun/"
cp "$root/README.md" "$stage/Kestrun/README.txt"
if [ -n "$cert" ]; then sign "$stage/Kestrun/Kestrun.exe"; sign "$stage/Kestrun/kestrun-cli.exe"; fi
chmod 0644 "$stage/Kestrun/"*
touch -d "@$epoch" "$stage/Kestrun/"* "$stage/Kestrun"

mkdir -p "$dist"
rm -f "$dist"/Kestrun-*-x64.msi "$dist"/Kestrun-*-x64.zip "$dist/SHA256SUMS"
"$root/installer/build-msi.sh" "$version" "$stage/Kestrun" "$build/art/kestrun.ico" "$dist/$name.msi"
if [ -n "$cert" ]; then sign "$dist/$name.msi"; touch -d "@$epoch" "$dist/$name.msi"; fi
# -X: no owner or extended times; -D: no folder entries. The order is the one listed here.
(cd "$stage" && zip -q -X -D "$dist/$name.zip" \
  Kestrun/Kestrun.exe Kestrun/Kestrun.chm Kestrun/kestrun-cli.exe Kestrun/README.txt)
touch -d "@$epoch" "$dist/$name.zip"
(cd "$dist" && sha256sum "$name.msi" "$name.zip" >SHA256SUMS)

# The winget manifest set (schema 1.6) for the MSI, to be submitted to microsoft/winget-pkgs.
winget=$dist/winget
rm -rf "$winget"
mkdir -p "$winget"
product_code=$(msiinfo export "$dist/$name.msi" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p')
[ -n "$product_code" ] || fail "no ProductCode in $name.msi"
sha=$(sha256sum "$dist/$name.msi" | cut -d' ' -f1 | tr 'a-f' 'A-F')
copyright="Copyright (C) $(date -u -d "@$epoch" +%Y) Tamsel Soft"
id=TamselSoft.Kestrun
package="PackageIdentifier: $id
PackageVersion: $version"
schema='ManifestVersion: 1.6.0'
cat >"$winget/$id.yaml" <<EOF
$package
DefaultLocale: en-US
ManifestType: version
$schema
EOF
cat >"$winget/$id.installer.yaml" <<EOF
$package
InstallerType: wix
Scope: machine
ReleaseDate: $(date -u -d "@$epoch" +%Y-%m-%d)
Installers:
- Architecture: x64
  InstallerUrl: ${KESTRUN_DOWNLOAD_URL:-https://www.tamselsoft.example/download}/$name.msi
  InstallerSha256: $sha
  ProductCode: '$product_code'
ManifestType: installer
$schema
EOF
cat >"$winget/$id.locale.en-US.yaml" <<EOF
$package
PackageLocale: en-US
Publisher: Tamsel Soft
PublisherUrl: http://www.tamselsoft.example/
PackageName: Kestrun
License: Proprietary
Copyright: $copyright
ShortDescription: What starts with Windows, switched off and on.
ManifestType: defaultLocale
$schema
EOF
touch -d "@$epoch" "$winget"/* "$winget"
echo "Release $version in $dist (winget manifest in $winget):"
cat "$dist/SHA256SUMS"
