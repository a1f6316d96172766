#!/usr/bin/env python3
"""Prints the import table of a PE file and fails on anything outside the allow-list.

The allow-list holds the Win32 functions the saver calls, its own start-up
included (it links no C runtime), all of which Windows 95 and NT 4 export. An
allow-list proves more than a deny-list: a new import has to be looked at here.
The list is exact: an entry that the file no longer imports fails too, so that
the list keeps saying what the saver needs.
"""
import struct
import sys

ALLOWED = {
    "KERNEL32.DLL": {
        "GetCommandLineA", "GetModuleHandleA", "GetStartupInfoA", "GetVersionExA",
        "ExitProcess", "UnhandledExceptionFilter", "LoadLibraryA", "GetProcAddress",
        "FreeLibrary", "GetTickCount", "Sleep", "GetPrivateProfileIntA",
        "WritePrivateProfileStringA", "GetSystemTimeAsFileTime",
    },
    "USER32.DLL": {
        "CharNextA", "RegisterClassA", "CreateWindowExA", "LoadIconA", "GetClientRect",
        "GetSystemMetrics", "FindWindowA", "IsWindow", "SetForegroundWindow",
        "GetForegroundWindow", "GetParent", "GetMessageA", "TranslateMessage",
        "DispatchMessageA", "DefWindowProcA", "PostMessageA", "SendMessageA", "PeekMessageA",
        "PostQuitMessage", "SetCursor", "GetCursorPos", "SetTimer", "KillTimer", "GetDC",
        "ReleaseDC", "FillRect", "DialogBoxParamA", "SendDlgItemMessageA", "EndDialog",
        "LoadBitmapA", "SystemParametersInfoA",
    },
    "GDI32.DLL": {
        "GetStockObject", "CreateCompatibleDC", "CreateCompatibleBitmap", "SelectObject",
        "DeleteObject", "BitBlt", "GetObjectA",
    },
    "ADVAPI32.DLL": {"RegOpenKeyA", "RegQueryValueExA", "RegCloseKey"},
    "WINMM.DLL": {"PlaySoundA"},
}


def read_imports(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    sections_count = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    pe32plus = magic == 0x20B
    directories = optional + (112 if pe32plus else 96)
    import_rva = struct.unpack_from("<I", data, directories + 8)[0]
    sections = []
    table = optional + optional_size
    for i in range(sections_count):
        vsize, vaddr, rsize, raddr = struct.unpack_from("<IIII", data, table + 40 * i + 8)
        sections.append((vaddr, max(vsize, rsize), raddr))

    def offset(rva):
        for vaddr, size, raddr in sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + raddr
        raise ValueError("RVA %#x outside every section" % rva)

    def cstring(rva):
        start = offset(rva)
        return data[start:data.index(b"\0", start)].decode("ascii")

    imports = {}
    descriptor = offset(import_rva)
    thunk_size, ordinal_flag = (8, 1 << 63) if pe32plus else (4, 1 << 31)
    while True:
        lookup, _, _, name_rva, first = struct.unpack_from("<IIIII", data, descriptor)
        if name_rva == 0:
            break
        dll = cstring(name_rva)
        names = imports.setdefault(dll.upper(), [])
        entry = offset(lookup or first)
        while True:
            value = struct.unpack_from("<Q" if pe32plus else "<I", data, entry)[0]
            if value == 0:
                break
            names.append("#%d" % (value & 0xFFFF) if value & ordinal_flag else cstring(value + 2))
            entry += thunk_size
        descriptor += 20
    return imports


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: check_imports.py FILE")
    with open(sys.argv[1], "rb") as f:
        imports = read_imports(f.read())
    problems = []
    for dll in sorted(imports):
        allowed = ALLOWED.get(dll)
        print("%s (%d)" % (dll, len(imports[dll])))
        for name in sorted(imports[dll]):
            bad = allowed is None or name not in allowed
            print("    %s%s" % (name, "   <-- not allowed" if bad else ""))
            if bad:
                problems.append("%s!%s" % (dll, name))
    unused = ["%s!%s" % (dll, name) for dll in sorted(ALLOWED)
              for name in sorted(ALLOWED[dll] - set(imports.get(dll, ())))]
    if problems:
        print("FAILED: imports outside the Windows 95 / NT 4 allow-list: " + ", ".join(problems))
    if unused:
        print("FAILED: allowed but not imported, take off the allow-list: " + ", ".join(unused))
    if problems or unused:
        return 1
    print("OK: %d imports from %d DLLs, all in the allow-list"
          % (sum(map(len, imports.values())), len(imports)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
