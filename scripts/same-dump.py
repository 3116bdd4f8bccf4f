#!/usr/bin/env python3
"""Compares two part dumps (parts/*.json of a run) as a run under the host's other readings of
undocumented NX is compared with the expected outputs of its default readings:

    same-dump.py EXPECTED.json ACTUAL.json

Numbers may differ by the plane search's tolerance: with NX's box inside the body the search
walks out of it on another path and ends within the tolerance of the extent, not on the same
bisection point. Everything else must be equal. Exit code 0 the same, 1 not (each difference named), 2 bad usage."""
import json
import sys

# The probe search's tolerance (KV_PROBE_TOLERANCE) and the rounding of dimension values (1e-4).
TOLERANCE = 0.0003 + 0.0001


def differences(a, b, path, out):
    if isinstance(a, bool) or isinstance(b, bool):
        if a is not b:
            out.append(f"{path}: {a!r} != {b!r}")
    elif isinstance(a, (int, float)) and isinstance(b, (int, float)):
        if abs(a - b) > TOLERANCE:
            out.append(f"{path}: {a!r} != {b!r}")
    elif isinstance(a, dict) and isinstance(b, dict):
        if list(a) != list(b):
            out.append(f"{path}: fields {list(a)} != {list(b)}")
            return
        for k in a:
            differences(a[k], b[k], f"{path}/{k}", out)
    elif isinstance(a, list) and isinstance(b, list):
        if len(a) != len(b):
            out.append(f"{path}: {len(a)} items != {len(b)}")
            return
        for i, (x, y) in enumerate(zip(a, b)):
            differences(x, y, f"{path}[{i}]", out)
    elif a != b:
        out.append(f"{path}: {a!r} != {b!r}")


def main(argv):
    if len(argv) != 3:
        print(__doc__.splitlines()[2].strip(), file=sys.stderr)
        return 2
    docs = []
    for name in argv[1:]:
        with open(name, encoding="utf-8") as f:
            docs.append(json.load(f))
    out = []
    differences(docs[0], docs[1], "", out)
    for line in out[:40]:
        print(line)
    return 1 if out else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
