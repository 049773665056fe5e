#!/usr/bin/env python3
"""Compares two outputs of tavu-solve for a change that may move results by rounding.

    near.py TOLERANCE OLD NEW

Text outside numbers must be the same. Numbers may differ by TOLERANCE relative to the
largest magnitude of their kind in the output, so that values that are zero up to rounding
compare by the model's scale; the error measure, a ratio that is zero up to rounding,
compares relative to 1. In a JSON report the kinds are the grids' displacements, the forces
(reactions and beam end forces), the quad stresses and corner values, and each other number
on its own; in a text report each listing's values together (the reactions and the beam
forces as one). Prints the first difference and exits 1 when there is one.
"""

import json
import re
import sys

NUMBER = re.compile(r"[-+ ]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?|[-+]?(?:Inf|NaN)")
FLOOR = 0.0


# The error measure is a ratio of works that is zero up to rounding: it compares to 1.
ERROR_MEASURE = "error measure ="


def split(text):
    """Text into (skeleton, numbers, scales): the numbers replaced by a mark; the scale of
    each number is 1 for the error measure, else None."""
    numbers, scales = [], []
    for m in NUMBER.finditer(text):
        numbers.append(m.group(0))
        scales.append(1.0 if text[:m.start()].rstrip().endswith(ERROR_MEASURE) else None)
    return NUMBER.sub("#", text), numbers, scales


def near(x, y, tolerance, scale):
    try:
        a, b = float(x), float(y)
    except ValueError:
        return x == y
    if a != a or b != b or abs(a) == float("inf") or abs(b) == float("inf"):
        return repr(a) == repr(b)
    return abs(a - b) <= tolerance * max(abs(a), abs(b), scale) + FLOOR


def same_text(a, b, tolerance, scales=None):
    """Token by token; scales(i) gives the scale of the i-th number, else its own size."""
    sa, na, fixed = split(a)
    sb, nb, _ = split(b)
    if sa != sb or len(na) != len(nb):
        return False
    return all(near(x, y, tolerance, fixed[i] or (scales(i) if scales else 0))
               for i, (x, y) in enumerate(zip(na, nb)))


# Listings whose values are forces on the grids: they compare by one scale.
FORCES = ("Reactions", "Beam Forces")


def section_of(title, n):
    return "forces" if title in FORCES else n


def text_scales(lines_a, lines_b):
    """Per listing (a title line, then rows): the largest magnitude."""
    scales, section = {}, 0
    for lines in (lines_a, lines_b):
        n = 0
        for line in lines:
            fields = line.split("\t")
            if len(fields) == 1:
                n += 1
                section = section_of(line.strip(), n)
                continue
            for f in fields:
                try:
                    v = abs(float(f))
                except ValueError:
                    continue
                if v == v and v != float("inf"):
                    scales[section] = max(scales.get(section, 0.0), v)
    return scales


def compare_text(a, b, tolerance):
    la, lb = a.split("\n"), b.split("\n")
    if len(la) != len(lb):
        return "%d lines against %d" % (len(la), len(lb))
    scales = text_scales(la, lb)
    section, titles = 0, 0
    for n, (x, y) in enumerate(zip(la, lb), 1):
        fields_x, fields_y = x.split("\t"), y.split("\t")
        if len(fields_x) == 1:
            titles += 1
            section = section_of(x.strip(), titles)
        if x == y:
            continue
        if len(fields_x) != len(fields_y):
            return "line %d: %r against %r" % (n, x, y)
        scale = scales.get(section, 0.0)
        for fx, fy in zip(fields_x, fields_y):
            if not same_text(fx, fy, tolerance, lambda i: scale):
                return "line %d: %r against %r" % (n, x, y)
    return None


KINDS = {"disp": "disp", "reaction": "reaction", "end_a": "beam", "end_b": "beam",
         "stress": "stress", "corners": "stress", "error_measure": "error"}


def numbers_of(value, kind, out):
    if isinstance(value, (int, float)) and not isinstance(value, bool):
        out.setdefault(kind, 0.0)
        out[kind] = max(out[kind], abs(value))
    elif isinstance(value, list):
        for v in value:
            numbers_of(v, kind, out)


def json_scales(doc, out):
    for item in doc.get("grids", []) + doc.get("beams", []) + doc.get("quads", []):
        for key, kind in KINDS.items():
            if key in item and kind != "error":
                numbers_of(item[key], kind, out)
    # Reactions and beam end forces are both forces on the grids: a beam whose forces are
    # all zero up to rounding compares by the reactions.
    forces = max(out.get("reaction", 0.0), out.get("beam", 0.0))
    out["reaction"] = out["beam"] = forces


def compare_json(a, b, tolerance, scales, path="", kind=None):
    if isinstance(a, dict) and isinstance(b, dict):
        if sorted(a) != sorted(b):
            return "%s: keys %s against %s" % (path, sorted(a), sorted(b))
        for key in a:
            problem = compare_json(a[key], b[key], tolerance, scales, path + "." + key,
                                   KINDS.get(key, kind))
            if problem:
                return problem
        return None
    if isinstance(a, list) and isinstance(b, list):
        if len(a) != len(b):
            return "%s: %d items against %d" % (path, len(a), len(b))
        for i, (x, y) in enumerate(zip(a, b)):
            problem = compare_json(x, y, tolerance, scales, "%s[%d]" % (path, i), kind)
            if problem:
                return problem
        return None
    if isinstance(a, str) and isinstance(b, str):
        return None if same_text(a, b, tolerance) else "%s: %r against %r" % (path, a, b)
    numeric = (int, float)
    if (isinstance(a, numeric) and isinstance(b, numeric) and not isinstance(a, bool)
            and not isinstance(b, bool)):
        scale = scales.get(kind, 0.0) if kind else 0.0
        return None if near(a, b, tolerance, scale) else "%s: %r against %r" % (path, a, b)
    return None if a == b else "%s: %r against %r" % (path, a, b)


def compare(old, new, tolerance):
    try:
        a, b = json.loads(old), json.loads(new)
    except ValueError:
        return compare_text(old, new, tolerance)
    scales = {"error": 1.0}
    json_scales(a, scales)
    json_scales(b, scales)
    return compare_json(a, b, tolerance, scales)


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: near.py TOLERANCE OLD NEW")
    tolerance = float(sys.argv[1])
    with open(sys.argv[2], encoding="utf-8", errors="replace") as f:
        old = f.read()
    with open(sys.argv[3], encoding="utf-8", errors="replace") as f:
        new = f.read()
    problem = compare(old, new, tolerance)
    if problem:
        print(problem)
        sys.exit(1)


if __name__ == "__main__":
    main()
