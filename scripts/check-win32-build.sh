#!/usr/bin/env bash
# Compiles the plug-in's sources (and its resources) for 32-bit Windows with MinGW, as a check
# that nothing in src/ depends on the simulated host or on POSIX. NX's own library is not
# available here, so nothing is linked. Needs g++-mingw-w64-i686 (not part of the test set).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cxx=i686-w64-mingw32-g++
command -v $cxx >/dev/null || { echo "skipped: $cxx is not installed"; exit 0; }
out=$(mktemp -d)
for f in "$top"/src/*/*.cpp; do
  $cxx -std=c++17 -Wall -Wextra -Wno-unused-parameter -fexec-charset=GBK -I"$top/src" -I"$top/src/nxapi" -c "$f" -o "$out/$(basename "$f").o"
done
(cd "$top/src/shell/res" && i686-w64-mingw32-windres kelvora.rc -o "$out/kelvora_res.o")
echo "compiled $(ls "$out" | wc -l) files for Windows"
rm -rf "$out"
