#!/usr/bin/python3
"""Results out, read back by a real reader: tavu-solve --vtu and --csv against the JSON report
of the same run; with --mesh, geometry imported by tavu-mesh first.

    export_round_trip.py TAVU_SOLVE MODEL.tav...
    export_round_trip.py TAVU_SOLVE --mesh TAVU_MESH GEOMETRY.geo...

Every model must solve. The VTU file, read with meshio, must have a point per grid and a
cell per quad and beam, the displacements (in x-y: exactly as the JSON report gives them
for a grid without turned axes, turned by its axis angle for a POLAR grid or one with an
axis angle), rotations, reactions, averaged stresses and beam end forces of the JSON report; the
CSV files the rows of the listings, exactly.

An imported model gets its PROP and MATL placeholders filled and, from the groups its
comments list, supports and loads: RACT on the grids of groups named base (held), symmetry-x
(u held) and symmetry-y (v held), QLOAD -1 on the edges of a group named pull, LOAD on a
group named tip. It must then process without a diagnostic or a warning. The plate with a
hole must show the stress concentration of Kirsch: about 3 at the top of the hole.

Run with Debian's interpreter, which has python3-meshio; exits 77 (skipped) when meshio
is missing, saying so. Prints "N passed, M failed".
"""

import csv
import json
import math
import os
import re
import subprocess
import sys
import tempfile

try:
    import meshio
except ImportError:
    print("SKIP: meshio is not installed for %s (Debian package python3-meshio)" % sys.executable)
    sys.exit(77)


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def run(args):
    p = subprocess.run(args, capture_output=True, timeout=300)
    return p.returncode, p.stdout.decode("utf-8", "replace"), p.stderr.decode("utf-8", "replace")


def group_lists(lines):
    """{group name: {"grids": [ids], "edges": [(quad, edge)]}} from the import's comments."""
    groups, current, key = {}, None, None
    for line in lines:
        m = re.match(r'^\$ \w+ group "([^"]*)"', line)
        if m:
            current, key = groups.setdefault(m.group(1), {"grids": [], "edges": []}), None
            continue
        if current is None:
            continue
        if line.startswith("$     "):
            body = line[6:]
        elif line.startswith("$   "):
            body = line[4:]
            if body.startswith("grid"):
                key, body = "grids", body.split(" ", 1)[1]
            elif body.startswith("quad edges"):
                key, body = "edges", body.split(":", 1)[1]
            else:
                key = None
        else:
            current = None
            continue
        for item in (i.split() for i in body.split(",") if i.strip()):
            if key == "edges":
                current["edges"].append((int(item[0]), int(item[1])))
            elif key == "grids":
                current["grids"] += range(int(item[0]), int(item[-1]) + 1)
    return groups


def fill(lines, groups):
    """The imported model with its placeholders, supports and loads filled in."""
    supports = {"base": "1 1 0", "symmetry-x": "1 0 0", "symmetry-y": "0 1 0"}
    constraints = ["RACT %d %s" % (g, codes) for name, codes in supports.items()
                   for g in groups.get(name, {}).get("grids", [])]
    loads = ["QLOAD %d %d -1" % edge for edge in groups.get("pull", {}).get("edges", [])]
    loads += ["LOAD %d 0 -1 0" % g for g in groups.get("tip", {}).get("grids", [])]
    out = []
    for line in lines:
        fields = line.split("$")[0].split()
        if len(fields) == 2 and fields[0] == "PROP":
            out.append("PROP %s 1 0.01" % fields[1])
        elif len(fields) == 2 and fields[0] == "MATL":
            out.append("MATL %s 1000 0.3" % fields[1])
        elif line == "ENDMODEL":
            out += constraints + [line] + loads
        else:
            out.append(line)
    return out


def solve(tavu_solve, model, work):
    vtu, csv_dir = os.path.join(work, "out.vtu"), os.path.join(work, "csv")
    status, out, err = run([tavu_solve, "--json", "--vtu", vtu, "--csv", csv_dir, model])
    check(status == 0, "%s: tavu-solve exit %d: %s" % (model, status, err))
    report = json.loads(out)
    check(report["diagnostics"] == [] and report["warnings"] == [],
          "%s: %s %s" % (model, report["diagnostics"], report["warnings"]))
    return report, vtu, csv_dir


def close(x, y, scale):
    return abs(x - y) <= 1e-12 * max(scale, 1e-300)


def turned_grids(model):
    """{grid id: axis angle in radians} of the GRID records with the option POLAR (the polar
    angle, or number 5 of a record of five) or an axis angle."""
    turned = {}
    with open(model, newline="") as f:
        for line in f:
            fields = line.split("$")[0].replace(",", " ").split()
            if not fields or fields[0].upper() != "GRID":
                continue
            words = [w.upper() for w in fields[1:] if w[0].isalpha()]
            numbers = [float(w) for w in fields[1:] if not w[0].isalpha()] + [0] * 5
            if "POLAR" in words:
                angle = numbers[4] if len(numbers) == 10 else numbers[2]
            else:
                angle = numbers[3] if not words else 0
            if angle != 0:
                turned[int(numbers[0])] = math.radians(angle)
    return turned


def check_vtu(report, vtu, turned):
    mesh = meshio.read(vtu)
    grids, quads, beams = report["grids"], report["quads"], report["beams"]
    check(len(mesh.points) == len(grids), "%d points, %d grids" % (len(mesh.points), len(grids)))
    cells = [(block.type, row) for block in mesh.cells for row in block.data]
    check(len(cells) == len(quads) + len(beams),
          "%d cells, %d quads and beams" % (len(cells), len(quads) + len(beams)))
    pd, cd = mesh.point_data, {k: [v for block in val for v in block] for k, val in
                               mesh.cell_data.items()}
    for i, g in enumerate(grids):
        d, u = pd["displacement"][i], g["disp"]
        check(pd["grid"][i] == g["id"], "point %d is grid %d" % (i, pd["grid"][i]))
        if g["id"] not in turned:
            check(d[0] == u[0] and d[1] == u[1], "grid %d: %s against %s" % (g["id"], d, u))
        c, s = math.cos(turned.get(g["id"], 0)), math.sin(turned.get(g["id"], 0))
        length = math.hypot(u[0], u[1])
        check(close(d[0], c * u[0] - s * u[1], length) and close(d[1], s * u[0] + c * u[1], length),
              "grid %d: %s against %s turned" % (g["id"], d, u))
        check(pd["rotation"][i] == u[2], "grid %d rotation" % g["id"])
        check(list(pd["reaction"][i]) == (g["reaction"] or [0, 0, 0]), "grid %d reaction" % g["id"])
    for k, q in enumerate(quads):
        kind, points = cells[k]
        check(kind == ("triangle" if q["grids"][2] == q["grids"][3] else "quad"), "quad %d" % q["id"])
        check([p + 1 for p in points] == q["grids"][:len(points)], "quad %d corners" % q["id"])
        check(cd["element"][k] == q["id"], "cell %d is quad %d" % (k, cd["element"][k]))
        for c in range(3):
            mean = sum(row[c] for row in q["stress"]) / 4
            scale = max(abs(v) for row in q["stress"] for v in row)
            check(close(cd["stress"][k][c], mean, scale), "quad %d stress" % q["id"])
    for k, b in enumerate(beams):
        kind, points = cells[len(quads) + k]
        check(kind == "line" and [p + 1 for p in points] == b["grids"], "beam %d" % b["id"])
        check(list(cd["end_a"][len(quads) + k]) == b["end_a"] and
              list(cd["end_b"][len(quads) + k]) == b["end_b"], "beam %d forces" % b["id"])


def check_csv(report, csv_dir):
    def rows(name):
        with open(os.path.join(csv_dir, name), newline="") as f:
            table = list(csv.reader(f))
        return table[0], [[float(v) for v in row] for row in table[1:]]

    head, deflections = rows("deflections.csv")
    check(head == ["grid", "u", "v", "rotation"], "deflections header %s" % head)
    check(deflections == [[g["id"]] + g["disp"] for g in report["grids"]], "deflections.csv")
    _, reactions = rows("reactions.csv")
    check(reactions == [[g["id"]] + g["reaction"] for g in report["grids"] if g["reaction"]],
          "reactions.csv")
    _, forces = rows("beam-forces.csv")
    check(forces == [[b["id"]] + b["grids"] + b["end_a"] + b["end_b"] for b in report["beams"]],
          "beam-forces.csv")
    _, stresses = rows("quad-stresses.csv")
    check(stresses == [[q["id"], g] + c for q in report["quads"]
                       for g, c in zip(q["grids"], q["corners"])], "quad-stresses.csv")


def kirsch(report, groups):
    """The pull is 1 (pressure 1 on thickness 1): sx at the top of the hole, the mean of the
    corner values of the quads that meet there, is about 3."""
    peak = groups["peak"]["grids"][0]
    values = [c[0] for q in report["quads"] for g, c in zip(q["grids"], q["corners"]) if g == peak]
    sx = sum(values) / len(values)
    check(2.7 <= sx <= 3.3, "stress concentration %.3f at grid %d, not near 3" % (sx, peak))
    return sx


def imported(tavu_mesh, geometry, work):
    model = os.path.join(work, "model.tav")
    status, _, err = run([tavu_mesh, geometry, "-o", model])
    check(status == 0, "tavu-mesh exit %d: %s" % (status, err))
    m = re.search(r"Stiffness elements: (\d+) in the NSEQ order, (\d+) in grid-id order", err)
    check(m and int(m.group(1)) <= int(m.group(2)), "import report: %s" % err)
    with open(model, newline="") as f:
        text = f.read()
    check(text.endswith("\r\n") and "\n" not in text.replace("\r\n", ""), "CR LF line ends")
    lines = text.split("\r\n")[:-1]
    groups = group_lists(lines)
    with open(model, "w", newline="") as f:
        f.write("\r\n".join(fill(lines, groups)) + "\r\n")
    return model, groups


def main(argv):
    tavu_solve, rest = argv[1], argv[2:]
    tavu_mesh = None
    if rest[:1] == ["--mesh"]:
        tavu_mesh, rest = rest[1], rest[2:]
    passed = failed = 0
    for path in rest:
        with tempfile.TemporaryDirectory() as work:
            try:
                groups = {}
                model = path
                if tavu_mesh:
                    model, groups = imported(tavu_mesh, path, work)
                report, vtu, csv_dir = solve(tavu_solve, model, work)
                check_vtu(report, vtu, turned_grids(model))
                check_csv(report, csv_dir)
                note = ""
                if "peak" in groups:
                    note = ", stress concentration %.3f" % kirsch(report, groups)
                print("ok   %s: %d grids, %d quads, %d beams%s" % (
                    os.path.basename(path), len(report["grids"]), len(report["quads"]),
                    len(report["beams"]), note))
                passed += 1
            except (Failure, KeyError, ValueError, IndexError) as e:
                print("FAIL %s: %s" % (os.path.basename(path), e))
                failed += 1
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
