#!/usr/bin/env python3
"""Writes the payload that the single setup file carries: a cabinet (MSZIP, made by gcab)
of the files of the package folder that the zip takes, and beside it the SHA-256 of each,
as sha256sum writes them. The folder's own SHA256SUMS stays out: the setup file records
the digests itself.

    make_payload.py <package folder> <zip's list file> <output folder>"""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile

SUMS = 'SHA256SUMS'
CABINET = 'payload.cab'
DIGESTS = 'payload.sha256'


def replace_if_changed(path, data):
    """Keeps the file's time when nothing changed, so the setup file is not linked again."""
    if os.path.exists(path):
        with open(path, 'rb') as f:
            if f.read() == data:
                return
    with open(path + '.new', 'wb') as f:
        f.write(data)
    os.replace(path + '.new', path)


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    folder, list_file, out = sys.argv[1:]
    with open(list_file) as f:
        names = [n.strip() for n in f if n.strip() and n.strip() != SUMS]
    if not names:
        sys.exit('make_payload: %s names no file' % list_file)
    if shutil.which('gcab') is None:
        sys.exit('make_payload: gcab is missing (scripts/install-deps.sh installs it)')
    os.makedirs(out, exist_ok=True)
    digests = ''
    for name in names:
        with open(os.path.join(folder, name), 'rb') as f:
            digests += '%s  %s\n' % (hashlib.sha256(f.read()).hexdigest(), name)
    with tempfile.TemporaryDirectory() as temp:
        cabinet = os.path.join(temp, CABINET)
        done = subprocess.run(['gcab', '-c', '-z', '-n', cabinet]
                              + [os.path.join(folder, n) for n in names],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if done.returncode != 0:
            sys.exit('make_payload: gcab failed: %s' % done.stdout.decode(errors='replace'))
        with open(cabinet, 'rb') as f:
            cabinet_bytes = f.read()
    replace_if_changed(os.path.join(out, CABINET), cabinet_bytes)
    replace_if_changed(os.path.join(out, DIGESTS), digests.encode('ascii'))
    print('make_payload: %s holds %d files in %d bytes' % (CABINET, len(names), len(cabinet_bytes)))


if __name__ == '__main__':
    main()
