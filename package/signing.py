"""Signing with osslsigncode: the release certificate given to the build, and the timestamp
server. The certificate never comes from the repository: a PFX file named by the CMake
cache variable VMX_SIGN_PFX or, failing that, the environment variable of that name; its
password read from the file named by VMX_SIGN_PASSWORD_FILE or from the environment
variable VMX_SIGN_PASSWORD. The password reaches osslsigncode and openssl on their standard
input, never on a command line."""
import os
import socket
import subprocess
import sys
import urllib.parse

DEFAULT_TIMESTAMP_URL = 'http://timestamp.digicert.com'
SIGNER = 'osslsigncode'


class SigningError(Exception):
    pass


def run(command, password=None, timeout=300):
    """Runs a tool; returns (exit code, its output)."""
    try:
        done = subprocess.run(command, input=(password + '\n').encode() if password is not None
                              else None, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=timeout)
    except FileNotFoundError:
        raise SigningError('%s is not installed (scripts/install-deps.sh installs it)'
                           % command[0])
    except subprocess.TimeoutExpired:
        return 1, '%s did not finish within %d s' % (command[0], timeout)
    return done.returncode, done.stdout.decode(errors='replace')


def last_line(text):
    lines = text.strip().splitlines()
    return lines[-1] if lines else 'no output'


class ReleaseCertificate:
    def __init__(self, pfx, password):
        self.pfx = pfx
        self.password = password

    def sign_options(self):
        return ['-pkcs12', self.pfx, '-readpass', '-']

    def certificate_pem(self):
        """The signing certificate (the one with the key) from the PFX file."""
        for legacy in ([], ['-legacy']):
            code, out = run(['openssl', 'pkcs12', '-in', self.pfx, '-passin', 'stdin',
                             '-nokeys', '-clcerts'] + legacy, self.password)
            begin = out.find('-----BEGIN CERTIFICATE-----')
            if code == 0 and begin >= 0:
                end = out.index('-----END CERTIFICATE-----', begin)
                return out[begin:end + len('-----END CERTIFICATE-----')] + '\n'
        raise SigningError('cannot read the certificate in %s (wrong password?): %s'
                           % (self.pfx, last_line(out)))


def release_certificate(pfx_option='', password_file_option=''):
    """The release certificate the build was given, or None."""
    pfx = pfx_option or os.environ.get('VMX_SIGN_PFX', '')
    if not pfx:
        return None
    if not os.path.isfile(pfx):
        raise SigningError('the release certificate %s does not exist' % pfx)
    if password_file_option:
        with open(password_file_option, encoding='utf-8') as f:
            password = f.read().rstrip('\r\n')
    elif 'VMX_SIGN_PASSWORD' in os.environ:
        password = os.environ['VMX_SIGN_PASSWORD']
    else:
        raise SigningError('the release certificate %s is given without its password '
                           '(VMX_SIGN_PASSWORD or VMX_SIGN_PASSWORD_FILE)' % pfx)
    return ReleaseCertificate(os.path.abspath(pfx), password)


def timestamp_url(url_option=''):
    """The RFC 3161 server: the option, else VMX_TIMESTAMP_URL, else the default; 'none'
    signs without a timestamp."""
    url = url_option or os.environ.get('VMX_TIMESTAMP_URL', '') or DEFAULT_TIMESTAMP_URL
    return None if url.lower() == 'none' else url


def reachable(url, timeout=10):
    parts = urllib.parse.urlsplit(url)
    port = parts.port or (443 if parts.scheme == 'https' else 80)
    try:
        with socket.create_connection((parts.hostname, port), timeout=timeout):
            return True
    except (OSError, TypeError):
        return False


class Signer:
    """Signs files with one certificate (osslsigncode's options for it and the password, if
    any, for its standard input), SHA-256, and a timestamp where the server answers."""

    def __init__(self, options, password=None, timestamp=None, tag='sign'):
        self.options = options
        self.password = password
        self.timestamp = timestamp
        self.tag = tag
        if timestamp and not reachable(timestamp):
            self.warn('the timestamp server %s cannot be reached from this machine: '
                      'signing without a timestamp' % timestamp)
            self.timestamp = None

    def warn(self, text):
        print('%s: warning: %s' % (self.tag, text), file=sys.stderr)

    def sign(self, source, target, description):
        base = [SIGNER, 'sign'] + self.options + ['-h', 'sha256', '-n', description]
        if os.path.exists(target):
            os.unlink(target)
        if self.timestamp:
            code, out = run(base + ['-ts', self.timestamp, '-in', source, '-out', target],
                            self.password)
            if code == 0:
                return True
            if os.path.exists(target):
                os.unlink(target)
            # Only the timestamp may be missing: signing without it must then succeed.
            self.warn('the timestamp server %s did not answer for %s: signing without a '
                      'timestamp (%s)' % (self.timestamp, os.path.basename(source),
                                          last_line(out)))
            self.timestamp = None
        code, out = run(base + ['-in', source, '-out', target], self.password)
        if code != 0:
            raise SigningError('%s could not sign %s:\n%s' % (SIGNER, source, out.strip()))
        return False
