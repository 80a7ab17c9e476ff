#!/usr/bin/python3
"""Draws the launcher's icon and writes it as res/HvLaunch.ico, with a preview
of its nine images as docs/icon-preview.png.

The picture, a chip with a green install arrow on it, is drawn from the shapes
below at each size, with 4x4 supersampling for the true-colour images. The nine images, in the order
that the shell expects to find them:

    48, 32, 16 pixels at 4 bits (the standard 16-colour palette)
    48, 32, 16 pixels at 8 bits (a fixed 256-colour palette)
    48 at 32 bits, 32 at 24 bits, 16 at 32 bits

Every image is an uncompressed DIB: a 40-byte BITMAPINFOHEADER whose height
counts the colour image and the mask together, the colour table for 4 and 8
bits, the colour image bottom-up, then the 1-bit AND mask. Transparency comes
from the mask, and in the 32-bit images from alpha as well.

Nothing depends on time or on the machine, so every run writes the same bytes.

    res/draw_icon.py [ICO [PNG]]
"""
import os
import struct
import sys
import zlib

IMAGES = [(48, 4), (32, 4), (16, 4), (48, 8), (32, 8), (16, 8), (48, 32), (32, 24), (16, 32)]
SUPERSAMPLE = 4

# The standard 16-colour palette, in the order of the Windows VGA palette.
PALETTE_16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# 256 colours: the 16 above, a 6x6x6 colour cube and 24 greys between.
PALETTE_256 = (PALETTE_16
               + [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
               + [(8 + 10 * i, 8 + 10 * i, 8 + 10 * i) for i in range(24)])
assert len(PALETTE_256) == 256

# Chosen so that the 16-colour images keep them apart: black, grey, silver,
# green and white.
CHIP = (44, 46, 54)
CHIP_EDGE = (120, 124, 136)
PIN = (196, 198, 204)
ARROW = (30, 150, 40)
ARROW_EDGE = (250, 250, 250)


def inside_rounded(x, y, x0, y0, x1, y1, r):
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def inside_arrow(x, y, grow):
    """A downward arrow in the middle of the chip; grow widens it for the edge."""
    shaft = 0.42 - grow <= x <= 0.58 + grow and 0.26 - grow <= y <= 0.52
    top, tip = 0.46 - grow, 0.74 + grow * 1.6
    half = 0.22 + grow * 1.4
    head = top <= y <= tip and abs(x - 0.5) <= half * (tip - y) / (tip - top)
    return shaft or head


def colour_at(x, y):
    """The picture at (x, y) in the unit square, y downwards: RGBA."""
    if inside_arrow(x, y, 0.0):
        return ARROW + (255,)
    if inside_arrow(x, y, 0.045):
        return ARROW_EDGE + (255,)
    if inside_rounded(x, y, 0.18, 0.18, 0.82, 0.82, 0.06):
        if not inside_rounded(x, y, 0.22, 0.22, 0.78, 0.78, 0.04):
            return CHIP_EDGE + (255,)
        return CHIP + (255,)
    # Three pins on each side, from the body out to the edge of the image.
    for centre in (0.32, 0.5, 0.68):
        along = abs((y if x < 0.18 or x > 0.82 else x) - centre) <= 0.055
        if along and (0.04 <= x < 0.18 or 0.82 < x <= 0.96) and 0.18 <= y <= 0.82:
            return PIN + (255,)
        if along and (0.04 <= y < 0.18 or 0.82 < y <= 0.96) and 0.18 <= x <= 0.82:
            return PIN + (255,)
    return (0, 0, 0, 0)


def render(size, n):
    """Rows top-down of (r, g, b, a), alpha-weighted over n x n subsamples."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(n):
                for sx in range(n):
                    cr, cg, cb, ca = colour_at((px + (sx + 0.5) / n) / size,
                                               (py + (sy + 0.5) / n) / size)
                    r += cr * ca
                    g += cg * ca
                    b += cb * ca
                    a += ca
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(r / a), round(g / a), round(b / a), round(a / (n * n))))
        rows.append(row)
    return rows


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((p - c) ** 2 for p, c in zip(palette[i], colour[:3])))


def row_bytes(bits_per_row):
    return (bits_per_row + 31) // 32 * 4


def dib(size, bits):
    """One icon image: header, colour table, colour image, AND mask."""
    # Palette images take one sample a pixel: blends of two colours would
    # only map to a third, unrelated one of the palette.
    pixels = render(size, SUPERSAMPLE if bits >= 24 else 1)
    opaque = [[a >= 128 for (_, _, _, a) in row] for row in pixels]
    palette = {4: PALETTE_16, 8: PALETTE_256}.get(bits, [])

    colour = bytearray()
    for y in reversed(range(size)):
        line = bytearray()
        if bits in (4, 8):
            indices = [nearest(palette, p) if opaque[y][x] else 0 for x, p in enumerate(pixels[y])]
            if bits == 4:
                indices += [0] * (len(indices) % 2)
                line += bytes(indices[i] << 4 | indices[i + 1] for i in range(0, len(indices), 2))
            else:
                line += bytes(indices)
        else:
            for x, (r, g, b, a) in enumerate(pixels[y]):
                if bits == 32:
                    line += bytes((b, g, r, a)) if a else bytes(4)
                else:
                    line += bytes((b, g, r)) if opaque[y][x] else bytes(3)
        line += bytes(row_bytes(size * bits) - len(line))
        colour += line

    mask = bytearray()
    for y in reversed(range(size)):
        line = bytearray(row_bytes(size))
        for x in range(size):
            if not opaque[y][x]:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line

    table = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + table + bytes(colour) + bytes(mask), pixels


def ico(images):
    """The .ico file: ICONDIR, one ICONDIRENTRY per image, then the images."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, bits), data in images:
        colours = 16 if bits == 4 else 0
        out += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bits,
                           len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def png(width, height, rows):
    """A truecolour PNG with alpha, from top-down rows of RGBA tuples."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def preview(rendered, scale=4, gap=8):
    """The nine images side by side, each enlarged scale times, as stored:
    palette images in their palette colours, transparency on a light check."""
    height = 48 * scale
    width = sum(size * scale for (size, _), _ in rendered) + gap * (len(rendered) + 1)
    rows = []
    for y in range(height + 2 * gap):
        row = []
        for x in range(width):
            light = ((x // 8) + (y // 8)) % 2
            row.append((236, 236, 236, 255) if light else (250, 250, 250, 255))
        rows.append(row)
    left = gap
    for (size, bits), pixels in rendered:
        palette = {4: PALETTE_16, 8: PALETTE_256}.get(bits)
        for y in range(size * scale):
            for x in range(size * scale):
                r, g, b, a = pixels[y // scale][x // scale]
                if bits != 32:
                    if a < 128:
                        continue
                    if palette:
                        r, g, b = palette[nearest(palette, (r, g, b))]
                    a = 255
                under = rows[gap + y][left + x]
                blend = [round((c * a + u * (255 - a)) / 255) for c, u in zip((r, g, b), under)]
                rows[gap + y][left + x] = tuple(blend) + (255,)
        left += size * scale + gap
    return png(width, height + 2 * gap, rows)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ico_path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "HvLaunch.ico")
    png_path = (sys.argv[2] if len(sys.argv) > 2
                else os.path.join(here, "..", "docs", "icon-preview.png"))
    images, rendered = [], []
    for size, bits in IMAGES:
        data, pixels = dib(size, bits)
        images.append(((size, bits), data))
        rendered.append(((size, bits), pixels))
    with open(ico_path, "wb") as f:
        f.write(ico(images))
    with open(png_path, "wb") as f:
        f.write(preview(rendered))


if __name__ == "__main__":
    main()
