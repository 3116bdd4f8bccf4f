#!/usr/bin/env python3
"""Sums up a CTest run from its JUnit report: how many tests ran on each Windows DLL, and which
did not run.

    test-summary.py JUNIT.xml [--ci true]

Prints the count of tests run (passed, failed) on the 32-bit DLL (names with "win32"), on the
64-bit DLL (names with "win64" and the bridge's own tests) and in all, then each test that was
skipped or not run with the line in which it says why (tests disabled on purpose are only listed). Exit 0; with --ci true, 1 when any test
was skipped or not run: under CI a missing tool is a failure, not a pass. 2 when the report
cannot be read.
"""
import sys
import xml.etree.ElementTree as ET


def dll_of(name):
    if "win32" in name:
        return "32-bit DLL"
    if "win64" in name or name.startswith("bridge."):
        return "64-bit DLL"
    return None


def why(case):
    """The line of a test's output that says why it skipped (the last line as a fallback)."""
    out = case.findtext("system-out") or ""
    skipped = case.find("skipped")
    lines = [l.strip() for l in out.splitlines() if l.strip()]
    for line in lines:
        if "skipped" in line.lower() or "not installed" in line or "missing" in line:
            return line
    if skipped is not None and skipped.get("message"):
        return skipped.get("message")
    return lines[-1] if lines else "(no output)"


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    ci = "--ci" in argv and argv[argv.index("--ci") + 1].lower() in ("true", "1", "yes")
    try:
        cases = ET.parse(argv[1]).getroot().iter("testcase")
    except (OSError, ET.ParseError) as e:
        print("test-summary: %s: %s" % (argv[1], e))
        return 2
    counts, not_run, disabled = {}, [], []
    for case in cases:
        name, status = case.get("name", "?"), case.get("status", "run")
        # A test disabled on purpose (a sweep run by hand, say) is no skip for a missing tool.
        if status == "disabled":
            disabled.append(name)
            continue
        ran = status in ("run", "fail") and case.find("skipped") is None
        if not ran:
            not_run.append((name, why(case)))
            continue
        failed = status == "fail" or case.find("failure") is not None
        for group in ("all", dll_of(name)):
            if group:
                passed, bad = counts.get(group, (0, 0))
                counts[group] = (passed + (not failed), bad + failed)
    print("test-summary: tests run")
    for group in ("32-bit DLL", "64-bit DLL", "all"):
        passed, bad = counts.get(group, (0, 0))
        print("  %-11s %4d run, %4d passed, %d failed" % (group + ":", passed + bad, passed, bad))
    if disabled:
        print("test-summary: %d disabled on purpose: %s" % (len(disabled), ", ".join(disabled)))
    if not_run:
        print("test-summary: %d tests did not run%s:" % (len(not_run), " (a failure under CI)" if ci else ""))
        for name, reason in not_run:
            print("  %s: %s" % (name, reason))
    return 1 if ci and not_run else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
