#!/usr/bin/env bash
# The records Linux i386 and Windows i686 lay out differently: gen_layouts.py finds them in nx.h,
# its Windows mirrors compile to the offsets MinGW gives, and a record that differs stops the
# generators when nothing would copy it (a pointer member, a union without a discriminating
# member, a callback, a hand-written call, more pointer levels), while one a call takes by pointer
# gets a copying thunk.
#   check-layouts.sh           (exit 77 when g++ -m32 or i686-w64-mingw32-g++ is missing)
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
top=$(cd "$here/../.." && pwd)
nx_h=$top/src/nxapi/nx.h
command -v i686-w64-mingw32-g++ >/dev/null || { echo "skipped: i686-w64-mingw32-g++ is not installed (g++-mingw-w64-i686)"; exit 77; }
echo 'int main(){}' | g++ -m32 -x c++ - -o /dev/null 2>/dev/null || { echo "skipped: g++ -m32 cannot build (g++-multilib)"; exit 77; }
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

# nx.h as it is: the records known to differ are copied, the mirrors have Windows's offsets.
python3 "$here/gen_layouts.py" "$nx_h" "$tmp/gen" >"$tmp/out.txt" 2>&1 || { cat "$tmp/out.txt"; fail "gen_layouts on nx.h"; }
for r in UF_CURVE_arc_s UF_DRF_object_s UF_DRAW_info_s UF_DISP_grid_s UF_ATTR_value_s UF_MODL_intersect_info_s; do
  grep -q "^$r " "$tmp/gen/layouts.txt" || fail "$r is not among the copied records"
done
# A record differing in its alignment alone is laid out alike behind a pointer: not copied.
grep -q '^UF_CURVE_line_s ' "$tmp/gen/layouts.txt" && fail "UF_CURVE_line_s (same offsets) copied"
printf '#include "layouts.h"\n' >"$tmp/t.cpp"
g++ -m32 -std=c++17 -fsyntax-only -I"$top/src/nxapi" -I"$tmp/gen" "$tmp/t.cpp" || fail "the mirrors are not Windows's layout"
python3 "$here/gen_thunks.py" "$nx_h" "$tmp/thunks" --arch i686 --records "$tmp/gen/layouts.txt" >/dev/null ||
  fail "gen_thunks with nx.h's records"
grep -q 'HostRecord<::UF_CURVE_arc_s, kvw::UF_CURVE_arc_s>' "$tmp/thunks/thunks_libufun.cpp" || fail "UF_CURVE_create_arc's arc not copied"
grep -q 'windows_records<::UF_MODL_intersect_info_s' "$tmp/thunks/thunks_libufun.cpp" || fail "the intersections handed out are not copied"

# nx.h with TEXT added before its calls (RECORD) and among them (CALL).
variant() {  # NAME RECORD CALL
  mkdir -p "$tmp/$1"
  python3 - "$nx_h" "$tmp/$1/nx.h" "$2" "$3" <<'EOF'
import sys
src, dst, record, call = sys.argv[1:]
text = open(src, encoding="utf-8").read()
marker = '#ifdef __cplusplus\nextern "C" {\n#endif\n'
assert marker in text
text = text.replace(marker, record + "\n" + marker + call + "\n", 1)
open(dst, "w", encoding="utf-8").write(text)
EOF
}
# expect_refusal NAME TOOL WORD: the generator exits 1 naming WORD.
expect_refusal() {
  local out
  if [ "$2" = layouts ]; then
    out=$(python3 "$here/gen_layouts.py" "$tmp/$1/nx.h" "$tmp/$1/gen" 2>&1)
  else
    python3 "$here/gen_layouts.py" "$tmp/$1/nx.h" "$tmp/$1/gen" >/dev/null 2>&1 || { fail "$1: gen_layouts failed"; return; }
    out=$(python3 "$here/gen_thunks.py" "$tmp/$1/nx.h" "$tmp/$1/thunks" --arch i686 --records "$tmp/$1/gen/layouts.txt" 2>&1)
  fi
  local rc=$?
  [ $rc -eq 1 ] || fail "$1: exit code $rc, expected 1 ($out)"
  grep -q "$3" <<<"$out" || fail "$1: the refusal does not name $3: $out"
}
rec='struct KV_probe_s { int id; double value; }; typedef struct KV_probe_s KV_probe_t, *KV_probe_p_t;'

variant by_pointer "$rec" 'int KV_probe_read(tag_t object, KV_probe_p_t probe);'
python3 "$here/gen_layouts.py" "$tmp/by_pointer/nx.h" "$tmp/by_pointer/gen" >/dev/null || fail "by_pointer: gen_layouts"
grep -q '^KV_probe_s ' "$tmp/by_pointer/gen/layouts.txt" || fail "by_pointer: KV_probe_s not found to differ"
python3 "$here/gen_thunks.py" "$tmp/by_pointer/nx.h" "$tmp/by_pointer/thunks" --arch i686 \
    --records "$tmp/by_pointer/gen/layouts.txt" >/dev/null 2>&1 || true  # the export table lacks the call
variant behind_member "$rec struct KV_holder_s { int n; KV_probe_t *probes; };" ''
expect_refusal behind_member layouts 'KV_holder_s.probes points to KV_probe_s'
variant union_of_records "$rec union KV_either_u { KV_probe_t probe; int id; }; struct KV_tagged_s { int kind; union KV_either_u either; };" ''
expect_refusal union_of_records layouts 'KV_tagged_s.either'
variant callback "$rec typedef int (*KV_probe_cb_t)(KV_probe_p_t probe);" ''
expect_refusal callback layouts 'KV_probe_cb_t takes KV_probe_s'
variant two_levels "$rec" 'int KV_probe_list(tag_t object, int *count, KV_probe_p_t **probes);'
expect_refusal two_levels thunks 'KV_probe_list.*KV_probe_s'
variant returned "$rec" 'KV_probe_p_t KV_probe_find(tag_t object);'
expect_refusal returned thunks 'KV_probe_find returns.*KV_probe_s'
# A call the bridge writes by hand taking such a record.
variant hand_written "$rec" ''
sed -i -E 's/^int( +)UF_PART_new\(const char \*part_name, int units, tag_t \*part\);/int\1UF_PART_new(const char *part_name, int units, tag_t *part, KV_probe_p_t probe);/' "$tmp/hand_written/nx.h"
grep -q 'KV_probe_p_t probe);' "$tmp/hand_written/nx.h" || fail "hand_written: UF_PART_new not rewritten"
expect_refusal hand_written thunks 'UF_PART_new (written by hand).*KV_probe_s'

# The thunk of a call taking one by pointer copies it both ways (checked on the generated text:
# the call is not in NX's export table, so only its thunk is asked for).
python3 - "$here" "$tmp/by_pointer/nx.h" "$tmp/by_pointer/gen/layouts.txt" <<'EOF' || fail "by_pointer: no copying thunk"
import sys
sys.path.insert(0, sys.argv[1])
import gen_layouts, gen_thunks
text = open(sys.argv[2], encoding="utf-8").read()
copied = {l.split()[0] for l in open(sys.argv[3]) if l.strip()}
protos = {p[1]: p for p in gen_thunks.prototypes(text)}
ret, name, params = protos["KV_probe_read"]
uses = gen_thunks.record_uses(gen_layouts.Types(text), copied, ret, name, params)
code = gen_thunks.thunk(ret, name, params, uses=uses)
assert "kvw::KV_probe_s* probe" in code and "HostRecord<::KV_probe_s, kvw::KV_probe_s> probe_host(probe)" in code, code
EOF

[ $status -eq 0 ] && echo "layouts: ok"
exit $status
