#!/usr/bin/env python3
"""Tests of release signing on copies of the built programs and DLLs, with a certificate made
for the test in its own temporary folder: every program, DLL and the package carry a
signature that `osslsigncode verify` accepts, timestamped by the configured server (a local
one, answering with openssl's own time-stamping); a server that cannot be reached or fails
leaves them signed without a timestamp and with a warning; without a certificate nothing is signed and one line says so; a
wrong password or a package signed by another certificate stops the release; SHA256SUMS
lists every file of the zip; the two setup programs, sealed and signed in packaging's
order, each list every shipped file as it finally is.

    release_signing_tests.py <file to sign>... [-- unittest args]"""
import hashlib
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
PACKAGE_SOURCE = os.path.join(os.path.dirname(os.path.dirname(HERE)), 'package')
SIGN_RELEASE = os.path.join(PACKAGE_SOURCE, 'sign_release.py')
SEAL_PAYLOAD = os.path.join(PACKAGE_SOURCE, 'seal_payload.py')
WRITE_SUMS = os.path.join(PACKAGE_SOURCE, 'write_sums.py')
MAKE_PACKAGE = os.path.join(PACKAGE_SOURCE, 'msix', 'make_package.py')
PASSWORD = 'test only, made for this run'
UNREACHABLE = 'http://127.0.0.1:9/'
BINARIES = []


def run(command, env_changes=None, cwd=None):
    env = {k: v for k, v in os.environ.items()
           if k not in ('VMX_SIGN_PFX', 'VMX_SIGN_PASSWORD', 'VMX_TIMESTAMP_URL')}
    env.update(env_changes or {})
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env,
                          cwd=cwd)
    return done.returncode, done.stdout.decode(errors='replace'), done.stderr.decode(errors='replace')


TSA_CONFIG = """[tsa]
default_tsa = tsa_config
[tsa_config]
serial = {folder}/serial
crypto_device = builtin
signer_cert = {folder}/tsa.pem
certs = {folder}/tsa.pem
signer_key = {folder}/tsa.key
signer_digest = sha256
default_policy = 1.2.3.4.1
other_policies = 1.2.3.4.5
digests = sha256, sha384, sha512
accuracy = secs:1
ordering = yes
tsa_name = yes
ess_cert_id_chain = no
ess_cert_id_alg = sha256
"""


class TimestampServer:
    """An RFC 3161 server on this machine: openssl answers each request; when broken, the
    server answers every request with an HTTP error."""

    def __init__(self, folder):
        os.makedirs(folder)
        self.folder, self.broken, self.requests = folder, False, 0
        self.certificate = os.path.join(folder, 'tsa.pem')
        code, out, err = run(['openssl', 'req', '-x509', '-newkey', 'rsa:2048', '-nodes',
                              '-days', '2', '-subj', '/CN=Test timestamp server',
                              '-addext', 'basicConstraints=critical,CA:FALSE',
                              '-addext', 'keyUsage=critical,digitalSignature',
                              '-addext', 'extendedKeyUsage=critical,timeStamping',
                              '-keyout', os.path.join(folder, 'tsa.key'),
                              '-out', self.certificate])
        assert code == 0, err
        with open(os.path.join(folder, 'serial'), 'w') as f:
            f.write('01\n')
        with open(os.path.join(folder, 'tsa.cnf'), 'w') as f:
            f.write(TSA_CONFIG.format(folder=folder))
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_POST(self):
                query = self.rfile.read(int(self.headers['Content-Length']))
                server.requests += 1
                reply = server.reply(query)
                if reply is None:
                    self.send_error(500)
                    return
                self.send_response(200)
                self.send_header('Content-Type', 'application/timestamp-reply')
                self.send_header('Content-Length', str(len(reply)))
                self.end_headers()
                self.wfile.write(reply)

            def log_message(self, *args):
                pass

        self.http = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
        self.url = 'http://127.0.0.1:%d/' % self.http.server_address[1]
        threading.Thread(target=self.http.serve_forever, daemon=True).start()

    def reply(self, query):
        if self.broken:
            return None
        query_file = os.path.join(self.folder, 'query.tsq')
        reply_file = os.path.join(self.folder, 'reply.tsr')
        with open(query_file, 'wb') as f:
            f.write(query)
        code, _, _ = run(['openssl', 'ts', '-reply', '-config',
                          os.path.join(self.folder, 'tsa.cnf'), '-queryfile', query_file,
                          '-out', reply_file])
        if code != 0:
            return None
        with open(reply_file, 'rb') as f:
            return f.read()

    def stop(self):
        self.http.shutdown()
        self.http.server_close()


def digest(path):
    with open(path, 'rb') as f:
        return hashlib.sha256(f.read()).hexdigest()


def verify(path, ca):
    code, out, err = run(['osslsigncode', 'verify', '-CAfile', ca, '-in', path])
    return code == 0 and 'Signature verification: ok' in out, out + err


class ReleaseSigning(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='vmx-release-')
        cls.key = os.path.join(cls.folder, 'release.key')
        cls.ca = os.path.join(cls.folder, 'release.pem')
        cls.pfx = os.path.join(cls.folder, 'release.pfx')
        code, out, err = run(['openssl', 'req', '-x509', '-newkey', 'rsa:2048', '-nodes',
                              '-days', '2', '-subj', '/C=FR/O=Caldwyn Test/CN=Release test',
                              '-addext', 'basicConstraints=critical,CA:FALSE',
                              '-addext', 'keyUsage=critical,digitalSignature',
                              '-addext', 'extendedKeyUsage=codeSigning',
                              '-keyout', cls.key, '-out', cls.ca])
        assert code == 0, err
        code, out, err = run(['openssl', 'pkcs12', '-export', '-inkey', cls.key, '-in', cls.ca,
                              '-out', cls.pfx, '-passout', 'pass:' + PASSWORD])
        assert code == 0, err
        cls.release_env = {'VMX_SIGN_PFX': cls.pfx, 'VMX_SIGN_PASSWORD': PASSWORD,
                           'VMX_TIMESTAMP_URL': UNREACHABLE}
        # The package as a release build makes it, and as a build without certificate does.
        # Where the maker keeps the build certificate's key while it signs.
        cls.key_folder = os.path.join(cls.folder, 'temp')
        os.makedirs(cls.key_folder)
        cls.release_package = cls.make_package('release', cls.release_env)
        cls.build_package = cls.make_package('own', {})
        cls.timestamps = TimestampServer(os.path.join(cls.folder, 'tsa'))

    @classmethod
    def make_package(cls, kind, env):
        out = os.path.join(cls.folder, 'package-' + kind)
        code, stdout, err = run([sys.executable, MAKE_PACKAGE, '--out', out, '--template',
                                 os.path.join(PACKAGE_SOURCE, 'msix', 'AppxManifest.xml.in'),
                                 '--name', 'Test.Package', '--version', '1.2.3.4',
                                 '--clsid', '{00000000-1111-2222-3333-444444444444}',
                                 '--verb', 'Test'], dict(env, TMPDIR=cls.key_folder))
        assert code == 0, stdout + err
        return os.path.join(out, 'ship')

    def test_the_build_certificate_is_for_that_build_alone(self):
        self.assertEqual(os.listdir(self.key_folder), [])  # its private key is gone
        self.assertEqual(sorted(os.listdir(self.build_package)), ['vmxmenu.cer', 'vmxmenu.msix'])
        self.assertEqual(os.listdir(self.release_package), ['vmxmenu.msix'])
        second = self.make_package('own-again', {})
        subjects = []
        for ship in (self.build_package, second):
            code, out, err = run(['openssl', 'x509', '-inform', 'DER', '-noout', '-subject',
                                  '-ext', 'basicConstraints,extendedKeyUsage', '-in',
                                  os.path.join(ship, 'vmxmenu.cer')])
            self.assertEqual(code, 0, err)
            self.assertRegex(out, r'subject=O = Caldwyn, CN = VelluMax build '
                                  r'\d{4}-\d\d-\d\d [0-9a-f]{8}\n')
            self.assertIn('CA:FALSE', out)
            self.assertIn('Code Signing', out)
            subjects.append(out.splitlines()[0])
        self.assertNotEqual(subjects[0], subjects[1])
        self.assertEqual(os.listdir(self.key_folder), [])

    @classmethod
    def tearDownClass(cls):
        cls.timestamps.stop()
        shutil.rmtree(cls.folder)

    def stage(self, package_ship):
        stage = tempfile.mkdtemp(prefix='stage-', dir=self.folder)
        for binary in BINARIES:
            shutil.copy(binary, stage)
        with open(os.path.join(stage, 'readme.txt'), 'w') as f:
            f.write('not signed: not a program\n')
        for name in os.listdir(package_ship):
            shutil.copy(os.path.join(package_ship, name), stage)
        return stage

    def programs(self, stage):
        return sorted(n for n in os.listdir(stage) if n.endswith(('.exe', '.dll')))

    def test_every_program_dll_and_the_package_verify(self):
        stage = self.stage(self.release_package)
        readme = digest(os.path.join(stage, 'readme.txt'))
        code, out, err = run([sys.executable, SIGN_RELEASE, stage], self.release_env)
        self.assertEqual(code, 0, out + err)
        self.assertIn('cannot be reached', err)  # the timestamp, skipped with a warning
        self.assertIn('signed %d programs and DLLs (0 with a timestamp)'
                      % len(BINARIES), out)
        self.assertEqual(len(self.programs(stage)), len(BINARIES))
        for name in self.programs(stage) + ['vmxmenu.msix']:
            with self.subTest(name):
                ok, text = verify(os.path.join(stage, name), self.ca)
                self.assertTrue(ok, text)
                self.assertIn('Release test', text)
        self.assertEqual(digest(os.path.join(stage, 'readme.txt')), readme)

    def test_sealed_in_packaging_order_each_setup_program_lists_the_final_files(self):
        if 'vmxinst.exe' not in [os.path.basename(b) for b in BINARIES]:
            self.skipTest('this build makes no setup program')
        stage = self.stage(self.release_package)
        shutil.copy(os.path.join(stage, 'vmxinst.exe'), os.path.join(stage, 'vmxinst64.exe'))
        steps = [[SIGN_RELEASE, stage, '--skip=vmxinst.exe,vmxinst64.exe'],
                 [SEAL_PAYLOAD, stage, 'vmxinst64.exe'],
                 [SIGN_RELEASE, stage, '--only=vmxinst64.exe'],
                 [SEAL_PAYLOAD, stage, 'vmxinst.exe'],
                 [SIGN_RELEASE, stage, '--only=vmxinst.exe']]
        for step in steps:
            code, out, err = run([sys.executable] + step, self.release_env)
            self.assertEqual(code, 0, out + err)
        sys.path.insert(0, PACKAGE_SOURCE)
        import seal_payload
        code, key_pem, err = run(['openssl', 'x509', '-in', self.ca, '-noout', '-pubkey'])
        spki = subprocess.run(['openssl', 'pkey', '-pubin', '-outform', 'DER'],
                              input=key_pem.encode(), stdout=subprocess.PIPE).stdout
        final = {}
        for name in os.listdir(stage):
            with open(os.path.join(stage, name), 'rb') as f:
                final[name] = f.read()
        for program, without_table in [('vmxinst64.exe', {'vmxinst.exe', 'vmxinst64.exe'}),
                                       ('vmxinst.exe', {'vmxinst.exe'})]:
            with self.subTest(program):
                self.assertTrue(verify(os.path.join(stage, program), self.ca)[0])
                key, entries = seal_payload.read_table(final[program], program)
                self.assertEqual(key, hashlib.sha256(spki).digest())
                self.assertEqual(sorted(entries), sorted(final))
                for name, (flags, sha) in entries.items():
                    expected = (seal_payload.digest_without_table(final[name], name)
                                if name in without_table else hashlib.sha256(final[name]).digest())
                    self.assertEqual((flags, sha.hex()), (int(name in without_table), expected.hex()),
                                     '%s as %s lists it' % (name, program))

    def test_timestamps_from_the_configured_server(self):
        # (whether the server fails, the warning expected, how many get a timestamp)
        for broken, warning, stamped in [(False, None, len(BINARIES)),
                                         (True, 'did not answer', 0)]:
            with self.subTest('server failing' if broken else 'server answering'):
                self.timestamps.broken = broken
                stage = self.stage(self.release_package)
                env = dict(self.release_env, VMX_TIMESTAMP_URL=self.timestamps.url)
                code, out, err = run([sys.executable, SIGN_RELEASE, stage], env)
                self.assertEqual(code, 0, out + err)
                self.assertIn('(%d with a timestamp)' % stamped, out)
                if warning:
                    self.assertIn(warning, err)
                else:
                    self.assertEqual(err, '')
                for name in self.programs(stage):
                    code, text, _ = run(['osslsigncode', 'verify', '-CAfile', self.ca,
                                         '-TSA-CAfile', self.timestamps.certificate,
                                         '-in', os.path.join(stage, name)])
                    self.assertEqual(code, 0, text)
                    self.assertEqual('Timestamp Server Signature verification: ok' in text,
                                     not broken, text)
        self.timestamps.broken = False

    def test_password_from_a_file(self):
        stage = self.stage(self.release_package)
        password_file = os.path.join(self.folder, 'password')
        with open(password_file, 'w') as f:
            f.write(PASSWORD + '\n')
        code, out, err = run([sys.executable, SIGN_RELEASE, stage, '--pfx=' + self.pfx,
                              '--password-file=' + password_file, '--timestamp-url=none'])
        self.assertEqual(code, 0, out + err)
        self.assertEqual(err, '')  # no timestamp asked for: no warning
        for name in self.programs(stage):
            with self.subTest(name):
                self.assertTrue(verify(os.path.join(stage, name), self.ca)[0])

    def test_without_certificate_nothing_is_signed_and_one_line_says_so(self):
        stage = self.stage(self.build_package)
        before = {n: digest(os.path.join(stage, n)) for n in os.listdir(stage)}
        code, out, err = run([sys.executable, SIGN_RELEASE, stage])
        self.assertEqual(code, 0, out + err)
        self.assertEqual(len(out.splitlines()), 1, out)
        self.assertIn('not signed', out)
        self.assertEqual(err, '')
        self.assertEqual({n: digest(os.path.join(stage, n)) for n in os.listdir(stage)}, before)
        for name in self.programs(stage):
            with self.subTest(name):
                self.assertFalse(verify(os.path.join(stage, name), self.ca)[0])

    def test_faults_stop_the_release_and_change_nothing(self):
        cases = [
            ('wrong password', self.release_package,
             dict(self.release_env, VMX_SIGN_PASSWORD='wrong'), 'wrong password'),
            ('no password', self.release_package, {'VMX_SIGN_PFX': self.pfx}, 'without its password'),
            ('missing certificate', self.release_package,
             dict(self.release_env, VMX_SIGN_PFX=self.pfx + '.gone'), 'does not exist'),
            ('package signed by the build\'s own certificate', self.build_package,
             self.release_env, 'give that build the release certificate'),
        ]
        for what, package, env, message in cases:
            with self.subTest(what):
                stage = self.stage(package)
                before = {n: digest(os.path.join(stage, n)) for n in os.listdir(stage)}
                code, out, err = run([sys.executable, SIGN_RELEASE, stage], env)
                self.assertNotEqual(code, 0, out + err)
                self.assertIn(message, err)
                self.assertEqual({n: digest(os.path.join(stage, n)) for n in os.listdir(stage)},
                                 before)

    def test_a_package_signed_by_another_release_certificate_is_refused(self):
        stage = self.stage(self.release_package)
        other = tempfile.mkdtemp(prefix='other-', dir=self.folder)
        key, pem, pfx = (os.path.join(other, n) for n in ('k.pem', 'c.pem', 'o.pfx'))
        run(['openssl', 'req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-days', '2', '-subj',
             '/CN=Other', '-addext', 'extendedKeyUsage=codeSigning', '-keyout', key,
             '-out', pem])
        run(['openssl', 'pkcs12', '-export', '-inkey', key, '-in', pem, '-out', pfx,
             '-passout', 'pass:' + PASSWORD])
        code, out, err = run([sys.executable, SIGN_RELEASE, stage],
                             dict(self.release_env, VMX_SIGN_PFX=pfx))
        self.assertNotEqual(code, 0, out + err)
        self.assertIn('not signed by the release certificate', err)

    def test_sums_list_every_file_and_catch_a_changed_or_missing_one(self):
        stage = self.stage(self.build_package)
        listing = os.path.join(self.folder, 'zip-files.txt')
        code, out, err = run([sys.executable, WRITE_SUMS, stage, listing])
        self.assertEqual(code, 0, out + err)
        with open(listing) as f:
            self.assertEqual(sorted(f.read().split('\n')[:-1]), sorted(os.listdir(stage)))
        code, out, err = run(['sha256sum', '-c', 'SHA256SUMS'], cwd=stage)
        self.assertEqual(code, 0, out + err)
        self.assertEqual(out.count(': OK'), len(os.listdir(stage)) - 1)
        code, out, err = run([sys.executable, WRITE_SUMS, stage, listing, 'readme.txt',
                              'vmxinst64.exe'])
        self.assertNotEqual(code, 0)
        self.assertIn('lacks vmxinst64.exe', err)
        with open(os.path.join(stage, 'readme.txt'), 'a') as f:
            f.write('changed\n')
        code, out, err = run(['sha256sum', '-c', 'SHA256SUMS'], cwd=stage)
        self.assertNotEqual(code, 0)
        self.assertIn('readme.txt: FAILED', out)


def main():
    args = sys.argv[1:]
    rest = args[args.index('--') + 1:] if '--' in args else []
    BINARIES.extend(args[:args.index('--')] if '--' in args else args)
    if not BINARIES:
        sys.exit(__doc__)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == '__main__':
    main()
