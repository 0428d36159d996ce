#!/usr/bin/env python3
"""Makes the signed sparse package vmxmenu.msix in <out>/ship, and there too its logo
vmxmenu.png, which the external location must hold as well (a program the command starts
inherits the package's identity, and Windows looks for its icon there), and vmxmenu.cer, the
public part of the certificate made for this build alone when the build was given no
release certificate. The manifest comes from the template with the given identity, the
Publisher taken from the signing certificate. A build's own certificate is made with
openssl for this package only, and its private key is deleted as soon as the package is
signed, so that nothing else can ever be signed with it.

Run again with the same inputs (the same release certificate, or none), it keeps the
package it made: each new build certificate would give the package a new publisher.

    make_package.py --out <dir> --template <AppxManifest.xml.in> --name <identity name>
        --version <a.b.c.d> --clsid <{guid}> --verb <id>
        [--pfx <file>] [--password-file <file>] [--timestamp-url <url>|none]"""
import argparse
import datetime
import hashlib
import json
import os
import re
import secrets
import shutil
import subprocess
import sys
import tempfile
from xml.sax.saxutils import escape

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
sys.path.insert(0, HERE)
import cert_subject  # noqa: E402
import make_logo  # noqa: E402
import pack_msix  # noqa: E402
import signing  # noqa: E402

TAG = 'menu package'
LOGO = 'vmxmenu.png'
PACKAGE = 'vmxmenu.msix'
CERTIFICATE = 'vmxmenu.cer'
SOURCES = [os.path.join(HERE, n) for n in ('make_package.py', 'pack_msix.py', 'make_logo.py',
                                           'cert_subject.py')] + [
    os.path.join(os.path.dirname(HERE), 'signing.py'),
    os.path.join(HERE, '..', '..', 'setup', 'make_icon.py')]
BUILD_CERTIFICATE_CONFIG = """[req]
distinguished_name = subject
x509_extensions = extensions
prompt = no
utf8 = yes
[subject]
O = Caldwyn
CN = {common_name}
[extensions]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
"""


class PackageError(Exception):
    pass


def say(text):
    print('%s: %s' % (TAG, text), flush=True)


def fill_template(template, values):
    def value(match):
        key = match.group(1)
        if key not in values:
            raise PackageError('the manifest template names @%s@, which the build does not give'
                               % key)
        return escape(values[key], {'"': '&quot;'})
    return re.sub(r'@([A-Z_]+)@', value, template)


def check_identity(args):
    if not re.fullmatch(r'[A-Za-z0-9.-]{3,50}', args.name):
        raise PackageError('package name %r: 3 to 50 letters, digits, dots and hyphens' % args.name)
    numbers = args.version.split('.')
    if len(numbers) != 4 or not all(n.isdigit() and int(n) <= 65535 for n in numbers):
        raise PackageError('version %r: four numbers up to 65535' % args.version)
    if not re.fullmatch(r'\{?[0-9a-fA-F]{8}(-[0-9a-fA-F]{4}){3}-[0-9a-fA-F]{12}\}?', args.clsid):
        raise PackageError('class id %r is not a GUID' % args.clsid)
    if not re.fullmatch(r'[A-Za-z0-9]{3,64}', args.verb):
        raise PackageError('verb id %r: 3 to 64 letters or digits' % args.verb)


def inputs_digest(args, release):
    digest = hashlib.sha256()
    for path in SOURCES + [args.template]:
        with open(path, 'rb') as f:
            digest.update(hashlib.sha256(f.read()).digest())
    digest.update(json.dumps([args.name, args.version, args.clsid, args.verb]).encode())
    if release:
        with open(release.pfx, 'rb') as f:
            digest.update(b'release' + hashlib.sha256(f.read()).digest())
        digest.update(str(signing.timestamp_url(args.timestamp_url)).encode())
    else:
        digest.update(b'build certificate')
    return digest.hexdigest()


def make_build_certificate(folder):
    """A code-signing certificate for this build alone; returns (cert PEM path, key path)."""
    common_name = 'VelluMax build %s %s' % (
        datetime.datetime.now(datetime.timezone.utc).strftime('%Y-%m-%d'), secrets.token_hex(4))
    config = os.path.join(folder, 'certificate.cnf')
    with open(config, 'w') as f:
        f.write(BUILD_CERTIFICATE_CONFIG.format(common_name=common_name))
    key, cert = os.path.join(folder, 'build.key'), os.path.join(folder, 'build.pem')
    code, out = signing.run(['openssl', 'req', '-x509', '-newkey', 'rsa:3072', '-nodes',
                             '-sha256', '-days', '3650', '-config', config,
                             '-keyout', key, '-out', cert])
    if code != 0:
        raise PackageError('openssl could not make the build certificate:\n' + out)
    return cert, key


def build(args, release, out_dir, ship_dir):
    with open(args.template, encoding='utf-8') as f:
        manifest_template = f.read()
    logo = make_logo.png(make_logo.logo_rows())
    values = {'PACKAGE_NAME': args.name, 'VERSION': args.version, 'VERB_ID': args.verb,
              'CLSID': args.clsid.strip('{}').lower(), 'LOGO': LOGO.replace('/', '\\')}
    unsigned = os.path.join(out_dir, 'vmxmenu.unsigned.msix')
    signed = os.path.join(out_dir, PACKAGE + '.new')
    secret_dir = tempfile.mkdtemp(prefix='vmxmenu-key-')  # mode 0700
    try:
        if release:
            cert_pem = release.certificate_pem().encode()
            signer = signing.Signer(release.sign_options(), release.password,
                                    signing.timestamp_url(args.timestamp_url), TAG)
        else:
            cert_path, key_path = make_build_certificate(secret_dir)
            with open(cert_path, 'rb') as f:
                cert_pem = f.read()
            # Nobody trusts this certificate beyond the machines that install the package.
            signer = signing.Signer(['-certs', cert_path, '-key', key_path], tag=TAG)
        der = cert_subject.der_from_file_bytes(cert_pem)
        values['PUBLISHER'] = cert_subject.windows_subject(der)
        manifest = fill_template(manifest_template, values).encode('utf-8')
        with open(os.path.join(out_dir, 'AppxManifest.xml'), 'wb') as f:
            f.write(manifest)
        with open(unsigned, 'wb') as f:
            f.write(pack_msix.pack(manifest, [(LOGO, logo)]))
        stamped = signer.sign(unsigned, signed, 'Vellu Max')
        with open(os.path.join(ship_dir, LOGO), 'wb') as f:
            f.write(logo)
    finally:
        # The build certificate's private key goes as soon as the package is signed.
        shutil.rmtree(secret_dir, ignore_errors=True)
    if os.path.exists(secret_dir):
        raise PackageError('could not delete the build key folder %s' % secret_dir)
    os.unlink(unsigned)
    os.replace(signed, os.path.join(ship_dir, PACKAGE))
    cer = os.path.join(ship_dir, CERTIFICATE)
    if release:
        if os.path.exists(cer):
            os.unlink(cer)
        say('signed %s with the release certificate, publisher "%s"%s'
            % (PACKAGE, values['PUBLISHER'], ', timestamped' if stamped else ', no timestamp'))
    else:
        with open(cer, 'wb') as f:
            f.write(der)
        say('signed %s with a certificate made for this build, publisher "%s"; its key is '
            'deleted, its public part is %s' % (PACKAGE, values['PUBLISHER'], CERTIFICATE))


def read_text(path):
    if not os.path.exists(path):
        return None
    with open(path) as f:
        return f.read()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ('out', 'template', 'name', 'version', 'clsid', 'verb'):
        parser.add_argument('--' + option, required=True)
    for option in ('pfx', 'password-file', 'timestamp-url'):
        parser.add_argument('--' + option, default='')
    args = parser.parse_args()
    try:
        check_identity(args)
        release = signing.release_certificate(args.pfx, args.password_file)
        ship_dir = os.path.join(args.out, 'ship')
        os.makedirs(ship_dir, exist_ok=True)
        stamp_path = os.path.join(args.out, 'vmxmenu.stamp')
        digest = inputs_digest(args, release)
        expected = [PACKAGE, LOGO] + ([] if release else [CERTIFICATE])
        if (read_text(stamp_path) == digest and
                all(os.path.exists(os.path.join(ship_dir, n)) for n in expected)):
            say('%s is up to date' % PACKAGE)
            return
        if os.path.exists(stamp_path):
            os.unlink(stamp_path)
        build(args, release, args.out, ship_dir)
        with open(stamp_path, 'w') as f:
            f.write(digest)
    except (PackageError, signing.SigningError, cert_subject.CertificateError,
            pack_msix.PackError, OSError) as e:
        sys.exit('%s: %s' % (TAG, e))


if __name__ == '__main__':
    main()
