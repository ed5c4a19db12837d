#!/usr/bin/env python3
"""Draws the range slider's images 212 to 215 into res/ (or the folder given), and each at
twice its size as "<name>@2x.png" for screens at a device pixel ratio of 2.

The images are tiny, so they are kept here as pixel maps and colour ramps rather than drawn
with a paint program; change a map and run this script again.
Usage: tools/artwork/slider_images.py [output folder]
"""
import os
import struct
import sys
import zlib

GREY = (128, 130, 132)
LIGHT_GREY = (215, 215, 215)
WHITE = (255, 255, 255)

# Left thumb, 13 x 17: a light box in a darker one-pixel frame with an opening curly bracket.
# The corners stay transparent so that the thumb sits softly on the skinned page.
LEFT_THUMB = [
    ".FFFFFFFFFFF.",
    "FLLLLLLLLLLLF",
    "FLLLLLLLLLLLF",
    "FLLLLLDDDLLLF",
    "FLLLLDLLLLLLF",
    "FLLLLDLLLLLLF",
    "FLLLLDLLLLLLF",
    "FLLLLDLLLLLLF",
    "FLLLDLLLLLLLF",
    "FLLLLDLLLLLLF",
    "FLLLLDLLLLLLF",
    "FLLLLDLLLLLLF",
    "FLLLLDLLLLLLF",
    "FLLLLLDDDLLLF",
    "FLLLLLLLLLLLF",
    "FLLLLLLLLLLLF",
    ".FFFFFFFFFFF.",
]
THUMB_COLOURS = {
    ".": (0, 0, 0, 0),
    "F": (112, 112, 112, 255),
    "L": (240, 240, 240, 255),
    "D": (32, 32, 32, 255),
}


def png(path, width, height, rows, alpha):
    """Writes rows of (r, g, b[, a]) tuples as an 8-bit RGB or RGBA PNG."""
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in rows)
    colour_type = 6 if alpha else 2

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ramp(a, b, steps):
    """steps + 1 colours from a to b inclusive."""
    return [tuple(round(a[i] + (b[i] - a[i]) * k / steps) for i in range(3))
            for k in range(steps + 1)]


def doubled(rows):
    """Each pixel as 2 x 2: pixel art stays sharp on the finer grid."""
    return [[p for p in row for _ in (0, 1)] for row in rows for _ in (0, 1)]


def thumb_2x(rows):
    """The thumb on the finer grid: a one-pixel frame, which reads as the 1x frame does, and
    corners rounded by a pixel instead of cut by two."""
    big = doubled(rows)
    frame, light = THUMB_COLOURS["F"], THUMB_COLOURS["L"]
    h, w = len(big), len(big[0])
    for y in range(1, h - 1):
        for x in range(1, w - 1):
            if big[y][x] == frame:
                big[y][x] = light
    clear = THUMB_COLOURS["."]
    for y, x in ((0, 0), (0, w - 1), (h - 1, 0), (h - 1, w - 1)):
        big[y][x] = clear
    for y, x in ((0, 1), (1, 0), (0, w - 2), (1, w - 1),
                 (h - 1, 1), (h - 2, 0), (h - 1, w - 2), (h - 2, w - 1)):
        big[y][x] = frame
    for y, x in ((1, 1), (1, w - 2), (h - 2, 1), (h - 2, w - 2)):
        big[y][x] = frame
    return big


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "res")

    # 212, track 6 x 11: grey, eight light grey rows, grey, white.
    track = [GREY] + [LIGHT_GREY] * 8 + [GREY, WHITE]
    png(os.path.join(out, "bitmap_212.png"), 6, 11, [[c] * 6 for c in track], False)
    png(os.path.join(out, "bitmap_212@2x.png"), 12, 22, doubled([[c] * 6 for c in track]), False)

    left = [[THUMB_COLOURS[ch] for ch in line] for line in LEFT_THUMB]
    png(os.path.join(out, "bitmap_213.png"), 13, 17, left, True)
    # 214, the right thumb: the mirror image, so its bracket closes.
    png(os.path.join(out, "bitmap_214.png"), 13, 17, [row[::-1] for row in left], True)
    left_2x = thumb_2x(left)
    png(os.path.join(out, "bitmap_213@2x.png"), 26, 34, left_2x, True)
    png(os.path.join(out, "bitmap_214@2x.png"), 26, 34, [row[::-1] for row in left_2x], True)

    # 215, bar 3 x 7: light blue at the top, darkest in the fifth row, light again at the bottom.
    top, darkest, bottom = (136, 199, 255), (92, 162, 255), (133, 196, 255)
    bar = ramp(top, darkest, 4) + ramp(darkest, bottom, 2)[1:]
    png(os.path.join(out, "bitmap_215.png"), 3, 7, [[c] * 3 for c in bar], False)
    # At 2x the ramp has twice the steps, so that the bar's shading is smooth.
    bar_2x = ramp(top, darkest, 9) + ramp(darkest, bottom, 4)[1:]
    png(os.path.join(out, "bitmap_215@2x.png"), 6, 14, [[c] * 6 for c in bar_2x], False)


if __name__ == "__main__":
    main()
