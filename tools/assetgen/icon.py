"""The icon: 32 x 32 pixels in the 16 standard colours, with a transparency mask."""

import math


VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
         (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
         (255, 0, 255), (0, 255, 255), (255, 255, 255)]

# 3x5 capitals for the icon (and digits for the preview labels)
PIXEL_FONT = {
    'V': ['101', '101', '101', '101', '010'], 'A': ['010', '101', '111', '101', '101'],
    'R': ['110', '101', '110', '101', '101'], 'N': ['1001', '1101', '1011', '1001', '1001'],
    'O': ['010', '101', '101', '101', '010'],
    '0': ['111', '101', '101', '101', '111'], '1': ['010', '110', '010', '010', '111'],
    '2': ['111', '001', '111', '100', '111'], '3': ['111', '001', '011', '001', '111'],
    '4': ['101', '101', '111', '001', '001'], '5': ['111', '100', '111', '001', '111'],
    '6': ['111', '100', '111', '101', '111'], '7': ['111', '001', '010', '010', '010'],
    '8': ['111', '101', '111', '101', '111'], '9': ['111', '101', '111', '001', '111'],
}


def pixel_text(text):
    """(x, y) of the set pixels of text in PIXEL_FONT, one blank column between glyphs."""
    out, x = [], 0
    for ch in text:
        rows = PIXEL_FONT[ch]
        for y, row in enumerate(rows):
            out += [(x + i, y) for i, bit in enumerate(row) if bit == '1']
        x += len(rows[0]) + 1
    return out, x - 1


def icon_pixels():
    """Palette indices (None = transparent) of the 32 x 32 icon, top row first."""
    size = 32
    cx, cy, rx, ry = 16.0, 16.5, 15.6, 10.6
    px = [None] * (size * size)
    for y in range(size):
        for x in range(size):
            u, t = x + 0.5 - cx, y + 0.5 - cy
            f = (u / rx) ** 2 + (t / ry) ** 2 - 1.0
            if f > 0:
                continue
            inside = -f / (2.0 * math.hypot(u / (rx * rx), t / (ry * ry)) or 1e-9)
            if inside < 1.0:
                px[y * size + x] = 0  # dark outline so the badge holds on light desktops
            elif inside < 2.6:
                px[y * size + x] = 11 if t < 2.0 else 3  # gold rim, lit from above
            elif t < -3.0 and inside > 3.2:
                px[y * size + x] = 12  # sheen on the upper field
            else:
                px[y * size + x] = 4
    dots, width = pixel_text('VARNO')
    x0 = int(cx - width / 2.0 + 0.5)
    for dx, dy in dots:
        px[(14 + dy) * size + x0 + dx] = 15
    return px
