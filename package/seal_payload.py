#!/usr/bin/env python3
"""Seals a setup program: writes the SHA-256 of every file of the package into the table
of shipped files that the program carries in its read-only data (setup/payload/
shipped_table.h), and the release certificate's public key when there is one. The setup
program installs and starts nothing that the table does not list and match.

    seal_payload.py <folder> <program> [--pfx=<file>] [--password-file=<file>] [...]
        the program <folder>/<program> gets every file of <folder> (subfolders too), as the
        package will hold them
    seal_payload.py --files <program file> <name>=<file>...
        the program gets the files given (the test programs, for their own packages)

The two setup programs cannot hold each other's complete hash: vmxinst.exe carries
vmxinst64.exe, and vmxinst64.exe installs vmxinst.exe. The circle is broken with a digest
that leaves out the table itself and what signing changes (the PE checksum, the security
directory entry and the certificates): vmxinst.exe and the sealed program itself are
listed by that digest, which is known before either table is filled. Packaging therefore
runs: sign the other files; seal vmxinst64.exe; sign it; seal vmxinst.exe (which now
takes vmxinst64.exe's final, signed hash); sign it."""
import argparse
import hashlib
import os
import struct
import subprocess
import sys

import signing

BEGIN = b'VMX-SHIPPED->>>1'
END = b'1<<<-SHIPPED-VMX'
NAME_SIZE = 63
ENTRY = struct.Struct('<%dsB32s' % NAME_SIZE)
CAPACITY = 40
TABLE_SIZE = 16 + 4 + 32 + CAPACITY * ENTRY.size + 16
WITHOUT_TABLE = 1
SETUP32 = 'vmxinst.exe'
LEFT_OUT = ('SHA256SUMS',)


class SealError(Exception):
    pass


def table_offset(data, what):
    first = data.find(BEGIN)
    if first < 0 or data.find(BEGIN, first + 1) >= 0:
        raise SealError('%s must hold the table marker exactly once' % what)
    if data[first + TABLE_SIZE - 16:first + TABLE_SIZE] != END:
        raise SealError('%s: the table does not end where shipped_table.h says' % what)
    return first


def digest_without_table(data, what):
    """The digest of setup/payload/image_digest.cpp."""
    if data[:2] != b'MZ':
        raise SealError('%s is no PE image' % what)
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    if data[pe:pe + 4] != b'PE\0\0':
        raise SealError('%s is no PE image' % what)
    optional = pe + 24
    magic = struct.unpack_from('<H', data, optional)[0]
    directories = optional + {0x10b: 96, 0x20b: 112}[magic]
    checksum, security = optional + 64, directories + 4 * 8
    end = len(data)
    certificates, size = struct.unpack_from('<II', data, security)
    if size:
        end = certificates
    table = table_offset(data[:end], what)
    skipped = sorted([(checksum, 4), (security, 8), (table, TABLE_SIZE)])
    digest, at = hashlib.sha256(), 0
    for start, length in skipped:
        digest.update(data[at:start])
        at = start + length
    digest.update(data[at:end])
    return digest.digest()


def read_table(data, what):
    """(publisher key, {name: (flags, digest)}) as a sealed program carries them."""
    at = table_offset(data, what) + 16
    count = struct.unpack_from('<I', data, at)[0]
    key = bytes(data[at + 4:at + 36])
    entries = {}
    for i in range(count):
        name, flags, sha = ENTRY.unpack_from(data, at + 36 + i * ENTRY.size)
        entries[name.rstrip(b'\0').decode('ascii')] = (flags, sha)
    return key, entries


def publisher_key(args):
    """SHA-256 of the release certificate's SubjectPublicKeyInfo (DER); zero without one."""
    release = signing.release_certificate(args.pfx, args.password_file)
    if release is None:
        return bytes(32)
    pem = release.certificate_pem().encode()
    key = subprocess.run(['openssl', 'x509', '-noout', '-pubkey'], input=pem,
                         stdout=subprocess.PIPE, check=True).stdout
    der = subprocess.run(['openssl', 'pkey', '-pubin', '-outform', 'DER'], input=key,
                         stdout=subprocess.PIPE, check=True).stdout
    return hashlib.sha256(der).digest()


def package_files(folder):
    files = []
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            relative = os.path.relpath(path, folder).replace(os.sep, '\\')
            if relative not in LEFT_OUT:
                files.append((relative, path))
    return sorted(files)


def seal(program, own_name, files, key):
    with open(program, 'rb') as f:
        data = bytearray(f.read())
    at = table_offset(data, program)
    if len(files) > CAPACITY:
        raise SealError('the table holds %d files, the package has %d' % (CAPACITY, len(files)))
    entries = b''
    for name, path in files:
        encoded = name.encode('ascii')
        if len(encoded) >= NAME_SIZE:
            raise SealError('%s: name too long for the table' % name)
        with open(path, 'rb') as f:
            content = f.read()
        if name.lower() in (SETUP32, own_name.lower()):
            entries += ENTRY.pack(encoded, WITHOUT_TABLE, digest_without_table(content, path))
        else:
            entries += ENTRY.pack(encoded, 0, hashlib.sha256(content).digest())
    entries += bytes(ENTRY.size * (CAPACITY - len(files)))
    body = struct.pack('<I', len(files)) + key + entries
    data[at + 16:at + TABLE_SIZE - 16] = body
    with open(program, 'wb') as f:
        f.write(data)
    print('seal_payload: %s lists %d files%s' % (os.path.basename(program), len(files),
                                                 ' and the publisher\'s key' if any(key) else ''))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--files', action='store_true')
    parser.add_argument('first')
    parser.add_argument('rest', nargs='*')
    for option in ('pfx', 'password-file', 'timestamp-url'):
        parser.add_argument('--' + option, default='')
    args = parser.parse_args()
    try:
        if args.files:
            # A test's package holds what this build made of it: a certificate, say, only
            # where the build made one.
            files = [tuple(pair.split('=', 1)) for pair in args.rest]
            files = [(name, path) for name, path in files if os.path.isfile(path)]
            seal(args.first, os.path.basename(args.first), files, bytes(32))
        else:
            program = args.rest[0]
            seal(os.path.join(args.first, program), program, package_files(args.first),
                 publisher_key(args))
    except (SealError, signing.SigningError, OSError, KeyError, IndexError,
            subprocess.CalledProcessError) as e:
        sys.exit('seal_payload: %s' % e)


if __name__ == '__main__':
    main()
