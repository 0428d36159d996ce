#!/usr/bin/env python3
"""Marks a program to be copied whole into the paging file when Windows starts it from a
network share or removable media (the characteristics that link /SWAPRUN:NET,CD sets):
the single setup file reads its payload from its own image, whose pages must then not come
from a share or stick that changes or goes away while it runs. Recomputes the PE checksum
when the image carries one; signing comes after.

    run_from_swap.py <program>"""
import struct
import sys

NET_RUN_FROM_SWAP = 0x0800
REMOVABLE_RUN_FROM_SWAP = 0x0400


def pe_checksum(data, checksum_at):
    total = 0
    padded = data + b'\0' * (len(data) % 2)
    for i in range(0, len(padded), 2):
        if i == checksum_at or i == checksum_at + 2:
            continue
        total += padded[i] | (padded[i + 1] << 8)
        total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    path = sys.argv[1]
    with open(path, 'rb') as f:
        data = bytearray(f.read())
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    if data[pe:pe + 4] != b'PE\0\0':
        sys.exit('run_from_swap: %s is not a PE image' % path)
    at = pe + 4 + 18
    characteristics = struct.unpack_from('<H', data, at)[0]
    struct.pack_into('<H', data, at, characteristics | NET_RUN_FROM_SWAP | REMOVABLE_RUN_FROM_SWAP)
    checksum_at = pe + 4 + 20 + 64
    if struct.unpack_from('<I', data, checksum_at)[0]:
        struct.pack_into('<I', data, checksum_at, pe_checksum(bytes(data), checksum_at))
    with open(path, 'wb') as f:
        f.write(data)
    print('run_from_swap: %s runs from the paging file when started from a share or removable media'
          % path)


if __name__ == '__main__':
    main()
