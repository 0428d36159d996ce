#!/usr/bin/env python3
"""Reads a signed package file back on its own, without the packer's code, and checks what
Windows and the signer rely on: the ZIP64 end records, the entries in their order with the
signature last, every block of the block map against the file's bytes (each deflated block
inflated alone), the block map and the ZIP listing the same files, the content types, the
manifest's identity and command (the Publisher equal to the signing certificate's subject
as Windows writes it, every CLSID equal to the command's class, the application's runtime
given without an EntryPoint, both capabilities, every logo it names), and the signature itself
through `osslsigncode verify`.

    check_msix.py <package.msix> --header <menu_package.h> --version <a.b.c.d>
                  [--cert <the build's certificate, DER; when missing, a release signature>]
Prints one line per check and ends with "N passed, M failed"; exits 1 on any failure."""
import argparse
import base64
import hashlib
import os
import re
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
import zlib

BLOCK = 65536
SIGNATURE = 'AppxSignature.p7x'
FOOTPRINT_TAIL = ['AppxManifest.xml', 'AppxBlockMap.xml', '[Content_Types].xml', SIGNATURE]
BLOCKMAP_NS = '{http://schemas.microsoft.com/appx/2010/blockmap}'
TYPES_NS = '{http://schemas.openxmlformats.org/package/2006/content-types}'
NS = {
    'f': 'http://schemas.microsoft.com/appx/manifest/foundation/windows10',
    'uap': 'http://schemas.microsoft.com/appx/manifest/uap/windows10',
    'uap10': 'http://schemas.microsoft.com/appx/manifest/uap/windows10/10',
    'rescap': 'http://schemas.microsoft.com/appx/manifest/foundation/windows10/restrictedcapabilities',
    'desktop4': 'http://schemas.microsoft.com/appx/manifest/desktop/windows10/4',
    'desktop5': 'http://schemas.microsoft.com/appx/manifest/desktop/windows10/5',
    'com': 'http://schemas.microsoft.com/appx/manifest/com/windows10',
}
# The keys Windows writes for an attribute's OID; any other is written OID.<dotted>.
WINDOWS_KEY_OF = {
    '2.5.4.3': 'CN', '2.5.4.10': 'O', '2.5.4.11': 'OU', '2.5.4.7': 'L', '2.5.4.8': 'S',
    '2.5.4.6': 'C', '1.2.840.113549.1.9.1': 'E', '2.5.4.9': 'STREET', '2.5.4.12': 'T',
    '2.5.4.42': 'G', '2.5.4.43': 'I', '2.5.4.4': 'SN', '0.9.2342.19200300.100.1.25': 'DC',
    '2.5.4.5': 'SERIALNUMBER', '2.5.4.13': 'Description', '2.5.4.17': 'PostalCode',
    '2.5.4.18': 'POBox', '2.5.4.20': 'Phone', '2.5.4.24': 'X21Address', '2.5.4.46': 'dnQualifier',
}
# Windows takes the Application's runtime from one of two forms and refuses a package that
# gives an EntryPoint beside the form that the command's surrogate needs.
APPLICATION = {'Executable': 'vmxtool.exe', 'EntryPoint': None,
               '{%s}TrustLevel' % NS['uap10']: 'mediumIL',
               '{%s}RuntimeBehavior' % NS['uap10']: 'win32App'}
CAPABILITIES = ['runFullTrust', 'unvirtualizedResources']


class Failure(Exception):
    pass


class Report:
    def __init__(self):
        self.passed = self.failed = 0

    def check(self, what, function, *args):
        """Runs one check; a Failure or a malformed package fails it, and returns None."""
        try:
            result = function(*args)
        except (Failure, ValueError, KeyError, IndexError, struct.error, zlib.error,
                ElementTree.ParseError) as e:
            self.failed += 1
            print('FAIL %s: %s' % (what, e))
            return None
        self.passed += 1
        print('ok   %s' % what)
        return result if result is not None else True


def expect(condition, text):
    if not condition:
        raise Failure(text)


class Entry:
    pass


def read_end_records(data):
    expect(len(data) >= 98, 'too short for a package (%d bytes)' % len(data))
    # No archive comment: the classic record is the last 22 bytes.
    (sig, disk, cd_disk, on_disk, total, cd_size, cd_offset,
     comment) = struct.unpack('<IHHHHIIH', data[-22:])
    expect(sig == 0x06054B50, 'no end of central directory record in the last 22 bytes')
    expect(comment == 0, 'the end record carries a comment')
    # Its disk numbers may be 0 or 0xFFFF (the signer writes 0), the rest must defer.
    expect(disk == cd_disk and disk in (0, 0xFFFF) and (on_disk, total) == (0xFFFF,) * 2 and
           (cd_size, cd_offset) == (0xFFFFFFFF,) * 2,
           'the classic end record does not defer to ZIP64: %r'
           % ((disk, cd_disk, on_disk, total, cd_size, cd_offset),))
    sig, disk, zip64_offset, disks = struct.unpack('<IIQI', data[-42:-22])
    expect(sig == 0x07064B50, 'no ZIP64 end record locator before the end record')
    expect(disk == 0 and disks == 1, 'the locator names disk %d of %d' % (disk, disks))
    expect(zip64_offset + 56 == len(data) - 42,
           'the locator points to %d, the ZIP64 end record is at %d'
           % (zip64_offset, len(data) - 98))
    (sig, size, made_by, needed, disk, cd_disk, on_disk, total, cd_size,
     cd_offset) = struct.unpack('<IQHHIIQQQQ', data[zip64_offset:zip64_offset + 56])
    expect(sig == 0x06064B50, 'no ZIP64 end record where the locator points')
    expect(size == 44, 'ZIP64 end record of size %d, not 44' % size)
    expect(needed in (20, 45), 'ZIP64 end record needs version %d' % needed)
    expect(disk == cd_disk == 0 and on_disk == total, 'ZIP64 end record spans disks')
    expect(cd_offset + cd_size == zip64_offset,
           'the central directory (%d + %d) does not end where the ZIP64 record begins (%d)'
           % (cd_offset, cd_size, zip64_offset))
    return total, cd_offset, cd_size


def read_entries(data, count, cd_offset, cd_size):
    entries, pos = [], cd_offset
    for index in range(count):
        (sig, made_by, needed, flags, method, _, _, crc, csize, usize, name_len, extra_len,
         comment_len, disk, _, _, local) = struct.unpack('<IHHHHHHIIIHHHHHII',
                                                         data[pos:pos + 46])
        expect(sig == 0x02014B50, 'central directory entry %d has no signature' % index)
        entry = Entry()
        entry.name = data[pos + 46:pos + 46 + name_len].decode('utf-8')
        expect(not flags & 1, '%s is encrypted' % entry.name)
        expect(method in (0, 8), '%s uses method %d' % (entry.name, method))
        expect(comment_len == 0 and disk == 0, '%s has a comment or another disk' % entry.name)
        expect(needed in (20, 45), '%s needs version %d' % (entry.name, needed))
        expect(0xFFFFFFFF not in (csize, usize, local),
               '%s defers its sizes to a ZIP64 extra field, which this reader does not take'
               % entry.name)
        entry.flags, entry.method, entry.crc = flags, method, crc
        entry.csize, entry.usize, entry.local = csize, usize, local
        pos += 46 + name_len + extra_len + comment_len
        entries.append(entry)
    expect(pos == cd_offset + cd_size, 'the central directory holds more than its entries')
    expect(len({e.name.lower() for e in entries}) == len(entries), 'a name occurs twice')
    # Each entry's local header, data and descriptor follow the previous one's, and the
    # last one ends where the central directory begins.
    end = 0
    for entry in entries:
        expect(entry.local == end, '%s begins at %d, not right after the entry before it (%d)'
               % (entry.name, entry.local, end))
        (sig, _, flags, method, _, _, crc, csize, usize, name_len,
         extra_len) = struct.unpack('<IHHHHHIIIHH', data[entry.local:entry.local + 30])
        expect(sig == 0x04034B50, '%s has no local header' % entry.name)
        name = data[entry.local + 30:entry.local + 30 + name_len].decode('utf-8')
        expect(name == entry.name, 'local name %r, central name %r' % (name, entry.name))
        expect(method == entry.method, '%s: local and central methods differ' % entry.name)
        entry.header_size = 30 + name_len + extra_len
        start = entry.local + entry.header_size
        entry.raw = data[start:start + entry.csize]
        end = start + entry.csize
        if flags & 8:
            sig, dcrc, dcsize, dusize = struct.unpack('<IIQQ', data[end:end + 24])
            expect(sig == 0x08074B50 and (dcrc, dcsize, dusize) == (entry.crc, entry.csize,
                                                                   entry.usize),
                   '%s: its data descriptor differs from the central directory' % entry.name)
            end += 24
        else:
            expect((crc, csize, usize) == (entry.crc, entry.csize, entry.usize),
                   '%s: local and central sizes or CRC differ' % entry.name)
    expect(end == cd_offset, 'bytes between the last entry (%d) and the central directory (%d)'
           % (end, cd_offset))
    return entries


def contents(entry):
    data = entry.raw
    if entry.method == 8:
        inflater = zlib.decompressobj(-15)
        data = inflater.decompress(entry.raw)
        expect(inflater.eof and not inflater.unused_data,
               '%s: the deflate stream does not end where the entry does' % entry.name)
    expect(len(data) == entry.usize, '%s inflates to %d bytes, not %d'
           % (entry.name, len(data), entry.usize))
    expect(zlib.crc32(data) & 0xFFFFFFFF == entry.crc, '%s: CRC mismatch' % entry.name)
    return data


def check_order(entries):
    names = [e.name for e in entries]
    expect(names[-1] == SIGNATURE, 'the last entry is %s, not the signature' % names[-1])
    expect(names[-4:] == FOOTPRINT_TAIL, 'the package ends with %s, not %s'
           % (names[-4:], FOOTPRINT_TAIL))


def check_block_map(entries, bytes_of):
    raw = bytes_of['AppxBlockMap.xml']
    root_tag = re.search(rb'<BlockMap\b[^>]*>', raw)
    expect(root_tag, 'no BlockMap element')
    attributes = re.findall(rb'([\w:]+)="', root_tag.group(0))
    expect(attributes and attributes[-1] == b'HashMethod',
           'HashMethod is not the BlockMap element\'s last attribute')
    root = ElementTree.fromstring(raw)
    expect(root.tag == BLOCKMAP_NS + 'BlockMap', 'root element %s' % root.tag)
    expect(root.get('HashMethod') == 'http://www.w3.org/2001/04/xmlenc#sha256',
           'hash method %s' % root.get('HashMethod'))
    by_name = {e.name: e for e in entries}
    listed = []
    for file in root.findall(BLOCKMAP_NS + 'File'):
        name = file.get('Name').replace('\\', '/')
        expect(name in by_name, 'the block map lists %s, which the package lacks' % name)
        listed.append(name)
        entry = by_name[name]
        data = bytes_of[name]
        expect(int(file.get('Size')) == entry.usize, '%s: size %s in the block map, %d in the ZIP'
               % (name, file.get('Size'), entry.usize))
        expect(int(file.get('LfhSize')) == entry.header_size, '%s: LfhSize %s, local header %d'
               % (name, file.get('LfhSize'), entry.header_size))
        blocks = file.findall(BLOCKMAP_NS + 'Block')
        expect(len(blocks) == (entry.usize + BLOCK - 1) // BLOCK,
               '%s: %d blocks for %d bytes' % (name, len(blocks), entry.usize))
        offset = 0
        for index, block in enumerate(blocks):
            plain = data[index * BLOCK:(index + 1) * BLOCK]
            if entry.method == 8:
                size = int(block.get('Size'))
                piece = entry.raw[offset:offset + size]
                offset += size
                inflater = zlib.decompressobj(-15)
                alone = inflater.decompress(piece)
                expect(alone == plain and not inflater.eof and not inflater.unused_data,
                       '%s: block %d does not inflate alone to its 64 KiB' % (name, index))
            else:
                expect(block.get('Size') is None, '%s: a stored block with a size' % name)
            expect(base64.b64decode(block.get('Hash')) == hashlib.sha256(plain).digest(),
                   '%s: block %d hash differs from the file' % (name, index))
        if entry.method == 8:
            inflater = zlib.decompressobj(-15)
            expect(inflater.decompress(entry.raw[offset:]) == b'' and inflater.eof,
                   '%s: after the blocks comes more than the empty final block' % name)
    expect(len(listed) == len(set(listed)), 'the block map lists a file twice')
    in_zip = [e.name for e in entries if e.name not in FOOTPRINT_TAIL[1:]]
    expect(sorted(listed) == sorted(in_zip), 'the block map lists %s, the ZIP holds %s'
           % (sorted(listed), sorted(in_zip)))


def check_content_types(entries, bytes_of):
    root = ElementTree.fromstring(bytes_of['[Content_Types].xml'])
    defaults = {d.get('Extension').lower(): d.get('ContentType')
                for d in root.findall(TYPES_NS + 'Default')}
    overrides = {o.get('PartName'): o.get('ContentType')
                 for o in root.findall(TYPES_NS + 'Override')}
    expect(defaults.get('xml') == 'application/vnd.ms-appx.manifest+xml',
           'xml is %s' % defaults.get('xml'))
    expect(overrides.get('/AppxBlockMap.xml') == 'application/vnd.ms-appx.blockmap+xml',
           'the block map has no override')
    for entry in entries:
        if entry.name == '[Content_Types].xml':
            continue
        ext = entry.name.rsplit('.', 1)[-1].lower()
        expect('/' + entry.name in overrides or ext in defaults,
               '%s has no content type' % entry.name)


def header_value(header, key):
    match = re.search(r'^#define %s "([^"]*)"' % key, header, re.M)
    expect(match, '%s not found in the header' % key)
    return match.group(1)


def check_manifest(bytes_of, header, version):
    root = ElementTree.fromstring(bytes_of['AppxManifest.xml'])
    identity = root.find('f:Identity', NS)
    clsid = header_value(header, 'VMX_MENU_CLSID').strip('{}').lower()
    expect(identity.get('Name') == header_value(header, 'VMX_MENU_PACKAGE_NAME'),
           'identity name %s' % identity.get('Name'))
    expect(identity.get('Version') == version, 'version %s, the project is %s'
           % (identity.get('Version'), version))
    expect(identity.get('ProcessorArchitecture') == 'x64',
           'architecture %s' % identity.get('ProcessorArchitecture'))
    expect(root.findtext('f:Properties/uap10:AllowExternalContent', None, NS) == 'true',
           'external content not allowed')
    logos = [root.findtext('f:Properties/f:Logo', '', NS)] + [
        v.get(a, '') for v in root.iterfind('.//uap:VisualElements', NS)
        for a in ('Square150x150Logo', 'Square44x44Logo')]
    for logo in logos:
        expect(logo.replace('\\', '/') in bytes_of, 'the logo %r is not in the package' % logo)
    family = root.find('f:Dependencies/f:TargetDeviceFamily', NS)
    expect(family.get('Name') == 'Windows.Desktop' and family.get('MinVersion') == '10.0.19041.0',
           'device family %s %s' % (family.get('Name'), family.get('MinVersion')))
    application = root.find('f:Applications/f:Application', NS)
    given = {a: application.get(a) for a in APPLICATION}
    expect(given == APPLICATION, 'application %s, expected %s' % (given, APPLICATION))
    capabilities = [c.get('Name') for c in root.iterfind('f:Capabilities/rescap:Capability', NS)]
    expect(sorted(capabilities) == CAPABILITIES, 'capabilities %s, expected %s'
           % (capabilities, CAPABILITIES))
    verbs = {}
    for item in root.iterfind('.//desktop4:FileExplorerContextMenus/desktop5:ItemType', NS):
        for verb in item.findall('desktop5:Verb', NS):
            verbs[item.get('Type')] = (verb.get('Id'), verb.get('Clsid').lower())
    expected = (header_value(header, 'VMX_MENU_VERB_ID'), clsid)
    expect(verbs == {'*': expected, 'Directory': expected},
           'verbs %s, expected %s for files and folders' % (verbs, expected))
    classes = root.findall('.//com:SurrogateServer/com:Class', NS)
    expect([(c.get('Id').lower(), c.get('Path'), c.get('ThreadingModel')) for c in classes] ==
           [(clsid, 'vmxmenu.dll', 'STA')], 'surrogate classes %s'
           % [(c.get('Id'), c.get('Path')) for c in classes])
    return identity.get('Publisher')


def run(command, stdin=None):
    done = subprocess.run(command, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    return done.returncode, done.stdout


def pem_certificates(text):
    return re.findall(rb'-----BEGIN CERTIFICATE-----.+?-----END CERTIFICATE-----\n?', text, re.S)


def der_of(pem):
    return base64.b64decode(b''.join(pem.split(b'\n')[1:-2]))


def windows_subject_of(pem):
    """The subject as Windows writes it, from openssl's reading of the certificate."""
    code, out = run(['openssl', 'x509', '-noout', '-subject', '-nameopt',
                     'utf8,dn_rev,sep_multiline,oid,esc_ctrl'], pem)
    expect(code == 0, 'openssl cannot read the certificate')
    parts = []
    for line in out.decode('utf-8').splitlines()[1:]:
        key, _, value = line.strip().partition('=')
        expect(re.fullmatch(r'[0-9]+(\.[0-9]+)+', key), 'subject attribute %s is no OID' % key)
        if (not value or value != value.strip() or
                any(c in value for c in ',+="\r\n<>#;')):
            value = '"' + value.replace('"', '""') + '"'
        parts.append('%s=%s' % (WINDOWS_KEY_OF.get(key, 'OID.' + key), value))
    return ', '.join(parts)


def signer_certificate(bytes_of, cer):
    p7x = bytes_of[SIGNATURE]
    expect(p7x[:4] == b'PKCX', 'the signature does not begin with PKCX')
    code, out = run(['openssl', 'pkcs7', '-inform', 'DER', '-print_certs'], p7x[4:])
    expect(code == 0, 'openssl cannot read the signature: %s' % out[-200:])
    certificates = pem_certificates(out)
    expect(certificates, 'the signature carries no certificate')
    if cer is not None:
        match = [c for c in certificates if der_of(c) == cer]
        expect(match, 'the signature is not made with the shipped certificate')
        return match[0]
    if len(certificates) == 1:
        return certificates[0]
    # With a chain, the signer is the one certificate that issued none of the others.
    hashes = []
    for certificate in certificates:
        code, out = run(['openssl', 'x509', '-noout', '-subject_hash', '-issuer_hash'],
                        certificate)
        expect(code == 0, 'openssl cannot read a certificate of the signature')
        hashes.append(out.split())
    issuers = {issuer for subject, issuer in hashes if subject != issuer}
    leaves = [c for c, (subject, _) in zip(certificates, hashes) if subject not in issuers]
    expect(len(leaves) == 1, 'cannot tell the signer among %d certificates' % len(certificates))
    return leaves[0]


def check_publisher(publisher, certificate):
    subject = windows_subject_of(certificate)
    expect(publisher == subject, 'Publisher "%s", certificate subject "%s"' % (publisher, subject))


def check_certificate_kind(certificate):
    code, out = run(['openssl', 'x509', '-noout', '-ext',
                     'extendedKeyUsage,keyUsage,basicConstraints'], certificate)
    text = out.decode()
    expect(code == 0 and 'Code Signing' in text and 'Digital Signature' in text,
           'not a code-signing certificate:\n' + text)
    expect('CA:TRUE' not in text, 'the signing certificate is a CA')


def check_osslsigncode(package, certificate):
    """Against the build's own certificate when there is one, else the system's roots."""
    with tempfile.TemporaryDirectory() as folder:
        trust = []
        if certificate:
            trust = ['-CAfile', os.path.join(folder, 'signer.pem')]
            with open(trust[1], 'wb') as f:
                f.write(certificate)
        code, out = run(['osslsigncode', 'verify'] + trust + ['-in', package])
    expect(code == 0 and b'Signature verification: ok' in out,
           'osslsigncode verify failed:\n' + out.decode(errors='replace')[-800:])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('package')
    parser.add_argument('--header', required=True)
    parser.add_argument('--version', required=True)
    parser.add_argument('--cert')
    args = parser.parse_args()
    with open(args.package, 'rb') as f:
        data = f.read()
    with open(args.header, encoding='utf-8') as f:
        header = f.read()
    cer = None
    if args.cert and os.path.exists(args.cert):
        with open(args.cert, 'rb') as f:
            cer = f.read()
    elif args.cert:
        print('no build certificate %s: the package is checked as signed by a release '
              'certificate, against the system\'s trusted roots' % args.cert)

    report = Report()
    print('checking %s' % args.package)
    ends = report.check('ZIP64 end record, locator and classic end record', read_end_records, data)
    entries = ends and report.check('entries, local headers and central directory agree',
                                    read_entries, data, *ends)
    if entries:
        bytes_of = {}
        for entry in entries:
            content = report.check('%s inflates to its size and CRC' % entry.name,
                                   contents, entry)
            if content is not None:
                bytes_of[entry.name] = content if content is not True else b''
        ordered = report.check('payload, manifest, block map, content types, signature last',
                               check_order, entries)
        if ordered and all(e.name in bytes_of for e in entries):
            report.check('every block of the block map against its file',
                         check_block_map, entries, bytes_of)
            report.check('content types', check_content_types, entries, bytes_of)
            publisher = report.check('manifest identity, application, capabilities, logos, verbs and class',
                                     check_manifest, bytes_of, header, args.version)
            certificate = report.check('the signer\'s certificate', signer_certificate,
                                       bytes_of, cer)
            if certificate:
                report.check('a code-signing certificate, not a CA', check_certificate_kind,
                             certificate)
                if publisher:
                    report.check('Publisher equals the certificate subject',
                                 check_publisher, publisher, certificate)
                report.check('osslsigncode verify', check_osslsigncode, args.package,
                             certificate if cer else None)
    print('%d passed, %d failed' % (report.passed, report.failed))
    sys.exit(1 if report.failed or not report.passed else 0)


if __name__ == '__main__':
    main()
