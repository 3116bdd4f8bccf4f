#!/usr/bin/env bash
# Writes the tool folder a mould shop installs, as one zip per Windows architecture:
#   dist/kelvora-<version>-win64.zip and dist/kelvora-<version>-win32.zip
# Each holds the folder Kelvora/ with startup/ (kelvora.dll and the NX menu script in GBK, the
# code page NX reads it in on a Chinese Windows), application/ (the dialogs as NX's UIStyler files, compiled from kit/dialogs/),
# data/ (config.dat and the export templates), template/ (where the drawing template made in NX goes) and README.md.
# Nothing of the simulated host or the tests goes in. Builds the DLLs first when they are missing,
# and compiles the dialogs afresh with the generator (dlgc) the build uses.
#   package.sh [OUT_DIR]            (default: dist/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/dist}
version=$(tr -d ' \r\n' < "$top/VERSION")
[ -n "$version" ] || { echo "package: VERSION is empty" >&2; exit 1; }
for tool in zip iconv c++; do
  command -v $tool >/dev/null || { echo "package: $tool is not installed" >&2; exit 1; }
done
if [ ! -f "$top/dist/win32/kelvora.dll" ] || [ ! -f "$top/dist/win64/kelvora.dll" ]; then
  bash "$top/scripts/build-dll.sh"
fi
mkdir -p "$out"
stage_root=$(mktemp -d)
trap 'rm -rf "$stage_root"' EXIT
# The generator, compiled here on its own (it needs zlib only), so that the zips never carry
# dialog files older than their descriptions.
mkdir -p "$stage_root/dialogs"
c++ -std=c++17 -O1 -I"$top/tools/dlgc" -I"$top/nxsim/src" -I"$top/src/nxapi" \
  "$top/tools/dlgc/dlgc.cpp" "$top/tools/dlgc/description.cpp" "$top/nxsim/src/uistyler_format.cpp" \
  -o "$stage_root/dlgc" -lz
"$stage_root/dlgc" "$stage_root/dialogs" "$top"/kit/dialogs/*.dlg.txt
for arch in win32 win64; do
  stage=$stage_root/$arch/Kelvora
  mkdir -p "$stage/startup" "$stage/application" "$stage/data" "$stage/template"
  cp "$top/dist/$arch/kelvora.dll" "$stage/startup/"
  iconv -f UTF-8 -t GBK "$top/kit/startup/kelvora.men" > "$stage/startup/kelvora.men"
  cp "$stage_root"/dialogs/*.dlg "$stage/application/"
  cp "$top/kit/data/config.dat" "$top"/kit/data/*.tpl "$stage/data/"
  cp "$top/kit/README.md" "$stage/README.md"
  printf 'Save the drawing template made in NX here as edmDraft.prt (README.md, "The drawing template").\r\n' \
    > "$stage/template/README.txt"
  # Fixed times and order: the same inputs give the same zip.
  find "$stage_root/$arch" -exec touch -h -d '2000-01-01 00:00:00 UTC' {} +
  zip_file=$out/kelvora-$version-$arch.zip
  rm -f "$zip_file"
  (cd "$stage_root/$arch" && find Kelvora | LC_ALL=C sort | zip -q -X -D "$zip_file" -@)
  echo "package: $zip_file ($(stat -c %s "$zip_file") bytes)"
done
