#!/usr/bin/env python3
"""Checks a built VARNO.scr:  check_release.py FILE  (resources)  or  check_release.py --imports FILE;
or the setup:  check_release.py --setup SETUP.EXE

Resources: exactly the catalogued ones (tools/asset_catalog.py), once each and in German; each bitmap
an 8-bit DIB of its size as the resource compiler stores the files of assets/, the logo and its mask
obeying the mask rule, the sound and the icon in their exact layouts; the name string, the version and
the settings dialog template, whose version line must read "VARNO VERSION" (the VERSION file's).
Imports: only functions of the system DLLs that the saver's own code calls, all exported by Windows
95 and NT 4. An allow-list proves more than a deny-list: any new import has to be looked at here.
Setup: the setup's own stub and every DLL inside it (its plug-ins, which it unpacks and loads) import
only functions that a clean Windows 95 has, from its system DLLs (one that needs MSVCRT.DLL would not
load there), and ask for Windows 4.0 in their PE headers.
"""
import glob
import hashlib
import os
import re
import struct
import subprocess
import sys
import tempfile

import asset_catalog as catalog
from check_formats import read_imports, read_resources

VERSION = open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "VERSION")).read().strip()
BLACK, WHITE = b"\0\0\0", b"\xff\xff\xff"
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
         (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
         (255, 0, 255), (0, 255, 255), (255, 255, 255)]
problems = []


def check(ok, message):
    if not ok:
        problems.append(message)
    return ok


def read(path):
    with open(path, "rb") as f:
        return f.read()


def finish(summary):
    print("FAILED:\n  " + "\n  ".join(problems) if problems else "OK: " + summary)
    return 1 if problems else 0


def check_bitmaps(dibs):
    """dibs: {resource id: packed DIB}, which is a BMP file without its 14-byte file header."""
    pixels = {}
    for bitmap in catalog.BITMAPS:
        name, dib, width, height = bitmap.file, dibs.get(bitmap.ident), bitmap.width, bitmap.height
        stride = (width + 3) // 4 * 4
        if not check(dib is not None, "%s (%d): missing" % (name, bitmap.ident)):
            continue
        header = struct.unpack_from("<IiiHHIIiiII", dib)
        if not check(header == (40, width, height, 1, 8, 0, stride * height, 0, 0, 0, 0)
                     and len(dib) == 1064 + stride * height,
                     "%s: header %s, %d bytes; expected 8 bits, %d x %d"
                     % (name, header, len(dib), width, height)):
            continue
        check(not any(dib[43:1064:4]), name + ": colour table entry with a non-zero fourth byte")
        check(not any(any(dib[1064 + y * stride + width:1064 + (y + 1) * stride]) for y in range(height)),
              name + ": row padding is not zero")
        table = [dib[i:i + 3] for i in range(40, 1064, 4)]  # blue, green, red; rows bottom-up
        pixels[bitmap.ident] = [table[dib[1064 + y * stride + x]] for y in range(height) for x in range(width)]
        colours = len(set(pixels[bitmap.ident]))
        check(bitmap == catalog.LOGO_MASK or colours >= 64, "%s: only %d colours" % (name, colours))
    logo, mask = pixels.get(catalog.LOGO.ident), pixels.get(catalog.LOGO_MASK.ident)
    if logo and mask:
        width = catalog.LOGO_MASK.width
        check(set(mask) <= {BLACK, WHITE}, "mask: pixels neither black nor white")
        check(mask.count(BLACK) * 2 > len(mask) and mask[len(mask) // 2 + width // 2] == BLACK
              and all(mask[i] == WHITE for i in (0, width - 1, -width, -1)),
              "mask: not a black ellipse filling most of a white frame")
        leaks = sum(1 for m, p in zip(mask, logo) if m != BLACK and p != BLACK)
        check(leaks == 0, "logo: %d pixels not black where the mask is not black" % leaks)


def check_wave(name, wave):
    # RIFF WAVE, a 16-byte "fmt " chunk (PCM, mono, 8000 Hz, 8 bits), then 2.37 s of samples
    layout = struct.unpack_from("<4sI4s4sIHHIIHH4sI", wave) if len(wave) >= 44 else None
    expected = (b"RIFF", 18985, b"WAVE", b"fmt ", 16, 1, 1, 8000, 8000, 1, 8, b"data", 18949)
    if check(len(wave) == 18993 and layout == expected, "%s: %d bytes, %s" % (name, len(wave), layout)):
        samples = wave[44:]
        check(0 < min(samples) and max(samples) < 255, name + ": samples clip at 0 or 255")
        check(max(samples) > 150 and min(samples) < 106, name + ": nearly silent")
        check(all(abs(s - 128) <= 2 for s in samples[-200:]), name + ": does not fade out to silence")


def check_icon(name, head, image):
    """head: the first 18 bytes of the icon file or of the icon group; image: its one image."""
    directory = struct.unpack("<HHHBBBBHHI", head)
    check(directory == (0, 1, 1, 32, 32, 16, 0, 1, 4, 744), "%s: icon directory %s" % (name, directory))
    header = struct.unpack_from("<IiiHHIIiiII", image) if len(image) == 744 else len(image)
    if check(header == (40, 32, 64, 1, 4, 0, 640, 0, 0, 0, 0), "%s: image header %s" % (name, header)):
        check([tuple(image[i:i + 4]) for i in range(40, 104, 4)] == [(b, g, r, 0) for r, g, b in VGA16],
              name + ": colour table is not the standard 16 colours")
        pixels = [(x, y) for y in range(32) for x in range(32)]
        colour = [image[104 + y * 16 + x // 2] >> (4 - 4 * (x % 2)) & 15 for x, y in pixels]
        clear = [image[616 + y * 4 + x // 8] >> (7 - x % 8) & 1 for x, y in pixels]
        check(0 < sum(clear) < 1024, name + ": mask is all transparent or all opaque")
        check(all(c == 0 for c, t in zip(colour, clear) if t), name + ": transparent pixels not colour 0")


RT_BITMAP, RT_ICON, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_VERSION = 2, 3, 5, 6, 14, 16
ALLOWED = {dll: set(names.split()) for dll, names in {
    "KERNEL32.DLL": """CreateDirectoryA ExitProcess FormatMessageA FreeLibrary GetCommandLineA
        GetEnvironmentVariableA GetFileAttributesA GetLastError GetModuleHandleA GetPrivateProfileIntA
        GetProcAddress GetSystemTimeAsFileTime GetTickCount GetVersionExA
        GetWindowsDirectoryA LoadLibraryA Sleep UnhandledExceptionFilter WritePrivateProfileStringA""",
    "USER32.DLL": """CharNextA CreateWindowExA DefWindowProcA DestroyWindow DialogBoxParamA DispatchMessageA EndDialog
        FillRect FindWindowA GetClientRect GetCursorPos GetDC GetForegroundWindow GetMessageA GetParent
        GetSystemMetrics IsWindow KillTimer LoadBitmapA LoadIconA MessageBoxA PeekMessageA PostMessageA PostQuitMessage
        RegisterClassA ReleaseDC SendDlgItemMessageA SendMessageA SetCursor SetForegroundWindow SetTimer SetWindowPos
        SystemParametersInfoA TranslateMessage""",
    "GDI32.DLL": """BitBlt CreateCompatibleBitmap CreateCompatibleDC DeleteDC DeleteObject GetObjectA GetStockObject
        SelectObject""",
    "ADVAPI32.DLL": "RegCloseKey RegOpenKeyA RegQueryValueExA",
    "WINMM.DLL": "PlaySoundA"}.items()}

# The functions of a clean Windows 95 that the setup imports: the NSIS stub itself and the plug-ins it
# unpacks (varno.dll, NSIS's nsDialogs and UserInfo). NT-only calls are those Windows 95 exports as stubs.
WINDOWS_95 = {dll: set(names.split()) for dll, names in {
    "KERNEL32.DLL": """CloseHandle CompareFileTime CopyFileA CreateDirectoryA CreateFileA CreateMutexA
        CreateProcessA CreateThread DeleteFileA ExitProcess ExpandEnvironmentStringsA FindClose FindFirstFileA
        FindNextFileA FlushFileBuffers FreeLibrary GetCommandLineA GetCurrentDirectoryA GetCurrentProcess
        GetCurrentThread GetDiskFreeSpaceA GetExitCodeProcess GetFileAttributesA GetFileSize GetFullPathNameA
        GetLastError GetModuleFileNameA GetModuleHandleA GetPrivateProfileStringA GetProcAddress GetProcessHeap
        GetShortPathNameA GetSystemDirectoryA GetTempFileNameA GetTempPathA GetTickCount GetVersion GetVersionExA
        GetWindowsDirectoryA GlobalAlloc GlobalFree GlobalLock GlobalUnlock HeapAlloc HeapFree HeapReAlloc
        LoadLibraryExA MoveFileA MoveFileExA MulDiv MultiByteToWideChar OpenProcess ReadFile RemoveDirectoryA
        SearchPathA SetCurrentDirectoryA SetEndOfFile SetEnvironmentVariableA SetErrorMode SetFileAttributesA
        SetFilePointer SetFileTime Sleep WaitForSingleObject WideCharToMultiByte WriteFile
        WritePrivateProfileStringA lstrcatA lstrcmpA lstrcmpiA lstrcpyA lstrcpynA lstrlenA""",
    "USER32.DLL": """AppendMenuA BeginPaint CallWindowProcA CharNextA CharPrevA CheckDlgButton CloseClipboard
        CreateDialogParamA CreatePopupMenu CreateWindowExA DefWindowProcA DestroyWindow DialogBoxParamA
        DispatchMessageA DrawFocusRect DrawTextA EmptyClipboard EnableMenuItem EnableWindow EndDialog EndPaint
        ExitWindowsEx FillRect FindWindowA FindWindowExA GetClassInfoA GetClientRect GetDC GetDlgItem
        GetDlgItemTextA GetMessageA GetMessagePos GetPropA GetSysColor GetSystemMenu GetSystemMetrics GetWindowLongA
        GetWindowRect GetWindowTextA GetWindowThreadProcessId InvalidateRect IsDialogMessageA IsWindow
        IsWindowEnabled IsWindowVisible KillTimer LoadCursorA LoadImageA MapDialogRect MapWindowPoints
        MessageBoxIndirectA OpenClipboard PeekMessageA PostQuitMessage RegisterClassA ReleaseDC RemovePropA
        ScreenToClient SendMessageA SendMessageTimeoutA SetClassLongA SetClipboardData SetCursor SetDlgItemTextA
        SetForegroundWindow SetPropA SetTimer SetWindowLongA SetWindowPos SetWindowTextA ShowWindow
        SystemParametersInfoA TrackPopupMenu TranslateMessage wsprintfA""",
    "GDI32.DLL": """CreateBrushIndirect CreateFontIndirectA DeleteObject GetDeviceCaps SelectObject SetBkColor
        SetBkMode SetTextColor""",
    "ADVAPI32.DLL": """AdjustTokenPrivileges AllocateAndInitializeSid EqualSid FreeSid GetTokenInformation
        GetUserNameA LookupPrivilegeValueA OpenProcessToken OpenThreadToken RegCloseKey RegCreateKeyExA
        RegDeleteKeyA RegDeleteValueA RegEnumKeyA RegEnumValueA RegOpenKeyExA RegQueryValueExA RegSetValueExA""",
    "COMCTL32.DLL": """ImageList_AddMasked ImageList_Create ImageList_Destroy InitCommonControls""",
    "COMDLG32.DLL": """CommDlgExtendedError GetOpenFileNameA GetSaveFileNameA""",
    "OLE32.DLL": """CoCreateInstance CoTaskMemFree IIDFromString OleInitialize OleUninitialize""",
    "SHELL32.DLL": """SHBrowseForFolderA SHFileOperationA SHGetFileInfoA SHGetPathFromIDListA
        SHGetSpecialFolderLocation ShellExecuteExA"""}.items()}

BUTTON, STATIC = 0x80, 0x82
# The settings dialog, 2003: (id, class, text or bitmap id, style, x, y, cx, cy); None: our own wording.
DIALOG_CONTROLS = [
    (1000, BUTTON, "OK", 0x50010001, 179, 121, 50, 14),
    (0xFFFF, STATIC, "VARNO " + VERSION, 0x50020000, None, None, None, None),  # written by hand in varno.rc
    (0xFFFF, STATIC, None, 0x50020000, None, None, None, None),
    (0xFFFF, STATIC, None, 0x50020000, 16, 33, 150, 12),
    (0xFFFF, STATIC, None, 0x50020000, 16, 46, 138, 20),
    (0xFFFF, STATIC, 132, 0x5000000E, 169, 7, 67, 41),
    (0xFFFF, BUTTON, "Active Functions", 0x50000007, 7, 70, 229, 72),
    (1003, BUTTON, "Bouncing Logo", 0x50010003, 17, 84, 119, 10),
    (1004, BUTTON, "Random Pics", 0x50010003, 17, 98, 119, 10),
    (1001, BUTTON, "Cancel", 0x50010001, 119, 121, 50, 14),
    (1005, BUTTON, "Sound", 0x50010003, 17, 112, 77, 10),
]


def read_field(template, at):
    """A field: 0xFFFF and an ordinal, or a NUL-terminated UTF-16 string; and where the next one starts."""
    if template[at:at + 2] == b"\xff\xff":
        return struct.unpack_from("<H", template, at + 2)[0], at + 4
    end = at
    while template[end:end + 2] != b"\0\0":
        end += 2
    return template[at:end].decode("utf-16-le"), end + 2


def check_dialog(template):
    header = struct.unpack_from("<IIHhhhh", template)
    check(header == (0x80C800C0, 0, len(DIALOG_CONTROLS), 0, 0, 243, 149), "dialog: header %s" % (header,))
    # No menu, the standard class, the catalog's title, then 8-point MS Sans Serif.
    look = ("\0\0%s\0\x08MS Sans Serif\0" % catalog.DIALOG_TITLE).encode("utf-16-le")
    at = 18 + len(look)
    check(template[18:at] == look, "dialog: menu, class, title or font %r" % template[18:at])
    for index, expected in enumerate(DIALOG_CONTROLS[:header[2]], 1):
        at = (at + 3) & ~3
        style, exstyle, x, y, cx, cy, ident = struct.unpack_from("<IIhhhhH", template, at)
        control_class, at = read_field(template, at + 18)
        text, at = read_field(template, at)
        at += 2 + struct.unpack_from("<H", template, at)[0]
        actual = (ident, control_class, text, style, x, y, cx, cy)
        check(exstyle == 0 and all(e is None or e == a for e, a in zip(expected, actual)),
              "dialog control %d: %s, extended style %#x; expected %s" % (index, actual, exstyle, expected))
        if expected[2] is None:  # our own wording; the version line and notice above the author line
            check(isinstance(text, str) and text and (expected[4] is not None or x >= 7 and y >= 7
                  and x + cx <= 166 and y + cy <= 33), "dialog control %d: no text, or out of place" % index)


def check_resources(path):
    resources = read_resources(read(path))
    icon, sound = catalog.ICON, catalog.SOUND
    expected = {(RT_BITMAP, bitmap.ident) for bitmap in catalog.BITMAPS} | {
        (sound.type, sound.ident), (RT_GROUP_ICON, icon.group), (RT_ICON, icon.image),
        (RT_DIALOG, 2003), (RT_STRING, 1), (RT_VERSION, 1)}
    expected = {key + (catalog.LANGUAGE,) for key in expected}
    check(set(resources) == expected, "resources missing: %s; not catalogued: %s"
          % (sorted(expected - set(resources), key=str), sorted(set(resources) - expected, key=str)))
    found = {(rtype, name): resource.data for (rtype, name, _), resource in resources.items()}
    check_bitmaps({name: dib for (rtype, name), dib in found.items() if rtype == RT_BITMAP})
    check_wave("WAVE %d" % sound.ident, found.get((sound.type, sound.ident), b""))
    group = found.get((RT_GROUP_ICON, icon.group), b"")
    if check(len(group) == 20 and group[18:] == struct.pack("<H", icon.image), "icon group: not icon 1"):
        check_icon("icon %d" % icon.image, group[:18], found.get((RT_ICON, icon.image), b""))
    strings = found.get((RT_STRING, 1), b"")  # strings 0 to 15, each a UTF-16 count and the characters
    check(strings[:14] == struct.pack("<HH", 0, 5) + "VARNO".encode("utf-16-le"), "string 1 is not VARNO")
    version = found.get((RT_VERSION, 1), b"")
    check(version[40:44] == struct.pack("<I", 0xFEEF04BD) and all(
        key.encode("utf-16-le") in version for key in ("ProductName", "FileDescription", "FileVersion")),
        "version resource: no fixed file information or a missing ProductName, FileDescription, FileVersion")
    if (RT_DIALOG, 2003) in found:
        check_dialog(found[RT_DIALOG, 2003])
    return finish("%d resources as catalogued" % len(resources))


def outside(imports, allowed):
    """The imports ({DLL: functions}) that the allow-list lacks, as "DLL!function"."""
    return ["%s!%s" % (dll, name) for dll, names in sorted(imports.items())
            for name in sorted(names) if name not in allowed.get(dll, ())]


def audit_imports(path):
    imports = read_imports(read(path))
    for dll, names in sorted(imports.items()):
        print("%s (%d): %s" % (dll, len(names), ", ".join(sorted(names))))
    refused = outside(imports, ALLOWED)
    check(not refused, "%d imports outside the allow-list: %s" % (len(refused), ", ".join(refused)))
    stale = outside(ALLOWED, imports)
    check(not stale, "allowed but not imported, take off the allow-list: " + ", ".join(stale))
    return finish("%d imports from %d DLLs, all in the allow-list" % (sum(map(len, imports.values())), len(imports)))


def audit_setup(setup):
    """Unpacks the setup's DLLs with 7-Zip, which reads NSIS files, and checks each one's imports."""
    with tempfile.TemporaryDirectory() as folder:
        unpacked = subprocess.run(["7z", "x", "-y", "-o" + folder, setup, "*.dll", "-r"], capture_output=True, text=True)
        dlls = sorted(glob.glob(os.path.join(folder, "**", "*.dll"), recursive=True))
        if not check(unpacked.returncode == 0 and dlls, "7z found no DLL in %s: %s" % (setup, unpacked.stderr.strip())):
            return finish("")
        for image in [setup] + dlls:  # the stub, then its plug-ins
            data = read(image)
            refused = outside(read_imports(data), WINDOWS_95)
            check(not refused, "%s imports outside the Windows 95 list: %s" % (os.path.basename(image), ", ".join(refused)))
            # Windows 95 and NT 4 load only an image that asks for version 4.0 at most.
            optional = struct.unpack_from("<I", data, 0x3C)[0] + 24
            versions = struct.unpack_from("<HH4xHH", data, optional + 40)
            check(versions == (4, 0, 4, 0), "%s: OS and subsystem versions %d.%d, %d.%d, not 4.0" % (
                (os.path.basename(image),) + versions))
    # Its Properties say what it is, and the checksums beside it name it.
    data = read(setup)
    version = next((r.data.decode("utf-16-le", "replace") for (rtype, _, _), r in read_resources(data).items()
                    if rtype == RT_VERSION), "")
    check(re.search("ProductName\0+VARNO\0", version), "setup: no version resource naming VARNO")
    sums = os.path.join(os.path.dirname(setup), "SHA256SUMS")
    line = "%s  %s" % (hashlib.sha256(data).hexdigest(), os.path.basename(setup))
    check(os.path.exists(sums) and line in open(sums).read().splitlines(), "SHA256SUMS beside the setup lacks: " + line)
    return finish("the setup and its %d DLLs, all loadable on Windows 95: %s; its version and checksum"
                  % (len(dlls), ", ".join(os.path.basename(dll) for dll in dlls)))


if __name__ == "__main__":
    audits = {(): check_resources, ("--imports",): audit_imports, ("--setup",): audit_setup}
    if len(sys.argv) < 2 or tuple(sys.argv[1:-1]) not in audits:
        sys.exit("usage: check_release.py [--imports | --setup] FILE")
    sys.exit(audits[tuple(sys.argv[1:-1])](sys.argv[-1]))
