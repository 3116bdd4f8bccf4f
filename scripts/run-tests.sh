#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UBSan, builds both Windows DLLs,
# and runs every test (unit, scenarios, fuzzing, the DLL checks and the scenario cases on both
# DLLs under Wine).
#
# A test that lacks a tool skips (exit 77) and says which. On a developer's machine that is a
# note; with CI=true it is a failure: what CI reports as passed must have run.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
export BUILD_DIR=${BUILD_DIR:-$top/build-asan}
KELVORA_SANITIZE=1 BUILD_TYPE=Debug bash "$top/scripts/build.sh"
# The Windows DLLs, which the PE check and the Wine runs among the tests take.
bash "$top/scripts/build-dll.sh"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
report=$BUILD_DIR/ctest-report.xml
rm -f "$report"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)" --output-junit "$report" || status=$?
python3 "$top/scripts/test-summary.py" "$report" --ci "${CI:-false}" || status=1
exit $status
