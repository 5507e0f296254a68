# Sourced by the console tool's tests: a throw-away prefix, counted checks, and the tool run with its
# exit code checked. Needs $exe (the tool) set first; ends with finish NAME.
. "$(dirname "${BASH_SOURCE[0]}")/../wine/prefix.sh"
kt_new_prefix
trap kt_drop_prefix EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cv='HKCU\Software\Microsoft\Windows\CurrentVersion'
mv='HKLM\Software\Microsoft\Windows\CurrentVersion'
reg() { wine reg "$@" /f >/dev/null 2>&1 </dev/null || fail "reg $*"; }
has() { wine reg query "$1" /v "$2" </dev/null >/dev/null 2>&1; }
cli() { wine "$exe" "$@" 2>"$WINEPREFIX/stderr" </dev/null; }
# Runs the tool and checks its exit code; stdout in $out, stderr in $err.
expect_rc() {
  local want=$1; shift
  out=$(cli "$@"); local rc=$?
  err=$(cat "$WINEPREFIX/stderr")
  [ "$rc" -eq "$want" ] || fail "kestrun-cli $* exited $rc, expected $want (stdout: $out; stderr: $err)"
}
# expect_text RC err|out PATTERN ARGS...: as expect_rc, and that stream matches PATTERN (as in [[ == ]]:
# quoted parts literal, * any text).
expect_text() {
  local rc=$1 stream=$2 pattern=$3
  shift 3
  expect_rc "$rc" "$@"
  eval "[[ \$$stream == $pattern ]]" || fail "kestrun-cli $*: $stream '${!stream}' does not match $pattern"
}
drive=$WINEPREFIX/drive_c
user_startup=$(ls -d "$drive"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/StartUp | head -1)

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "$1: all checks passed"
  exit 0
}
