#!/usr/bin/env bash
# Takes the outputs of the last test run of the named scenario cases (all when none is named)
# as their new expected outputs. Look at the outputs first: this accepts them as they are.
#   accept-scenarios.sh [CASE ...]        (after: ctest --test-dir build -R scenario)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${BUILD_DIR:-$top/build}/scenario-out
cases=("$@")
if [ ${#cases[@]} -eq 0 ]; then
  for d in "$top"/tests/scenarios/*/; do cases+=("$(basename "$d")"); done
fi
for c in "${cases[@]}"; do
  src=$runs/$c/run; dst=$top/tests/scenarios/$c/expected
  [ -d "$src" ] || { echo "no run output for $c (run the scenario tests first)"; continue; }
  rm -rf "$dst"; mkdir -p "$dst"
  cp "$src/transcript.txt" "$src/stdout.txt" "$src/stderr.txt" "$dst/"
  [ -s "$src/listing.txt" ] && cp "$src/listing.txt" "$dst/"
  [ "$(cat "$src/exit_code")" != 0 ] && cp "$src/exit_code" "$dst/"
  if [ -d "$src/parts" ] && [ -n "$(ls -A "$src/parts")" ] && [ "${KEEP_PARTS:-1}" = 1 ]; then
    mkdir -p "$dst/parts"; cp "$src"/parts/*.json "$dst/parts/"
  fi
  if [ -d "$src/sheets" ] && [ -n "$(ls -A "$src/sheets")" ]; then
    mkdir -p "$dst/sheets"; cp "$src"/sheets/* "$dst/sheets/"
  fi
  echo "accepted $c"
done
