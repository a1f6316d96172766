#!/usr/bin/env python3
"""Checks a built VARNO.scr:  check_release.py FILE  (resources)  or  check_release.py --imports FILE

Resources: exactly the catalogued ones, once each and in German; bitmaps, mask rule, sound and icon
as check_assets.py holds the files; the name string, the version and the settings dialog template.
Imports: only functions of the system DLLs that the saver's own code calls, all exported by Windows
95 and NT 4. An allow-list proves more than a deny-list: any new import has to be looked at here.
"""
import struct
import sys

import asset_catalog as catalog
from check_assets import check, check_bitmaps, check_icon, check_wave, finish
from check_formats import read_imports, read_resources

RT_BITMAP, RT_ICON, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_VERSION = 2, 3, 5, 6, 14, 16
ALLOWED = {dll: set(names.split()) for dll, names in {
    "KERNEL32.DLL": """ExitProcess FormatMessageA FreeLibrary GetCommandLineA GetLastError
        GetModuleHandleA GetPrivateProfileIntA GetProcAddress GetStartupInfoA GetSystemTimeAsFileTime GetTickCount
        GetVersionExA GetWindowsDirectoryA LoadLibraryA Sleep UnhandledExceptionFilter
        WritePrivateProfileStringA""",
    "USER32.DLL": """CharNextA CreateWindowExA DefWindowProcA DialogBoxParamA DispatchMessageA EndDialog
        FillRect FindWindowA GetClientRect GetCursorPos GetDC GetForegroundWindow GetMessageA GetParent
        GetSystemMetrics IsWindow KillTimer LoadBitmapA LoadIconA MessageBoxA PeekMessageA PostMessageA PostQuitMessage
        RegisterClassA ReleaseDC SendDlgItemMessageA SendMessageA SetCursor SetForegroundWindow SetTimer
        SystemParametersInfoA TranslateMessage""",
    "GDI32.DLL": """BitBlt CreateCompatibleBitmap CreateCompatibleDC DeleteObject GetObjectA GetStockObject
        SelectObject""",
    "ADVAPI32.DLL": "RegCloseKey RegOpenKeyA RegQueryValueExA",
    "WINMM.DLL": "PlaySoundA"}.items()}

BUTTON, STATIC = 0x80, 0x82
# The settings dialog, 2003: (id, class, text or bitmap id, style, x, y, cx, cy); None: our own wording.
DIALOG_CONTROLS = [
    (1000, BUTTON, "OK", 0x50010001, 179, 121, 50, 14),
    (0xFFFF, STATIC, None, 0x50020000, None, None, None, None),
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
    # No menu, the standard class, the title, then 8-point MS Sans Serif.
    look = "\0\0Hi There !\0\x08MS Sans Serif\0".encode("utf-16-le")
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


def check_resources(data):
    resources = read_resources(data)
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


def audit_imports(data):
    imports, refused = read_imports(data), []
    for dll, names in sorted(imports.items()):
        refused += ["%s!%s" % (dll, name) for name in sorted(names) if name not in ALLOWED.get(dll, ())]
        print("%s (%d): %s" % (dll, len(names), ", ".join(sorted(names))))
    stale = ["%s!%s" % (dll, name) for dll in sorted(ALLOWED)
             for name in sorted(ALLOWED[dll] - set(imports.get(dll, ())))]
    if refused:
        print("FAILED: %d imports outside the allow-list: %s" % (len(refused), ", ".join(refused)))
    if stale:
        print("FAILED: allowed but not imported, take off the allow-list: " + ", ".join(stale))
    if refused or stale:
        return 1
    count = sum(map(len, imports.values()))
    print("OK: %d imports from %d DLLs, all in the allow-list" % (count, len(imports)))
    return 0


if __name__ == "__main__":
    arguments = [argument for argument in sys.argv[1:] if argument != "--imports"]
    if len(arguments) != 1:
        sys.exit("usage: check_release.py [--imports] FILE")
    with open(arguments[0], "rb") as f:
        data = f.read()
    sys.exit(audit_imports(data) if "--imports" in sys.argv else check_resources(data))
