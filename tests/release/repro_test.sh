#!/usr/bin/env bash
# Two clones of the checkout's last commit, in two folders of different names, each build the release;
# their dist/ folders must hold the same files, byte for byte. The first one's release is kept in
# OUT_DIR for the tests that install it. Uncommitted changes are no part of a release: commit first.
#   repro_test.sh SOURCE_DIR OUT_DIR
set -euo pipefail
src=$1 out=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

# CI may check out as another user than the one running the tests: trust this one folder.
git() { command git -c safe.directory="$src" "$@"; }
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrun-repro-XXXX")
trap 'rm -rf "$work"' EXIT
echo "Release of $(git -C "$src" rev-parse --short HEAD), built twice:"
[ -z "$(git -C "$src" status --porcelain --untracked-files=no)" ] ||
  echo "note: the checkout has uncommitted changes; only the last commit is built"
git clone -q "$src" "$work/a"
git clone -q "$src" "$work/second-checkout"
for tree in a second-checkout; do
  nice -n 10 "$work/$tree/tools/release.sh" >"$work/$tree.log" 2>&1 || { cat "$work/$tree.log" >&2; fail "release.sh failed in $tree"; }
  echo "--- $work/$tree/dist/SHA256SUMS"
  cat "$work/$tree/dist/SHA256SUMS"
done

one=$work/a/dist two=$work/second-checkout/dist
[ "$(ls "$one")" = "$(ls "$two")" ] || fail "the two dist/ folders hold different files: $(ls "$one") / $(ls "$two")"
[ "$(ls "$one" | wc -l)" -eq 3 ] || fail "dist/ should hold the MSI, the zip and SHA256SUMS: $(ls "$one")"
# On a difference, say which shipped file differs first: that names the tool to look at.
explain() {
  for f in "$work"/a/build-release/stage/Kestrun/*; do
    cmp "$f" "$work/second-checkout/build-release/stage/Kestrun/$(basename "$f")" >&2 || true
  done
}
for f in "$one"/*; do
  cmp "$f" "$two/$(basename "$f")" || { explain; fail "$(basename "$f") differs between the two builds"; }
done
(cd "$one" && sha256sum -c --quiet SHA256SUMS) || fail "SHA256SUMS does not match the files"

rm -rf "$out"
mkdir -p "$out"
cp -a "$one" "$out/dist"
cp -a "$work/a/build-release/stage/Kestrun" "$out/files"
cp "$work/a/build-release/art/kestrun.ico" "$out/"
echo "reproducible: 1 passed, 0 failed"
