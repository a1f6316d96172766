"""Previews for people (PNG), never loaded by the program."""

from .files import png_bytes
from .icon import VGA16, pixel_text


def preview_contact_sheet(pictures, dialog):
    """All pictures at full size, labelled with their resource numbers."""
    items = [(str(rid), img) for rid, img in pictures] + [('132', dialog)]
    margin, label, max_w = 12, 16, 1180
    rows, row, x = [], [], margin
    for item in items:
        if row and x + item[1].w + margin > max_w:
            rows.append(row)
            row, x = [], margin
        row.append(item)
        x += item[1].w + margin
    rows.append(row)
    height = margin + sum(label + max(img.h for _, img in r) + margin for r in rows)
    sheet = [(40, 40, 44)] * (max_w * height)
    y = margin
    for r in rows:
        x = margin
        for name, img in r:
            dots, _ = pixel_text(name)
            for dx, dy in dots:  # the label, drawn twice as large
                for sy in range(2):
                    for sx in range(2):
                        sheet[(y + dy * 2 + sy) * max_w + x + dx * 2 + sx] = (230, 230, 230)
            rgb = img.rgb()
            for iy in range(img.h):
                o = (y + label + iy) * max_w + x
                sheet[o:o + img.w] = rgb[iy * img.w:(iy + 1) * img.w]
            x += img.w + margin
        y += label + max(img.h for _, img in r) + margin
    return png_bytes(max_w, height, sheet)


def compose_logo(background, bw, bh, logo, mask, ox, oy):
    """dest = (dest AND mask) OR logo, channel by channel, as the screen saver draws it."""
    out = list(background)
    lrgb, mrgb = logo.rgb(), mask.rgb()
    for y in range(logo.h):
        for x in range(logo.w):
            i = (oy + y) * bw + ox + x
            l, m, d = lrgb[y * logo.w + x], mrgb[y * logo.w + x], out[i]
            out[i] = tuple((d[k] & m[k]) | l[k] for k in range(3))
    return out


def preview_icon(px):
    """The icon four times as large over a checkerboard, so transparency shows."""
    z = 4
    out = []
    for y in range(32 * z):
        for x in range(32 * z):
            p = px[(y // z) * 32 + x // z]
            out.append(VGA16[p] if p is not None else
                       ((200, 200, 200) if ((x // 8) + (y // 8)) % 2 else (150, 150, 150)))
    return png_bytes(32 * z, 32 * z, out)
