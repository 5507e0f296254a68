#!/usr/bin/env bash
# Runs the DPI tests at 96, 120, 144 and 192 DPI, each in a prefix of its own whose LogPixels says so,
# and the high-contrast test again at 96 and 144 in prefixes whose user asked for it from the start.
#   dpi_test.sh ui_dpi_tests.exe
set -euo pipefail
tests=$1
. "$(dirname "$0")/../wine/prefix.sh"
log=$(mktemp)
trap 'kt_drop_prefix; rm -f "$log"' EXIT

# Wine takes the DPI from both places; a process started afterwards draws at it.
set_dpi() {
  local dword key
  dword=$(printf '0x%x' "$1")
  for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    kt_reg_add "$key" /v LogPixels /t REG_DWORD /d "$dword" || return 1
  done
}

# ctest shows only the start and the end of a long output: the failures are repeated at the end.
failures=()
fail_at() { echo "FAIL $1"; failures+=("$1"); }
run_tests() { wine "$tests" "$@" </dev/null 2>&1 | tee -a "$log"; }
for dpi in 96 120 144 192; do
  echo "--- $dpi DPI"
  kt_new_prefix
  set_dpi "$dpi" || fail_at "storing $dpi DPI"
  (export KESTRUN_EXPECT_DPI=$dpi; run_tests) || fail_at "at $dpi DPI"
  kt_drop_prefix
done
# A German user: Wine takes the language from the locale (LC_ALL, which tools/locale.sh may set, would
# hide LANG); de_DE.UTF-8 must be generated.
for dpi in 96 192; do
  echo "--- $dpi DPI, in German"
  kt_new_prefix
  set_dpi "$dpi" || fail_at "storing $dpi DPI"
  (unset LC_ALL; export KESTRUN_EXPECT_DPI=$dpi KESTRUN_EXPECT_GERMAN=1 LANG=de_DE.UTF-8; run_tests) ||
    fail_at "at $dpi DPI in German"
  kt_drop_prefix
done
# High contrast stored where Windows keeps it before the session starts: the windows open in it.
. "$(dirname "$0")/../../tools/screenshots/contrast.sh"
for dpi in 96 144; do
  echo "--- $dpi DPI, high contrast from the start"
  kt_new_prefix
  set_dpi "$dpi" || fail_at "storing $dpi DPI"
  contrast_registry || fail_at "storing the high-contrast setting at $dpi DPI"
  (export KESTRUN_EXPECT_DPI=$dpi KESTRUN_EXPECT_CONTRAST=1; run_tests --gtest_filter='DpiTest.HighContrast*') ||
    fail_at "at $dpi DPI in high contrast"
  kt_drop_prefix
done
[ ${#failures[@]} = 0 ] && exit 0
grep -E -A4 'Failure$' "$log" || true
printf 'FAILED: %s\n' "${failures[@]}"
exit 1
