#!/usr/bin/env bash
# Checks one built plug-in DLL the way NX will meet it, in every release of its architecture
# (the -32 or -64 columns of win/nx-exports.tsv):
#   check-dll.sh PECHECK TOP i686|x86_64
# Exit 77 (skipped) when mingw-w64 is missing or scripts/build-dll.sh has not built the DLL.
set -u
pecheck=$1 top=$2 arch=$3
dll=$top/dist/$([ "$arch" = i686 ] && echo win32 || echo win64)/kelvora.dll
if ! command -v "$arch-w64-mingw32-g++" >/dev/null; then
  echo "skipped: mingw-w64 for $arch is not installed"
  exit 77
fi
if [ ! -f "$dll" ]; then
  echo "skipped: $dll is not built (run scripts/build-dll.sh)"
  exit 77
fi
# The DLL can lag behind src/ when the build was not run after a change: say so, check anyway.
newer=$(find "$top/src" -newer "$dll" -type f | head -3)
[ -z "$newer" ] || echo "note: older than $(echo $newer | tr ' ' ',')... (run scripts/build-dll.sh)"
"$pecheck" --list "$dll"
exec "$pecheck" --arch "$arch" --export ufsta --exports-table "$top/win/nx-exports.tsv" \
  --gbk-texts "$top/win/pecheck/gbk-texts.txt" "$dll"
