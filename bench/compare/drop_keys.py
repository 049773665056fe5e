#!/usr/bin/env python3
"""Removes the members with the given keys from a JSON report laid out as tavu-solve
writes it (two blanks a level, one member or element a line), keeping every other byte.

    drop_keys.py KEY[,KEY...] < NEW.json > NEW-without-keys.json

compare.sh runs it on the new binary's JSON when DROP_KEYS is set, so that a change which
only adds keys can still be compared byte for byte with the old output.
"""

import re
import sys


def drop(lines, keys):
    out = []
    i = 0
    while i < len(lines):
        m = re.match(r'^( *)"([^"]*)": (.*?)(,?)\n?$', lines[i])
        if not m or m.group(2) not in keys:
            out.append(lines[i])
            i += 1
            continue
        indent, value, comma = m.group(1), m.group(3), m.group(4)
        if value in ("[", "{"):
            # Skip to the line that closes the member at its own indent.
            i += 1
            while not re.match(r"^" + indent + r"[\]}](,?)\n?$", lines[i]):
                i += 1
            comma = re.match(r"^" + indent + r"[\]}](,?)", lines[i]).group(1)
        i += 1
        if not comma and out:
            # The last member of its object: the one before it loses its comma.
            out[-1] = re.sub(r",(\n?)$", r"\1", out[-1])
    return out


def main():
    keys = set(sys.argv[1].split(",")) if len(sys.argv) > 1 else set()
    data = sys.stdin.buffer.read().decode("utf-8", "surrogateescape")
    lines = data.splitlines(keepends=True)
    sys.stdout.buffer.write("".join(drop(lines, keys)).encode("utf-8", "surrogateescape"))


if __name__ == "__main__":
    main()
