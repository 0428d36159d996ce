#!/usr/bin/env python3
"""Writes SHA256SUMS into a release folder: the SHA-256 of each of its files, as
`sha256sum -c` reads them; and, for the zip, the list of every file it then holds. The
files the zip must hold, when named, must all be there.

    write_sums.py <folder> <list file> [<file the zip must hold>]..."""
import hashlib
import os
import sys

SUMS = 'SHA256SUMS'


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    folder, list_file, required = sys.argv[1], sys.argv[2], sys.argv[3:]
    names = sorted(n for n in os.listdir(folder)
                   if n != SUMS and os.path.isfile(os.path.join(folder, n)))
    missing = [n for n in required if n not in names]
    if missing:
        sys.exit('write_sums: %s lacks %s' % (folder, ', '.join(missing)))
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
