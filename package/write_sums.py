#!/usr/bin/env python3
"""Writes SHA256SUMS into a release folder: the SHA-256 of each of its files, as
`sha256sum -c` reads them; and, for the zip, the list of every file it then holds.

    write_sums.py <folder> <list file>"""
import hashlib
import os
import sys

SUMS = 'SHA256SUMS'


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    folder, list_file = sys.argv[1:]
    names = sorted(n for n in os.listdir(folder)
                   if n != SUMS and os.path.isfile(os.path.join(folder, n)))
    lines = []
    for name in names:
        with open(os.path.join(folder, name), 'rb') as f:
            lines.append('%s  %s\n' % (hashlib.sha256(f.read()).hexdigest(), name))
    with open(os.path.join(folder, SUMS), 'w', newline='\n') as f:
        f.writelines(lines)
    with open(list_file, 'w', newline='\n') as f:
        f.writelines(n + '\n' for n in names + [SUMS])
    print('write_sums: %s lists %d files' % (SUMS, len(names)))


if __name__ == '__main__':
    main()
