#!/usr/bin/env python3
"""Checks the release's Windows Package Manager manifest against the manager's documented
fields and values (its published JSON schemas, version below), and against the release: the
installers' SHA-256, file names and the switches and exit codes of our setup program.
Prints each fault and exits 1 when there is any.

    check_winget.py <manifest folder> [--setup <setup file>] [--zip <zip>] [--growth-limit <r>]

With --growth-limit the setup file may be at most that share larger than the zip."""
import argparse
import hashlib
import os
import re
import sys

import yaml

CURRENT = '1.28.0'
IDENTIFIER = re.compile(r'^[^.\s\\/:*?"<>|\x01-\x1f]{1,32}(\.[^.\s\\/:*?"<>|\x01-\x1f]{1,32}){1,7}$')
VERSION = re.compile(r'^[^\\/:*?"<>|\x01-\x1f]+$')
LOCALE = re.compile(r'^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$')
URL = re.compile(r'^([Hh][Tt][Tt][Pp][Ss]?)://.+$')
SHA256 = re.compile(r'^[A-Fa-f0-9]{64}$')
MANIFEST_VERSION = re.compile(r'^\d{1,5}(\.\d{1,5}){2}$')

# The fields each kind of file may hold (those this release can use), and which it must.
VERSION_FIELDS = {'PackageIdentifier', 'PackageVersion', 'DefaultLocale', 'ManifestType',
                  'ManifestVersion'}
LOCALE_REQUIRED = {'PackageIdentifier', 'PackageVersion', 'PackageLocale', 'Publisher',
                   'PackageName', 'License', 'ShortDescription', 'ManifestType',
                   'ManifestVersion'}
LOCALE_FIELDS = LOCALE_REQUIRED | {'PublisherUrl', 'PublisherSupportUrl', 'PrivacyUrl', 'Author',
                                   'PackageUrl', 'LicenseUrl', 'Copyright', 'CopyrightUrl',
                                   'Description', 'Moniker', 'Tags', 'ReleaseNotes',
                                   'ReleaseNotesUrl', 'InstallationNotes'}
# Fields an installer entry or the installer file's root may hold alike.
SHARED_INSTALLER_FIELDS = {'InstallerLocale', 'Platform', 'MinimumOSVersion', 'InstallerType',
                           'NestedInstallerType', 'NestedInstallerFiles', 'Scope',
                           'InstallModes', 'InstallerSwitches', 'InstallerSuccessCodes',
                           'ExpectedReturnCodes', 'UpgradeBehavior', 'Commands',
                           'FileExtensions', 'Dependencies', 'ProductCode', 'ReleaseDate',
                           'UnsupportedOSArchitectures', 'UnsupportedArguments',
                           'AppsAndFeaturesEntries', 'ElevationRequirement',
                           'InstallationMetadata', 'RequireExplicitUpgrade'}
INSTALLER_ROOT = SHARED_INSTALLER_FIELDS | {'PackageIdentifier', 'PackageVersion', 'Channel',
                                            'Installers', 'ManifestType', 'ManifestVersion'}
INSTALLER_ENTRY = SHARED_INSTALLER_FIELDS | {'Architecture', 'InstallerUrl', 'InstallerSha256',
                                             'SignatureSha256'}
ENUMS = {
    'Architecture': {'x86', 'x64', 'arm', 'arm64', 'neutral'},
    'InstallerType': {'msix', 'msi', 'appx', 'exe', 'zip', 'inno', 'nullsoft', 'wix', 'burn',
                      'pwa', 'portable', 'font'},
    'NestedInstallerType': {'msix', 'msi', 'appx', 'exe', 'inno', 'nullsoft', 'wix', 'burn',
                            'portable', 'font'},
    'Scope': {'user', 'machine'},
    'ElevationRequirement': {'elevationRequired', 'elevationProhibited', 'elevatesSelf'},
    'UpgradeBehavior': {'install', 'uninstallPrevious', 'deny'},
}
INSTALL_MODES = {'interactive', 'silent', 'silentWithProgress'}
SWITCHES = {'Silent', 'SilentWithProgress', 'Interactive', 'InstallLocation', 'Log', 'Upgrade',
            'Custom', 'Repair'}
RETURN_RESPONSES = {'packageInUse', 'packageInUseByApplication', 'installInProgress',
                    'fileInUse', 'missingDependency', 'diskFull', 'insufficientMemory',
                    'invalidParameter', 'noNetwork', 'contactSupport', 'rebootRequiredToFinish',
                    'rebootRequiredForInstall', 'rebootInitiated', 'cancelledByUser',
                    'alreadyInstalled', 'downgrade', 'blockedByPolicy', 'systemNotSupported',
                    'custom'}
# What our setup program does, as the manager must be told.
OUR_RETURN_CODES = {1618: 'installInProgress', 3010: 'rebootRequiredToFinish',
                    1603: 'contactSupport', 1633: 'systemNotSupported'}
OUR_SWITCHES = {'Silent': '/quiet', 'SilentWithProgress': '/quiet', 'Log': '/log "<LOGPATH>"'}
UNINSTALL_ENTRY = 'VelluMax'


def sha256(path):
    with open(path, 'rb') as f:
        return hashlib.sha256(f.read()).hexdigest()


class Checker:
    def __init__(self):
        self.faults = []

    def fault(self, where, text):
        self.faults.append('%s: %s' % (where, text))

    def fields(self, where, data, allowed, required):
        if not isinstance(data, dict):
            self.fault(where, 'expected a mapping, got %r' % type(data).__name__)
            return False
        for key in sorted(set(data) - allowed):
            self.fault(where, 'field %s is not a documented field here' % key)
        for key in sorted(required - set(data)):
            self.fault(where, 'required field %s is missing' % key)
        return True

    def pattern(self, where, value, regex, name):
        if not isinstance(value, str) or not regex.match(value):
            self.fault(where, '%s %r does not match the documented form' % (name, value))

    def common(self, where, data, kind):
        self.pattern(where, data.get('PackageIdentifier'), IDENTIFIER, 'PackageIdentifier')
        self.pattern(where, data.get('PackageVersion'), VERSION, 'PackageVersion')
        if data.get('ManifestType') != kind:
            self.fault(where, 'ManifestType expected %r, got %r' % (kind, data.get('ManifestType')))
        if data.get('ManifestVersion') != CURRENT:
            self.fault(where, 'ManifestVersion expected the current %s, got %r'
                       % (CURRENT, data.get('ManifestVersion')))

    def enums(self, where, data):
        for key, allowed in ENUMS.items():
            if key in data and data[key] not in allowed:
                self.fault(where, '%s %r is none of %s' % (key, data[key], sorted(allowed)))
        modes = data.get('InstallModes', [])
        if not isinstance(modes, list) or set(modes) - INSTALL_MODES or len(set(modes)) != len(modes):
            self.fault(where, 'InstallModes %r: unknown or repeated modes' % (modes,))
        switches = data.get('InstallerSwitches', {})
        for key, value in (switches.items() if isinstance(switches, dict) else []):
            if key not in SWITCHES:
                self.fault(where, 'InstallerSwitches.%s is not a documented switch' % key)
            elif not isinstance(value, str) or not 1 <= len(value) <= 512:
                self.fault(where, 'InstallerSwitches.%s must be 1 to 512 characters' % key)
        seen = set()
        for entry in data.get('ExpectedReturnCodes', []) or []:
            code = entry.get('InstallerReturnCode') if isinstance(entry, dict) else None
            if not isinstance(code, int) or code == 0 or not -2**31 <= code <= 2**32 - 1 or code in seen:
                self.fault(where, 'InstallerReturnCode %r: not a non-zero, unique exit code' % (code,))
            seen.add(code)
            if not isinstance(entry, dict) or entry.get('ReturnResponse') not in RETURN_RESPONSES:
                self.fault(where, 'ReturnResponse %r is not a documented response'
                           % (entry.get('ReturnResponse') if isinstance(entry, dict) else entry,))

    def installer_file(self, where, data):
        if not self.fields(where, data, INSTALLER_ROOT,
                           {'PackageIdentifier', 'PackageVersion', 'Installers', 'ManifestType',
                            'ManifestVersion'}):
            return
        self.common(where, data, 'installer')
        self.enums(where, data)
        installers = data.get('Installers')
        if not isinstance(installers, list) or not installers:
            self.fault(where, 'Installers must list at least one installer')
            return
        for number, entry in enumerate(installers):
            at = '%s: installer %d' % (where, number + 1)
            if not self.fields(at, entry, INSTALLER_ENTRY,
                               {'Architecture', 'InstallerUrl', 'InstallerSha256'}):
                continue
            self.enums(at, entry)
            self.pattern(at, entry.get('InstallerUrl'), URL, 'InstallerUrl')
            self.pattern(at, entry.get('InstallerSha256'), SHA256, 'InstallerSha256')
            if 'InstallerType' not in entry and 'InstallerType' not in data:
                self.fault(at, 'InstallerType is given neither here nor at the root')

    def ours(self, where, data, setup, zip_file):
        """What this release must say: its two files and how our setup program runs."""
        def value(entry, key):
            return entry.get(key, data.get(key))
        by_arch = {e.get('Architecture'): e for e in data.get('Installers', []) if isinstance(e, dict)}
        for arch, path, kind in (('x64', setup, 'exe'), ('x86', zip_file, 'zip')):
            entry = by_arch.get(arch)
            if entry is None:
                self.fault(where, 'no %s installer' % arch)
                continue
            if path:
                if str(entry.get('InstallerSha256', '')).lower() != sha256(path):
                    self.fault(where, '%s InstallerSha256 is not the SHA-256 of %s' % (arch, path))
                if not str(entry.get('InstallerUrl', '')).endswith('/' + os.path.basename(path)):
                    self.fault(where, '%s InstallerUrl does not name %s' % (arch, os.path.basename(path)))
            if value(entry, 'InstallerType') != kind:
                self.fault(where, '%s InstallerType expected %s, got %r' % (arch, kind, value(entry, 'InstallerType')))
            if value(entry, 'Scope') != 'machine' or value(entry, 'ElevationRequirement') != 'elevatesSelf':
                self.fault(where, '%s: expected machine scope and a setup program that elevates itself' % arch)
            switches = value(entry, 'InstallerSwitches') or {}
            for key, expected in OUR_SWITCHES.items():
                if switches.get(key) != expected:
                    self.fault(where, '%s switch %s expected %r, got %r' % (arch, key, expected, switches.get(key)))
            codes = {e.get('InstallerReturnCode'): e.get('ReturnResponse')
                     for e in value(entry, 'ExpectedReturnCodes') or [] if isinstance(e, dict)}
            if codes != OUR_RETURN_CODES:
                self.fault(where, '%s return codes expected %r, got %r' % (arch, OUR_RETURN_CODES, codes))
            if value(entry, 'ProductCode') != UNINSTALL_ENTRY:
                self.fault(where, '%s ProductCode expected %r, got %r' % (arch, UNINSTALL_ENTRY, value(entry, 'ProductCode')))
        zip_entry = by_arch.get('x86', {})
        nested = [f.get('RelativeFilePath') for f in value(zip_entry, 'NestedInstallerFiles') or []]
        if by_arch.get('x86') and (value(zip_entry, 'NestedInstallerType') != 'exe' or nested != ['vmxinst.exe']):
            self.fault(where, 'x86 zip: expected the nested exe vmxinst.exe, got %r' % (nested,))

    def folder(self, folder, setup=None, zip_file=None):
        names = sorted(n for n in os.listdir(folder) if n.endswith('.yaml'))
        loaded = {}
        for name in names:
            try:
                with open(os.path.join(folder, name), encoding='utf-8') as f:
                    loaded[name] = yaml.safe_load(f)
            except (yaml.YAMLError, UnicodeDecodeError) as e:
                self.fault(name, 'not readable YAML: %s' % e)
        versions = [n for n, d in loaded.items() if isinstance(d, dict) and d.get('ManifestType') == 'version']
        if len(versions) != 1:
            self.fault(folder, 'expected one version file, got %d' % len(versions))
            return self.faults
        version = loaded[versions[0]]
        self.fields(versions[0], version, VERSION_FIELDS, VERSION_FIELDS)
        self.common(versions[0], version, 'version')
        self.pattern(versions[0], version.get('DefaultLocale'), LOCALE, 'DefaultLocale')
        identifier = version.get('PackageIdentifier')
        expected = {identifier + '.yaml', identifier + '.installer.yaml',
                    '%s.locale.%s.yaml' % (identifier, version.get('DefaultLocale'))}
        if set(names) != expected:
            self.fault(folder, 'expected the files %s, got %s' % (sorted(expected), names))
        for name, data in loaded.items():
            if isinstance(data, dict) and (data.get('PackageIdentifier'), data.get('PackageVersion')) != \
                    (identifier, version.get('PackageVersion')):
                self.fault(name, 'PackageIdentifier and PackageVersion differ from the version file')
        locale = loaded.get('%s.locale.%s.yaml' % (identifier, version.get('DefaultLocale')))
        if locale is not None and self.fields('defaultLocale', locale, LOCALE_FIELDS, LOCALE_REQUIRED):
            self.common('defaultLocale', locale, 'defaultLocale')
            if locale.get('PackageLocale') != version.get('DefaultLocale'):
                self.fault('defaultLocale', 'PackageLocale differs from DefaultLocale')
            for key, low in (('Publisher', 2), ('PackageName', 2), ('License', 3), ('ShortDescription', 3)):
                if not isinstance(locale.get(key), str) or not low <= len(locale[key]) <= 256:
                    self.fault('defaultLocale', '%s must be %d to 256 characters' % (key, low))
        installer = loaded.get(identifier + '.installer.yaml')
        if installer is not None:
            self.installer_file('installer', installer)
            if isinstance(installer, dict):
                self.ours('installer', installer, setup, zip_file)
        return self.faults


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('folder')
    parser.add_argument('--setup')
    parser.add_argument('--zip')
    parser.add_argument('--growth-limit', type=float)
    args = parser.parse_args()
    faults = Checker().folder(args.folder, args.setup, args.zip)
    if args.growth_limit is not None and args.setup and args.zip:
        setup_size, zip_size = os.path.getsize(args.setup), os.path.getsize(args.zip)
        if setup_size > zip_size * (1 + args.growth_limit):
            faults.append('%s: %d bytes, more than %d%% larger than the zip (%d bytes)'
                          % (args.setup, setup_size, round(args.growth_limit * 100), zip_size))
        else:
            print('check_winget: the setup file is %d bytes, the zip %d bytes (%+.1f%%)'
                  % (setup_size, zip_size, (setup_size / zip_size - 1) * 100))
    for line in faults:
        print('check_winget: FAIL %s' % line)
    if faults:
        return 1
    print('check_winget: %s is a valid manifest %s of this release' % (args.folder, CURRENT))
    return 0


if __name__ == '__main__':
    sys.exit(main())
