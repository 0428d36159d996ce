#!/usr/bin/env python3
"""Checks the shipped Windows binaries from their PE headers, without running them:
imports (Windows system DLLs only, no C++ runtime), the DLL's export table, the programs'
GUI subsystem and the execution level and supported systems of their manifests, and the
hardening every image must carry (ASLR with relocations, DEP, high-entropy ASLR on x64,
NO_SEH on x86, no section both writable and executable).

    check_pe.py <x86|x64> <file>...      (a DLL must be vmxtool.dll or vmxmenu.dll)
Prints one line per check and ends with "N passed, M failed"."""
import struct
import sys
import xml.etree.ElementTree as ElementTree

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "shlwapi.dll", "msvcrt.dll", "ntdll.dll",
    "version.dll", "uxtheme.dll",
}
RUNTIME_DLLS = ("libstdc++", "libgcc_s", "libwinpthread", "libc++", "libunwind")

RT_MANIFEST = 24
# What Windows must read in each program's manifest: the setup program asks for elevation
# (Windows since Vista elevates it once, also when the list of installed programs starts
# it) and names every system from Vista to Windows 10/11; the viewer runs as its caller.
MANIFESTS = {
    "vmxinst.exe": ("requireAdministrator", [
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
    ]),
    "vmxtool.exe": ("asInvoker", None),
}

# Functions that older Windows lack: the programs look them up at run time, so that they
# still start where the system has none of them (the setup program on the Windows 95 family
# and NT 4).
LOOKED_UP = {
    "vmxinst.exe": ["SetDefaultDllDirectories", "SetDllDirectoryA", "SetSearchPathMode",
                    "IsWow64Process2", "IsWow64Process", "GetSystemWow64DirectoryA",
                    "RegDeleteKeyExA", "OpenProcessToken", "GetTokenInformation",
                    "ConvertStringSecurityDescriptorToSecurityDescriptorA", "GetShellWindow",
                    "InitializeProcThreadAttributeList", "WinVerifyTrust", "CertOpenStore",
                    "LookupPrivilegeValueA", "AdjustTokenPrivileges"],
    "vmxtool.exe": ["SetDefaultDllDirectories", "SetDllDirectoryA", "SetSearchPathMode"],
    # The Windows Runtime exists from Windows 8 on: the menu command's DLL still loads, and
    # its registration fails cleanly, where it does not.
    "vmxmenu.dll": ["RoInitialize", "RoUninitialize", "RoActivateInstance",
                    "RoGetActivationFactory", "WindowsCreateString", "WindowsDeleteString",
                    "WindowsGetStringRawBuffer"],
}

# Each DLL's exports, by plain name: the classic extension's two with their ordinals, and
# the menu command's COM surrogate entries with regsvr32's two.
EXPORTS = {
    "vmxtool.dll": [("DllCanUnloadNow", 2), ("DllGetClassObject", 3)],
    "vmxmenu.dll": ["DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                    "DllUnregisterServer"],
}

# Both programs are per-monitor dpi aware, each setting in the namespace where Windows
# looks for it (a setting in any other is ignored without a word), inside an asm.v3
# application's windowsSettings.
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
DPI_SETTINGS = [
    ("{http://schemas.microsoft.com/SMI/2005/WindowsSettings}dpiAware", "true/pm"),
    ("{http://schemas.microsoft.com/SMI/2016/WindowsSettings}dpiAwareness",
     "PerMonitorV2, PerMonitor"),
]

DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT, NO_SEH = 0x40, 0x20, 0x100, 0x400
TERMINAL_SERVER_AWARE = 0x8000
SCN_EXECUTE, SCN_WRITE = 0x20000000, 0x80000000


class Image:
    def __init__(self, path):
        self.data = open(path, "rb").read()
        d = self.data
        if d[:2] != b"MZ":
            raise ValueError("not an MZ image")
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, nsect, _, _, _, optsize, self.characteristics = struct.unpack_from(
            "<HHIIIHH", d, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", d, opt)[0]
        plus = self.magic == 0x20B
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", d, opt + 68)
        dirs = opt + (112 if plus else 96)
        self.dirs = [struct.unpack_from("<II", d, dirs + 8 * i) for i in range(16)]
        self.sections = []
        st = opt + optsize
        for i in range(nsect):
            name, vsize, va, rawsize, rawptr = struct.unpack_from("<8sIIII", d, st + 40 * i)
            flags = struct.unpack_from("<I", d, st + 40 * i + 36)[0]
            self.sections.append((name.rstrip(b"\0").decode(errors="replace"), va,
                                  max(vsize, rawsize), rawptr, flags))
        self.plus = plus

    def offset(self, rva):
        for _, va, size, raw, _ in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("RVA %#x outside every section" % rva)

    def cstr(self, rva):
        o = self.offset(rva)
        return self.data[o:self.data.index(b"\0", o)].decode()

    def import_descriptors(self):
        """Each import descriptor's fields, one tuple a DLL."""
        rva, _ = self.dirs[1]
        if not rva:
            return
        o = self.offset(rva)
        while True:
            fields = struct.unpack_from("<IIIII", self.data, o)
            if not any(fields):
                return
            yield fields
            o += 20

    def imports(self):
        return [self.cstr(fields[3]) for fields in self.import_descriptors()]

    def imported_functions(self):
        """The names of every function imported by name, from every DLL."""
        names = []
        entry, mask = (8, 1 << 63) if self.plus else (4, 1 << 31)
        for fields in self.import_descriptors():
            thunk = self.offset(fields[0] or fields[4])
            while True:
                value = struct.unpack_from("<Q" if self.plus else "<I", self.data, thunk)[0]
                if not value:
                    break
                if not value & mask:
                    names.append(self.cstr(value + 2))
                thunk += entry
        return names

    def manifest(self):
        """The bytes of the first RT_MANIFEST resource, or None."""
        root_rva = self.dirs[2][0]
        if not root_rva:
            return None
        root = self.offset(root_rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, directory + 12)
            for i in range(named + numbered):
                yield struct.unpack_from("<II", self.data, directory + 16 + 8 * i)

        def first_leaf(entry):
            while entry & 0x80000000:  # a subdirectory: take its first entry
                entry = next(entries(root + (entry & 0x7FFFFFFF)))[1]
            rva, size = struct.unpack_from("<II", self.data, root + entry)
            return self.data[self.offset(rva):self.offset(rva) + size]

        for ident, entry in entries(root):
            if ident == RT_MANIFEST:
                return first_leaf(entry)
        return None

    def exports(self):
        rva, size = self.dirs[0]
        if not rva:
            return []
        o = self.offset(rva)
        (_, _, _, _, _, base, nfuncs, nnames, funcs, names, ordinals) = struct.unpack_from(
            "<IIHHIIIIIII", self.data, o)
        result = []
        for i in range(nnames):
            name = self.cstr(struct.unpack_from("<I", self.data, self.offset(names) + 4 * i)[0])
            index = struct.unpack_from("<H", self.data, self.offset(ordinals) + 2 * i)[0]
            result.append((name, base + index))
        return sorted(result, key=lambda e: e[1]), nfuncs


def check_manifest(check, name, data, level, systems, flavour):
    if not data:
        check(False, "%s carries a manifest" % name, "no RT_MANIFEST resource")
        return
    try:
        tree = ElementTree.fromstring(data)
    except ElementTree.ParseError as e:
        check(False, "%s's manifest is well-formed XML" % name, str(e))
        return
    local = lambda element: element.tag.rsplit("}", 1)[-1]
    levels = [(e.get("level"), e.get("uiAccess")) for e in tree.iter()
              if local(e) == "requestedExecutionLevel"]
    check(levels == [(level, "false")],
          '%s asks for level="%s" uiAccess="false"' % (name, level), "found %s" % levels)
    # The program's own identity: another architecture's stops Windows from starting it.
    own = [e.get("processorArchitecture") for e in tree if local(e) == "assemblyIdentity"]
    fits = ("*", "amd64" if flavour == "x64" else "x86")
    check(len(own) == 1 and own[0] in fits, "%s's manifest fits an %s program" % (name, flavour),
          "processorArchitecture %s" % own)
    if systems is not None:
        found = [e.get("Id", "").lower() for e in tree.iter() if local(e) == "supportedOS"]
        check(found == systems, "%s names the systems from Vista to Windows 10/11" % name,
              "supportedOS %s" % found)


def check_dpi_awareness(check, name, data):
    try:
        tree = ElementTree.fromstring(data)
    except (ElementTree.ParseError, TypeError):
        return  # check_manifest has told why
    settings = [e for app in tree.iter(ASM_V3 + "application")
                for ws in app.iter(ASM_V3 + "windowsSettings") for e in ws]
    for tag, value in DPI_SETTINGS:
        found = [(e.text or "").strip() for e in settings if e.tag == tag]
        check(found == [value], '%s declares %s "%s"' % (name, tag.rsplit("}", 1)[-1], value),
              "found %s" % found)


def main():
    flavour, files = sys.argv[1], sys.argv[2:]
    passed = failed = 0

    def check(ok, what, detail=""):
        nonlocal passed, failed
        if ok:
            passed += 1
            print("ok   %s" % what)
        else:
            failed += 1
            print("FAIL %s%s" % (what, ": " + detail if detail else ""))

    for path in files:
        name = path.rsplit("/", 1)[-1]
        try:
            img = Image(path)
        except (OSError, ValueError) as e:
            check(False, name + " is a PE image", str(e))
            continue
        want_machine = 0x8664 if flavour == "x64" else 0x14C
        check(img.machine == want_machine, "%s is built for %s" % (name, flavour),
              "machine %#x" % img.machine)
        imports = img.imports()
        foreign = [i for i in imports if i.lower() not in SYSTEM_DLLS
                   and not i.lower().startswith("api-ms-win-")]
        check(not foreign, "%s imports Windows system DLLs only (%s)" % (name, ", ".join(imports)),
              "also imports " + ", ".join(foreign))
        check(not any(i.lower().startswith(RUNTIME_DLLS) for i in imports),
              "%s needs no C++ runtime DLL" % name)
        dc = img.dll_characteristics
        check(dc & DYNAMIC_BASE, "%s has ASLR (dynamic base)" % name, "DllCharacteristics %#x" % dc)
        check(img.dirs[5][0] != 0 and img.dirs[5][1] > 0 and not (img.characteristics & 1),
              "%s keeps its relocations" % name)
        check(dc & NX_COMPAT, "%s has DEP (NX compatible)" % name, "DllCharacteristics %#x" % dc)
        if flavour == "x64":
            check(dc & HIGH_ENTROPY_VA, "%s has high-entropy ASLR" % name,
                  "DllCharacteristics %#x" % dc)
        else:
            check(dc & NO_SEH, "%s says NO_SEH" % name, "DllCharacteristics %#x" % dc)
        if name.lower() == "vmxinst.exe":
            # On a terminal server GetWindowsDirectory must give the machine's folder, where
            # the elevated run stages its payload, not the user's own Windows folder.
            check(dc & TERMINAL_SERVER_AWARE, "%s is terminal-server aware" % name,
                  "DllCharacteristics %#x" % dc)
        wx = [s[0] for s in img.sections if s[4] & SCN_EXECUTE and s[4] & SCN_WRITE]
        check(not wx, "%s has no section both writable and executable" % name,
              "writable and executable: " + ", ".join(wx))
        if name.lower().endswith(".exe"):
            # Both programs talk to the user through windows only: no console may pop up.
            check(img.subsystem == 2, "%s is a GUI program" % name, "subsystem %d" % img.subsystem)
        if name.lower() in LOOKED_UP:
            imported = set(img.imported_functions())
            for function in LOOKED_UP[name.lower()]:
                check(function not in imported and b"\0" + function.encode() + b"\0" in img.data,
                      "%s looks %s up at run time instead of importing it" % (name, function),
                      "imported" if function in imported else "its name is not in the image")
        if name.lower().endswith("-setup-x64.exe"):
            # The single setup file is a small program of its own that carries the payload:
            # the setup program's manifest, cabinet.dll's functions looked up at run time; its
            # image, which holds the payload, runs from the paging file when started from a
            # share or stick.
            name_as = "vmxinst.exe"
            check(img.characteristics & 0x0C00 == 0x0C00,
                  "%s runs from the paging file when started from a share or removable media" % name,
                  "Characteristics %#x" % img.characteristics)
            imported = set(img.imported_functions())
            for function in ["FDICreate", "FDICopy", "FDIDestroy"]:
                check(function not in imported and b"\0" + function.encode() + b"\0" in img.data,
                      "%s looks %s up at run time instead of importing it" % (name, function),
                      "imported" if function in imported else "its name is not in the image")
        else:
            name_as = name.lower()
        if name_as in MANIFESTS:
            check_manifest(check, name, img.manifest(), *MANIFESTS[name_as], flavour)
            check_dpi_awareness(check, name, img.manifest())
        if name.lower().endswith(".dll"):
            exports, nfuncs = img.exports()
            want = EXPORTS.get(name.lower())
            if want and isinstance(want[0], tuple):
                check(exports == want and nfuncs <= 2 + 1,
                      "%s exports exactly DllCanUnloadNow @2 and DllGetClassObject @3" % name,
                      "exports %s" % exports)
            else:
                names = sorted(e[0] for e in exports)
                check(want is not None and names == sorted(want) and nfuncs == len(want),
                      "%s exports exactly %s" % (name, ", ".join(want or [])),
                      "exports %s" % names)

    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
