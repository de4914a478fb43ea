#!/usr/bin/env python3
"""Draws Quorvanta's 64 x 64 application icon: a few emission lines standing over a spectrum band
on a dark ground. Uses only the standard library (zlib and struct write the PNG).

Usage: python3 tools/make_icon.py [OUTPUT]   (default: data/quorvanta.png beside this folder)
"""
import os
import struct
import sys
import zlib

SIZE = 64
GROUND = (16, 18, 28)        # dark blue-black
FRAME = (44, 48, 66)
BAND_TOP, BAND_BOTTOM = 44, 54  # rows of the spectrum band
BAND_LEFT, BAND_RIGHT = 6, 57   # columns; the band runs from violet (left) to red (right)
LOWEST_NM, HIGHEST_NM = 400.0, 700.0

# Emission lines drawn over the band: wavelength in nm and height in rows above the band.
LINES = [(442.0, 30), (488.0, 22), (514.5, 34), (594.0, 16), (632.8, 28)]


def wavelength_rgb(nm):
    """A plain piecewise-linear visible-spectrum colour, 0..255 per primary."""
    if nm < 440:
        r, g, b = (440 - nm) / 40, 0.0, 1.0
    elif nm < 490:
        r, g, b = 0.0, (nm - 440) / 50, 1.0
    elif nm < 510:
        r, g, b = 0.0, 1.0, (510 - nm) / 20
    elif nm < 580:
        r, g, b = (nm - 510) / 70, 1.0, 0.0
    elif nm < 645:
        r, g, b = 1.0, (645 - nm) / 65, 0.0
    else:
        r, g, b = 1.0, 0.0, 0.0
    # Fade at both ends, where the eye sees little.
    fade = 1.0
    if nm < 420:
        fade = 0.4 + 0.6 * (nm - 400) / 20
    elif nm > 680:
        fade = 0.4 + 0.6 * (700 - nm) / 20
    return tuple(int(round(255 * max(0.0, min(1.0, c * fade)))) for c in (r, g, b))


def column_of(nm):
    share = (nm - LOWEST_NM) / (HIGHEST_NM - LOWEST_NM)
    return int(round(BAND_LEFT + share * (BAND_RIGHT - BAND_LEFT)))


def nm_of(column):
    share = (column - BAND_LEFT) / (BAND_RIGHT - BAND_LEFT)
    return LOWEST_NM + share * (HIGHEST_NM - LOWEST_NM)


def draw():
    pixels = [[GROUND + (255,) for _ in range(SIZE)] for _ in range(SIZE)]

    # A rounded dark tile with a thin frame; the corners stay transparent.
    for y in range(SIZE):
        for x in range(SIZE):
            dx = max(0, 4 - x, x - (SIZE - 5))
            dy = max(0, 4 - y, y - (SIZE - 5))
            if dx * dx + dy * dy > 16:
                pixels[y][x] = (0, 0, 0, 0)
            elif x in (0, SIZE - 1) or y in (0, SIZE - 1) or dx * dx + dy * dy > 9:
                pixels[y][x] = FRAME + (255,)

    for x in range(BAND_LEFT, BAND_RIGHT + 1):
        colour = wavelength_rgb(nm_of(x))
        for y in range(BAND_TOP, BAND_BOTTOM + 1):
            pixels[y][x] = colour + (255,)

    # Each line is two pixels wide: white core on the left, its colour on the right, so that it
    # reads as a bright line at 16 px as well.
    for nm, height in LINES:
        x = column_of(nm)
        colour = wavelength_rgb(nm)
        for y in range(BAND_TOP - height, BAND_TOP):
            pixels[y][x] = (235, 235, 240, 255)
            pixels[y][x + 1] = colour + (255,)
    return pixels


def png_bytes(pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(c for pixel in row for c in pixel) for row in pixels)
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)  # 8-bit RGBA, no interlace
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    default = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "quorvanta.png")
    output = sys.argv[1] if len(sys.argv) > 1 else default
    with open(output, "wb") as f:
        f.write(png_bytes(draw()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
