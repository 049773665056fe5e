#!/usr/bin/env python3
"""Writes a deterministic set of model files for output comparisons.

    gen_models.py OUTDIR [COUNT]

Model i depends only on i (its own seeded random source), so a larger COUNT keeps the
first models unchanged. About three quarters are valid models of varied shapes (frames,
continuous beams, trusses, plates, polar rings, stiffened walls, spring beds); the rest
are valid models with one mutation that breaks them, so that the diagnostics, the
decomposition failures and the odd corners of the format are compared as well.
"""

import math
import os
import random
import sys

DEG = 0.017453292519943


class Model:
    """Lines of one model text, grouped by section, and the facts the loads need."""

    def __init__(self, rng, name):
        self.rng = rng
        self.name = name
        self.grid_lines = []
        self.elem_lines = []
        self.prop_lines = []
        self.cons_head = []  # DOFS DEF and DOFS records
        self.cons_tail = []  # RACT and SPRG records
        self.nseq = False
        self.load_lines = []
        self.xy = {}  # grid id -> (x, y)
        self.nb = 0
        self.nq = 0
        self.beams = []  # (id, ga, gb)
        self.quads = []  # (id, corners, triangle)
        self.next_prop = self.rng.choice([0, 1, 1, 1, 3])
        self.next_matl = self.rng.choice([0, 1, 1, 1, 2])
        self.beam_step = self.rng.choice([1, 1, 1, 2, 10])
        self.quad_step = self.rng.choice([1, 1, 1, 3])
        self.prescribed = []  # grids with a prescribed-displacement dof

    # ---- rendering of one record ---------------------------------------------------
    def num(self, x):
        r = self.rng.random()
        if isinstance(x, int):
            if r < 0.05:
                return "%d.0" % x
            return "%d" % x
        if x == 0:
            return self.rng.choice(["0", "0.", "0.0", "0"])
        if r < 0.55:
            return "%.6g" % x
        if r < 0.75:
            return "%.4E" % x
        if r < 0.85:
            s = "%.5g" % x
            if s.startswith("0."):
                return s[1:]
            if s.startswith("-0."):
                return "-" + s[2:]
            return s
        if r < 0.92:
            return ("%.3e" % x).replace("e", "D")
        return repr(round(x, 9))

    def rec(self, kw, nums, opt=None, comment=None):
        rng = self.rng
        r = rng.random()
        word = kw if r < 0.85 else (kw.lower() if r < 0.95 else kw.capitalize())
        toks = [self.num(v) for v in nums]
        # The keyword is the first word wherever it stands among the numbers, and the
        # option is the second word.
        at = 1 if toks and rng.random() < 0.1 else 0
        toks.insert(at, word)
        if at and rng.random() < 0.5:
            toks.insert(at + 1, "+")  # a field starting with "+" is ignored
        if opt is not None:
            o = opt if rng.random() < 0.9 else opt.lower()
            where = rng.random()
            if where < 0.6:
                toks.insert(at + 1, o)
            elif where < 0.85:
                toks.append(o)
            else:
                toks.insert(rng.randint(at + 1, len(toks)), o)
        sep = rng.choice([" ", " ", " ", "  ", ", ", ",", " ,"])
        line = sep.join(toks)
        if comment or rng.random() < 0.08:
            line += "   $ " + (comment or "note, with $ and 12 3 numbers")
        return line

    # ---- model section ---------------------------------------------------------------
    def grid(self, x, y, angle=0.0):
        gid = len(self.xy) + 1
        self.xy[gid] = (x, y)
        nums = [gid, x, y] + ([angle] if angle else [])
        self.grid_lines.append(self.rec("GRID", nums))
        return gid

    def polar(self, r, a, center=0, axis=None, sixth=None):
        gid = len(self.xy) + 1
        cx, cy = self.xy[center] if center else (0.0, 0.0)
        self.xy[gid] = (cx + r * math.cos(DEG * a), cy + r * math.sin(DEG * a))
        nums = [gid, r, a]
        if center or axis is not None:
            nums.append(center)
        if axis is not None:
            nums.append(axis)
            if sixth is not None:
                nums.append(sixth)  # with six numbers the fifth is not used
        self.grid_lines.append(self.rec("GRID", nums, "POLAR"))
        return gid

    def eq(self, src):
        gid = len(self.xy) + 1
        self.xy[gid] = self.xy[src]
        self.grid_lines.append(self.rec("GRID", [gid, src], "EQ"))
        return gid

    def prop(self, area, inertia=0.0, shear=0.0, axial=0.0):
        pid = self.next_prop
        self.next_prop += 1
        nums = [pid, area]
        for extra in (inertia, shear, axial):
            nums.append(extra)
        while len(nums) > 2 and nums[-1] == 0:
            nums.pop()
        self.prop_lines.append(self.rec("PROP", nums))
        return pid

    def matl(self, E, nu=0.0, alpha=0.0, density=0.0, mode=None):
        mid = self.next_matl
        self.next_matl += 1
        nums = [mid, E, nu, alpha, density]
        while len(nums) > 2 and nums[-1] == 0:
            nums.pop()
        self.prop_lines.append(self.rec("MATL", nums, mode))
        return mid

    def beam(self, ga, gb, pid, mid, kind=None, offsets=None):
        self.nb += 1
        bid = self.nb * self.beam_step
        nums = [bid, ga, gb, pid, mid] + (list(offsets) if offsets else [])
        self.elem_lines.append(self.rec("BEAM", nums, kind))
        self.beams.append((bid, ga, gb))
        return bid

    def quad(self, corners, pid, mid):
        self.nq += 1
        qid = self.nq * self.quad_step
        cs = list(corners) + ([0] if len(corners) == 3 else [])
        self.elem_lines.append(self.rec("QUAD", [qid] + cs + [pid, mid]))
        self.quads.append((qid, list(corners), len(corners) == 3))
        return qid

    def ract(self, g, codes, g2=None):
        nums = [g] + ([g2] if g2 is not None else []) + list(codes)
        self.cons_tail.append(self.rec("RACT", nums, "THRU" if g2 is not None else None))
        if any(c < 0 for c in codes):
            self.prescribed.append(g)

    def sprg(self, g, ks, g2=None):
        nums = [g] + ([g2] if g2 is not None else []) + list(ks)
        self.cons_tail.append(self.rec("SPRG", nums, "THRU" if g2 is not None else None))

    def dofs(self, g, flags, g2=None):
        nums = [g] + ([g2] if g2 is not None else []) + list(flags)
        self.cons_head.append(self.rec("DOFS", nums, "THRU" if g2 is not None else None))

    def dofs_def(self, flags):
        self.cons_head.insert(0, self.rec("DOFS", list(flags), "DEF"))

    def load(self, kw, nums, thru=None):
        if thru is not None:
            nums = [nums[0], thru] + list(nums[1:])
        self.load_lines.append(self.rec(kw, nums, "THRU" if thru is not None else None))

    # ---- the whole text -------------------------------------------------------------
    def render(self, shuffle_grids=False):
        rng = self.rng
        out = ["$ " + self.name]
        grids = list(self.grid_lines)
        if shuffle_grids:
            rng.shuffle(grids)
        out += grids
        elems = list(self.elem_lines)
        props = list(self.prop_lines)
        if rng.random() < 0.5:
            out += props + elems
        else:
            out += elems
            out.append("")
            out += props
        out.append("$ constraints")
        cons = list(self.cons_head)
        tail = list(self.cons_tail)
        if self.nseq:
            ids = list(range(1, len(self.xy) + 1))
            if rng.random() < 0.5:
                ids.reverse()
            else:
                rng.shuffle(ids)
            seq = []
            step = rng.choice([10, 7, 4])
            for k in range(0, len(ids), step):
                seq.append(self.rec("NSEQ", ids[k:k + step]))
            at = rng.randint(0, len(tail))
            tail[at:at] = seq
        out += cons + tail
        out.append(self.rec("ENDMODEL", []))
        out += self.load_lines
        return out


# ---- model families ---------------------------------------------------------------------

def steel(m, density=0.0, alpha=1.2e-5):
    return m.matl(2.1e8, 0.3, alpha, density)


def loads_subcases(m, groups):
    """Distributes the load records made by `groups` (callables) over subcases."""
    rng = m.rng
    if len(groups) > 1 and rng.random() < 0.35:
        numbers = list(range(1, len(groups)))
        if rng.random() < 0.2:
            numbers[-1] = rng.choice([0, 12, -1])  # a subcase without a scalar field
        groups[0]()
        for n, g in zip(numbers, groups[1:]):
            m.load_lines.append(m.rec("SUBCASE", [n]))
            g()
    else:
        for g in groups:
            g()


def family_frame(m):
    rng = m.rng
    bays = rng.randint(1, 3)
    storeys = rng.randint(1, 3)
    xs = [0.0]
    for _ in range(bays):
        xs.append(xs[-1] + rng.choice([4.0, 5.0, 6.0, 7.5]))
    ys = [0.0]
    for _ in range(storeys):
        ys.append(ys[-1] + rng.choice([3.0, 3.5, 4.0]))
    col_I = rng.choice([5.79e-5, 8.0e-5, 1.16e-4])
    girder_I = rng.choice([8.0e-5, 1.16e-4, 2.0e-4])
    axial = rng.random() < 0.3
    h = ys[1]
    col = m.prop(5.38e-3, col_I, rng.choice([0.0, 0.0, 2.0e-3]),
                 col_I * 2.1e8 / (h * h) * rng.uniform(0.1, 0.8) if axial else 0.0)
    gir = m.prop(7.27e-3, girder_I)
    mat = steel(m, density=rng.choice([0.0, 0.5, 0.78]))
    g = {}
    inclined = rng.random() < 0.25 and bays >= 1
    for j, y in enumerate(ys):
        for i, x in enumerate(xs):
            angle = 30.0 if (inclined and j == 0 and i == len(xs) - 1) else 0.0
            g[i, j] = m.grid(x, y, angle)
    cols, girders = [], []
    for i in range(len(xs)):
        for j in range(storeys):
            cols.append(m.beam(g[i, j], g[i, j + 1], col, mat,
                               "CURV" if rng.random() < 0.1 else None))
    hinge_eq = None
    for j in range(1, storeys + 1):
        for i in range(bays):
            ga, gb = g[i, j], g[i + 1, j]
            if hinge_eq is None and rng.random() < 0.2:
                hinge_eq = m.eq(ga)
                spring = m.prop(1.0e7, 1.0e7, rng.choice([0.0, 500.0]))
                m.beam(ga, hinge_eq, spring, mat)
                ga = hinge_eq
            # A hinge leaves the girder's end A rotation to the girder: never a PIN one.
            kind = "PIN" if rng.random() < 0.2 and ga != hinge_eq else None
            off = None
            if rng.random() < 0.15:
                off = (rng.choice([0.0, 0.1, 0.25]), rng.choice([0.0, -0.1, 0.2]))
            girders.append(m.beam(ga, gb, gir, mat, kind, off))
    if rng.random() < 0.4:
        brace = m.prop(2.0e-3, rng.choice([0.0, 1.0e-6]))
        m.beam(g[0, 0], g[1, 1], brace, mat, rng.choice([None, "BEND"]))
    m.dofs_def([1, 1, 1])
    for i in range(len(xs)):
        if inclined and i == len(xs) - 1:
            m.ract(g[i, 0], [0, rng.choice([1, 1, -1]), 0])  # normal to the track
        elif rng.random() < 0.15:
            m.sprg(g[i, 0], [1.0e6, 1.0e6, 1.0e5])
        elif rng.random() < 0.15:
            m.ract(g[i, 0], [1, -1, 1])
        else:
            m.ract(g[i, 0], [1, 1, 1])
    m.nseq = rng.random() < 0.2

    def wind():
        for j in range(1, storeys + 1):
            m.load("LOAD", [g[0, j], rng.choice([5.0, 10.0, 12.5]), 0.0])

    def roof():
        if len(girders) > 1 and rng.random() < 0.6:
            m.load("BLOAD", [girders[0], -15.0], thru=girders[-1])
        else:
            for b in girders:
                m.load("BLOAD", [b, -rng.choice([10.0, 15.0]), -rng.choice([5.0, 20.0])])

    def extras():
        if rng.random() < 0.5:
            m.load("GRAV", [0.0, -1.0])
        if rng.random() < 0.3:
            m.load("BTEMP", [cols[0], 30.0, rng.choice([0.0, 50.0])])
        if rng.random() < 0.3:
            m.load("BINIT", [girders[0], 0.001, 0.002, 0.0])
        elif rng.random() < 0.2:
            m.load("BINIT", [cols[0], 0.0, 0.0, 0.001], thru=cols[-1])
        for p in m.prescribed:
            m.load("DISP", [p, 0.0, -0.005])
        if rng.random() < 0.2:
            m.load("LOAD", [g[1, storeys], 0.0, 0.0, 8.0])

    loads_subcases(m, [wind, roof, extras])


def family_continuous(m):
    rng = m.rng
    spans = rng.randint(2, 5)
    phi = rng.choice([0.0, 0.0, 0.0, 15.0, 90.0])
    c, s = math.cos(DEG * phi), math.sin(DEG * phi)
    turned = phi != 0 and rng.random() < 0.5
    x = 0.0
    ids = []
    for k in range(spans + 1):
        ids.append(m.grid(x * c, x * s, phi if turned else 0.0))
        x += rng.choice([3.0, 4.0, 5.5])
    p = m.prop(8.0e-3, 2.0e-4, rng.choice([0.0, 0.0, 3.0e-3]))
    mat = steel(m, density=rng.choice([0.0, 0.6]))
    pin_first = rng.random() < 0.4
    beams = []
    for k in range(spans):
        kind = "PIN" if (pin_first and k == 0) else ("CURV" if rng.random() < 0.1 else None)
        beams.append(m.beam(ids[k], ids[k + 1], p, mat, kind))
    m.dofs_def([1, 1, 1])
    m.ract(ids[0], [1, 1, 1])
    settle = None
    for k in range(2 if pin_first else 1, spans + 1):
        if k % 2 == 0 or k == spans:
            if turned and settle is None and rng.random() < 0.4:
                code = [0, -1, 0]  # prescribed across the turned axis: the pair is turned
                settle = ids[k]
            elif turned:
                code = [0, 1, 0]  # held across the turned axis: eliminated
            elif phi:
                code = [1, 1, 0]
            elif settle is None and rng.random() < 0.3:
                code = [0, -1, 0]
                settle = ids[k]
            else:
                code = [0, 1, 0]
            m.ract(ids[k], code)
    m.nseq = rng.random() < 0.15

    def dead():
        m.load("BLOAD", [beams[0], -10.0], thru=beams[-1])

    def live():
        k = rng.randrange(spans)
        m.load("BLOAD", [beams[k], -5.0, -25.0])
        m.load("LOAD", [ids[rng.randrange(1, spans + 1)], 0.0, -40.0])
        if settle is not None:
            m.load("DISP", [settle, 0.0, -0.01])

    def other():
        if rng.random() < 0.4:
            m.load("BTEMP", [beams[-1], 20.0, 80.0])
        if rng.random() < 0.4:
            m.load("GRAV", [0.3, -1.0])
        elif rng.random() < 0.15:
            m.load("GRAV", [1, 0.0, -0.5], thru=2)  # applied once per id of the range
        if rng.random() < 0.3:
            m.load("BLOAD", [beams[-1], 3.0])

    loads_subcases(m, [dead, live, other])


def family_truss(m):
    rng = m.rng
    panels = rng.randint(2, 6)
    w = rng.choice([2.0, 3.0])
    hgt = rng.choice([1.5, 2.0, 3.0])
    bottom = [m.grid(i * w, 0.0) for i in range(panels + 1)]
    top = [m.grid(i * w, hgt) for i in range(1, panels)]
    chord = m.prop(2.0e-3)
    web = m.prop(1.2e-3)
    mat = steel(m, density=rng.choice([0.0, 0.16]))
    for i in range(panels):
        m.beam(bottom[i], bottom[i + 1], chord, mat)
    m.beam(bottom[0], top[0], chord, mat)
    for i in range(len(top) - 1):
        m.beam(top[i], top[i + 1], chord, mat)
    m.beam(top[-1], bottom[-1], chord, mat)
    for i, t in enumerate(top):
        m.beam(bottom[i + 1], t, web, mat)
        m.beam(t, bottom[i + 2] if i < panels // 2 else bottom[i], web, mat)
    m.dofs_def([1, 1, 0])
    m.ract(bottom[0], [1, 1])
    roller = rng.random()
    if roller < 0.6:
        m.ract(bottom[-1], [0, 1])
    elif roller < 0.8:
        m.sprg(bottom[-1], [0.0, 5.0e5])
    else:
        m.ract(bottom[-1], [0, 1, 1])
    m.nseq = rng.random() < 0.2

    def purlins():
        if len(top) > 1:
            m.load("LOAD", [top[0], 0.0, -12.0], thru=top[-1])
        else:
            m.load("LOAD", [top[0], 0.0, -12.0])
        m.load("LOAD", [bottom[0], 0.0, -6.0])

    def other():
        if rng.random() < 0.5:
            m.load("GRAV", [0.0, -9.81])
        if rng.random() < 0.3:
            m.load("BTEMP", [1, 40.0], thru=panels)
        if rng.random() < 0.3:
            m.load("LOAD", [top[len(top) // 2], 3.0, 0.0])

    loads_subcases(m, [purlins, other])


def plate_mesh(m, nx, ny, x0=0.0, y0=0.0, dx=1.0, dy=1.0, jiggle=0.0, order="col"):
    """Grids of an nx by ny cell mesh; returns g[i, j]."""
    rng = m.rng
    g = {}
    coords = {}
    for i in range(nx + 1):
        for j in range(ny + 1):
            x, y = x0 + i * dx, y0 + j * dy
            if 0 < i < nx and 0 < j < ny and jiggle:
                x += rng.uniform(-jiggle, jiggle) * dx
                y += rng.uniform(-jiggle, jiggle) * dy
            coords[i, j] = (round(x, 5), round(y, 5))
    keys = ([(i, j) for i in range(nx + 1) for j in range(ny + 1)] if order == "col" else
            [(i, j) for j in range(ny + 1) for i in range(nx + 1)])
    for k in keys:
        g[k] = m.grid(*coords[k])
    return g


def plate_quads(m, g, nx, ny, pid, mid, tri_share=0.0):
    rng = m.rng
    cells = {}
    for j in range(ny):
        for i in range(nx):
            a, b, c, d = g[i, j], g[i + 1, j], g[i + 1, j + 1], g[i, j + 1]
            if rng.random() < tri_share:
                cells[i, j] = (m.quad([a, b, c], pid, mid), m.quad([a, c, d], pid, mid))
            else:
                cells[i, j] = (m.quad([a, b, c, d], pid, mid),)
    return cells


def family_plate(m):
    rng = m.rng
    nx, ny = rng.randint(2, 6), rng.randint(1, 4)
    dx, dy = rng.choice([0.5, 1.0, 2.0]), rng.choice([0.5, 1.0])
    g = plate_mesh(m, nx, ny, dx=dx, dy=dy, jiggle=rng.choice([0.0, 0.0, 0.15]))
    pid = m.prop(rng.choice([0.05, 0.5, 1.0]))
    mode = rng.choice([None, None, "STRAIN", "STRESS"])
    mid = m.matl(70000.0, rng.choice([0.0, 0.25, 0.33]), 2.3e-5, rng.choice([0.0, 2.7e-5]), mode)
    cells = plate_quads(m, g, nx, ny, pid, mid, tri_share=rng.choice([0.0, 0.0, 0.3, 1.0]))
    m.dofs_def([1, 1, 0])
    support = rng.random()
    if support < 0.5:  # clamped left edge: ids 1..ny+1 in column order
        m.ract(g[0, 0], [1, 1], g2=g[0, ny])
    elif support < 0.75:  # statically determinate
        m.ract(g[0, 0], [1, 1])
        m.ract(g[nx, 0], [0, 1])
    else:  # an elastic bed under a pin
        m.ract(g[0, 0], [1, 1])
        m.sprg(g[1, 0], [0.0, 2.0e4], g2=g[nx, 0])
    if rng.random() < 0.2:
        m.ract(g[nx, ny], [-1, 0])
    m.nseq = rng.random() < 0.25
    right = [cells[nx - 1, j][0] for j in range(ny)]

    def tension():
        # Edge 2 is the right edge of a quad and of a cell's first triangle alike.
        for q in right:
            m.load("QLOAD", [q, 2, -10.0] + ([-5.0] if rng.random() < 0.3 else []))
        if rng.random() < 0.2:
            m.load("QLOAD", [right[0], rng.choice([4, 5, 0]), 7.0])  # ignored on a triangle
        if rng.random() < 0.2:
            m.load("QLOAD", [m.quads[0][0], 1, 2.0, 1.0], thru=m.quads[-1][0])

    def heat():
        if rng.random() < 0.5:
            m.load("QTEMP", [m.quads[0][0], 60.0], thru=m.quads[-1][0])
        else:
            m.load("QTEMP", [m.quads[0][0], 10.0, 20.0, 30.0, 40.0])

    def other():
        if rng.random() < 0.4:
            m.load("GRAV", [0.0, -9.81])
        m.load("LOAD", [g[nx, ny], 0.0, -rng.choice([1.0, 5.0])])
        for p in m.prescribed:
            m.load("DISP", [p, 0.001, 0.0])
        if m.prescribed and rng.random() < 0.5:  # only the prescribed dof moves
            m.load("DISP", [1, 0.002, 0.001], thru=m.prescribed[0])

    loads_subcases(m, [tension, heat, other])


def family_ring(m):
    rng = m.rng
    nr, nt = rng.randint(1, 3), rng.randint(2, 6)
    span = rng.choice([90.0, 90.0, 60.0])
    r0, r1 = 1.0, rng.choice([1.5, 2.0, 3.0])
    center = 0
    if rng.random() < 0.35:
        center = m.grid(rng.choice([2.0, -1.0]), rng.choice([0.0, 3.0]))
    axes_given = rng.random() < 0.25  # outer ring: dof axes given as 0
    g = {}
    for i in range(nr + 1):
        for j in range(nt + 1):
            r = round(r0 + (r1 - r0) * i / nr, 5)
            a = round(span * j / nt, 4)
            if i == nr and axes_given:
                g[i, j] = m.polar(r, a, center, axis=0.0, sixth=1.0 if j == nt else None)
            else:
                g[i, j] = m.polar(r, a, center)
    if rng.random() < 0.2:  # a grid copied from a ring grid, tied by a zero-length beam
        tie = m.eq(g[nr, nt // 2])
    else:
        tie = None
    pid = m.prop(1.0)
    mode = rng.choice([None, "STRAIN", "STRAIN"])
    mid = m.matl(2.0e5, 0.3, 1.0e-5, 0.0, mode)
    for j in range(nt):
        for i in range(nr):
            m.quad([g[i, j], g[i + 1, j], g[i + 1, j + 1], g[i, j + 1]], pid, mid)
    arc = rng.random() < 0.3
    arc_beams = []
    if arc:
        bp = m.prop(0.01, 1.0e-4)
        for j in range(nt):
            arc_beams.append(m.beam(g[nr, j], g[nr, j + 1], bp, mid, "CURV"))
    if tie:
        sp = m.prop(1.0e6, 1.0e6, 1.0e3)
        m.beam(g[nr, nt // 2], tie, sp, mid)
    m.dofs_def([1, 1, 0])
    if center:
        m.dofs(center, [])
    if arc:
        m.dofs(g[nr, 0], [1, 1, 1], g2=g[nr, nt])
    if tie:
        m.dofs(tie, [1, 1, 1] if arc else [1, 1, 0])
        if not arc:
            m.dofs(g[nr, nt // 2], [1, 1, 0])
    for i in range(nr + 1):
        m.ract(g[i, 0], [0, 1])
    if nr >= 1 and rng.random() < 0.5:
        m.ract(g[0, nt], [0, 1], g2=g[nr, nt])
    else:
        for i in range(nr + 1):
            m.ract(g[i, nt], [0, 1])

    def pressure():
        for j in range(nt):
            q = m.quads[j * nr][0]
            m.load("QLOAD", [q, 4, 10.0])

    def other():
        if rng.random() < 0.4:
            m.load("QTEMP", [m.quads[0][0], 25.0], thru=m.quads[-1][0])
        if arc and rng.random() < 0.6:
            m.load("BLOAD", [arc_beams[0], -2.0], thru=arc_beams[-1])
        if rng.random() < 0.3:
            m.load("LOAD", [g[nr, nt // 2], 1.0, 0.5])

    loads_subcases(m, [pressure, other])


def family_wall(m):
    """A plate or a row of shear panels framed by beams; rows numbered row by row."""
    rng = m.rng
    nx = rng.randint(1, 4)
    shear = rng.random() < 0.4
    ny = 1 if shear else rng.randint(1, 3)
    g = plate_mesh(m, nx, ny, dx=2.0, dy=2.0, order="row")
    t = m.prop(0.02)
    mp = m.matl(2.1e7, 0.0 if shear else 0.2, 1.0e-5, 0.0, "SHEAR" if shear else None)
    plate_quads(m, g, nx, ny, t, mp, tri_share=0.0 if shear else 0.2)
    bp = m.prop(4.0e-3, 3.0e-5)
    bm = steel(m)
    top = [m.beam(g[i, ny], g[i + 1, ny], bp, bm) for i in range(nx)]
    posts = []
    if shear:
        for i in range(nx + 1):
            posts.append(m.beam(g[i, 0], g[i, 1], bp, bm))
        m.dofs_def([1, 1, 1])
        m.ract(g[0, 0], [1, 1, 1], g2=g[nx, 0])
    else:
        m.dofs_def([1, 1, 0])
        first, last = g[0, ny], g[nx, ny]
        m.dofs(first, [1, 1, 1], g2=last)
        if rng.random() < 0.5:
            m.ract(g[0, 0], [1, 1], g2=g[nx, 0])
        else:
            m.ract(g[0, 0], [1, 1])
            m.sprg(g[1, 0], [1.0e5, 1.0e5], g2=g[nx, 0])
    m.nseq = rng.random() < 0.2

    def lateral():
        m.load("LOAD", [g[0, ny], 50.0, 0.0])

    def gravity():
        m.load("BLOAD", [top[0], -20.0], thru=top[-1])
        if rng.random() < 0.5:
            m.load("GRAV", [0.0, -1.0])

    def other():
        if posts and rng.random() < 0.5:
            m.load("BTEMP", [posts[0], 15.0, 5.0])
        if rng.random() < 0.4:
            m.load("QLOAD", [m.quads[0][0], 4, 3.0, 1.0])

    loads_subcases(m, [lateral, gravity, other])


def family_springs(m):
    """Grids on springs only (no element, no PROP or MATL), or a spring chain."""
    rng = m.rng
    n = rng.randint(1, 5)
    ids = [m.grid(float(i), 0.0, rng.choice([0.0, 0.0, 45.0])) for i in range(n)]
    chain = rng.random() < 0.5
    if chain:
        sp = m.prop(1.0e4, 2.0e3, 500.0)
        ids2 = [m.eq(i) for i in ids]
        for a, b in zip(ids, ids2):
            m.beam(a, b, sp, m.matl(1.0))
        m.dofs_def([1, 1, 1])
        m.sprg(ids[0], [1.0e3, 1.0e3, 1.0e2], g2=ids[-1])
        m.sprg(ids2[0], [10.0, 20.0, 5.0], g2=ids2[-1])
    else:
        m.dofs_def(rng.choice([[1, 1, 1], [1, 1, 0]]))
        m.sprg(ids[0], [1.0e3, 2.0e3, 50.0], g2=ids[-1])
    m.load("LOAD", [ids[0], 1.0, 2.0, 0.5], thru=ids[-1])


FAMILIES = [family_frame, family_continuous, family_truss, family_plate, family_ring,
            family_wall, family_frame, family_plate, family_springs]


# ---- mutations that break a valid text ----------------------------------------------------

def first_word(line):
    for tok in line.replace(",", " ").split():
        if tok[0] >= "A":
            return tok.upper()
    return ""


def index_of(lines, kw, rng, last=False):
    found = [i for i, ln in enumerate(lines) if first_word(ln) == kw]
    if not found:
        return None
    return found[-1] if last else rng.choice(found)


def numbers_of(line):
    body = line.split("$")[0]
    return [t for t in body.replace(",", " ").split() if t and "-" <= t[0] <= "@"]


def replace_number(line, k, value):
    """Replaces the k-th number field (0-based) of a line."""
    body, _, comment = line.partition("$")
    toks = body.replace(",", " ").split()
    seen = -1
    for i, t in enumerate(toks):
        if "-" <= t[0] <= "@":
            seen += 1
            if seen == k:
                toks[i] = value
                break
    return " ".join(toks) + ((" $" + comment) if comment else "")


def drop_number(line, k):
    return replace_number(line, k, "")


def mutate(lines, rng):
    """Applies one breaking change; returns its name."""
    kinds = ["no_endmodel", "no_restraints", "unrestrained", "short_record", "beam_grid",
             "quad_grid", "prop_id", "matl_id", "duplicate", "clockwise", "order",
             "overlong", "grid_id", "polar_center", "equate", "nseq_short", "subcases",
             "unknown_kw", "no_prop", "no_matl", "load_overlong", "free_grid", "buckling",
             "ract_range", "tab"]
    kind = rng.choice(kinds)
    end = index_of(lines, "ENDMODEL", rng)
    n_grids = sum(1 for ln in lines if first_word(ln) == "GRID")
    if kind == "no_endmodel":
        del lines[end]
    elif kind == "no_restraints":
        lines[:] = [ln for ln in lines if first_word(ln) not in ("RACT", "SPRG")]
    elif kind == "unrestrained":
        lines[:] = [ln for ln in lines if first_word(ln) != "SPRG"]
        for i, ln in enumerate(lines):
            if first_word(ln) == "RACT":
                nums = numbers_of(ln)
                if "THRU" in ln.upper():
                    lines[i] = "RACT %s THRU %s 0 0 0" % (nums[0], nums[1])
                else:
                    lines[i] = "RACT %s 0 0 0" % nums[0]
        if not any(first_word(ln) == "RACT" for ln in lines):
            lines.insert(end, "RACT 1 0 0 0")
    elif kind == "short_record":
        i = index_of(lines, rng.choice(["GRID", "BEAM", "QUAD", "PROP", "MATL"]), rng)
        if i is not None:
            nums = numbers_of(lines[i])
            lines[i] = drop_number(lines[i], len(nums) - 1 if rng.random() < 0.5 else 1)
    elif kind == "beam_grid":
        i = index_of(lines, "BEAM", rng) or index_of(lines, "QUAD", rng)
        if i is not None:
            lines[i] = replace_number(lines[i], 2, str(n_grids + 3))
    elif kind == "quad_grid":
        i = index_of(lines, "QUAD", rng) or index_of(lines, "BEAM", rng)
        if i is not None:
            lines[i] = replace_number(lines[i], 1, str(n_grids + 2))
    elif kind == "prop_id":
        i = index_of(lines, "QUAD", rng) or index_of(lines, "BEAM", rng)
        if i is not None:
            k = 5 if first_word(lines[i]) == "QUAD" else 3
            lines[i] = replace_number(lines[i], k, "77")
    elif kind == "matl_id":
        i = index_of(lines, "BEAM", rng) or index_of(lines, "QUAD", rng)
        if i is not None:
            k = 6 if first_word(lines[i]) == "QUAD" else 4
            lines[i] = replace_number(lines[i], k, "-4")
    elif kind == "duplicate":
        i = index_of(lines, "BEAM", rng) or index_of(lines, "QUAD", rng)
        if i is not None:
            lines[i] = replace_number(lines[i], 2, numbers_of(lines[i])[1])
    elif kind == "clockwise":
        i = index_of(lines, "QUAD", rng)
        if i is not None:
            nums = numbers_of(lines[i])
            line = replace_number(lines[i], 1, nums[2])
            lines[i] = replace_number(line, 2, nums[1])
        else:
            lines.insert(end, "PROP 1 1")  # a different breakage: PROP after the constraints
    elif kind == "order":
        i = index_of(lines, "DOFS", rng)
        j = index_of(lines, "RACT", rng, last=True) or index_of(lines, "SPRG", rng, last=True)
        if i is not None and j is not None:
            lines.insert(j + 1, lines.pop(i))
    elif kind == "overlong":
        i = rng.randrange(1, end)
        lines[i] = "GRID 1 2 3 4 5 6 7 8 9 10 11" if rng.random() < 0.5 else lines[i] + " x y"
    elif kind == "grid_id":
        i = index_of(lines, "GRID", rng)
        lines[i] = replace_number(lines[i], 0, str(n_grids + 1))
    elif kind == "polar_center":
        lines.insert(1, "GRID %d 1.5 30 %d POLAR" % (n_grids + 1, rng.choice([n_grids + 5, 1])))
        lines.insert(1, "GRID %d 2 45 POLAR" % (n_grids + 2))
        lines.insert(3, "GRID %d 1 10 %d POLAR" % (n_grids + 3, n_grids + 1))
    elif kind == "equate":
        lines.insert(1, "GRID %d %d EQ" % (n_grids + 1, n_grids + 9))
    elif kind == "nseq_short":
        lines.insert(end, "NSEQ 1 2")
    elif kind == "subcases":
        lines += ["SUBCASE %d" % k for k in range(1, 12)]
    elif kind == "unknown_kw":
        lines.insert(rng.randrange(1, end), "BEEM 1 2 3 1 1")
    elif kind == "no_prop":
        lines[:] = [ln for ln in lines if first_word(ln) != "PROP"]
    elif kind == "no_matl":
        lines[:] = [ln for ln in lines if first_word(ln) != "MATL"]
    elif kind == "load_overlong":
        lines.append("LOAD 1 1 2 3 4 5 6 7 8 9 10 11")
        lines.append("LOAD 1 THRU 3 1 2 3 x y")
    elif kind == "free_grid":
        lines.insert(1, "GRID %d 100 100" % (n_grids + 1))
    elif kind == "buckling":
        i = index_of(lines, "PROP", rng)
        nums = numbers_of(lines[i])
        lines[i] = "PROP %s %s 1e-4 0 1e9" % (nums[0], nums[1] if len(nums) > 1 else "1")
    elif kind == "ract_range":
        lines.insert(end, "RACT 2 THRU %d 1 1 1" % (n_grids + 4))
        lines.insert(end, "SPRG %d 5 5 5" % (n_grids + 1))
    elif kind == "tab":
        i = index_of(lines, "GRID", rng)
        lines[i] = lines[i].replace(" ", "\t", 1)
    return kind


def make_model(i):
    rng = random.Random(7919 * i + 17)
    family = FAMILIES[i % len(FAMILIES)]
    m = Model(rng, "model %d: %s" % (i, family.__name__[7:]))
    family(m)
    shuffle = family in (family_plate, family_truss) and rng.random() < 0.3
    lines = m.render(shuffle_grids=shuffle)
    tag = "valid"
    if i % 4 == 3:
        tag = mutate(lines, rng)
    lines[0] += " (" + tag + ")"
    # Most texts use LF, some CR LF, a few end without a line break.
    eol = "\r\n" if rng.random() < 0.2 else "\n"
    text = eol.join(lines) + ("" if rng.random() < 0.1 else eol)
    return text, family.__name__[7:], tag


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: gen_models.py OUTDIR [COUNT]")
    out = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 300
    os.makedirs(out, exist_ok=True)
    for i in range(count):
        text, family, tag = make_model(i)
        name = os.path.join(out, "m%03d-%s-%s.tav" % (i, family, tag))
        with open(name, "w", newline="") as f:
            f.write(text)


if __name__ == "__main__":
    main()
