#!/usr/bin/env bash
# Builds Kestrun's release into dist/: the MSI, the portable zip and SHA256SUMS. Two runs of the same
# commit, in any two folders, give the same bytes: every date comes from the last commit's time
# (SOURCE_DATE_EPOCH), and no folder name of the checkout reaches the files.
#   KESTRUN_RELEASE_BUILD   build folder (default build-release/; emptied when built for another commit)
#   KESTRUN_DIST            output folder (default dist/)
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

# The time is no input ninja knows of: a build not finished for this very commit time starts over.
stamp=$build/release-epoch
if [ -f "$build/CMakeCache.txt" ] && [ "$(cat "$stamp" 2>/dev/null)" != "$epoch" ]; then
  rm -rf "$build"
fi
mkdir -p "$build"
build=$(cd "$build" && pwd)
stamp=$build/release-epoch
# The shipped programs and the help only; stripped, and with the checkout's folders mapped away
# (the build folder last: of two maps that match, GCC takes the one given last).
maps="-ffile-prefix-map=$root=. -ffile-prefix-map=$build=build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DKESTRUN_TESTS=OFF \
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
chmod 0644 "$stage/Kestrun/"*
touch -d "@$epoch" "$stage/Kestrun/"* "$stage/Kestrun"

mkdir -p "$dist"
rm -f "$dist"/Kestrun-*-x64.msi "$dist"/Kestrun-*-x64.zip "$dist/SHA256SUMS"
"$root/installer/build-msi.sh" "$version" "$stage/Kestrun" "$build/art/kestrun.ico" "$dist/$name.msi"
# -X: no owner or extended times; -D: no folder entries. The order is the one listed here.
(cd "$stage" && zip -q -X -D "$dist/$name.zip" \
  Kestrun/Kestrun.exe Kestrun/Kestrun.chm Kestrun/kestrun-cli.exe Kestrun/README.txt)
touch -d "@$epoch" "$dist/$name.zip"
(cd "$dist" && sha256sum "$name.msi" "$name.zip" >SHA256SUMS)
echo "Release $version in $dist:"
cat "$dist/SHA256SUMS"
