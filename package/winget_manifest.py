#!/usr/bin/env python3
"""Writes the release's manifest for the Windows Package Manager (version, default locale
and installer files) into <folder>/<identifier>/<version>/: the single setup file for
64-bit Windows and the zip for 32-bit Windows, each with its download address and SHA-256.

    winget_manifest.py --setup <setup file> --zip <zip> --version <a.b.c.d>
                       --url <release address> --out <folder>"""
import argparse
import hashlib
import os
import sys

MANIFEST_VERSION = '1.28.0'
IDENTIFIER = 'Caldwyn.VelluMax'
PUBLISHER = 'Caldwyn'
LOCALE = 'fr-FR'
# The key of the list of installed programs that the INF file writes.
UNINSTALL_ENTRY = 'VelluMax'
SCHEMA = 'https://aka.ms/winget-manifest.%s.%s.schema.json'
# Our quiet exit codes, as the manager reads them (0 needs no entry).
RETURN_CODES = [
    (1618, 'installInProgress'),
    (3010, 'rebootRequiredToFinish'),
    (1603, 'contactSupport'),
    (1633, 'systemNotSupported'),
]


def sha256(path):
    digest = hashlib.sha256()
    with open(path, 'rb') as f:
        for block in iter(lambda: f.read(1 << 20), b''):
            digest.update(block)
    return digest.hexdigest().upper()


def quoted(text):
    """A YAML double-quoted scalar: backslash and quote escaped."""
    return '"%s"' % text.replace('\\', '\\\\').replace('"', '\\"')


def header(kind):
    return '# yaml-language-server: $schema=%s\n' % (SCHEMA % (kind, MANIFEST_VERSION))


def common(version):
    return 'PackageIdentifier: %s\nPackageVersion: %s\n' % (IDENTIFIER, version)


def footer(kind):
    return 'ManifestType: %s\nManifestVersion: %s\n' % (kind, MANIFEST_VERSION)


def installer(architecture, url, digest, nested):
    lines = ['- Architecture: %s' % architecture]
    if nested:
        # The zip for 32-bit Windows: the manager unpacks it and starts its setup program,
        # which installs from the folder beside it.
        lines += ['  InstallerType: zip', '  NestedInstallerType: exe',
                  '  NestedInstallerFiles:', '  - RelativeFilePath: vmxinst.exe']
    else:
        lines += ['  InstallerType: exe']
    lines += ['  InstallerUrl: %s' % quoted(url), '  InstallerSha256: %s' % digest]
    return '\n'.join(lines) + '\n'


def installer_manifest(version, url, setup, zip_file):
    text = header('installer') + common(version)
    text += 'Scope: machine\n'
    # The manifest of the setup programs asks Windows for the one elevation prompt.
    text += 'ElevationRequirement: elevatesSelf\n'
    text += 'InstallModes:\n- interactive\n- silent\n- silentWithProgress\n'
    text += 'InstallerSwitches:\n  Silent: /quiet\n  SilentWithProgress: /quiet\n'
    text += '  Log: %s\n' % quoted('/log "<LOGPATH>"')
    text += 'ExpectedReturnCodes:\n'
    for code, response in RETURN_CODES:
        text += '- InstallerReturnCode: %d\n  ReturnResponse: %s\n' % (code, response)
    text += 'UpgradeBehavior: install\n'
    text += 'ProductCode: %s\n' % UNINSTALL_ENTRY
    text += ('AppsAndFeaturesEntries:\n- DisplayName: VelluMax\n  Publisher: %s\n'
             '  DisplayVersion: %s\n  ProductCode: %s\n' % (PUBLISHER, version, UNINSTALL_ENTRY))
    text += 'Installers:\n'
    text += installer('x64', url + os.path.basename(setup), sha256(setup), False)
    text += installer('x86', url + os.path.basename(zip_file), sha256(zip_file), True)
    return text + footer('installer')


def locale_manifest(version):
    text = header('defaultLocale') + common(version)
    text += 'PackageLocale: %s\nPublisher: %s\nPackageName: VelluMax\n' % (LOCALE, PUBLISHER)
    text += 'License: Propri\u00e9taire\n'
    text += ('ShortDescription: %s\n'
             % quoted("Commande du menu contextuel de l'Explorateur qui ouvre la visionneuse "
                      "VelluMax sur les fichiers choisis"))
    return text + footer('defaultLocale')


def version_manifest(version):
    return header('version') + common(version) + 'DefaultLocale: %s\n' % LOCALE + footer('version')


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ('setup', 'zip', 'version', 'url', 'out'):
        parser.add_argument('--' + option, required=True)
    args = parser.parse_args()
    url = args.url if args.url.endswith('/') else args.url + '/'
    folder = os.path.join(args.out, IDENTIFIER, args.version)
    os.makedirs(folder, exist_ok=True)
    files = {
        IDENTIFIER + '.yaml': version_manifest(args.version),
        IDENTIFIER + '.locale.%s.yaml' % LOCALE: locale_manifest(args.version),
        IDENTIFIER + '.installer.yaml': installer_manifest(args.version, url, args.setup, args.zip),
    }
    for name, text in files.items():
        with open(os.path.join(folder, name), 'w', encoding='utf-8', newline='\n') as f:
            f.write(text)
    print('winget_manifest: wrote %s (%s)' % (folder, ', '.join(sorted(files))))


if __name__ == '__main__':
    sys.exit(main())
