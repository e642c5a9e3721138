#!/usr/bin/env python3
"""Writes the small bitmaps of the drawing tests, pixel by pixel, so the tests know every colour.

    python3 make_drawing_bitmaps.py      (in this directory)
"""
import struct


def bmp(path, width, height, bits, palette, pixel):
    """pixel(x, y) gives an (r, g, b) tuple for 24 bits or a palette index for 4 bits."""
    row_bytes = (width * bits + 31) // 32 * 4
    rows = []
    for y in reversed(range(height)):  # BMP rows run bottom-up
        if bits == 24:
            row = b"".join(bytes((b, g, r)) for r, g, b in (pixel(x, y) for x in range(width)))
        else:
            indices = [pixel(x, y) for x in range(width)] + [0]
            row = bytes(indices[i] << 4 | indices[i + 1] for i in range(0, width, 2))
        rows.append(row.ljust(row_bytes, b"\0"))
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + 40 + len(colours)
    image = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(image), 2835, 2835, len(palette), 0)
    with open(path, "wb") as out:
        out.write(header + info + colours + image)


# 5 x 3, every pixel its own colour: red 10 + 40x, green 20 + 60y, blue 200.
bmp("drawing_pattern.bmp", 5, 3, 24, [], lambda x, y: (10 + 40 * x, 20 + 60 * y, 200))

# 8 x 6, 4 bits per pixel like the program's marks: a green frame with a dark green
# centre on black, and one green pixel in the top left corner to show which way up it is.
MARK = ["G.......",
        ".GGGGGG.",
        ".GddddG.",
        ".GddddG.",
        ".GGGGGG.",
        "........"]
PALETTE = [(0, 0, 0), (0, 255, 0), (0, 128, 0)]
bmp("drawing_mark.bmp", 8, 6, 4, PALETTE, lambda x, y: ".Gd".index(MARK[y][x]))
