#!/usr/bin/env bash
# Builds the plug-in as the Windows DLL NX loads, with Debian's mingw-w64:
#   dist/win32/kelvora.dll (i686, NX4-NX7.5 era) and dist/win64/kelvora.dll (x86_64).
#
#   scripts/build-dll.sh [--clean] [i686] [x86_64]      (no architecture: both)
#
# win/dll/Makefile does the work, incrementally; objects, libufun.def, libugopenint.def and their
# import libraries stay in build-win/<arch>/. JOBS (default 2) sets make's parallel jobs.
#
# The DLL exports ufsta and nothing else. ufusr_ask_unload is deliberately not exported: without
# it NX keeps the library loaded until NX ends, and the menu actions ufsta registers point at
# callbacks in this library, which must stay valid for the whole session.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-2}

clean=0
archs=()
for a in "$@"; do
  case "$a" in
    --clean) clean=1 ;;
    i686|x86_64) archs+=("$a") ;;
    *) echo "build-dll: unknown argument '$a' (expected --clean, i686, x86_64)" >&2; exit 2 ;;
  esac
done
[ ${#archs[@]} -gt 0 ] || archs=(i686 x86_64)

# Every tool is checked before anything is built, so a missing one is named at once.
missing=()
for a in "${archs[@]}"; do
  t=$a-w64-mingw32
  pkg=g++-mingw-w64-${a//_/-}
  command -v "$t-g++-win32" >/dev/null || command -v "$t-g++" >/dev/null || missing+=("$t-g++ ($pkg)")
  for tool in windres dlltool; do
    command -v "$t-$tool" >/dev/null || missing+=("$t-$tool (binutils-mingw-w64-${a//_/-})")
  done
done
command -v make >/dev/null || missing+=("make (make)")
command -v python3 >/dev/null || missing+=("python3 (python3)")
if [ ${#missing[@]} -gt 0 ]; then
  echo "build-dll: mingw-w64 is not installed completely; missing:" >&2
  printf '  %s\n' "${missing[@]}" >&2
  echo "build-dll: install with: apt-get install g++-mingw-w64-i686 g++-mingw-w64-x86-64" >&2
  exit 1
fi

for a in "${archs[@]}"; do
  dist=$top/dist/$([ "$a" = i686 ] && echo win32 || echo win64)
  if [ $clean = 1 ]; then
    rm -rf "$top/build-win/$a" "$dist/kelvora.dll"
  fi
  echo "build-dll: $a"
  make --no-print-directory -s -f "$top/win/dll/Makefile" -j"$jobs" ARCH="$a"
  echo "build-dll: $dist/kelvora.dll ($(stat -c %s "$dist/kelvora.dll") bytes)"
done
