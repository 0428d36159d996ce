#!/usr/bin/env python3
"""Draws the viewer's icon and writes vmxtool.ico, 32-bit with alpha, in every size that
Windows asks for at 100 % to 200 % scaling: 16, 20, 24 and 32 pixels for a window's small
icon, 32, 40, 48 and 64 for its big one.

A blue rounded tile with a white page and a magnifying glass: the viewer looks at files.
Shapes are sampled 8x8 times per pixel for smooth edges. Run it again after changing the
drawing:  python3 viewer/make_icon.py viewer/vmxtool.ico
"""
import struct
import sys

SAMPLES = 8
SIZES = (16, 20, 24, 32, 40, 48, 64)


def inside_rounded(x, y, left, top, right, bottom, radius):
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def sample(u, v):
    """Colour (r, g, b, a) at a point of the unit square, or None for transparent."""
    colour = None
    if inside_rounded(u, v, 0.03, 0.03, 0.97, 0.97, 0.18):
        shade = 1.0 - 0.35 * v  # lighter at the top
        colour = (int(40 * shade), int(110 * shade), int(225 * shade), 255)
    # The page, with its top right corner folded.
    if 0.22 <= u <= 0.66 and 0.14 <= v <= 0.80 and (u - 0.52) <= (v - 0.14):
        colour = (250, 250, 250, 255)
        if 0.29 <= u <= 0.56 and any(abs(v - line) < 0.025 for line in (0.36, 0.46, 0.56)):
            colour = (150, 170, 200, 255)
    if 0.52 <= u <= 0.66 and 0.14 <= v <= 0.28 and (u - 0.52) >= (v - 0.14):
        colour = (200, 210, 225, 255)
    # The magnifying glass: a ring with a handle, over the lower right of the page.
    dx, dy = u - 0.60, v - 0.62
    dist2 = dx * dx + dy * dy
    if dist2 <= 0.17 ** 2:
        colour = (255, 196, 40, 255) if dist2 >= 0.115 ** 2 else (205, 230, 255, 255)
    along = ((u - 0.72) + (v - 0.74)) / 2 ** 0.5
    across = ((u - 0.72) - (v - 0.74)) / 2 ** 0.5
    if 0.0 <= along <= 0.23 and abs(across) <= 0.055:
        colour = (120, 70, 20, 255)
    return colour


def render(size):
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            r = g = b = a = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = sample((x + (sx + 0.5) / SAMPLES) / size, (y + (sy + 0.5) / SAMPLES) / size)
                    if c is not None:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        a += 255
            n = SAMPLES * SAMPLES
            covered = a // 255
            if covered:
                row.append((r // covered, g // covered, b // covered, a // n))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def dib(size):
    """The icon image as a DIB: header, BGRA rows bottom up, then an all-clear AND mask."""
    pixels = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    body = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    return header + body + bytes(mask_row * size)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "vmxtool.ico"
    images = [dib(size) for size in SIZES]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    data += b"".join(images)
    with open(out, "wb") as f:
        f.write(data)
    print(f"make_icon: wrote {out} ({len(data)} bytes, {', '.join(map(str, SIZES))} pixels)")


if __name__ == "__main__":
    main()
