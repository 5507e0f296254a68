#!/usr/bin/env bash
# Two clones of the checkout's last commit, in two folders of different names, each build the release
# signed with one throw-away certificate; their dist/ folders must hold the same files, byte for byte.
# The first one's release and the certificate's root are kept in OUT_DIR for the tests that read and
# install it. Uncommitted changes are no part of a release: commit first.
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
# A code-signing certificate under a root of its own, dated back so that the commit's time, which
# the signatures carry, lies inside its validity.
keys=$work/keys
mkdir -p "$keys"
faketime '2020-01-01 00:00:00' bash -c '
  cd "$1"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 36500 -subj "/CN=Kestrun Test Root" \
    -addext basicConstraints=critical,CA:true -addext keyUsage=critical,keyCertSign
  openssl req -newkey rsa:2048 -nodes -keyout sign.key -out sign.csr -subj "/CN=Tamsel Soft (test)"
  printf "basicConstraints=CA:false\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n" >sign.ext
  openssl x509 -req -in sign.csr -CA root.pem -CAkey root.key -set_serial 1 -days 36500 -extfile sign.ext -out sign.pem
  cat sign.pem root.pem >chain.pem' - "$keys" 2>/dev/null || fail "openssl cannot make the test certificate"
export KESTRUN_SIGN_CERT=$keys/chain.pem KESTRUN_SIGN_KEY=$keys/sign.key
git clone -q "$src" "$work/a"
git clone -q "$src" "$work/second-checkout"
for tree in a second-checkout; do
  nice -n 10 "$work/$tree/tools/release.sh" >"$work/$tree.log" 2>&1 || { cat "$work/$tree.log" >&2; fail "release.sh failed in $tree"; }
  echo "--- $work/$tree/dist/SHA256SUMS"
  cat "$work/$tree/dist/SHA256SUMS"
done

one=$work/a/dist two=$work/second-checkout/dist
[ "$(ls "$one")" = "$(ls "$two")" ] || fail "the two dist/ folders hold different files: $(ls "$one") / $(ls "$two")"
[ "$(ls "$one" | wc -l)" -eq 4 ] || fail "dist/ should hold the MSI, the zip, SHA256SUMS and winget/: $(ls "$one")"
# On a difference, say which shipped file differs first: that names the tool to look at.
explain() {
  local shipped
  for shipped in "$work"/a/build-release/stage/Kestrun/* "$work"/a/build-release/art/kestrun.ico; do
    cmp "$shipped" "$work/second-checkout/${shipped#"$work"/a/}" >&2 || true
  done
}
for f in $(cd "$one" && find . -type f | sort); do
  cmp "$one/$f" "$two/$f" || { explain; fail "$f differs between the two builds"; }
done
(cd "$one" && sha256sum -c --quiet SHA256SUMS) || fail "SHA256SUMS does not match the files"

rm -rf "$out"
mkdir -p "$out"
cp -a "$one" "$out/dist"
cp -a "$work/a/build-release/stage/Kestrun" "$out/files"
cp "$work/a/build-release/art/kestrun.ico" "$out/"
cp "$keys/root.pem" "$out/signing-root.pem"
openssl x509 -in "$keys/root.pem" -outform DER -out "$out/signing-root.der"
echo "reproducible: 1 passed, 0 failed"
