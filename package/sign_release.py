#!/usr/bin/env python3
"""Signs a release's programs and DLLs in place, in the folder that becomes the zip:
Authenticode, SHA-256, with an RFC 3161 timestamp where the server answers. Without a
release certificate it signs nothing and says so in one line. The package vmxmenu.msix is
signed where it is made; here it is only checked to carry the release signature too.

    sign_release.py <folder> [--only=<name>,...] [--skip=<name>,...]
                    [--pfx=<file>] [--password-file=<file>] [--timestamp-url=<url>]

--only and --skip let packaging sign the two setup programs last, each after its table of
shipped files is sealed (seal_payload.py)."""
import argparse
import os
import re
import subprocess
import sys
import tempfile

import signing

TAG = 'release signing'
PACKAGE = 'vmxmenu.msix'
BUILD_CERTIFICATE = 'vmxmenu.cer'


def certificates_in(pem_text):
    return [''.join(c.split()) for c in re.findall(
        r'-----BEGIN CERTIFICATE-----(.+?)-----END CERTIFICATE-----', pem_text, re.S)]


def check_package_signer(folder, release):
    """The package must carry the release certificate's signature, not a build's own."""
    package = os.path.join(folder, PACKAGE)
    if not os.path.exists(package):
        return
    if os.path.exists(os.path.join(folder, BUILD_CERTIFICATE)):
        raise signing.SigningError(
            '%s is signed by a certificate made for the 64-bit build (%s beside it): give that '
            'build the release certificate too' % (PACKAGE, BUILD_CERTIFICATE))
    with tempfile.TemporaryDirectory() as temp:
        signature = os.path.join(temp, 'signature.pem')
        code, out = signing.run(['osslsigncode', 'extract-signature', '-pem', '-in', package,
                                 '-out', signature])
        if code != 0:
            raise signing.SigningError('%s carries no signature: %s'
                                       % (PACKAGE, signing.last_line(out)))
        done = subprocess.run(['openssl', 'pkcs7', '-in', signature, '-print_certs'],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    release_cert = certificates_in(release.certificate_pem())[0]
    if release_cert not in certificates_in(done.stdout.decode(errors='replace')):
        raise signing.SigningError('%s is not signed by the release certificate' % PACKAGE)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('folder')
    for option in ('pfx', 'password-file', 'timestamp-url', 'only', 'skip'):
        parser.add_argument('--' + option, default='')
    args = parser.parse_args()
    only = [n.lower() for n in args.only.split(',') if n]
    skip = [n.lower() for n in args.skip.split(',') if n]
    try:
        release = signing.release_certificate(args.pfx, args.password_file)
        if release is None:
            print('%s: no release certificate (VMX_SIGN_PFX): the programs and DLLs are not '
                  'signed, and %s carries the signature of a certificate made for this build'
                  % (TAG, PACKAGE))
            return
        check_package_signer(args.folder, release)
        signer = signing.Signer(release.sign_options(), release.password,
                                signing.timestamp_url(args.timestamp_url), TAG)
        names = sorted(n for n in os.listdir(args.folder)
                       if n.lower().endswith(('.exe', '.dll')) and n.lower() not in skip
                       and (not only or n.lower() in only))
        stamped = 0
        for name in names:
            path = os.path.join(args.folder, name)
            signed = path + '.signed'
            stamped += signer.sign(path, signed, 'Vellu Max')
            os.replace(signed, path)
        print('%s: signed %d programs and DLLs (%d with a timestamp) and checked %s'
              % (TAG, len(names), stamped, PACKAGE))
    except (signing.SigningError, OSError) as e:
        sys.exit('%s: %s' % (TAG, e))


if __name__ == '__main__':
    main()
