#!/usr/bin/env python3
"""Checks the shipped Windows binaries from their PE headers, without running them:
imports (Windows system DLLs only, no C++ runtime), the DLL's export table, the programs'
GUI subsystem, and the
hardening every image must carry (ASLR with relocations, DEP, high-entropy ASLR on x64,
NO_SEH on x86, no section both writable and executable).

    check_pe.py <x86|x64> <file>...      (a file ending in .dll must be vmxtool.dll)
Prints one line per check and ends with "N passed, M failed"."""
import struct
import sys

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "shlwapi.dll", "msvcrt.dll", "ntdll.dll",
    "version.dll", "uxtheme.dll",
}
RUNTIME_DLLS = ("libstdc++", "libgcc_s", "libwinpthread", "libc++", "libunwind")

DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT, NO_SEH = 0x40, 0x20, 0x100, 0x400
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

    def imports(self):
        rva, size = self.dirs[1]
        names = []
        if not rva:
            return names
        o = self.offset(rva)
        while True:
            fields = struct.unpack_from("<IIIII", self.data, o)
            if not any(fields):
                break
            names.append(self.cstr(fields[3]))
            o += 20
        return names

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
        wx = [s[0] for s in img.sections if s[4] & SCN_EXECUTE and s[4] & SCN_WRITE]
        check(not wx, "%s has no section both writable and executable" % name,
              "writable and executable: " + ", ".join(wx))
        if name.lower().endswith(".exe"):
            # Both programs talk to the user through windows only: no console may pop up.
            check(img.subsystem == 2, "%s is a GUI program" % name, "subsystem %d" % img.subsystem)
        if name.lower().endswith(".dll"):
            exports, nfuncs = img.exports()
            want = [("DllCanUnloadNow", 2), ("DllGetClassObject", 3)]
            check(exports == want and nfuncs <= 2 + 1,
                  "%s exports exactly DllCanUnloadNow @2 and DllGetClassObject @3" % name,
                  "exports %s" % exports)

    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
