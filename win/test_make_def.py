#!/usr/bin/env python3
"""Tests of NX's export table and what is made from it (win/make_def.py, win/bridge/gen_thunks.py):
the import tables of both DLLs, the refusal of a moved call nx.h does not mark, and the bridge's
layouts. Run by CTest (dll.exports_table); standard library only."""
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "bridge"))
import make_def  # noqa: E402
import gen_thunks  # noqa: E402

NX_H = os.path.join(HERE, "..", "src", "nxapi", "nx.h")
MOVED = "UF_DISP_regenerate_display"


def nx_text():
    with open(NX_H, encoding="utf-8") as f:
        return f.read()


def unmark(text):
    """nx.h with the moved call declared among the ordinary ones."""
    declaration = "int %s(void);\n" % MOVED
    text = text.replace(declaration, "")
    return text.replace("int UF_DISP_set_display(int display_code);\n",
                        "int UF_DISP_set_display(int display_code);\n" + declaration)


class ImportTables(unittest.TestCase):
    def setUp(self):
        self.releases, self.table = make_def.load_table()

    def test_each_dll_is_made_for_its_architectures_releases(self):
        self.assertEqual(["NX4-32", "NX5-32", "NX6-32", "NX7-32", "NX7.5-32", "NX8.5-32"],
                         make_def.releases_for("i686", self.releases))
        self.assertEqual(11, len(make_def.releases_for("x86_64", self.releases)))
        self.assertEqual(17, len(self.releases))

    def test_every_static_import_is_exported_alike_by_every_release(self):
        text = nx_text()
        for arch in ("i686", "x86_64"):
            static, late = make_def.plan(text, arch, self.releases, self.table)
            self.assertEqual([MOVED], late)
            for lib, calls in static.items():
                for call in calls:
                    for release in make_def.releases_for(arch, self.releases):
                        self.assertEqual(lib, self.table[call][release], (arch, call, release))

    def test_def_files_carry_undecorated_names_and_leave_the_moved_call_out(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, os.path.join(HERE, "make_def.py"), NX_H, out, "--arch", "i686"],
                           check=True, capture_output=True)
            names = []
            for lib in make_def.LIBRARIES:
                with open(os.path.join(out, lib + ".def"), encoding="ascii") as f:
                    lines = f.read().split("\n")
                self.assertEqual("LIBRARY %s.dll" % lib, lines[0])
                names += [l.strip() for l in lines[2:] if l.strip()]
        self.assertNotIn(MOVED, names)
        self.assertTrue(all(not n.startswith("_") for n in names), names[:3])
        self.assertIn("UF_initialize", names)

    def test_a_moved_call_nx_h_does_not_mark_stops_the_build(self):
        with self.assertRaises(make_def.TableError) as e:
            make_def.plan(unmark(nx_text()), "x86_64", self.releases, self.table)
        self.assertIn(MOVED, str(e.exception))
        self.assertIn("NX6-64", str(e.exception))
        self.assertIn("NX8.5-64", str(e.exception))

    def test_marking_a_call_that_never_moves_or_declaring_one_the_table_lacks_stops_the_build(self):
        text = nx_text().replace("int UF_initialize(void);\n", "")
        text = text.replace("int %s(void);\n" % MOVED, "int %s(void);\nint UF_initialize(void);\n" % MOVED)
        with self.assertRaisesRegex(make_def.TableError, "UF_initialize: marked"):
            make_def.plan(text, "i686", self.releases, self.table)
        text = nx_text().replace("int %s(void);\n" % MOVED, "int %s(void);\nint UF_NO_SUCH_CALL(void);\n" % MOVED)
        with self.assertRaisesRegex(make_def.TableError, "UF_NO_SUCH_CALL: nx.h declares it"):
            make_def.plan(text, "i686", self.releases, self.table)

    def test_a_malformed_table_is_named_with_row_and_field(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "t.tsv")
            with open(path, "w", encoding="ascii") as f:
                f.write("call\tNX4-32\tNX6-64\nUF_initialize\tufun\tufun\nUF_terminate\tufun\tlibc\n")
            with self.assertRaisesRegex(make_def.TableError, r"row 3 \(UF_terminate\), NX6-64: unknown library 'libc'"):
                make_def.load_table(path)
            with open(path, "w", encoding="ascii") as f:
                f.write("call\tNX4-32\nUF_initialize\tufun\tufun\n")
            with self.assertRaisesRegex(make_def.TableError, "row 2 .*3 columns, the header has 2"):
                make_def.load_table(path)


class BridgeLayouts(unittest.TestCase):
    def test_each_architecture_has_an_old_and_a_new_layout_that_differ_only_by_the_moved_call(self):
        text = nx_text()
        for arch, names in (("i686", ["NX4-32", "NX8.5-32"]), ("x86_64", ["NX6-64", "NX8.5-64"])):
            found = gen_thunks.layouts(text, arch)
            self.assertEqual(names, [n for n, _, _ in found])
            old, new = found[0][2], found[1][2]
            self.assertIn(MOVED, old["libugopenint"])
            self.assertIn(MOVED, new["libufun"])
            self.assertEqual(set(old["libufun"]) | {MOVED}, set(new["libufun"]))
            self.assertEqual(sorted(c for c in make_def.declared_calls(text) if c not in make_def.PLUGIN_OWN),
                             sorted(old["libufun"] + old["libugopenint"]))


class CallMarks(unittest.TestCase):
    """The properties generators read beside a call's declaration in nx.h."""

    def test_marks_are_read_per_call_and_the_generators_lists_follow_them(self):
        marks = make_def.call_marks(nx_text())
        self.assertEqual({"by-hand": [], "const-from-nx10": ["dialog_file"]}, marks["UF_STYLER_create_dialog"])
        self.assertEqual(["radius_val", "diameter_val"], marks["UF_DRF_set_preferences"]["const-from-nx10"])
        self.assertEqual(["intersections", "num_intersections"], marks["UF_MODL_intersect_objects"]["out-array"])
        self.assertNotIn("UF_OBJ_ask_name", marks)
        gen_thunks.read_marks(nx_text())
        self.assertIn("UF_PART_import", gen_thunks.HAND_WRITTEN)
        self.assertEqual(("intersections", "num_intersections"), gen_thunks.OUT_ARRAYS["UF_MODL_intersect_objects"])

    def test_a_misspelt_or_stray_mark_stops_the_generators(self):
        text = nx_text()
        decl = "int uc6454(char *cp1);  /* kv: const-from-nx10(cp1) */"
        self.assertIn(decl, text)
        with self.assertRaisesRegex(make_def.TableError, "uc6454: unknown mark 'const-from-nx9"):
            make_def.call_marks(text.replace(decl, decl.replace("nx10", "nx9")))
        with self.assertRaisesRegex(make_def.TableError, "follows no declaration"):
            make_def.call_marks(text.replace(decl, decl + "\n/* kv: by-hand */"))

    def test_the_nx10_stand_in_makes_each_marked_parameter_const_and_no_other(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, os.path.join(HERE, "sdk", "make_sdk_standin.py"), NX_H, out,
                            "--release", "nx10"], check=True, stdout=subprocess.DEVNULL)
            with open(os.path.join(out, "kv_standin_decls.h"), encoding="utf-8") as f:
                decls = f.read()
        self.assertIn("int uc6447(const char *cp1, int ip2, int *ip3);", decls)
        self.assertIn("int UF_UNDO_undo_to_mark(UF_UNDO_mark_id_t mark_id, UF_UNDO_mark_name_c_t mark_name);", decls)
        self.assertIn("const char *radius_val,\n                           const char *diameter_val)", decls)
        self.assertIn("int UF_DRF_ask_preferences(int mpi[100], double mpr[70], char radius_value[27],", decls)


if __name__ == "__main__":
    unittest.main()
