#!/usr/bin/env python3
"""Draws the monitor's tool-bar strip (Toolbar.bmp) and application icon
(Tessaly.ico) as 16-colour images from the character grids below, so the
pictures can be read and changed as text. Run it from any folder; it writes next
to itself. Standard library only."""
import os
import struct

# The 16-colour VGA palette, in the order Windows uses for 4-bit images.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# Grid letters -> palette index. '.' is the background: light grey in the tool
# bar (the tool bar maps it to the button face), transparent in the icon.
INDEX = {'k': 0, 'm': 1, 'g': 2, 'o': 3, 'n': 4, 'p': 5, 't': 6, 's': 7,
         'd': 8, 'r': 9, 'l': 10, 'y': 11, 'b': 12, 'f': 13, 'c': 14, 'w': 15, '.': 7}

# Tool-bar images, 16 x 15 each, in button order: Clear Messages, Save, Copy.
CLEAR = [
    "................",
    ".kkkkkkkkk......",
    ".kwwwwwwwkk.....",
    ".kwdddddwkwk....",
    ".kwwwwwwwkkkk...",
    ".kwddddddwwwk...",
    ".kwwrrwwwwrrk...",
    ".kwddrrddrrwk...",
    ".kwwwwrrrrwwk...",
    ".kwddddrrdwwk...",
    ".kwwwwrrrrwwk...",
    ".kwddrrddrrwk...",
    ".kwwrrwwwwrrk...",
    ".kkkkkkkkkkkk...",
    "................",
]
SAVE = [
    "................",
    ".kkkkkkkkkkkkk..",
    ".knnwwwwwwwwnk..",
    ".knnwwwwwwwwnk..",
    ".knnwddddddwnk..",
    ".knnwwwwwwwwnk..",
    ".knnwddddddwnk..",
    ".knnnnnnnnnnnk..",
    ".knnnnnnnnnnnk..",
    ".knnnssssssnnk..",
    ".knnnskksssnnk..",
    ".knnnskksssnnk..",
    ".knnnskksssnnk..",
    "..kkkkkkkkkkkk..",
    "................",
]
COPY = [
    "................",
    ".kkkkkkk........",
    ".kwwwwwk........",
    ".kwdddwk........",
    ".kwwwwwkkkkkkk..",
    ".kwdddkwwwwwwk..",
    ".kwwwwkwdddddk..",
    ".kwdddkwwwwwwk..",
    ".kkkkkkwdddddk..",
    "......kwwwwwwk..",
    "......kwdddddk..",
    "......kwwwwwwk..",
    "......kwdddddk..",
    "......kkkkkkkk..",
    "................",
]

# The icon: a console window with coloured lines (black, dark red, red, teal).
ICON32 = [
    "................................",
    "................................",
    "..kkkkkkkkkkkkkkkkkkkkkkkkkkkk..",
    "..knnnnnnnnnnnnnnnnnnnnnnnnnnk..",
    "..knnnnnnnnnnnnnnnnnnnnnwwnwwk..",
    "..knnnnnnnnnnnnnnnnnnnnnwwnwwk..",
    "..knnnnnnnnnnnnnnnnnnnnnnnnnnk..",
    "..kkkkkkkkkkkkkkkkkkkkkkkkkkkk..",
    "..kwwwwwwwwwwwwwwwwwwwwwwwwwwk..",
    "..kwwwwwwwwwwwwwwwwwwwwwwwwwwk..",
    "..kwwkkkkkkkkkkkkkkkkwwwwwwwwk..",
    "..kwwwwwwwwwwwwwwwwwwwwwwwwwwk..",
    "..kwwmmmmmmmmmmmmwwwwwwwwwwwwk..",
    "..kwwwwwwwwwwwwwwwwwwwwwwwwwwk..",
    "..kwwkkkkkkkkkkkkkkkkkkkkwwwwk..",
    "..kwwwwwwwwwwwwwwwwwwwwwwwwwwk..",
    "..kwwrrrrrrrrrrrrrrrwwwwwwwwwk..",
    "..kwwwwwwwwwwwwwwwwwwwwwwwwwwk..",
    "..kwwttttttttttttttttttttwwwwk..",
    "..kwwwwwwwwwwwwwwwwwwwwwwwwwwk..",
    "..kwwkkkkkkkkkkkkwwwwwwwwwwwwk..",
    "..kwwwwwwwwwwwwwwwwwwwwwwwwwwk..",
    "..kwwrrrrrrrrrrrrrrrrrrwwwwwwk..",
    "..kwwwwwwwwwwwwwwwwwwwwwwwwwwk..",
    "..kwwkkkkkkkkkkkkkkkkkkkkkkwwk..",
    "..kwwwwwwwwwwwwwwwwwwwwwwwwwwk..",
    "..kwwkkwwwwwwwwwwwwwwwwwwwwwwk..",
    "..kwwwwwwwwwwwwwwwwwwwwwwwwwwk..",
    "..kkkkkkkkkkkkkkkkkkkkkkkkkkkk..",
    "................................",
    "................................",
    "................................",
]
ICON16 = [
    "................",
    "kkkkkkkkkkkkkkkk",
    "knnnnnnnnnnnnnwk",
    "kkkkkkkkkkkkkkkk",
    "kwwwwwwwwwwwwwwk",
    "kwkkkkkkkkwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kwmmmmmmwwwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kwrrrrrrrrrwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kwttttttttttttwk",
    "kwwwwwwwwwwwwwwk",
    "kwkkwwwwwwwwwwwk",
    "kkkkkkkkkkkkkkkk",
    "................",
]


def check(grid, width, height, name):
    assert len(grid) == height, f"{name}: {len(grid)} rows"
    for row in grid:
        assert len(row) == width, f"{name}: row {row!r}"


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)


def pack_4bit_rows(grid):
    """Bottom-up rows of 4-bit pixels, each padded to a multiple of 4 bytes."""
    out = b""
    for row in reversed(grid):
        indices = [INDEX[c] for c in row]
        if len(indices) % 2:
            indices.append(0)
        data = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, len(indices), 2))
        out += data + b"\0" * (-len(data) % 4)
    return out


def pack_mask_rows(grid):
    """Bottom-up rows of the 1-bit AND mask: 1 where the background shows."""
    out = b""
    for row in reversed(grid):
        bits = [1 if c == '.' else 0 for c in row]
        data = bytearray()
        for i in range(0, len(bits), 8):
            byte = 0
            for j, bit in enumerate(bits[i:i + 8]):
                byte |= bit << (7 - j)
            data.append(byte)
        out += bytes(data) + b"\0" * (-len(data) % 4)
    return out


def info_header(width, height, pixels_size, icon):
    # An icon's header counts the colour rows and the mask rows together.
    return struct.pack("<IiiHHIIiiII", 40, width, height * 2 if icon else height, 1, 4, 0,
                       pixels_size, 0 if icon else 2835, 0 if icon else 2835, 16, 0)


def write_toolbar(path):
    glyphs = [CLEAR, SAVE, COPY]
    for name, glyph in zip(("clear", "save", "copy"), glyphs):
        check(glyph, 16, 15, name)
    strip = ["".join(g[y] for g in glyphs) for y in range(15)]
    pixels = pack_4bit_rows(strip)
    header = info_header(48, 15, len(pixels), icon=False) + palette_bytes()
    offset = 14 + len(header)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset))
        f.write(header + pixels)


def icon_image(grid, size):
    check(grid, size, size, f"icon {size}")
    pixels = pack_4bit_rows(grid)
    mask = pack_mask_rows(grid)
    return info_header(size, size, len(pixels) + len(mask), icon=True) + palette_bytes() + pixels + mask


def write_icon(path):
    images = [(32, icon_image(ICON32, 32)), (16, icon_image(ICON16, 16))]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, data in images:
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(directory + entries + b"".join(data for _, data in images))


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    write_toolbar(os.path.join(here, "Toolbar.bmp"))
    write_icon(os.path.join(here, "Tessaly.ico"))
