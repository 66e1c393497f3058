#!/usr/bin/env python3
"""Writes the 16 x 16 window icon, a brass key on a blue tile, as an indexed-colour PNG."""
import struct
import sys
import zlib

# One letter a pixel; the palette below gives each letter its colour.
PIXELS = """
.BBBBBBBBBBBBBB.
BbbbbbbbbbbbbbbB
BbbbkkkbbbbbbbbB
BbbkKKKkbbbbbbbB
BbkKkbbKkbbbbbbB
BbkKbbbKkbbbbbbB
BbkKkbbKkbbbbbbB
BbbkKKKKkbbbbbbB
BbbbkkkKKkbbbbbB
BbbbbbbkKKkbbbbB
BbbbbbbbkKKkbbbB
BbbbbbbbbkKKKkbB
BbbbbbbbbbkKkKkB
BbbbbbbbbbbkbKkB
BbbbbbbbbbbbbbbB
.BBBBBBBBBBBBBB.
"""

PALETTE = {
    ".": (0, 0, 0, 0),         # transparent corner
    "B": (12, 29, 58, 255),    # tile border
    "b": (29, 59, 110, 255),   # tile
    "K": (242, 193, 78, 255),  # brass
    "k": (150, 110, 40, 255),  # brass shadow
}


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def main(path):
    rows = [row for row in PIXELS.strip().splitlines()]
    assert len(rows) == 16 and all(len(row) == 16 for row in rows)
    letters = list(PALETTE)
    raw = b"".join(b"\0" + bytes(letters.index(c) for c in row) for row in rows)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", 16, 16, 8, 3, 0, 0, 0))
    png += chunk(b"PLTE", b"".join(bytes(PALETTE[c][:3]) for c in letters))
    png += chunk(b"tRNS", bytes(PALETTE[c][3] for c in letters))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "app/org.morvane.Generator.png")
