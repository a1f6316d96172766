#!/usr/bin/env python3
"""Checks the resources carried by a built VARNO.scr against the catalog.

Reads the PE resource tree with the standard library only and fails on any
difference: identifiers, language, bitmap headers and sizes, the mask rule, the
WAVE layout, the icon, the string and version resources and dialog template 2003.
"""
import struct
import sys

GERMAN = 1031
RT_ICON, RT_BITMAP, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_VERSION = 3, 2, 5, 6, 14, 16

BITMAP_SIZES = {
    104: (230, 110), 130: (230, 110), 132: (100, 66),
    105: (250, 148), 106: (250, 140), 107: (250, 210), 108: (300, 199), 109: (250, 152),
    110: (250, 188), 111: (250, 160), 112: (250, 168), 114: (250, 140), 115: (250, 168),
    116: (250, 148), 117: (332, 282), 118: (250, 139), 119: (250, 151), 120: (250, 165),
    121: (250, 172), 122: (250, 171), 123: (250, 170), 124: (250, 190), 125: (400, 358),
    126: (250, 171), 127: (240, 366), 128: (300, 204), 150: (340, 241),
}

BUTTON, STATIC = 0x80, 0x82
# (id, class, text or bitmap ordinal, style, x, y, cx, cy); None: our own wording.
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

problems = []


def check(condition, message):
    if not condition:
        problems.append(message)
    return condition


def read_resources(data):
    """Returns {(type, name): [(language, bytes)]}; string types and names as str."""
    return {key: [(language, data[start:start + size]) for language, start, size, _ in found]
            for key, found in resource_places(data).items()}


def resource_places(data):
    """Returns {(type, name): [(language, file offset, size, offset of the type's name)]};
    the last is None for a numbered type."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections_count = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    pe32plus = struct.unpack_from("<H", data, optional)[0] == 0x20B
    directories = optional + (112 if pe32plus else 96)
    rsrc_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    sections = []
    for i in range(sections_count):
        vsize, vaddr, rsize, raddr = struct.unpack_from("<IIII", data, optional + optional_size + 40 * i + 8)
        sections.append((vaddr, max(vsize, rsize), raddr))

    def offset(rva):
        for vaddr, size, raddr in sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + raddr
        raise ValueError("RVA %#x outside every section" % rva)

    base = offset(rsrc_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", data, base + directory + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", data, base + directory + 16 + 8 * i)
            name_is_string, at = bool(name & 0x80000000), None
            if name_is_string:
                at = base + (name & 0x7FFFFFFF)
                length = struct.unpack_from("<H", data, at)[0]
                name = data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            yield name, target, at

    resources = {}
    for rtype, types, type_name_at in entries(0):
        for name, names, _ in entries(types & 0x7FFFFFFF):
            for language, leaf, _ in entries(names & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", data, base + leaf)
                resources.setdefault((rtype, name), []).append(
                    (language, offset(rva), size, type_name_at))
    return resources


def one(resources, rtype, name):
    found = resources.get((rtype, name), [])
    if not check(len(found) == 1, "%s %s: %d copies" % (rtype, name, len(found))):
        return None
    language, payload = found[0]
    check(language == GERMAN, "%s %s: language %d" % (rtype, name, language))
    return payload


def bitmap_pixels(dib):
    """Pixels as (r, g, b) rows, top row first."""
    width, height = struct.unpack_from("<ii", dib, 4)
    stride = (width + 3) // 4 * 4
    table = [tuple(dib[40 + 4 * i + j] for j in (2, 1, 0)) for i in range(256)]
    rows = []
    for y in range(height):
        start = 40 + 1024 + (height - 1 - y) * stride
        rows.append([table[i] for i in dib[start:start + width]])
    return rows


def check_bitmaps(resources):
    for ident, (width, height) in sorted(BITMAP_SIZES.items()):
        dib = one(resources, RT_BITMAP, ident)
        if dib is None:
            continue
        stride = (width + 3) // 4 * 4
        header = struct.unpack_from("<IiiHHIIiiII", dib, 0)
        expected = (40, width, height, 1, 8, 0, stride * height, 0, 0, 0, 0)
        check(header == expected, "bitmap %d: header %s, expected %s" % (ident, header, expected))
        check(len(dib) == 40 + 1024 + stride * height,
              "bitmap %d: %d bytes, expected %d" % (ident, len(dib), 40 + 1024 + stride * height))
        check(all(dib[40 + 4 * i + 3] == 0 for i in range(256)), "bitmap %d: colour table" % ident)
    check((RT_BITMAP, 113) not in resources, "bitmap 113 must not exist")
    check(len([k for k in resources if k[0] == RT_BITMAP]) == 27, "exactly 27 bitmaps")
    logo = one(resources, RT_BITMAP, 104)
    mask = one(resources, RT_BITMAP, 130)
    if logo and mask:
        black, white = (0, 0, 0), (255, 255, 255)
        mask_rows, logo_rows = bitmap_pixels(mask), bitmap_pixels(logo)
        for y, (mask_row, logo_row) in enumerate(zip(mask_rows, logo_rows)):
            for x, (m, p) in enumerate(zip(mask_row, logo_row)):
                if not check(m in (black, white), "mask pixel %d,%d is %s" % (x, y, m)):
                    return
                if not check(m == black or p == black, "logo not black at %d,%d under white mask" % (x, y)):
                    return
        opaque = sum(row.count(black) for row in mask_rows)
        check(opaque > 230 * 110 // 2, "the mask's opaque ellipse covers %d pixels" % opaque)


def check_wave(resources):
    wave = one(resources, "WAVE", 137)
    if wave is None:
        return
    check(len(wave) == 18993, "WAVE 137: %d bytes" % len(wave))
    riff = struct.unpack_from("<4sI4s4sIHHIIHH4sI", wave, 0)
    expected = (b"RIFF", 18985, b"WAVE", b"fmt ", 16, 1, 1, 8000, 8000, 1, 8, b"data", 18949)
    check(riff == expected, "WAVE 137 layout %s, expected %s" % (riff, expected))
    samples = wave[44:]
    check(len(samples) == 18949 and min(samples) > 0 and max(samples) < 255, "WAVE 137 clips")


def check_icon(resources):
    group = one(resources, RT_GROUP_ICON, 100)
    if group is None:
        return
    check(len([k for k in resources if k[0] == RT_GROUP_ICON]) == 1, "one icon group")
    head = struct.unpack_from("<HHH", group, 0)
    check(head == (0, 1, 1), "icon group header %s" % (head,))
    entry = struct.unpack_from("<BBBBHHIH", group, 6)
    check(entry == (32, 32, 16, 0, 1, 4, 744, 1), "icon group entry %s" % (entry,))
    icon = one(resources, RT_ICON, 1)
    if icon is not None:
        check(len(icon) == 744, "icon 1: %d bytes" % len(icon))
        header = struct.unpack_from("<IiiHH", icon, 0)
        check(header == (40, 32, 64, 1, 4), "icon 1 header %s" % (header,))


def check_strings_and_version(resources):
    block = one(resources, RT_STRING, 1)  # strings 0 to 15
    if block is not None:
        at, strings = 0, []
        for _ in range(16):
            length = struct.unpack_from("<H", block, at)[0]
            strings.append(block[at + 2:at + 2 + 2 * length].decode("utf-16-le"))
            at += 2 + 2 * length
        check(strings[1] == "VARNO", "string 1 is %r" % strings[1])
    version = one(resources, RT_VERSION, 1)
    if version is not None:
        text = version.decode("utf-16-le", "ignore")
        for key in ("ProductName", "FileDescription", "FileVersion"):
            check(key in text, "version resource lacks %s" % key)
        check(struct.unpack_from("<I", version, 40)[0] == 0xFEEF04BD, "version signature")


def read_text(template, at):
    """A dialog template field: an ordinal or a NUL-terminated UTF-16 string."""
    first = struct.unpack_from("<H", template, at)[0]
    if first == 0xFFFF:
        return struct.unpack_from("<H", template, at + 2)[0], at + 4
    end = at
    while struct.unpack_from("<H", template, end)[0] != 0:
        end += 2
    return template[at:end].decode("utf-16-le"), end + 2


def check_dialog(resources):
    template = one(resources, RT_DIALOG, 2003)
    if template is None:
        return
    style, exstyle, count, x, y, cx, cy = struct.unpack_from("<IIHhhhh", template, 0)
    check((style, exstyle, count, x, y, cx, cy) == (0x80C800C0, 0, 11, 0, 0, 243, 149),
          "dialog header %s" % ((hex(style), exstyle, count, x, y, cx, cy),))
    at = 18
    menu, at = read_text(template, at)
    window_class, at = read_text(template, at)
    title, at = read_text(template, at)
    check(menu == "" and window_class == "", "dialog menu %r class %r" % (menu, window_class))
    check(title == "Hi There !", "dialog title %r" % title)
    point_size = struct.unpack_from("<H", template, at)[0]
    font, at = read_text(template, at + 2)
    check((point_size, font) == (8, "MS Sans Serif"), "dialog font %s %r" % (point_size, font))
    for index, expected in enumerate(DIALOG_CONTROLS):
        at = (at + 3) & ~3
        style, exstyle, x, y, cx, cy, ident = struct.unpack_from("<IIhhhhH", template, at)
        control_class, at = read_text(template, at + 18)
        text, at = read_text(template, at)
        extra = struct.unpack_from("<H", template, at)[0]
        at += 2 + extra
        actual = (ident, control_class, text, style, x, y, cx, cy)
        for field, (want, got) in enumerate(zip(expected, actual)):
            if want is not None:
                check(want == got, "control %d field %d: %r, expected %r" % (index + 1, field, got, want))
        check(exstyle == 0, "control %d extended style %#x" % (index + 1, exstyle))
        if expected[2] is None:
            check(isinstance(text, str) and text, "control %d needs its own text" % (index + 1))
            if expected[4] is None:  # the version line and notice: above the author line
                check(x >= 7 and y >= 7 and x + cx <= 166 and y + cy <= 33,
                      "control %d at %s leaves the free space" % (index + 1, (x, y, cx, cy)))
    return


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: check_resources.py VARNO.scr")
    with open(sys.argv[1], "rb") as f:
        resources = read_resources(f.read())
    for (rtype, name), copies in sorted(resources.items(), key=str):
        for language, payload in copies:
            print("%-6s %-5s language %d, %6d bytes" % (rtype, name, language, len(payload)))
    check_bitmaps(resources)
    check_wave(resources)
    check_icon(resources)
    check_strings_and_version(resources)
    check_dialog(resources)
    for key, copies in resources.items():
        for language, _ in copies:
            check(language == GERMAN, "%s %s: language %d" % (key[0], key[1], language))
    if problems:
        print("FAILED:\n  " + "\n  ".join(problems))
        return 1
    print("OK: %d resources as catalogued" % sum(map(len, resources.values())))
    return 0


if __name__ == "__main__":
    sys.exit(main())
