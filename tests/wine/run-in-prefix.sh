#!/usr/bin/env bash
# Runs one Windows executable under Wine in its own throw-away prefix and passes on its exit code.
# ctest uses it as the cross-compiling emulator: one prefix per test binary.
set -u
. "$(dirname "$0")/prefix.sh"
kt_new_prefix
wine "$@"
rc=$?
kt_drop_prefix
exit $rc
