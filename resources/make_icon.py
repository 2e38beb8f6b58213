#!/usr/bin/env python3
"""Draws zelt's icons and writes them as Windows .ico files.

The program's icon, the receive indicator: three images, 32x32 in 2 colours, 32x32 in 16 colours
and 16x16 in 16 colours. The 16-colour images show a green disc with a black rim and a small white
glint; the 2-colour image a black disc with a white glint. Outside the disc every image is
transparent.

The transmit mark laid over the taskbar button: a red disc over a darker rim with soft edges, in
premultiplied 32-bit colour, at the small icon's sizes for 100, 125, 150 and 200 percent.

Usage: make_icon.py ICON.ico MARK.ico
"""

import math
import struct
import sys

# The standard 16-colour palette, red, green and blue.
VGA_PALETTE = [
    (0x00, 0x00, 0x00), (0x00, 0x00, 0x80), (0x00, 0x80, 0x00), (0x00, 0x80, 0x80),
    (0x80, 0x00, 0x00), (0x80, 0x00, 0x80), (0x80, 0x80, 0x00), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0x00, 0x00, 0xFF), (0x00, 0xFF, 0x00), (0x00, 0xFF, 0xFF),
    (0xFF, 0x00, 0x00), (0xFF, 0x00, 0xFF), (0xFF, 0xFF, 0x00), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_GREEN, GREEN, WHITE = 0, 2, 10, 15
MONO_PALETTE = [(0, 0, 0), (0xFF, 0xFF, 0xFF)]
MONO_BLACK, MONO_WHITE = 0, 1


def draw(size, rim, fill, shade, glint):
    """Returns rows (top first) of palette indices, None where transparent."""
    centre = (size - 1) / 2.0
    radius = size / 2.0 - 0.5
    rim_width = max(1.0, size / 16.0)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            distance = math.hypot(x - centre, y - centre)
            if distance > radius:
                row.append(None)
            elif distance > radius - rim_width:
                row.append(rim)
            elif math.hypot(x - centre * 0.65, y - centre * 0.65) < size / 8.0:
                row.append(glint)
            elif x + y > size * 1.45:
                row.append(shade)
            else:
                row.append(fill)
        rows.append(row)
    return rows


def row_bytes(bits_per_row):
    """Bytes in one bitmap row, padded to a 32-bit boundary."""
    return ((bits_per_row + 31) // 32) * 4


def pack_bits(values, bit_count):
    """Packs small integers, most significant bits first, into a padded row."""
    out = bytearray(row_bytes(len(values) * bit_count))
    per_byte = 8 // bit_count
    for i, value in enumerate(values):
        shift = 8 - bit_count * (i % per_byte + 1)
        out[i // per_byte] |= (value & ((1 << bit_count) - 1)) << shift
    return bytes(out)


def icon_image(rows, bit_count, palette):
    """One icon image: BITMAPINFOHEADER, palette, colour bitmap and mask, both bottom-up."""
    size = len(rows)
    colour = b"".join(pack_bits([v if v is not None else 0 for v in row], bit_count) for row in reversed(rows))
    mask = b"".join(pack_bits([1 if v is None else 0 for v in row], 1) for row in reversed(rows))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bit_count, 0, len(colour) + len(mask), 0, 0,
                         len(palette), 0)
    quads = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    return header + quads + colour + mask


def mark_pixel(distance, radius):
    """Premultiplied (blue, green, red, alpha): red over a darker rim, so that the disc stands out
    on a red or dark button."""
    coverage = min(max(radius + 0.5 - distance, 0.0), 1.0)
    red = 0.55 if distance > radius - 1.5 else 1.0
    # Halves round away from zero, as C's lround does.
    return 0, 0, math.floor(255 * coverage * red + 0.5), math.floor(255 * coverage + 0.5)


def mark_image(size):
    """The transmit mark: BITMAPINFOHEADER, 32-bit colour and an empty mask, both bottom-up. The
    colour's alpha alone says what is seen."""
    centre = size / 2.0
    colour = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            dx = x + 0.5 - centre
            dy = y + 0.5 - centre
            colour += bytes(mark_pixel(math.sqrt(dx * dx + dy * dy), centre - 0.5))
    mask = bytes(row_bytes(size) * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + mask


def icon_file(images):
    """ICONDIR, one ICONDIRENTRY per (size, colour count, bit count, image), then the images."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, colours, bit_count, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, colours % 256, 0, 1, bit_count, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, _, _, data in images)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_icon.py ICON.ico MARK.ico")
    images = [
        (32, 2, 1, icon_image(draw(32, MONO_BLACK, MONO_BLACK, MONO_BLACK, MONO_WHITE), 1, MONO_PALETTE)),
        (32, 16, 4, icon_image(draw(32, BLACK, GREEN, DARK_GREEN, WHITE), 4, VGA_PALETTE)),
        (16, 16, 4, icon_image(draw(16, BLACK, GREEN, DARK_GREEN, WHITE), 4, VGA_PALETTE)),
    ]
    with open(sys.argv[1], "wb") as output:
        output.write(icon_file(images))
    marks = [(size, 0, 32, mark_image(size)) for size in (16, 20, 24, 32)]
    with open(sys.argv[2], "wb") as output:
        output.write(icon_file(marks))


if __name__ == "__main__":
    main()
