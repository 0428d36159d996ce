#!/usr/bin/env python3
"""Writes an unsigned package file: a ZIP with ZIP64 end records whose entries are, in this
order, the payload files, AppxManifest.xml, AppxBlockMap.xml and [Content_Types].xml. The
signer appends AppxSignature.p7x after them.

Deflated entries end every 64 KiB of input with a full flush, so that each block inflates
alone, and the stream ends with an empty final block; the block map gives each block's
SHA-256 and, for deflated files, its compressed size.

    pack_msix.py <out.msix> <AppxManifest.xml> [<name in package>=<file>]..."""
import base64
import hashlib
import re
import struct
import sys
import zlib
from xml.sax.saxutils import quoteattr

BLOCK_SIZE = 64 * 1024
MANIFEST = 'AppxManifest.xml'
BLOCK_MAP = 'AppxBlockMap.xml'
CONTENT_TYPES = '[Content_Types].xml'
RESERVED = {n.lower() for n in (MANIFEST, BLOCK_MAP, CONTENT_TYPES, 'AppxSignature.p7x')}
# Compressed pictures are stored as they are; everything else is deflated.
CONTENT_TYPES_BY_EXTENSION = {
    'png': ('image/png', False),
    'jpg': ('image/jpeg', False),
    'xml': ('application/vnd.ms-appx.manifest+xml', True),
    'dll': ('application/x-msdownload', True),
    'exe': ('application/x-msdownload', True),
}
# A name the package can carry without OPC percent-encoding.
PLAIN_NAME = re.compile(r'[A-Za-z0-9_-][A-Za-z0-9._-]*(/[A-Za-z0-9_-][A-Za-z0-9._-]*)*')

DOS_DATE_1980_01_01 = (0 << 9) | (1 << 5) | 1  # a fixed date keeps builds comparable
VERSION_MADE_BY = 45
VERSION_NEEDED = 20
VERSION_NEEDED_ZIP64 = 45


class PackError(Exception):
    pass


def extension(name):
    return name.rsplit('.', 1)[-1].lower() if '.' in name.rsplit('/', 1)[-1] else ''


def deflate_in_blocks(data):
    """Returns the raw deflate stream and, per 64 KiB block, (SHA-256, compressed size)."""
    compressor = zlib.compressobj(9, zlib.DEFLATED, -15)
    stream = bytearray()
    blocks = []
    for start in range(0, len(data), BLOCK_SIZE):
        block = data[start:start + BLOCK_SIZE]
        piece = compressor.compress(block) + compressor.flush(zlib.Z_FULL_FLUSH)
        stream += piece
        blocks.append((hashlib.sha256(block).digest(), len(piece)))
    stream += compressor.flush(zlib.Z_FINISH)  # the empty final block, in no block's size
    return bytes(stream), blocks


def stored_blocks(data):
    return [(hashlib.sha256(data[s:s + BLOCK_SIZE]).digest(), None)
            for s in range(0, len(data), BLOCK_SIZE)]


class PackageWriter:
    def __init__(self):
        self.body = bytearray()
        self.central = bytearray()
        self.count = 0
        self.block_map = []   # (name, size, local header size, blocks)
        self.extensions = {}  # extension -> content type

    def add(self, name, data, compress, in_block_map=True):
        encoded = name.encode('ascii')
        if compress:
            payload, blocks = deflate_in_blocks(data)
        else:
            payload, blocks = data, stored_blocks(data)
        crc = zlib.crc32(data) & 0xFFFFFFFF
        method = 8 if compress else 0
        offset = len(self.body)
        local = struct.pack('<IHHHHHIIIHH', 0x04034B50, VERSION_NEEDED, 0, method, 0,
                            DOS_DATE_1980_01_01, crc, len(payload), len(data), len(encoded), 0)
        self.body += local + encoded + payload
        self.central += struct.pack('<IHHHHHHIIIHHHHHII', 0x02014B50, VERSION_MADE_BY,
                                    VERSION_NEEDED, 0, method, 0, DOS_DATE_1980_01_01, crc,
                                    len(payload), len(data), len(encoded), 0, 0, 0, 0, 0,
                                    offset) + encoded
        self.count += 1
        if in_block_map:
            self.block_map.append((name, len(data), len(local) + len(encoded), blocks))

    def add_payload(self, name, data):
        if not PLAIN_NAME.fullmatch(name) or name.lower() in RESERVED:
            raise PackError('cannot carry a payload file named %r' % name)
        if len(data) >= 0xFFFFFFFF:
            raise PackError('%s is too large for this packer' % name)
        ext = extension(name)
        content_type, compress = CONTENT_TYPES_BY_EXTENSION.get(
            ext, ('application/octet-stream', True))
        if ext in self.extensions and self.extensions[ext] != content_type:
            raise PackError('two content types for .%s' % ext)
        if ext:
            self.extensions[ext] = content_type
        else:
            raise PackError('%s has no extension to give it a content type' % name)
        self.add(name, data, compress)

    def block_map_xml(self):
        # HashMethod stays the root's last attribute: signers read it up to the tag's end.
        parts = ['<?xml version="1.0" encoding="UTF-8" standalone="no"?>\r\n'
                 '<BlockMap xmlns="http://schemas.microsoft.com/appx/2010/blockmap" '
                 'HashMethod="http://www.w3.org/2001/04/xmlenc#sha256">']
        for name, size, local_size, blocks in self.block_map:
            parts.append('<File Name=%s Size="%d" LfhSize="%d">'
                         % (quoteattr(name.replace('/', '\\')), size, local_size))
            for digest, compressed in blocks:
                hash_text = base64.b64encode(digest).decode('ascii')
                if compressed is None:
                    parts.append('<Block Hash="%s"/>' % hash_text)
                else:
                    parts.append('<Block Hash="%s" Size="%d"/>' % (hash_text, compressed))
            parts.append('</File>')
        parts.append('</BlockMap>')
        return ''.join(parts).encode('utf-8')

    def content_types_xml(self):
        parts = ['<?xml version="1.0" encoding="UTF-8"?>\r\n'
                 '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">']
        for ext in sorted(self.extensions):
            parts.append('<Default Extension=%s ContentType=%s/>'
                         % (quoteattr(ext), quoteattr(self.extensions[ext])))
        parts.append('<Override PartName="/%s" '
                     'ContentType="application/vnd.ms-appx.blockmap+xml"/>' % BLOCK_MAP)
        parts.append('</Types>')
        return ''.join(parts).encode('utf-8')

    def finish(self, manifest):
        # The manifest is listed in the block map; the block map and content types are not.
        self.extensions['xml'] = CONTENT_TYPES_BY_EXTENSION['xml'][0]
        self.add(MANIFEST, manifest, True)
        self.add(BLOCK_MAP, self.block_map_xml(), True, in_block_map=False)
        self.add(CONTENT_TYPES, self.content_types_xml(), True, in_block_map=False)
        directory_offset = len(self.body)
        zip64_end_offset = directory_offset + len(self.central)
        zip64_end = struct.pack('<IQHHIIQQQQ', 0x06064B50, 44, VERSION_MADE_BY,
                                VERSION_NEEDED_ZIP64, 0, 0, self.count, self.count,
                                len(self.central), directory_offset)
        locator = struct.pack('<IIQI', 0x07064B50, 0, zip64_end_offset, 1)
        # The classic record only points on to the ZIP64 one.
        classic_end = struct.pack('<IHHHHIIH', 0x06054B50, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,
                                  0xFFFFFFFF, 0xFFFFFFFF, 0)
        return bytes(self.body + self.central + zip64_end + locator + classic_end)


def pack(manifest, payload):
    """payload: (name in the package with '/' separators, bytes) pairs, in package order."""
    writer = PackageWriter()
    for name, data in payload:
        writer.add_payload(name, data)
    return writer.finish(manifest)


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    with open(argv[2], 'rb') as f:
        manifest = f.read()
    payload = []
    for pair in argv[3:]:
        name, _, path = pair.partition('=')
        with open(path, 'rb') as f:
            payload.append((name, f.read()))
    try:
        data = pack(manifest, payload)
    except PackError as e:
        sys.exit('pack_msix: %s' % e)
    with open(argv[1], 'wb') as f:
        f.write(data)
    print('pack_msix: wrote %s (%d bytes, %d payload files)' % (argv[1], len(data), len(payload)))


if __name__ == '__main__':
    main(sys.argv)
