#!/usr/bin/env python3
"""Draws the range slider's images 212 to 215 into res/ (or the folder given).

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


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "res")

    # 212, track 6 x 11: grey, eight light grey rows, grey, white.
    track = [GREY] + [LIGHT_GREY] * 8 + [GREY, WHITE]
    png(os.path.join(out, "bitmap_212.png"), 6, 11, [[c] * 6 for c in track], False)

    left = [[THUMB_COLOURS[ch] for ch in line] for line in LEFT_THUMB]
    png(os.path.join(out, "bitmap_213.png"), 13, 17, left, True)
    # 214, the right thumb: the mirror image, so its bracket closes.
    png(os.path.join(out, "bitmap_214.png"), 13, 17, [row[::-1] for row in left], True)

    # 215, bar 3 x 7: light blue at the top, darkest in the fifth row, light again at the bottom.
    top, darkest, bottom = (136, 199, 255), (92, 162, 255), (133, 196, 255)
    bar = ramp(top, darkest, 4) + ramp(darkest, bottom, 2)[1:]
    png(os.path.join(out, "bitmap_215.png"), 3, 7, [[c] * 3 for c in bar], False)


if __name__ == "__main__":
    main()
