#!/usr/bin/env python3
"""Draws the setup program's icon, vmxinst.ico: one 32x32 picture, a golden V on a blue
rounded square, as a 16-colour and a 256-colour image. Run it again after changing the
drawing: python3 setup/make_icon.py setup/vmxinst.ico"""
import math
import struct
import sys

SIZE = 32

# The 16 colours of the standard Windows palette, in their usual order.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def inside_rounded_square(x, y, left, top, right, bottom, radius):
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def in_v(x, y):
    return (distance_to_segment(x, y, 8.5, 7.5, 16.0, 24.0) <= 2.3 or
            distance_to_segment(x, y, 23.5, 7.5, 16.0, 24.0) <= 2.3)


def blend(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def picture(full_colour):
    """Rows top to bottom of colours, None where the icon is transparent."""
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            px, py = x + 0.5, y + 0.5
            if not inside_rounded_square(px, py, 1, 1, 31, 31, 5):
                row.append(None)
                continue
            edge = not inside_rounded_square(px, py, 2, 2, 30, 30, 4)
            t = y / (SIZE - 1)
            if in_v(px, py):
                colour = blend((255, 224, 64), (224, 144, 0), t) if full_colour else (255, 255, 0)
            elif in_v(px + 1, py - 1):
                colour = (8, 24, 72) if full_colour else (0, 0, 0)  # the V's shadow
            elif edge:
                colour = (10, 30, 100) if full_colour else (0, 0, 255)
            else:
                colour = blend((70, 130, 230), (20, 50, 150), t) if full_colour else (0, 0, 128)
            row.append(colour)
        rows.append(row)
    return rows


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))


def image(bits):
    rows = picture(bits == 8)
    if bits == 4:
        palette = list(VGA16)
    else:
        palette = sorted({c for row in rows for c in row if c is not None})
        palette += [(0, 0, 0)] * (256 - len(palette))
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, 2 * SIZE, 1, bits, 0, 0, 0, 0, 0, 0)
    colours = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bitmaps are stored bottom-up
        indices = [0 if c is None else nearest(palette, c) for c in row]
        if bits == 4:
            xor += bytes((indices[i] << 4) | indices[i + 1] for i in range(0, SIZE, 2))
        else:
            xor += bytes(indices)
        bitsrow = 0
        for x, c in enumerate(row):
            if c is None:
                bitsrow |= 1 << (SIZE - 1 - x)
        mask += struct.pack('>I', bitsrow)
    return header + colours + bytes(xor) + bytes(mask)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else 'vmxinst.ico'
    images = [(16, 4, image(4)), (0, 8, image(8))]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for colour_count, bits, body in images:
        data += struct.pack('<BBBBHHII', SIZE, SIZE, colour_count, 0, 1, bits, len(body), offset)
        offset += len(body)
    data += b''.join(body for _, _, body in images)
    with open(out, 'wb') as f:
        f.write(data)
    print('make_icon: wrote %s (%d bytes)' % (out, len(data)))


if __name__ == '__main__':
    main()
