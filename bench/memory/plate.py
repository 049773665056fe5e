#!/usr/bin/env python3
"""Writes a long plate of quads for the memory benchmark.

    plate.py WIDTH LENGTH > plate.tav

WIDTH by LENGTH plane-stress quads (every fifth row of them triangles split in two), grid
ids row by row across the width so that the profile stays narrow; the end x = 0 is held,
the plate hangs under gravity and carries a pressure on its far end. CR LF line ends.
"""

import sys


def main():
    width, length = int(sys.argv[1]), int(sys.argv[2])
    out = []
    rows = width + 1

    def gid(i, j):  # i along the length, j across the width
        return i * rows + j + 1

    for i in range(length + 1):
        for j in range(rows):
            out.append("GRID %d %g %g" % (gid(i, j), i * 1.0, j * 1.0))
    q = 0
    for i in range(length):
        for j in range(width):
            a, b, c, d = gid(i, j), gid(i + 1, j), gid(i + 1, j + 1), gid(i, j + 1)
            if i % 5 == 4:
                q += 1
                out.append("QUAD %d %d %d %d 0 1 1" % (q, a, b, c))
                q += 1
                out.append("QUAD %d %d %d %d 0 1 1" % (q, a, c, d))
            else:
                q += 1
                out.append("QUAD %d %d %d %d %d 1 1" % (q, a, b, c, d))
    out.append("PROP 1 0.1")
    out.append("MATL 1 2.1E8 0.3 1.2E-5 78.5")
    out.append("DOFS DEF 1 1 0")
    out.append("RACT 1 THRU %d 1 1" % rows)
    out.append("ENDMODEL")
    out.append("GRAV 0 -1")
    last = q - width + 1 if (length - 1) % 5 != 4 else q - 2 * width + 1
    out.append("QLOAD %d THRU %d 2 -50" % (last, q))
    sys.stdout.buffer.write(("\r\n".join(out) + "\r\n").encode())


if __name__ == "__main__":
    main()
