#!/usr/bin/env python3
"""Draws the program's tool-bar bitmap (eight 16x16 images, black is
transparent) and its icon (16x16 and 32x32, 32-bit with alpha). The outputs
are committed; run this again only to change the pictures:
    scripts/gen-art.py src/app/win/res
"""
import math
import struct
import sys

PALETTE = {
    '.': (0, 0, 0),          # transparent in the tool bar
    'k': (64, 64, 64),       # outline
    'w': (255, 255, 255),
    'l': (220, 220, 220),
    'G': (150, 150, 150),
    'b': (40, 90, 200),
    'c': (120, 180, 240),
    'r': (210, 40, 40),
    'g': (40, 160, 60),
    'y': (240, 200, 40),
    'o': (230, 130, 30),
}

CAL = [
    "................",
    "..k..k..k..k....",
    "kkkkkkkkkkkkkk..",
    "krrrrrrrrrrrrk..",
    "krrrrrrrrrrrrk..",
    "kwwwwwwwwwwwwk..",
    "kwGwGwGwGwGwwk..",
    "kwwwwwwwwwwwwk..",
    "kwGwGwGwGwGwwk..",
    "kwwwwwwwwwwwwk..",
    "kwGwGwGwGwwwwk..",
    "kwwwwwwwwwwwwk..",
    "kkkkkkkkkkkkkk..",
    "................",
    "................",
    "................",
]


def overlay(base, top, ox, oy):
    rows = [list(r) for r in base]
    for y, line in enumerate(top):
        for x, ch in enumerate(line):
            if ch != ' ' and 0 <= oy + y < 16 and 0 <= ox + x < 16:
                rows[oy + y][ox + x] = ch
    return ["".join(r) for r in rows]


PLUS = [
    "  kkk  ",
    "  kgk  ",
    "kkkgkkk",
    "kgggggk",
    "kkkgkkk",
    "  kgk  ",
    "  kkk  ",
]
PENCIL = [
    "     kk",
    "    kook",
    "   kyyk ",
    "  kyyk  ",
    " kyyk   ",
    "klyk    ",
    "kkk     ",
]
CROSS = [
    "kk   kk",
    "krk krk",
    " krkrk ",
    "  krk  ",
    " krkrk ",
    "krk krk",
    "kk   kk",
]

GEAR = [
    "................",
    "......kkkk......",
    "..kk..kGGk..kk..",
    "..kGkkkGGkkkGk..",
    "...kGGGGGGGGk...",
    "..kkGGGkkGGGkk..",
    "kkkGGGk..kGGGkkk",
    "kGGGGk....kGGGGk",
    "kGGGGk....kGGGGk",
    "kkkGGGk..kGGGkkk",
    "..kkGGGkkGGGkk..",
    "...kGGGGGGGGk...",
    "..kGkkkGGkkkGk..",
    "..kk..kGGk..kk..",
    "......kkkk......",
    "................",
]
TV = [
    "................",
    "....k.....k.....",
    ".....k...k......",
    "......k.k.......",
    "kkkkkkkkkkkkkkkk",
    "kGGGGGGGGGGGGGGk",
    "kGkkkkkkkkkkGGGk",
    "kGkccbbbbbbkGrGk",
    "kGkcbbbbbbbkGGGk",
    "kGkbbbbbbbbkGyGk",
    "kGkbbbbbbbbkGGGk",
    "kGkkkkkkkkkkGGGk",
    "kGGGGGGGGGGGGGGk",
    "kkkkkkkkkkkkkkkk",
    "..kk........kk..",
    "................",
]
MOON = [
    "................",
    ".....kkkk.......",
    "...kkyyyk.......",
    "..kyyyyk........",
    ".kyyyyk.....w...",
    ".kyyyk.....www..",
    "kyyyyk......w...",
    "kyyyyk..........",
    "kyyyyk..........",
    "kyyyyyk.....w...",
    ".kyyyyyk........",
    ".kyyyyyykkkkk...",
    "..kyyyyyyyyyk...",
    "...kkyyyyyykk...",
    ".....kkkkkk.....",
    "................",
]
POWER = [
    "................",
    ".......kk.......",
    "...kk..kgk..kk..",
    "..kgk..kgk..kgk.",
    ".kgk...kgk...kgk",
    ".kgk...kgk...kgk",
    "kgk....kgk....kg",
    "kgk....kkk....kg",
    "kgk...........kg",
    "kgk...........kg",
    ".kgk.........kgk",
    ".kgk.........kgk",
    "..kgkk.....kkgk.",
    "...kkgggggggkk..",
    ".....kkkkkkk....",
    "................",
]
HELP = [
    "................",
    ".....kkkkkk.....",
    "...kkbbbbbbkk...",
    "..kbbbwwwwbbbk..",
    ".kbbbwwbbwwbbbk.",
    ".kbbbbbbbwwbbbk.",
    "kbbbbbbbwwbbbbbk",
    "kbbbbbbwwbbbbbbk",
    "kbbbbbbwwbbbbbbk",
    "kbbbbbbbbbbbbbbk",
    ".kbbbbbwwbbbbbk.",
    ".kbbbbbwwbbbbbk.",
    "..kbbbbbbbbbbk..",
    "...kkbbbbbbkk...",
    ".....kkkkkk.....",
    "................",
]

IMAGES = [
    overlay(CAL, PLUS, 9, 9),      # 32771 add a schedule
    overlay(CAL, PENCIL, 8, 8),    # 32778 change it
    overlay(CAL, CROSS, 9, 9),     # 32773 delete it
    GEAR,                          # 32776 iEPG settings
    TV,                            # 32788 TV listings
    MOON,                          # 32775 hibernate
    POWER,                         # 32794 standby
    HELP,                          # 57664 about
]


def write_bmp(path, width, height, pixel):
    row = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            line += bytes((b, g, r))
        line += b"\0" * (row - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def toolbar_pixel(x, y):
    img = IMAGES[x // 16]
    line = img[y]
    ch = line[x % 16] if x % 16 < len(line) else '.'
    return PALETTE.get(ch, (0, 0, 0))


def icon_rgba(size):
    """A blue round face with white hands: the clock that keeps the PC awake."""
    c = (size - 1) / 2.0
    r_out = size / 2.0 - 0.5
    px = []
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - c, y - c)
            if d > r_out:
                px.append((0, 0, 0, 0))
                continue
            col = (40, 90, 200)
            if d > r_out - max(1.0, size / 16):
                col = (20, 40, 110)
            elif d < r_out - size / 8:
                col = (250, 250, 250)
            # hands: to 12 and to 3 o'clock
            if abs(x - c) <= size / 32 + 0.3 and c - r_out * 0.65 <= y <= c:
                col = (30, 30, 30)
            if abs(y - c) <= size / 32 + 0.3 and c <= x <= c + r_out * 0.5:
                col = (30, 30, 30)
            px.append(col + (255,))
    return px


def icon_image(size):
    rgba = icon_rgba(size)
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = rgba[y * size + x]
            xor += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    andm = bytearray()
    for y in range(size - 1, -1, -1):
        line = bytearray(mask_row)
        for x in range(size):
            if rgba[y * size + x][3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        andm += line
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(andm), 0, 0, 0, 0)
    return info + xor + andm


def write_ico(path, sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    for img in images:
        out += img
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    outdir = sys.argv[1] if len(sys.argv) > 1 else "."
    for img in IMAGES:
        assert len(img) == 16 and all(len(r) == 16 for r in img), img
    write_bmp(f"{outdir}/toolbar.bmp", 128, 16, toolbar_pixel)
    write_ico(f"{outdir}/nimbra.ico", [32, 16])
