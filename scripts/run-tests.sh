#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UBSan, builds both Windows DLLs,
# and runs every test (unit, scenarios, fuzzing, the DLL checks and the smoke run under Wine).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
export BUILD_DIR=${BUILD_DIR:-$top/build-asan}
KELVORA_SANITIZE=1 BUILD_TYPE=Debug bash "$top/scripts/build.sh"
# The Windows DLLs, which the PE check and the Wine smoke run among the tests take.
bash "$top/scripts/build-dll.sh"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"
