#!/usr/bin/env python3
"""Tests of the package file: the reader (check_msix.py, run as the program it is) catches
each kind of damage to a built package; packages with files of several 64 KiB blocks, stored
and deflated, come out of the packer whole; and a certificate's subject is written as
Windows writes it, by the packer and by the reader, each on its own.

    package_tests.py --package <vmxmenu.msix> --cert <vmxmenu.cer> --header <menu_package.h>
                     --version <a.b.c.d> --manifest <the build's AppxManifest.xml> [unittest args]"""
import argparse
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(SOURCE, 'package', 'msix'))
sys.path.insert(0, HERE)
import cert_subject  # noqa: E402  the packer's side
import check_msix  # noqa: E402    the reader's side
import pack_msix  # noqa: E402

ARGS = None
READER = os.path.join(HERE, 'check_msix.py')


def run(command, **kwargs):
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, **kwargs)
    return done.returncode, done.stdout.decode(errors='replace')


def read_package(path, cert):
    return run([sys.executable, READER, path, '--header', ARGS.header, '--version',
                ARGS.version] + (['--cert', cert] if cert else []))


def make_certificate(folder, subject, extra=()):
    """A self-signed code-signing certificate; returns (PEM path, key path). The subject is
    openssl's -subj, or a list of "name=value" lines in certificate order, which can name
    attributes that -subj does not take."""
    key, pem = os.path.join(folder, 'test.key'), os.path.join(folder, 'test.pem')
    if isinstance(subject, list):
        config = os.path.join(folder, 'subject.cnf')
        with open(config, 'w', encoding='utf-8') as f:
            f.write('[req]\ndistinguished_name = dn\nprompt = no\nutf8 = yes\n[dn]\n' +
                    ''.join('%d.%s\n' % (i, line) for i, line in enumerate(subject)))
        extra = ['-config', config] + list(extra)
    else:
        extra = ['-subj', subject] + list(extra)
    code, out = run(['openssl', 'req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-days', '2',
                     '-utf8', '-keyout', key, '-out', pem,
                     '-addext', 'basicConstraints=critical,CA:FALSE',
                     '-addext', 'keyUsage=critical,digitalSignature',
                     '-addext', 'extendedKeyUsage=codeSigning'] + list(extra))
    assert code == 0, out
    return pem, key


def der(pem):
    with open(pem, 'rb') as f:
        return cert_subject.der_from_file_bytes(f.read())


class Entries:
    """Where each entry of a package lies: a test's own walk of the central directory."""

    def __init__(self, data):
        self.data = bytearray(data)
        zip64_at = struct.unpack('<Q', self.data[-34:-26])[0]
        count, cd_size, cd_at = struct.unpack('<QQQ', self.data[zip64_at + 32:zip64_at + 56])
        self.zip64_at, self.central, pos = zip64_at, {}, cd_at
        for _ in range(count):
            name_len, extra_len, comment_len = struct.unpack('<HHH', self.data[pos + 28:pos + 34])
            name = bytes(self.data[pos + 46:pos + 46 + name_len]).decode()
            local = struct.unpack('<I', self.data[pos + 42:pos + 46])[0]
            self.central[name] = (pos, local)
            pos += 46 + name_len + extra_len + comment_len

    def data_start(self, name):
        local = self.central[name][1]
        name_len, extra_len = struct.unpack('<HH', self.data[local + 26:local + 30])
        return local + 30 + name_len + extra_len

    def rename(self, old, new):
        assert len(old) == len(new)
        central, local = self.central[old]
        self.data[central + 46:central + 46 + len(old)] = new.encode()
        self.data[local + 30:local + 30 + len(old)] = new.encode()

    def set_crc(self, name, crc):
        central, local = self.central[name]
        self.data[central + 16:central + 20] = struct.pack('<I', crc)
        self.data[local + 14:local + 18] = struct.pack('<I', crc)


def flip_logo_byte(e):
    at = e.data_start('vmxmenu.png') + 40
    e.data[at] ^= 0x55


def flip_logo_byte_keep_crc(e):
    # The CRC made to match again: only the block hash can tell.
    start = e.data_start('vmxmenu.png')
    size = struct.unpack('<I', e.data[e.central['vmxmenu.png'][0] + 20:
                                      e.central['vmxmenu.png'][0] + 24])[0]
    e.data[start + 40] ^= 0x55
    e.set_crc('vmxmenu.png', zlib.crc32(bytes(e.data[start:start + size])) & 0xFFFFFFFF)


def flip_manifest_byte(e):
    e.data[e.data_start('AppxManifest.xml') + 20] ^= 0xFF


def classic_end_with_real_counts(e):
    e.data[-14:-10] = struct.pack('<HH', len(e.central), len(e.central))


def locator_one_byte_off(e):
    e.data[-34:-26] = struct.pack('<Q', e.zip64_at + 1)


def signature_not_last(e):
    e.rename('AppxSignature.p7x', 'AppxSignature.p7y')


def logo_renamed(e):
    e.rename('vmxmenu.png', 'vmxmenu.pnh')


class TamperedPackage(unittest.TestCase):
    # (what is done to a copy of the built package, the reader's check that must fail,
    #  whether osslsigncode's own verification must fail too)
    CASES = [
        (flip_logo_byte, 'FAIL vmxmenu.png inflates to its size and CRC', True),
        (flip_logo_byte_keep_crc, 'FAIL every block of the block map against its file', True),
        (flip_manifest_byte, 'FAIL AppxManifest.xml inflates', True),
        (classic_end_with_real_counts, 'FAIL ZIP64 end record, locator and classic', False),
        (locator_one_byte_off, 'FAIL ZIP64 end record, locator and classic', False),
        (signature_not_last, 'FAIL payload, manifest, block map, content types, signature last',
         True),
        (logo_renamed, 'FAIL every block of the block map against its file', True),
    ]

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix='vmx-tamper-')
        with open(ARGS.package, 'rb') as f:
            self.original = f.read()

    def tearDown(self):
        shutil.rmtree(self.folder)

    def test_the_untouched_package_passes(self):
        code, out = read_package(ARGS.package, ARGS.cert)
        self.assertEqual(code, 0, out)
        self.assertNotIn('FAIL', out)

    def test_each_damage_is_caught(self):
        for tamper, failed_check, signer_notices in self.CASES:
            with self.subTest(tamper.__name__):
                entries = Entries(self.original)
                tamper(entries)
                path = os.path.join(self.folder, tamper.__name__ + '.msix')
                with open(path, 'wb') as f:
                    f.write(entries.data)
                code, out = read_package(path, ARGS.cert)
                self.assertEqual(code, 1, out)
                self.assertIn(failed_check, out)
                if signer_notices:
                    ca = os.path.join(self.folder, 'ca.pem')
                    run(['openssl', 'x509', '-inform', 'DER', '-in', ARGS.cert, '-out', ca])
                    code, out = run(['osslsigncode', 'verify', '-CAfile', ca, '-in', path])
                    self.assertNotEqual(code, 0, out)


class LargeFiles(unittest.TestCase):
    """The built package holds small files only; these hold several blocks each."""

    def test_blocks_of_stored_and_deflated_files(self):
        folder = tempfile.mkdtemp(prefix='vmx-blocks-')
        self.addCleanup(shutil.rmtree, folder)
        pem, key = make_certificate(folder, '/O=Caldwyn/CN=VelluMax blocks test')
        with open(ARGS.manifest, encoding='utf-8') as f:
            manifest = f.read()
        built_publisher = manifest.split('Publisher="', 1)[1].split('"', 1)[0]
        manifest = manifest.replace(built_publisher, cert_subject.windows_subject(der(pem)))
        rng = random.Random(20)
        words = [bytes(rng.choice(b'abcdefghij ') for _ in range(rng.randint(2, 9)))
                 for _ in range(300)]
        deflated = b' '.join(rng.choice(words) for _ in range(40000))[:200000]
        stored = rng.randbytes(3 * 65536)  # exactly three blocks
        empty = b''
        unsigned = os.path.join(folder, 'unsigned.msix')
        with open(unsigned, 'wb') as f:
            f.write(pack_msix.pack(manifest.encode('utf-8'), [
                ('vmxmenu.png', stored), ('data/text.bin', deflated), ('data/empty.dat', empty)]))
        signed = os.path.join(folder, 'signed.msix')
        code, out = run(['osslsigncode', 'sign', '-certs', pem, '-key', key, '-in', unsigned,
                         '-out', signed])
        self.assertEqual(code, 0, out)
        cer = os.path.join(folder, 'test.cer')
        with open(cer, 'wb') as f:
            f.write(der(pem))
        code, out = read_package(signed, cer)
        self.assertEqual(code, 0, out)
        with open(signed, 'rb') as f:
            data = f.read()
        entries = check_msix.read_entries(data, *check_msix.read_end_records(data))
        block_map = check_msix.contents(
            next(e for e in entries if e.name == 'AppxBlockMap.xml')).decode()
        # 200,000 bytes are four blocks with sizes, 3 x 64 KiB three without, nothing none.
        text_file = block_map.split('Name="data\\text.bin"')[1].split('</File>')[0]
        logo_file = block_map.split('Name="vmxmenu.png"')[1].split('</File>')[0]
        empty_file = block_map.split('Name="data\\empty.dat"')[1].split('</File>')[0]
        self.assertEqual(text_file.count('<Block '), 4)
        self.assertEqual(len(re.findall(r'<Block Hash="[^"]+" Size="\d+"/>', text_file)), 4)
        self.assertEqual(logo_file.count('<Block '), 3)
        self.assertEqual(len(re.findall(r'<Block Hash="[^"]+"/>', logo_file)), 3)
        self.assertEqual(empty_file.count('<Block '), 0)

    def test_names_the_package_cannot_carry_are_refused(self):
        for name in ('AppxManifest.xml', 'appxsignature.p7x', '../up.png', 'a b.png', 'noext',
                     'Assets\\Logo.png', '[Content_Types].xml'):
            with self.subTest(name):
                with self.assertRaises(pack_msix.PackError):
                    pack_msix.pack(b'<Package/>', [(name, b'x')])


class ManifestRules(unittest.TestCase):
    """The built manifest, changed in one way, packed and signed again: the reader refuses
    what Windows would refuse, though the schemas take it."""
    # (what is changed, the built manifest's text, what replaces it)
    CASES = [
        ('an EntryPoint beside RuntimeBehavior', 'uap10:TrustLevel=',
         'EntryPoint="Windows.FullTrustApplication" uap10:TrustLevel='),
        ('no RuntimeBehavior', ' uap10:RuntimeBehavior="win32App"', ''),
        ('no unvirtualizedResources', '<rescap:Capability Name="unvirtualizedResources"/>', ''),
        ('a logo the package lacks', 'Square44x44Logo="vmxmenu.png"',
         'Square44x44Logo="Assets\\Small.png"'),
    ]

    def test_each_rule_is_checked(self):
        folder = tempfile.mkdtemp(prefix='vmx-manifest-')
        self.addCleanup(shutil.rmtree, folder)
        pem, key = make_certificate(folder, '/O=Caldwyn/CN=VelluMax manifest test')
        cer = os.path.join(folder, 'test.cer')
        with open(cer, 'wb') as f:
            f.write(der(pem))
        with open(ARGS.manifest, encoding='utf-8') as f:
            built = f.read()
        built_publisher = built.split('Publisher="', 1)[1].split('"', 1)[0]
        built = built.replace(built_publisher, cert_subject.windows_subject(der(pem)))
        with open(os.path.join(SOURCE, 'setup', 'make_icon.py'), 'rb') as f:
            logo = f.read()  # any bytes: the reader checks that the file is there
        for what, old, new in [('the built manifest', '', '')] + self.CASES:
            with self.subTest(what):
                self.assertIn(old, built)
                manifest = built.replace(old, new, 1) if old else built
                unsigned = os.path.join(folder, 'unsigned.msix')
                signed = os.path.join(folder, 'signed.msix')
                with open(unsigned, 'wb') as f:
                    f.write(pack_msix.pack(manifest.encode('utf-8'), [('vmxmenu.png', logo)]))
                code, out = run(['osslsigncode', 'sign', '-certs', pem, '-key', key, '-in',
                                 unsigned, '-out', signed])
                self.assertEqual(code, 0, out)
                code, out = read_package(signed, cer)
                os.unlink(signed)
                if not old:
                    self.assertEqual(code, 0, out)
                    continue
                self.assertEqual(code, 1, out)
                self.assertIn('FAIL manifest identity, application, capabilities', out)


def installer_yaml(folder):
    return [os.path.join(folder, n) for n in os.listdir(folder) if n.endswith('.installer.yaml')][0]


def edit_installer(folder, old, new):
    path = installer_yaml(folder)
    with open(path, encoding='utf-8') as f:
        text = f.read()
    assert old in text, old
    with open(path, 'w', encoding='utf-8') as f:
        f.write(text.replace(old, new, 1))


class TamperedWingetManifest(unittest.TestCase):
    """The package manager's manifest as the build writes it passes our checker; each fault
    that the manager would refuse, or that would run our setup program wrongly, is caught."""
    # (what is changed in the installer file, the checker's complaint)
    CASES = [
        ('ManifestVersion: 1.28.0', 'ManifestVersion: 1.9.0', 'ManifestVersion expected the current'),
        ('Scope: machine', 'Scope: system', "Scope 'system' is none of"),
        ('ElevationRequirement: elevatesSelf', 'ElevationRequirement: elevationRequired',
         'a setup program that elevates itself'),
        ('  Silent: /quiet', '  Silent: /S', "switch Silent expected '/quiet'"),
        ('  Log: "/log \\"<LOGPATH>\\""', '  Log: /log', 'switch Log expected'),
        ('ReturnResponse: installInProgress', 'ReturnResponse: busy', "ReturnResponse 'busy'"),
        ('InstallerReturnCode: 3010', 'InstallerReturnCode: 0', 'not a non-zero, unique exit code'),
        ('ProductCode: VelluMax\nApps', 'ProductCode: VelluMax.Setup\nApps', 'ProductCode expected'),
        ('InstallerSha256: ', 'InstallerSha256: 00', 'InstallerSha256'),
        ('InstallerUrl: "https://', 'InstallerUrl: "ftp://', 'InstallerUrl'),
        ('  InstallerType: exe', '  InstallerKind: exe', 'field InstallerKind is not a documented'),
        ('RelativeFilePath: vmxinst.exe', 'RelativeFilePath: vmxinst64.exe', 'nested exe vmxinst.exe'),
    ]

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix='vmx-winget-')
        self.setup_file = os.path.join(self.folder, 'VelluMax-1.0.0.1-setup-x64.exe')
        self.zip_file = os.path.join(self.folder, 'VelluMax-1.0.0.1.zip')
        for path in (self.setup_file, self.zip_file):
            with open(path, 'wb') as f:
                f.write(os.urandom(4096))
        code, out = run([sys.executable, os.path.join(SOURCE, 'package', 'winget_manifest.py'),
                         '--setup', self.setup_file, '--zip', self.zip_file, '--version',
                         '1.0.0.1', '--url', 'https://release.invalid/VelluMax/1.0.0.1',
                         '--out', os.path.join(self.folder, 'out')])
        self.assertEqual(code, 0, out)
        self.manifest = os.path.join(self.folder, 'out', 'Caldwyn.VelluMax', '1.0.0.1')

    def tearDown(self):
        shutil.rmtree(self.folder)

    def check(self):
        return run([sys.executable, os.path.join(HERE, 'check_winget.py'), self.manifest,
                    '--setup', self.setup_file, '--zip', self.zip_file])

    def test_the_written_manifest_passes(self):
        code, out = self.check()
        self.assertEqual(code, 0, out)

    def test_each_fault_is_caught(self):
        for old, new, complaint in self.CASES:
            with self.subTest(new):
                with open(installer_yaml(self.manifest), encoding='utf-8') as f:
                    backup = f.read()
                edit_installer(self.manifest, old, new)
                code, out = self.check()
                with open(installer_yaml(self.manifest), 'w', encoding='utf-8') as f:
                    f.write(backup)
                self.assertEqual(code, 1, 'expected the checker to refuse %r; it said: %s' % (new, out))
                self.assertIn(complaint, out)

    def test_a_setup_file_changed_after_the_manifest_is_caught(self):
        with open(self.setup_file, 'ab') as f:
            f.write(b'\0')
        code, out = self.check()
        self.assertEqual(code, 1, out)
        self.assertIn('x64 InstallerSha256 is not the SHA-256', out)

    def test_a_missing_locale_file_is_caught(self):
        os.remove(os.path.join(self.manifest, 'Caldwyn.VelluMax.locale.fr-FR.yaml'))
        code, out = self.check()
        self.assertEqual(code, 1, out)
        self.assertIn('expected the files', out)


class CertificateSubjects(unittest.TestCase):
    # (openssl's -subj, certificate order; the subject as Windows writes it)
    CASES = [
        ('/O=Caldwyn/CN=VelluMax build 2026-12-09 0a1b2c3d',
         'CN=VelluMax build 2026-12-09 0a1b2c3d, O=Caldwyn'),
        ('/C=FR/ST=Ile-de-France/L=Paris/O=Caldwyn, SA/CN=Caldwyn Release',
         'CN=Caldwyn Release, O="Caldwyn, SA", L=Paris, S=Ile-de-France, C=FR'),
        ('/O=Say "hi"/CN=x', 'CN=x, O="Say ""hi"""'),
        ('/CN=a;b/OU=c=d/O=e#f', 'O="e#f", OU="c=d", CN="a;b"'),
        ('/CN=Soci\u00e9t\u00e9 \u65e5\u672c', 'CN=Soci\u00e9t\u00e9 \u65e5\u672c'),
        ('/emailAddress=a@b.example/street=1 rue Haute/OU=Dev/CN=z',
         'CN=z, OU=Dev, STREET=1 rue Haute, E=a@b.example'),
        ('/DC=example/DC=com/CN=dc', 'CN=dc, DC=com, DC=example'),
        # A release certificate's subject as authorities issue them: every name Windows
        # has, and attributes it has none for.
        (['jurisdictionC=FR', 'businessCategory=Private Organization', 'serialNumber=B 123',
          'C=FR', 'postalCode=75001', 'postOfficeBox=BP 12', 'street=1 rue Haute',
          'telephoneNumber=+33 1 23 45 67 89', 'x121Address=20801234', 'dnQualifier=q1',
          'description=Logiciels; outils', 'O=Caldwyn', 'CN=Caldwyn'],
         'CN=Caldwyn, O=Caldwyn, Description="Logiciels; outils", dnQualifier=q1, '
         'X21Address=20801234, Phone="+33 1 23 45 67 89", STREET=1 rue Haute, POBox=BP 12, '
         'PostalCode=75001, C=FR, SERIALNUMBER=B 123, OID.2.5.4.15=Private Organization, '
         'OID.1.3.6.1.4.1.311.60.2.1.3=FR'),
    ]

    def test_packer_and_reader_write_the_subject_as_windows(self):
        folder = tempfile.mkdtemp(prefix='vmx-subject-')
        self.addCleanup(shutil.rmtree, folder)
        for subject, expected in self.CASES:
            with self.subTest(str(subject)):
                pem, _ = make_certificate(folder, subject)
                self.assertEqual(cert_subject.windows_subject(der(pem)), expected)
                with open(pem, 'rb') as f:
                    self.assertEqual(check_msix.windows_subject_of(f.read()), expected)

    def test_a_relative_name_of_two_values_is_refused(self):
        folder = tempfile.mkdtemp(prefix='vmx-subject-')
        self.addCleanup(shutil.rmtree, folder)
        pem, _ = make_certificate(folder, '/O=Caldwyn/CN=a+OU=b', ['-multivalue-rdn'])
        with self.assertRaises(cert_subject.CertificateError):
            cert_subject.windows_subject(der(pem))


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for option in ('package', 'cert', 'header', 'version', 'manifest'):
        parser.add_argument('--' + option, required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == '__main__':
    main()
