"""The emblem, an oval badge with the product name: the logo, its mask and the dialog picture."""

import math

import asset_catalog as catalog

from .canvas import Canvas
from .colour import Ramp, clamp01, hexc, mix, scale, screen, smooth
from .noise import Noise, profile
from .palette import Indexed, quantise
from .scenery import clouds_over, shade_by_slope


# Letters as strokes in a unit box (x right, y down); drawn with round pens.
def _arc(cx, cy, rx, ry, a0, a1, steps=10):
    return [(cx + rx * math.cos(a0 + (a1 - a0) * i / steps), cy + ry * math.sin(a0 + (a1 - a0) * i / steps))
            for i in range(steps + 1)]


STROKE_FONT = {
    'V': (1.0, [[(0, 0), (0.5, 1), (1, 0)]]),
    'A': (1.0, [[(0, 1), (0.5, 0), (1, 1)], [(0.22, 0.66), (0.78, 0.66)]]),
    'R': (0.92, [[(0, 1), (0, 0), (0.55, 0)] + _arc(0.55, 0.26, 0.43, 0.26, -math.pi / 2, math.pi / 2)
                 + [(0, 0.52)], [(0.5, 0.52), (1, 1)]]),
    'N': (1.0, [[(0, 1), (0, 0), (1, 1), (1, 0)]]),
    'O': (1.08, [_arc(0.5, 0.5, 0.5, 0.5, 0, 2 * math.pi, 28)]),
}


# Pairs whose open sides face each other sit closer (fraction of a letter width).
KERNING = {'VA': -0.3, 'AV': -0.3}


def text_segments(text, cx, cy, height, gap):
    """Line segments (in pixels) of `text` set in STROKE_FONT, centred on (cx, cy)."""
    width = height * 0.66
    kern = [KERNING.get(text[i - 1:i + 1], 0.0) * width if i else 0.0 for i in range(len(text))]
    total = sum(STROKE_FONT[ch][0] * width for ch in text) + gap * (len(text) - 1) + sum(kern)
    x = cx - total / 2.0
    letters = []
    for k, ch in enumerate(text):
        x += kern[k]
        adv, strokes = STROKE_FONT[ch]
        segs = []
        for pts in strokes:
            p = [(x + px * width * adv, cy - height / 2.0 + py * height) for px, py in pts]
            segs += list(zip(p, p[1:]))
        letters.append(segs)
        x += adv * width + gap
    return letters


def seg_distance(px, py, segs):
    best = 1e9
    for (ax, ay), (bx, by) in segs:
        dx, dy = bx - ax, by - ay
        t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy or 1e-9)
        t = 0.0 if t < 0 else 1.0 if t > 1 else t
        d = math.hypot(px - ax - dx * t, py - ay - dy * t)
        if d < best:
            best = d
    return best


def emblem(w, h, cx, cy, rx, ry):
    """Coverage and colour of the badge on a w x h frame.

    From the edge inwards: a dark outline (so the edge reads on any
    background), a bevelled gold rim, a thin dark line, then a deep blue
    field with a soft sheen, and the name in light, gold-tinted letters.
    """
    s = ry / 53.0  # everything is designed at the logo's size and scaled from it
    cover = [0.0] * (w * h)
    colour = [(0.0, 0.0, 0.0)] * (w * h)
    gold_dark, gold_light = hexc('#7a4a08'), hexc('#fff0b0')
    field_in, field_out = hexc('#3f7cf0'), hexc('#0d1450')
    for y in range(h):
        for x in range(w):
            u, t = x + 0.5 - cx, y + 0.5 - cy
            f = (u / rx) ** 2 + (t / ry) ** 2 - 1.0
            g = 2.0 * math.hypot(u / (rx * rx), t / (ry * ry)) or 1e-9
            inside = -f / g  # distance from the edge in pixels, positive inside
            if inside < -1.0:
                continue
            i = y * w + x
            cover[i] = clamp01(inside + 0.5)
            ang = math.atan2(t / ry, u / rx)
            facing = 0.5 + 0.5 * math.cos(ang + 0.75 * math.pi)  # 1 towards the upper left
            if inside < 2.0 * s:
                col = hexc('#0a0f28')
            elif inside < 7.5 * s:
                bevel = math.sin(math.pi * (inside - 2.0 * s) / (5.5 * s))
                k = clamp01(0.15 + 0.6 * facing + 0.35 * bevel * (0.4 + facing))
                col = mix(gold_dark, gold_light, k)
            elif inside < 9.0 * s:
                col = hexc('#2a1a08')
            else:
                r = math.hypot(u / rx, t / ry)
                col = mix(field_in, field_out, clamp01(r) ** 1.6)
                # a ribbon of lighter blue sweeping across the field
                wave = cy + ry * 0.55 * math.sin(u / rx * 2.6 + 0.6)
                col = screen(col, (90, 200, 255), 0.35 * math.exp(-((y + 0.5 - wave) / (7.0 * s)) ** 2))
                # gloss on the upper half
                gl = ((u / (rx * 0.82)) ** 2 + ((t + ry * 0.42) / (ry * 0.5)) ** 2)
                col = screen(col, (255, 255, 255), 0.28 * smooth(1.0, 0.2, gl) * smooth(ry * 0.2, -ry * 0.6, t))
            colour[i] = col

    # the name, with a drop shadow and a thin dark outline
    height = 36.0 * s
    pen = 3.6 * s
    letters = text_segments('VARNO', cx, cy + 1.0 * s, height, 11.0 * s)
    sh = (1.6 * s, 2.2 * s)
    for segs in letters:
        xs = [p[0] for sg in segs for p in sg]
        ys = [p[1] for sg in segs for p in sg]
        for y in range(max(0, int(min(ys) - pen - 4)), min(h, int(max(ys) + pen + 6))):
            for x in range(max(0, int(min(xs) - pen - 4)), min(w, int(max(xs) + pen + 6))):
                i = y * w + x
                if cover[i] <= 0:
                    continue
                px, py = x + 0.5, y + 0.5
                d = seg_distance(px, py, segs)
                ds = seg_distance(px - sh[0], py - sh[1], segs)
                col = colour[i]
                col = mix(col, (0, 0, 20), 0.55 * clamp01(pen + 1.0 * s - ds + 0.5))
                col = mix(col, hexc('#101840'), clamp01(pen + 1.1 * s - d + 0.5))
                fill = clamp01(pen - d + 0.5)
                if fill:
                    v = clamp01((py - (cy - height / 2)) / height)
                    ink = mix((255, 255, 250), hexc('#ffc844'), smooth(0.35, 1.0, v))
                    col = mix(col, ink, fill)
                colour[i] = col
    # two small four-pointed sparkles on the field
    for fx, fy, size in ((0.6, -0.62, 7.0), (-0.55, 0.8, 5.0)):
        sx, sy = cx + fx * rx * 0.8, cy + fy * ry * 0.8
        r = size * s * 1.6
        for y in range(max(0, int(sy - r)), min(h, int(sy + r) + 1)):
            for x in range(max(0, int(sx - r)), min(w, int(sx + r) + 1)):
                dx, dy = abs(x + 0.5 - sx), abs(y + 0.5 - sy)
                k = clamp01(1.3 - (dx * dy) ** 0.5 / (0.22 * size * s) - math.hypot(dx, dy) / r)
                i = y * w + x
                if k > 0 and cover[i] > 0:
                    colour[i] = screen(colour[i], (255, 255, 255), k)
    return cover, colour


LOGO_W, LOGO_H = catalog.LOGO.width, catalog.LOGO.height
LOGO_RX, LOGO_RY = 113.0, 53.0  # the ellipse nearly fills the frame


def logo_and_mask():
    """The logo and its mask.

    The mask is hard-edged (only black and white) so that drawing with
    dest = (dest AND mask) OR logo never mixes colour bits; the logo is
    exactly black wherever the mask is white.
    """
    w, h = LOGO_W, LOGO_H
    cx, cy = w / 2.0, h / 2.0
    opaque = [((x + 0.5 - cx) / LOGO_RX) ** 2 + ((y + 0.5 - cy) / LOGO_RY) ** 2 <= 1.0
              for y in range(h) for x in range(w)]
    _, colour = emblem(w, h, cx, cy, LOGO_RX, LOGO_RY)
    c = Canvas(w, h)
    c.px = [col if inside else (0.0, 0.0, 0.0) for col, inside in zip(colour, opaque)]
    outside = {i: 0 for i, inside in enumerate(opaque) if not inside}
    logo = quantise(c, reserved=[(0, 0, 0)], fixed=outside)
    mask_palette = [(0, 0, 0), (255, 255, 255)] + [(0, 0, 0)] * 254
    mask = Indexed(w, h, mask_palette, [0 if inside else 1 for inside in opaque])
    return logo, mask


def dialog_picture(w, h, seed):
    """The settings dialog's picture: the emblem floating over a little landscape."""
    n = Noise(seed)
    sky = Ramp([(0, '#2a5fb8'), (1, '#bcd9f0')])
    hills = profile(n, w, h * 0.72, h * 0.08, 0.03, 4, phase=3)
    near = profile(n, w, h * 0.88, h * 0.06, 0.02, 4, phase=8)

    def fn(x, y):
        col = clouds_over(sky(y / (h * 0.75)), n, x, y, 1 / 25.0, 1 / 12.0, 0.55, 0.7, (190, 200, 220))
        for prof, base in ((hills, hexc('#4f8f3a')), (near, hexc('#8fc04a'))):
            cov = clamp01(y + 1 - prof[x])
            if cov:
                col = mix(col, scale(base, shade_by_slope(prof, x, y - prof[x], 0.1, 4) *
                                     (0.9 + 0.2 * n.fbm(x * 0.2, y * 0.3, 2))), cov)
        return col

    c = Canvas.painted(w, h, fn)
    cover, colour = emblem(w, h, w * 0.5, h * 0.4, w * 0.41, h * 0.28)
    for i in range(w * h):
        if cover[i] > 0:
            c.px[i] = mix(c.px[i], colour[i], cover[i])
    return c
