#!/usr/bin/env bash
# Builds the configuration fuzz target with clang (libFuzzer, AddressSanitizer, UBSan) and runs
# it for a bounded time from the seed corpus. Independent of the main g++ build.
#   run-fuzz.sh SOURCE_DIR WORK_DIR [SECONDS]
set -eu
src=$1; work=$2; seconds=${3:-20}
mkdir -p "$work/corpus"
cxx=${CLANGXX:-clang++}
"$cxx" -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$src/src" -I"$src/src/nxapi" \
  "$src/tests/fuzz/fuzz_settings.cpp" \
  "$src/src/config/settings.cpp" "$src/src/config/tool_folder.cpp" \
  "$src/src/config/kv_text.cpp" "$src/src/config/line_reader.cpp" \
  "$src/src/config/comma_list.cpp" \
  -o "$work/fuzz_settings"
# Seeds: the shipped configuration and a few shapes of lines and lists.
cp "$src/kit/data/config.dat" "$work/corpus/kit-config"
cat "$src/kit/data/config.dat" "$src/kit/data/config.dat" "$src/kit/data/config.dat" > "$work/corpus/kit-config-thrice"
printf '\x85#!!# kelvora_path = D:\\Kelvora \r\n\x01KELVORA_PATH' > "$work/corpus/custom-dirs"
printf '\x85A = 1\r\nA=2\n#A=3\n\x01a' > "$work/corpus/dup"
printf '\x10CU,GR,,x\x01gr' > "$work/corpus/list"
printf '\x90K=v=w\x00z\nK=\x81\x41\x01K' > "$work/corpus/nul"
exec "$work/fuzz_settings" -max_total_time="$seconds" -max_len=40000 -timeout=10 \
  -artifact_prefix="$work/" \
  -print_final_stats=1 "$work/corpus"
