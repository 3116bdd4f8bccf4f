#!/usr/bin/env python3
"""Compares an output of a run under the host's other readings of undocumented NX with the
expected output of its default readings, where the two may differ by rounding alone:

    same-output.py EXPECTED ACTUAL

Part dumps (.json): numbers may differ by the plane search's tolerance, as with NX's box inside
the body the search walks out of it on another path and ends within the tolerance of the extent,
not on the same bisection point. A member view's reference point is not compared: with the
anchor kept by the update, the plug-in moves the reference point to put the view's geometry in
the middle of its box, so the borders, the scale and the dimensions show the same sheet.
Rendered sheets (.svg): numbers may differ by one in their third decimal, as a point that lies
on a rounding boundary (a marker circle of 0.001 at half scale) rounds either way by the noise of
the way its view was placed. Everything else must be equal. Exit code 0 the same, 1 not (each
difference named), 2 bad usage."""
import json
import re
import sys

# The probe search's tolerance (KV_PROBE_TOLERANCE) and the rounding of dimension values (1e-4).
DUMP_TOLERANCE = 0.0003 + 0.0001
# One in the third decimal the sheets are written with, and the rounding of the two values.
SHEET_TOLERANCE = 0.001 + 1e-9
NUMBER = re.compile(r"-?\d+(?:\.\d+)?")


def differences(a, b, path, out):
    if isinstance(a, bool) or isinstance(b, bool):
        if a is not b:
            out.append(f"{path}: {a!r} != {b!r}")
    elif isinstance(a, (int, float)) and isinstance(b, (int, float)):
        if abs(a - b) > DUMP_TOLERANCE:
            out.append(f"{path}: {a!r} != {b!r}")
    elif isinstance(a, dict) and isinstance(b, dict):
        if list(a) != list(b):
            out.append(f"{path}: fields {list(a)} != {list(b)}")
            return
        for k in a:
            if k == "reference_point" and "/views[" in path:
                continue
            differences(a[k], b[k], f"{path}/{k}", out)
    elif isinstance(a, list) and isinstance(b, list):
        if len(a) != len(b):
            out.append(f"{path}: {len(a)} items != {len(b)}")
            return
        for i, (x, y) in enumerate(zip(a, b)):
            differences(x, y, f"{path}[{i}]", out)
    elif a != b:
        out.append(f"{path}: {a!r} != {b!r}")


def sheet_differences(a, b, out):
    lines_a, lines_b = a.splitlines(), b.splitlines()
    if len(lines_a) != len(lines_b):
        out.append(f"{len(lines_a)} lines != {len(lines_b)}")
        return
    for n, (x, y) in enumerate(zip(lines_a, lines_b), 1):
        if x == y:
            continue
        same = NUMBER.split(x) == NUMBER.split(y)
        nx, ny = NUMBER.findall(x), NUMBER.findall(y)
        same = same and len(nx) == len(ny) and all(abs(float(p) - float(q)) <= SHEET_TOLERANCE for p, q in zip(nx, ny))
        if not same:
            out.append(f"line {n}:\n- {x[:300]}\n+ {y[:300]}")


def main(argv):
    if len(argv) != 3:
        print(__doc__.splitlines()[3].strip(), file=sys.stderr)
        return 2
    texts = []
    for name in argv[1:]:
        with open(name, encoding="utf-8") as f:
            texts.append(f.read())
    out = []
    if argv[1].endswith(".svg"):
        sheet_differences(texts[0], texts[1], out)
    else:
        differences(json.loads(texts[0]), json.loads(texts[1]), "", out)
    for line in out[:40]:
        print(line)
    return 1 if out else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
