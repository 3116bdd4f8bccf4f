#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR). KELVORA_SANITIZE=1 adds ASan and UBSan.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${BUILD_DIR:-$top/build}
san=OFF; [ "${KELVORA_SANITIZE:-0}" = 1 ] && san=ON
gen=(); command -v ninja >/dev/null && gen=(-G Ninja)
cmake -S "$top" -B "$dir" "${gen[@]}" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} -DKELVORA_SANITIZE=$san > "$dir.cmake.log" 2>&1 \
  || { cat "$dir.cmake.log"; exit 1; }
cmake --build "$dir" -j "$(nproc)"
