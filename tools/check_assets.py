#!/usr/bin/env python3
"""Check the resource files in assets/ for the exact layouts VARNO.scr relies on.

    python3 tools/check_assets.py assets/

Exits with status 1 and one line per problem if anything is off; prints a
short summary otherwise.
"""

import os
import struct
import sys

# file name -> (width, height); every bitmap is an 8-bit, 256-colour BMP
BITMAPS = {'logo.bmp': (230, 110), 'logo_mask.bmp': (230, 110), 'dialog_image.bmp': (100, 66)}
BITMAPS.update({'picture_%d.bmp' % rid: size for rid, size in {
    105: (250, 148), 106: (250, 140), 107: (250, 210), 108: (300, 199), 109: (250, 152),
    110: (250, 188), 111: (250, 160), 112: (250, 168), 114: (250, 140), 115: (250, 168),
    116: (250, 148), 117: (332, 282), 118: (250, 139), 119: (250, 151), 120: (250, 165),
    121: (250, 172), 122: (250, 171), 123: (250, 170), 124: (250, 190), 125: (400, 358),
    126: (250, 171), 127: (240, 366), 128: (300, 204), 150: (340, 241)}.items()})

WAVE_LAYOUT = (b'RIFF', 18985, b'WAVE', b'fmt ', 16, 1, 1, 8000, 8000, 1, 8, b'data', 18949)
WAVE_SIZE = 18993
ICON_DIR = (0, 1, 1, 32, 32, 16, 0, 1, 4, 744, 22)
ICON_INFO = (40, 32, 64, 1, 4, 0, 640, 0, 0, 0, 0)
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
         (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
         (255, 0, 255), (0, 255, 255), (255, 255, 255)]


class Problems(list):
    def check(self, ok, name, what):
        if not ok:
            self.append('%s: %s' % (name, what))
        return ok


def read_bitmap(path, name, size, problems):
    """Validate one BMP; return its pixels as (r, g, b), top row first, or None."""
    w, h = size
    stride = (w + 3) // 4 * 4
    data = open(path, 'rb').read()
    expect = 14 + 40 + 1024 + stride * h
    if not problems.check(len(data) == expect, name, 'file is %d bytes, expected %d' % (len(data), expect)):
        return None
    head = struct.unpack_from('<2sIHHI', data, 0)
    problems.check(head == (b'BM', expect, 0, 0, 14 + 40 + 1024), name, 'file header %r' % (head,))
    info = struct.unpack_from('<IiiHHIIiiII', data, 14)
    if not problems.check(info == (40, w, h, 1, 8, 0, stride * h, 0, 0, 0, 0), name, 'info header %r' % (info,)):
        return None
    table = [struct.unpack_from('<BBBB', data, 54 + 4 * i) for i in range(256)]
    problems.check(all(e[3] == 0 for e in table), name, 'colour table entry with non-zero 4th byte')
    palette = [(r, g, b) for b, g, r, _ in table]
    pixels = []
    rows = 54 + 1024
    for y in range(h - 1, -1, -1):  # rows are stored bottom row first
        row = data[rows + y * stride:rows + (y + 1) * stride]
        if any(row[w:]):
            problems.check(False, name, 'non-zero row padding in stored row %d' % y)
        pixels.append([palette[i] for i in row[:w]])
    return [p for row in pixels for p in row]


def check_logo(logo, mask, problems):
    black, white = (0, 0, 0), (255, 255, 255)
    stray = sum(1 for p in mask if p not in (black, white))
    problems.check(stray == 0, 'logo_mask.bmp', '%d pixels neither pure black nor pure white' % stray)
    share = sum(1 for p in mask if p == black) / float(len(mask))
    problems.check(share > 0.5, 'logo_mask.bmp', 'opaque (black) area only %.0f%%' % (share * 100))
    w, h = BITMAPS['logo_mask.bmp']
    corners = [mask[0], mask[w - 1], mask[(h - 1) * w], mask[h * w - 1]]
    problems.check(corners == [white] * 4 and mask[(h // 2) * w + w // 2] == black,
                   'logo_mask.bmp', 'not an ellipse on a white surround')
    leaks = sum(1 for l, m in zip(logo, mask) if m == white and l != black)
    problems.check(leaks == 0, 'logo.bmp', '%d pixels not black where the mask is white' % leaks)
    problems.check(any(l != black for l, m in zip(logo, mask) if m == black), 'logo.bmp', 'emblem is empty')


def check_wave(path, problems):
    data = open(path, 'rb').read()
    name = 'chime.wav'
    if not problems.check(len(data) == WAVE_SIZE, name, 'file is %d bytes, expected %d' % (len(data), WAVE_SIZE)):
        return
    layout = struct.unpack_from('<4sI4s4sIHHIIHH4sI', data, 0)
    problems.check(layout == WAVE_LAYOUT, name, 'header %r' % (layout,))
    samples = data[44:]
    problems.check(0 not in samples and 255 not in samples, name, 'samples clip at 0 or 255')
    problems.check(max(samples) > 150 and min(samples) < 106, name, 'nearly silent')
    problems.check(all(abs(s - 128) <= 2 for s in samples[-200:]), name, 'does not fade out to silence')


def check_icon(path, problems):
    data = open(path, 'rb').read()
    name = 'varno.ico'
    if not problems.check(len(data) == 22 + 744, name, 'file is %d bytes, expected 766' % len(data)):
        return
    problems.check(struct.unpack_from('<HHHBBBBHHII', data, 0) == ICON_DIR, name, 'icon directory')
    problems.check(struct.unpack_from('<IiiHHIIiiII', data, 22) == ICON_INFO, name, 'info header')
    palette = [struct.unpack_from('<BBBB', data, 62 + 4 * i) for i in range(16)]
    problems.check([(r, g, b, z) for b, g, r, z in palette] == [c + (0,) for c in VGA16], name,
                   'colour table is not the standard 16 colours')
    xor, andm = data[126:126 + 512], data[638:638 + 128]
    transparent = [(andm[y * 4 + x // 8] >> (7 - x % 8)) & 1 for y in range(32) for x in range(32)]
    colour = [(xor[y * 16 + x // 2] >> (4 if x % 2 == 0 else 0)) & 15 for y in range(32) for x in range(32)]
    problems.check(0 < sum(transparent) < 1024, name, 'mask is all transparent or all opaque')
    problems.check(all(c == 0 for c, t in zip(colour, transparent) if t), name,
                   'transparent pixels must have colour 0')


def main(folder):
    problems = Problems()
    images = {}
    for name, size in sorted(BITMAPS.items()):
        path = os.path.join(folder, name)
        if problems.check(os.path.isfile(path), name, 'missing'):
            images[name] = read_bitmap(path, name, size, problems)
    for name, pixels in images.items():
        if pixels and name != 'logo_mask.bmp':
            problems.check(len(set(pixels)) >= 64, name, 'only %d colours used' % len(set(pixels)))
    if images.get('logo.bmp') and images.get('logo_mask.bmp'):
        check_logo(images['logo.bmp'], images['logo_mask.bmp'], problems)
    for name, check in (('chime.wav', check_wave), ('varno.ico', check_icon)):
        path = os.path.join(folder, name)
        if problems.check(os.path.isfile(path), name, 'missing'):
            check(path, problems)
    if problems:
        print('\n'.join(problems), file=sys.stderr)
        print('check_assets: %d problem(s)' % len(problems), file=sys.stderr)
        return 1
    print('check_assets: %d bitmaps, chime.wav and varno.ico are well-formed' % len(BITMAPS))
    return 0


if __name__ == '__main__':
    if len(sys.argv) != 2:
        sys.exit('usage: check_assets.py ASSETS_DIR')
    sys.exit(main(sys.argv[1]))
