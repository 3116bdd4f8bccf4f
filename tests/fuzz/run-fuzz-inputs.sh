#!/usr/bin/env bash
# Builds the input-reader fuzz target with clang (libFuzzer, AddressSanitizer, UBSan) from the
# simulated host's sources and runs it for a bounded time on part files, then on UIStyler dialog
# files (their bytes, then their text), each from a corpus seeded with the demo's inputs and the
# malformed inputs kept as scenario cases. Independent of the main g++ build; objects are kept in WORK_DIR and
# compiled again when their source or any header of the host is newer.
#   run-fuzz-inputs.sh SOURCE_DIR WORK_DIR [SECONDS_EACH]
set -eu
src=$1; work=$2; seconds=${3:-20}
cxx=${CLANGXX:-clang++}
flags=(-std=c++17 -g -O1 -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
       -I"$src/nxsim/include" -I"$src/nxsim/src" -I"$src/src/nxapi" -isystem /usr/include/opencascade)
mkdir -p "$work/obj" "$work/corpus-part" "$work/corpus-dlg" "$work/corpus-dlg-text"
newest_header=$(ls -t "$src"/nxsim/src/*.h "$src"/nxsim/include/nxsim/*.h "$src"/src/nxapi/nx.h | head -n 1)
objects=()
for f in "$src"/nxsim/src/*.cpp "$src/tests/fuzz/fuzz_inputs.cpp"; do
  o="$work/obj/$(basename "${f%.cpp}").o"
  objects+=("$o")
  if [ ! -f "$o" ] || [ "$f" -nt "$o" ] || [ "$newest_header" -nt "$o" ]; then
    # Two compilers at a time: the machine is shared.
    while [ "$(jobs -rp | wc -l)" -ge 2 ]; do wait -n; done
    "$cxx" "${flags[@]}" -c "$f" -o "$o" &
  fi
done
while [ "$(jobs -rp | wc -l)" -gt 0 ]; do wait -n; done
for o in "${objects[@]}"; do [ -f "$o" ] || { echo "not compiled: $o" >&2; exit 1; }; done
"$cxx" -fsanitize=fuzzer,address,undefined "${objects[@]}" -o "$work/fuzz_inputs" \
  -lTKernel -lTKMath -lTKG2d -lTKG3d -lTKGeomBase -lTKBRep -lTKGeomAlgo -lTKTopAlgo -lTKPrim -lTKBO \
  -lTKSTEP -lTKXSBase -lTKHLR -lz -ldl

# Seeds: the demo's part and drawing template, the kit's dialogs, the unit tests' ones, and the
# malformed files kept as scenario cases.
cp "$src/examples/demo/core.prt" "$work/corpus-part/demo-core"
cp "$src/kit/template/edmDraft.prt" "$work/corpus-part/template"
cp "$src/tests/unit/data/layers.prt" "$work/corpus-part/layers"
# The kit's dialogs are written by the main build (kit/application/, absent before it).
for f in "$src"/kit/application/*.dlg "$src"/tests/scenarios/bad_input_*/*.dlg; do
  [ -f "$f" ] || continue
  seed=$(basename "$(dirname "$f")")-$(basename "$f")
  cp "$f" "$work/corpus-dlg/$seed"
  python3 -c 'import sys, zlib; sys.stdout.buffer.write(zlib.decompress(open(sys.argv[1], "rb").read()))' "$f" \
    > "$work/corpus-dlg-text/$seed" 2>/dev/null || rm -f "$work/corpus-dlg-text/$seed"
done
cp "$src/tests/nxsim/data/uistyler_fixture.txt" "$work/corpus-dlg-text/fixture"
for f in "$src"/tests/scenarios/bad_input_*/* "$src"/tests/scenarios/bad_input_*/kit/template/*; do
  case $f in
    *.prt) cp "$f" "$work/corpus-part/$(basename "$(dirname "$f")")" ;;
  esac
done

status=0
for input in part dlg dlg-text; do
  echo "== $input files, ${seconds}s"
  KV_FUZZ_INPUT=$input ASAN_OPTIONS=detect_leaks=1 "$work/fuzz_inputs" -max_total_time="$seconds" \
    -max_len=200000 -timeout=10 -rss_limit_mb=4096 -artifact_prefix="$work/$input-" \
    -print_final_stats=1 "$work/corpus-$input" || status=1
done
exit $status
