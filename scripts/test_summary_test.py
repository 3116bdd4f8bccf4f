#!/usr/bin/env python3
"""The CI rule of scripts/test-summary.py on made-up CTest reports: a skip fails a CI run and names
its reason, a test disabled on purpose does not, and the tests run are counted per DLL."""
import os
import subprocess
import sys
import tempfile
import unittest

SUMMARY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "test-summary.py")

REPORT = """<?xml version="1.0" encoding="UTF-8"?>
<testsuite name="t" tests="5">
 <testcase name="scenario.win32.demo" status="run"><system-out>ok</system-out></testcase>
 <testcase name="bridge.faults" status="fail"><failure message="Failed"/></testcase>
 <testcase name="unit.a" status="run"/>
 <testcase name="sweep.x" status="disabled"/>
 %s
</testsuite>
"""
SKIPPED = ('<testcase name="scenario.win64.demo" status="notrun"><skipped message="skipped"/>'
           '<system-out>bridge: skipped: winegcc is not installed (package wine64-tools)</system-out></testcase>')


def summary(extra, ci):
    with tempfile.NamedTemporaryFile("w", suffix=".xml", delete=False) as f:
        f.write(REPORT % extra)
    try:
        run = subprocess.run([sys.executable, SUMMARY, f.name, "--ci", ci], capture_output=True, text=True)
    finally:
        os.unlink(f.name)
    return run.returncode, run.stdout


class CiRule(unittest.TestCase):
    def test_a_skip_fails_under_ci_naming_what_was_missing(self):
        code, out = summary(SKIPPED, "true")
        self.assertEqual(1, code)
        self.assertIn("scenario.win64.demo: bridge: skipped: winegcc is not installed (package wine64-tools)", out)
        self.assertEqual(0, summary(SKIPPED, "false")[0])

    def test_disabled_tests_are_listed_not_failed_and_runs_are_counted_per_dll(self):
        code, out = summary("", "true")
        self.assertEqual(0, code)
        self.assertIn("disabled on purpose: sweep.x", out)
        self.assertIn("32-bit DLL:    1 run,    1 passed, 0 failed", out)
        self.assertIn("64-bit DLL:    1 run,    0 passed, 1 failed", out)
        self.assertIn("all:           3 run,    2 passed, 1 failed", out)


if __name__ == "__main__":
    unittest.main()
