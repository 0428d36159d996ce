#!/usr/bin/env python3
"""Writes the package's logo: the setup program's icon drawing (setup/make_icon.py), golden V
on a blue rounded square, as a 50x50 PNG with transparency.

    make_logo.py <out.png>"""
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'setup'))
import make_icon  # noqa: E402  (the drawing lives beside the icon it first served)

LOGO_SIZE = 50


def chunk(kind, body):
    return (struct.pack('>I', len(body)) + kind + body +
            struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF))


def png(rows):
    height, width = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter
        for pixel in row:
            raw += bytes((0, 0, 0, 0)) if pixel is None else bytes(pixel) + b'\xff'
    header = struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
            chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def logo_rows():
    # The drawing is made for 32 pixels; each logo pixel takes the nearest one.
    picture = make_icon.picture(True)
    scale = make_icon.SIZE / LOGO_SIZE
    return [[picture[int(y * scale)][int(x * scale)] for x in range(LOGO_SIZE)]
            for y in range(LOGO_SIZE)]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    data = png(logo_rows())
    with open(sys.argv[1], 'wb') as f:
        f.write(data)
    print('make_logo: wrote %s (%d bytes)' % (sys.argv[1], len(data)))


if __name__ == '__main__':
    main()
