#!/usr/bin/env python3
"""Checks the files in assets/ against the asset catalog:  python3 tools/check_assets.py assets/

Each bitmap an 8-bit BMP of its catalogued size, laid out as the resource compiler stores it;
the logo and its mask obeying the mask rule; the sound and the icon in their exact layouts.
check_release.py holds the executable's resources to the same checks.
"""
import pathlib
import struct
import sys

import asset_catalog as catalog
from check_formats import read_dib

BLACK, WHITE = b"\0\0\0", b"\xff\xff\xff"
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
         (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
         (255, 0, 255), (0, 255, 255), (255, 255, 255)]
problems = []


def check(ok, message):
    if not ok:
        problems.append(message)
    return ok


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
        pixels[bitmap.ident] = [row[i:i + 3] for row in read_dib(dib)[2] for i in range(0, 3 * width, 3)]
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


def main(folder):
    files = {path.name: path.read_bytes() for path in pathlib.Path(folder).iterdir() if path.is_file()}
    dibs = {}
    for bitmap in [bitmap for bitmap in catalog.BITMAPS if bitmap.file in files]:
        bmp = files[bitmap.file]
        header = struct.unpack_from("<2sIHHI", bmp)
        check(header == (b"BM", len(bmp), 0, 0, 1078), "%s: file header %s" % (bitmap.file, header))
        dibs[bitmap.ident] = bmp[14:]
    check_bitmaps(dibs)
    sound, icon = catalog.SOUND.file, catalog.ICON.file
    check_wave(sound, files.get(sound, b""))
    ico = files.get(icon, b"")
    if check(len(ico) == 22 + 744 and ico[18:22] == struct.pack("<I", 22),
             icon + ": not one image behind its directory"):
        check_icon(icon, ico[:18], ico[22:])
    return finish("%d bitmaps, %s and %s as catalogued" % (len(catalog.BITMAPS), sound, icon))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: check_assets.py ASSETS_DIR")
    sys.exit(main(sys.argv[1]))
