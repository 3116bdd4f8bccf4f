#!/usr/bin/env bash
# Compiles every plug-in source with KELVORA_NX_SDK against stand-in NX headers of both eras:
# the 32-bit releases with the i686 MinGW compiler, NX10 and later with the x86_64 one. Then
# shows that the stand-in headers are strict where NX's are: code passing a constant text where
# the old releases take char *, or testing the result of a void call, must not compile.
#   check-sdk-build.sh [WORK_DIR]          exit 77 when MinGW is not installed
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:-$top/build-win/sdk}
status=0
for pair in nx4:i686-w64-mingw32-g++ nx10:x86_64-w64-mingw32-g++; do
  release=${pair%%:*}; cxx=${pair#*:}
  command -v "$cxx" >/dev/null || { echo "skipped: $cxx is not installed"; exit 77; }
  inc=$work/$release
  rm -rf "$inc"
  python3 "$top/win/sdk/make_sdk_standin.py" "$top/src/nxapi/nx.h" "$inc" --release "$release" || exit 1
  flags=(-std=c++17 -fsyntax-only -Wall -Wextra -Wno-unused-parameter -Werror=write-strings -fno-permissive -fexec-charset=GBK
         -DKELVORA_NX_SDK -I"$inc" -I"$top/src" -I"$top/src/nxapi")
  failed=0; count=0
  for f in "$top"/src/*/*.cpp; do
    count=$((count + 1))
    if ! "$cxx" "${flags[@]}" "$f" 2> "$work/$release.err"; then
      echo "== $release: ${f#"$top/"} does not compile:"; head -n 20 "$work/$release.err"; failed=$((failed + 1))
    fi
  done
  echo "$release: $((count - failed)) of $count sources compile against the stand-in SDK"
  [ $failed -eq 0 ] || status=1
  # Names derived from an electrode's must fit the oldest release's object names on every build.
  printf '#include "layer/layer_rules.h"\n#include "create/electrode_part.h"\nstatic_assert(KV_ELECTRODE_NAME_MAX == 25, "electrode names");\nstatic_assert(KV_PART_MESSAGE_BUFSIZE == 133, "messages");\n' > "$work/names.cpp"
  if ! "$cxx" "${flags[@]}" "$work/names.cpp" 2> "$work/$release.names.err"; then
    echo "== $release: the electrode-name limit is not 25:"; head -n 10 "$work/$release.names.err"; status=1
  fi
  # The stand-in must refuse what NX's own headers refuse, or the check above proves nothing.
  if [ "$release" = nx4 ]; then
    probes=('const char *n = "E01"; tag_t t; UF_LAYER_ask_category_tag(n, &t);'
            'UF_DISP_grid_t g; if (UF_DISP_ask_grid_parameters(UF_DISP_DRAWING_GRID, &g) == 0) {}'
            'char b[UF_OBJ_NAME_BUFSIZE];'
            'uc6464("", "", "TOP");'
            'uc6432("", 1);'
            'tag_t v; UF_VIEW_ask_tag_of_view_name("ISO", &v);')
    for p in "${probes[@]}"; do
      printf '#include <uf.h>\n#include <uf_view.h>\nvoid probe() { %s }\n' "$p" > "$work/probe.cpp"
      if "$cxx" -std=c++17 -fsyntax-only -Werror=write-strings -I"$inc" "$work/probe.cpp" 2>/dev/null; then
        echo "== $release stand-in accepts what NX4 refuses: $p"; status=1
      fi
    done
  fi
done
exit $status
