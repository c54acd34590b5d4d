#!/usr/bin/env python3
"""Checks what the two deliverables promise at the binary level, for the
32-bit and the 64-bit build folder given: QVLHOOK.DLL exports its
operations and shared variables under their plain names, keeps the
variables in one shared, zero-filled section in their documented order,
and needs nothing but kernel32 and user32;
QUORVEL.EXE imports the operations from QVLHOOK.DLL by name and no
MinGW runtime DLL; the manual beside them has Windows line ends. The 32-bit
folder also holds the 64-bit launcher's companion: QVLHOOK32.DLL, checked as
QVLHOOK.DLL is, and QVLHOOK32.EXE, a 32-bit GUI program that imports the
operations from it and no other DLL but the system's. The one installer
given third is a 32-bit GUI program.
  check_binaries.py WIN32_DIR WIN64_DIR QUORVELSETUP.EXE"""
import struct
import sys
from pathlib import Path

OPERATIONS = ["QVLCalcArea", "QVLInstallHook", "QVLRegisterWindow", "QVLRegisteredWindow", "QVLUninstallHook"]
VARIABLES = ["m_hHook", "m_hWnd", "m_hModule", "m_rect1", "m_rect2"]
SCN_MEM_SHARED, SCN_MEM_WRITE = 0x10000000, 0x80000000
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll", "shell32.dll",
               "ole32.dll", "oleaut32.dll", "advapi32.dll", "winmm.dll", "msvcrt.dll", "version.dll",
               "wtsapi32.dll", "normaliz.dll"}


class Pe:
    def __init__(self, path):
        self.data = Path(path).read_bytes()
        d = self.data
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        assert d[pe:pe + 4] == b"PE\0\0", f"{path}: not a PE file"
        self.machine, nsections, _, _, _, opt_size, self.characteristics = struct.unpack_from("<HHIIIHH", d, pe + 4)
        opt = pe + 24
        magic = struct.unpack_from("<H", d, opt)[0]
        self.subsystem = struct.unpack_from("<H", d, opt + 68)[0]
        dirs = opt + (96 if magic == 0x10B else 112)
        self.directories = [struct.unpack_from("<II", d, dirs + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(nsections):
            name, vsize, va, rsize, rptr = struct.unpack_from("<8sIIII", d, opt + opt_size + 40 * i)
            flags = struct.unpack_from("<I", d, opt + opt_size + 40 * i + 36)[0]
            self.sections.append((name.rstrip(b"\0").decode(), va, vsize, rptr, rsize, flags))

    def offset(self, rva):
        for _, va, vsize, rptr, rsize, _ in self.sections:
            if va <= rva < va + max(vsize, rsize):
                return rptr + rva - va
        raise ValueError(f"rva {rva:#x} outside every section")

    def cstring(self, rva):
        o = self.offset(rva)
        return self.data[o:self.data.index(b"\0", o)].decode()

    def exports(self):
        rva, size = self.directories[0]
        if not size:
            return {}
        o = self.offset(rva)
        _, _, _, _, _, base, nfuncs, nnames, funcs, names, ordinals = struct.unpack_from("<IIHHIIIIIII", self.data, o)
        result = {}
        for i in range(nnames):
            name = self.cstring(struct.unpack_from("<I", self.data, self.offset(names) + 4 * i)[0])
            index = struct.unpack_from("<H", self.data, self.offset(ordinals) + 2 * i)[0]
            result[name] = struct.unpack_from("<I", self.data, self.offset(funcs) + 4 * index)[0]
        return result

    def imports(self):
        rva, size = self.directories[1]
        result = {}
        o = self.offset(rva)
        wide = self.machine == 0x8664
        while True:
            lookup, _, _, name, thunk = struct.unpack_from("<IIIII", self.data, o)
            if not name:
                return result
            names, t = [], self.offset(lookup or thunk)
            while True:
                entry = struct.unpack_from("<Q" if wide else "<I", self.data, t)[0]
                if not entry:
                    break
                by_ordinal = entry >> (63 if wide else 31)
                names.append(None if by_ordinal else self.cstring((entry & 0x7FFFFFFF) + 2))
                t += 8 if wide else 4
            result[self.cstring(name)] = names
            o += 20


def check(folder, machine, failures):
    def expect(condition, message):
        if not condition:
            failures.append(f"{folder}: {message}")

    check_hook_library(folder / "QVLHOOK.DLL", machine, expect)
    check_program(folder / "QUORVEL.EXE", machine, "qvlhook.dll", expect)
    if machine == 0x14C:
        check_hook_library(folder / "QVLHOOK32.DLL", machine, expect)
        check_program(folder / "QVLHOOK32.EXE", machine, "qvlhook32.dll", expect)

    manual = (folder / "MANUAL.TXT").read_bytes()
    expect(manual.count(b"\n") > 0 and manual.count(b"\n") == manual.count(b"\r\n"), "MANUAL.TXT lines not CRLF")


def check_hook_library(path, machine, expect):
    dll = Pe(path)
    expect(dll.machine == machine, f"{path.name}: wrong machine type")
    exports = dll.exports()
    expect(sorted(exports) == sorted(OPERATIONS + VARIABLES), f"{path.name} exports {sorted(exports)}")
    shared = [s for s in dll.sections if s[0] == ".QVLHook"]
    expect(len(shared) == 1, f"{path.name}: no .QVLHook section")
    if shared and all(v in exports for v in VARIABLES):
        _, va, vsize, rptr, rsize, flags = shared[0]
        expect(flags & SCN_MEM_SHARED and flags & SCN_MEM_WRITE,
               f"{path.name}: .QVLHook flags {flags:#x} not shared+writable")
        rvas = [exports[v] for v in VARIABLES]
        expect(rvas == sorted(rvas), f"{path.name}: shared variables out of order")
        expect(all(va <= r < va + vsize for r in rvas), f"{path.name}: a shared variable lies outside .QVLHook")
        expect(not any(dll.data[rptr:rptr + min(rsize, vsize)]), f"{path.name}: .QVLHook is not zero at load")

    dll_imports = {k.lower() for k in dll.imports()}
    expect(dll_imports <= {"kernel32.dll", "user32.dll"}, f"{path.name} imports {sorted(dll_imports)}")


# A GUI program of the folder's width that imports the operations from `hook`
# by name, and nothing from a DLL the system does not have.
def check_program(path, machine, hook, expect):
    exe = Pe(path)
    expect(exe.machine == machine, f"{path.name}: wrong machine type")
    expect(exe.subsystem == 2, f"{path.name} is not a GUI program")
    exe_imports = {k.lower(): v for k, v in exe.imports().items()}
    expect(sorted(exe_imports.get(hook, [])) == OPERATIONS,
           f"{path.name} imports {exe_imports.get(hook)} from {hook.upper()}")
    others = set(exe_imports) - SYSTEM_DLLS - {hook}
    expect(not others, f"{path.name} needs non-system DLLs {sorted(others)}")


def main():
    failures = []
    for folder, machine in zip(sys.argv[1:3], (0x14C, 0x8664)):
        check(Path(folder), machine, failures)
    # One installer for both widths: a 32-bit program starts on either.
    setup = Pe(Path(sys.argv[3]))
    if not (setup.machine == 0x14C and setup.subsystem == 2):
        failures.append("QuorvelSetup.exe is not a 32-bit GUI program")
    for f in failures:
        print("FAIL:", f)
    if not failures:
        print("checked 2 builds, the companion and the installer: exports, shared section, imports, manual, installer")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
