#!/usr/bin/env python3
"""Writes a square plate whose grids all have turned dof axes, for the turned-axes benchmark.

    plate.py N ANGLE > plate.tav

N by N plane-stress quads, grid ids row by row. Every grid has the axis angle ANGLE
(degrees) and its v held in those axes, so that each grid's u moves along its own axis
only; the grids of the edge x = 0 are held in both. With ANGLE 0 the same plate has its
dofs in x-y and the same number of equations: the unturned model of the comparison.
The far edge carries a load along the grids' axes. CR LF line ends.
"""

import sys


def main():
    n, angle = int(sys.argv[1]), float(sys.argv[2])
    rows = n + 1
    out = []

    def gid(i, j):  # i along x, j along y
        return i * rows + j + 1

    turn = " %g" % angle if angle != 0 else ""
    for i in range(rows):
        for j in range(rows):
            out.append("GRID %d %g %g%s" % (gid(i, j), i * 1.0, j * 1.0, turn))
    q = 0
    for i in range(n):
        for j in range(n):
            q += 1
            out.append("QUAD %d %d %d %d %d 1 1" % (q, gid(i, j), gid(i + 1, j),
                                                      gid(i + 1, j + 1), gid(i, j + 1)))
    out.append("PROP 1 0.1")
    out.append("MATL 1 2.1E8 0.3")
    out.append("DOFS DEF 1 1 0")
    out.append("RACT %d THRU %d 0 1" % (gid(1, 0), gid(n, n)))
    out.append("RACT 1 THRU %d 1 1" % rows)
    out.append("ENDMODEL")
    out.append("LOAD %d THRU %d 10 0" % (gid(n, 0), gid(n, n)))
    sys.stdout.buffer.write(("\r\n".join(out) + "\r\n").encode())


if __name__ == "__main__":
    main()
