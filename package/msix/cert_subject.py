#!/usr/bin/env python3
"""A certificate's subject as Windows writes it, which a package's Publisher must equal:
the relative names last to first, "KEY=value" joined by ", ", the keys Windows uses (S for
the state, E for the e-mail address, PostalCode, Description and the like, OID.n.n... for
every attribute Windows has no name for), and a value in double quotes
(its own quotes doubled) where it holds a character that would end it.

    cert_subject.py <certificate, DER or PEM>"""
import base64
import re
import sys

WINDOWS_KEYS = {
    '2.5.4.3': 'CN', '2.5.4.7': 'L', '2.5.4.10': 'O', '2.5.4.11': 'OU',
    '1.2.840.113549.1.9.1': 'E', '2.5.4.6': 'C', '2.5.4.8': 'S', '2.5.4.9': 'STREET',
    '2.5.4.12': 'T', '2.5.4.42': 'G', '2.5.4.43': 'I', '2.5.4.4': 'SN',
    '0.9.2342.19200300.100.1.25': 'DC', '2.5.4.5': 'SERIALNUMBER', '2.5.4.13': 'Description',
    '2.5.4.17': 'PostalCode', '2.5.4.18': 'POBox', '2.5.4.20': 'Phone', '2.5.4.24': 'X21Address',
    '2.5.4.46': 'dnQualifier',
}
QUOTE_WHEN = set(',+="\r\n<>#;')
STRING_DECODERS = {
    0x0C: 'utf-8', 0x13: 'ascii', 0x16: 'ascii', 0x14: 'latin-1', 0x1A: 'ascii',
    0x1E: 'utf-16-be', 0x1C: 'utf-32-be',
}


class CertificateError(Exception):
    pass


def read_tlv(data, pos):
    """Returns (tag, start of contents, end of contents) of the DER element at pos."""
    if pos + 2 > len(data):
        raise CertificateError('truncated element')
    tag, length = data[pos], data[pos + 1]
    pos += 2
    if length & 0x80:
        count = length & 0x7F
        if count == 0 or count > 4 or pos + count > len(data):
            raise CertificateError('bad length')
        length = int.from_bytes(data[pos:pos + count], 'big')
        pos += count
    if pos + length > len(data):
        raise CertificateError('element runs past its parent')
    return tag, pos, pos + length


def children(data, start, end):
    pos = start
    while pos < end:
        tag, body, after = read_tlv(data, pos)
        yield tag, body, after
        pos = after


def oid_text(raw):
    first = raw[0]
    parts = [min(first // 40, 2), first - 40 * min(first // 40, 2)]
    value = 0
    for byte in raw[1:]:
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            parts.append(value)
            value = 0
    return '.'.join(str(p) for p in parts)


def subject_attributes(der):
    """The subject's (OID, value) pairs per relative name, in certificate order."""
    _, cert_body, cert_end = read_tlv(der, 0)
    _, tbs_body, tbs_end = next(children(der, cert_body, cert_end))
    fields = list(children(der, tbs_body, tbs_end))
    if fields and fields[0][0] == 0xA0:  # the explicit version
        fields = fields[1:]
    # serial number, signature algorithm, issuer, validity, subject
    if len(fields) < 5 or fields[4][0] != 0x30:
        raise CertificateError('no subject')
    _, name_body, name_end = fields[4]
    names = []
    for rdn_tag, rdn_body, rdn_end in children(der, name_body, name_end):
        if rdn_tag != 0x31:
            raise CertificateError('a relative name is not a SET')
        attributes = []
        for _, atv_body, atv_end in children(der, rdn_body, rdn_end):
            (oid_tag, oid_body, oid_end), (value_tag, value_body, value_end) = \
                list(children(der, atv_body, atv_end))[:2]
            if oid_tag != 0x06 or value_tag not in STRING_DECODERS:
                raise CertificateError('unreadable attribute in the subject')
            attributes.append((oid_text(der[oid_body:oid_end]),
                               der[value_body:value_end].decode(STRING_DECODERS[value_tag])))
        names.append(attributes)
    return names


def windows_value(value):
    if (not value or value[0].isspace() or value[-1].isspace() or
            any(c in QUOTE_WHEN for c in value)):
        return '"' + value.replace('"', '""') + '"'
    return value


def windows_subject(der):
    parts = []
    for attributes in reversed(subject_attributes(der)):
        if len(attributes) != 1:
            # A package's Publisher has no way to write a relative name of several values.
            raise CertificateError('the subject has a relative name of several values')
        oid, value = attributes[0]
        parts.append('%s=%s' % (WINDOWS_KEYS.get(oid, 'OID.' + oid), windows_value(value)))
    if not parts:
        raise CertificateError('the subject is empty')
    return ', '.join(parts)


def der_from_file_bytes(data):
    match = re.search(rb'-----BEGIN CERTIFICATE-----(.+?)-----END CERTIFICATE-----', data, re.S)
    return base64.b64decode(match.group(1)) if match else data


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], 'rb') as f:
        print(windows_subject(der_from_file_bytes(f.read())))


if __name__ == '__main__':
    main()
