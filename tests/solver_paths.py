#!/usr/bin/env python3
"""Runs tavu-solve with --solver skyline and with --solver sparse on the examples and on
generated models, and checks that both paths agree.

    solver_paths.py TAVU_SOLVE EXAMPLES_DIR [COUNT]

COUNT models (default 300) come from bench/compare/gen_models.py. For every model both
runs must end with the same exit status, model report, diagnostics and equation count;
a solved model must give the same displacements, reactions, beam end forces and quad
stresses to 1e-9 relative (to the largest value of the kind in the model, so that values
that are zero up to rounding compare by the model's scale, and at least to 1e-12); a failed decomposition must
name a grid and dof on both paths and give the same rigid-body count line. The sparse
run must report "solver": "sparse", and its log the factor's size lines.
Prints "N passed, M failed" and exits 1 when a model disagrees.
"""

import json
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
GEN = os.path.join(HERE, "..", "bench", "compare", "gen_models.py")
TOLERANCE = 1e-9
FLOOR = 1e-12


def run(solve, model, solver):
    p = subprocess.run([solve, "--json", "--solver", solver, model], capture_output=True,
                       timeout=120)
    return p.returncode, json.loads(p.stdout.decode("utf-8")) if p.stdout else None


def values(report):
    """Result values by kind: a list of (name, value) per kind."""
    kinds = {"disp": [], "reaction": [], "beam": [], "stress": []}
    for g in report["grids"]:
        kinds["disp"] += [("grid %d disp" % g["id"], v) for v in g["disp"]]
        if g["reaction"] is not None:
            kinds["reaction"] += [("grid %d reaction" % g["id"], v) for v in g["reaction"]]
    for b in report["beams"]:
        kinds["beam"] += [("beam %d" % b["id"], v) for v in b["end_a"] + b["end_b"]]
    for q in report["quads"]:
        kinds["stress"] += [("quad %d" % q["id"], v) for row in q["stress"] for v in row]
    return kinds


def compare_solved(a, b):
    va, vb = values(a), values(b)
    for kind in va:
        if len(va[kind]) != len(vb[kind]):
            return "%s: %d values against %d" % (kind, len(va[kind]), len(vb[kind]))
        finite = [abs(v) for _, v in va[kind] if v is not None]
        scale = max(finite, default=0.0)
        for (name, x), (_, y) in zip(va[kind], vb[kind]):
            if x is None or y is None:
                if x != y:
                    return "%s: %s against %s" % (name, x, y)
                continue
            if abs(x - y) > TOLERANCE * max(abs(x), abs(y), scale) + FLOOR:
                return "%s: skyline %.17g, sparse %.17g" % (name, x, y)
    return None


FAIL_LINE = re.compile(r"Nonpositive pivot at grid (\d+), dof ([123])")


def compare(model, solve):
    sa, a = run(solve, model, "skyline")
    sb, b = run(solve, model, "sparse")
    if a is None or b is None:
        return "no report (exit %d, %d)" % (sa, sb)
    if sa != sb:
        return "exit %d with skyline, %d with sparse" % (sa, sb)
    for key in ("status", "read_text", "diagnostics", "neq"):
        if a[key] != b[key]:
            return "%s differs: %r against %r" % (key, a[key], b[key])
    if a["solver"] is not None and (a["solver"], b["solver"]) != ("skyline", "sparse"):
        return "solver reported as %r and %r" % (a["solver"], b["solver"])
    log = b["decomposition_log"]
    if "Number of equations =" in log and "Size of factor =" not in log:
        return "sparse log without the factor's size: %r" % log
    if a["status"] == "solved":
        return compare_solved(a, b)
    if a["status"] == "decomposition_failed":
        la, lb = a["decomposition_log"], b["decomposition_log"]
        if bool(FAIL_LINE.search(la)) != bool(FAIL_LINE.search(lb)):
            return "failure lines differ: %r against %r" % (la, lb)
        tail_a = la.split("\n")[-1] if "rigid body" in la else ""
        tail_b = lb.split("\n")[-1] if "rigid body" in lb else ""
        if tail_a != tail_b:
            return "rigid-body line %r against %r" % (tail_a, tail_b)
    return None


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: solver_paths.py TAVU_SOLVE EXAMPLES_DIR [COUNT]")
    solve, examples = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 300
    with tempfile.TemporaryDirectory() as work:
        subprocess.run([sys.executable, GEN, work, str(count)], check=True)
        models = sorted(os.path.join(examples, f) for f in os.listdir(examples)
                        if f.endswith(".tav"))
        models += sorted(os.path.join(work, f) for f in os.listdir(work) if f.endswith(".tav"))
        passed = failed = 0
        for model in models:
            problem = compare(model, solve)
            if problem:
                failed += 1
                print("%s: %s" % (os.path.basename(model), problem))
            else:
                passed += 1
    print("%d passed, %d failed" % (passed, failed))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
