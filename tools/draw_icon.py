#!/usr/bin/env python3
"""Writes the 16 x 16 window icon, a brass key on a blue tile, as an indexed-colour PNG and as
the 256-colour Windows icon that the Windows program carries as a resource.

Usage: draw_icon.py [PNG [ICO]]"""
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


def write_png(path, rows, letters):
    raw = b"".join(b"\0" + bytes(letters.index(c) for c in row) for row in rows)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", 16, 16, 8, 3, 0, 0, 0))
    png += chunk(b"PLTE", b"".join(bytes(PALETTE[c][:3]) for c in letters))
    png += chunk(b"tRNS", bytes(PALETTE[c][3] for c in letters))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


def write_ico(path, rows, letters):
    # One 8-bit bitmap: a header of twice the height (colours, then the mask), 256 palette
    # entries, pixel rows bottom-up, and a 1-bit mask whose set bits are transparent.
    size = 16
    palette = [PALETTE[c][:3] for c in letters] + [(0, 0, 0)] * (256 - len(letters))
    colours = b"".join(bytes((blue, green, red, 0)) for red, green, blue in palette)
    pixels = b"".join(
        bytes(0 if PALETTE[c][3] == 0 else letters.index(c) for c in row) for row in reversed(rows))
    mask = b""
    for row in reversed(rows):
        bits = sum(1 << (size - 1 - x) for x, c in enumerate(row) if PALETTE[c][3] == 0)
        mask += struct.pack(">H", bits) + b"\0\0"  # rows are padded to 32 bits
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 8, 0, len(pixels) + len(mask),
                         0, 0, 256, 0)
    image = header + colours + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(image), 6 + 16)
    with open(path, "wb") as out:
        out.write(directory + entry + image)


def main(png_path, ico_path):
    rows = [row for row in PIXELS.strip().splitlines()]
    assert len(rows) == 16 and all(len(row) == 16 for row in rows)
    letters = list(PALETTE)
    write_png(png_path, rows, letters)
    write_ico(ico_path, rows, letters)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "app/org.morvane.Generator.png",
         sys.argv[2] if len(sys.argv) > 2 else "app/org.morvane.Generator.ico")
