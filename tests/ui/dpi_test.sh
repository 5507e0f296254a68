#!/usr/bin/env bash
# Runs the DPI tests at 96, 120, 144 and 192 DPI, each in a prefix of its own whose LogPixels says so,
# and the high-contrast test again at 96 and 144 in prefixes whose user asked for it from the start.
#   dpi_test.sh ui_dpi_tests.exe
set -euo pipefail
tests=$1
. "$(dirname "$0")/../wine/prefix.sh"
trap 'kt_drop_prefix' EXIT

# Wine takes the DPI from both places; a process started afterwards draws at it.
set_dpi() {
  local dword
  dword=$(printf '0x%x' "$1")
  for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dword" /f </dev/null >/dev/null 2>&1
  done
}

failed=0
for dpi in 96 120 144 192; do
  echo "--- $dpi DPI"
  kt_new_prefix
  set_dpi "$dpi"
  KESTRUN_EXPECT_DPI=$dpi wine "$tests" </dev/null || { echo "FAIL at $dpi DPI"; failed=1; }
  kt_drop_prefix
done
# A German user: Wine takes the language from the locale (LC_ALL, which tools/locale.sh may set, would
# hide LANG); de_DE.UTF-8 must be generated.
for dpi in 96 192; do
  echo "--- $dpi DPI, in German"
  kt_new_prefix
  set_dpi "$dpi"
  (unset LC_ALL; KESTRUN_EXPECT_DPI=$dpi KESTRUN_EXPECT_GERMAN=1 LANG=de_DE.UTF-8 wine "$tests" </dev/null) ||
    { echo "FAIL at $dpi DPI in German"; failed=1; }
  kt_drop_prefix
done
# High contrast stored where Windows keeps it before the session starts: the windows open in it.
. "$(dirname "$0")/../../tools/screenshots/contrast.sh"
for dpi in 96 144; do
  echo "--- $dpi DPI, high contrast from the start"
  kt_new_prefix
  set_dpi "$dpi"
  contrast_registry || { echo "FAIL: the high-contrast setting was not stored at $dpi DPI"; failed=1; }
  KESTRUN_EXPECT_DPI=$dpi KESTRUN_EXPECT_CONTRAST=1 wine "$tests" --gtest_filter='DpiTest.HighContrast*' </dev/null ||
    { echo "FAIL at $dpi DPI in high contrast"; failed=1; }
  kt_drop_prefix
done
exit $failed
