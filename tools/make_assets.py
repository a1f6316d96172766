#!/usr/bin/env python3
"""Generate every image and the sound that VARNO.scr carries as resources.

    python3 tools/make_assets.py            (from the repository root)

Writes into assets/: logo.bmp, logo_mask.bmp, picture_<id>.bmp (24 of them),
dialog_image.bmp, chime.wav, varno.ico, and PNG previews in assets/preview/.

Everything is drawn from code with plain Python (no third-party modules, no
third-party images or sounds). All randomness comes from fixed seeds, so every
run writes the same bytes.
"""

import math
import os
import random
import struct
import sys
import zlib

import asset_catalog as catalog

# ---------------------------------------------------------------------------
# Small maths helpers
# ---------------------------------------------------------------------------


def clamp01(t):
    return 0.0 if t < 0.0 else 1.0 if t > 1.0 else t


def smooth(e0, e1, x):
    """Hermite step from 0 at e0 to 1 at e1."""
    t = clamp01((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


def hexc(s):
    return (int(s[1:3], 16), int(s[3:5], 16), int(s[5:7], 16))


def mix(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


def scale(c, k):
    return (c[0] * k, c[1] * k, c[2] * k)


def add(a, b, k=1.0):
    return (a[0] + b[0] * k, a[1] + b[1] * k, a[2] + b[2] * k)


def screen(a, b, k=1.0):
    """Photographic 'screen' blend: brightens without hard clipping."""
    return tuple(x + (255.0 - x) * (y / 255.0) * k for x, y in zip(a, b))


class Ramp:
    """Piecewise-linear colour ramp; stops are (position, '#rrggbb')."""

    def __init__(self, stops):
        self.pos = [p for p, _ in stops]
        self.col = [hexc(c) if isinstance(c, str) else c for _, c in stops]

    def __call__(self, t):
        pos, col = self.pos, self.col
        if t <= pos[0]:
            return col[0]
        for i in range(1, len(pos)):
            if t <= pos[i]:
                return mix(col[i - 1], col[i], (t - pos[i - 1]) / (pos[i] - pos[i - 1]))
        return col[-1]


def unit_random(seed):
    """A Random whose only use is .random(): its sequence is fixed for an int seed."""
    return random.Random(seed)


# ---------------------------------------------------------------------------
# Value noise
# ---------------------------------------------------------------------------


class Noise:
    """2-D value noise on a lattice of period 256, with fractal sums.

    Each octave is rotated and shifted so the lattice never lines up between
    octaves (plain value noise otherwise shows horizontal/vertical streaks).
    """

    ROT = [(math.cos(a), math.sin(a)) for a in (0.0, 0.55, 1.27, 2.09, 2.71, 3.6, 4.3, 5.1)]

    def __init__(self, seed):
        rng = unit_random(seed)
        perm = list(range(256))
        for i in range(255, 0, -1):
            j = int(rng.random() * (i + 1))
            perm[i], perm[j] = perm[j], perm[i]
        self.perm = perm + perm
        self.vals = [rng.random() for _ in range(256)]

    def value(self, x, y):
        xf = math.floor(x)
        yf = math.floor(y)
        fx = x - xf
        fy = y - yf
        xi = int(xf) & 255
        yi = int(yf) & 255
        p = self.perm
        v = self.vals
        a = p[xi] + yi
        b = p[xi + 1] + yi
        u = fx * fx * (3.0 - 2.0 * fx)
        w = fy * fy * (3.0 - 2.0 * fy)
        v00 = v[p[a]]
        v10 = v[p[b]]
        top = v00 + (v10 - v00) * u
        v01 = v[p[a + 1]]
        v11 = v[p[b + 1]]
        bot = v01 + (v11 - v01) * u
        return top + (bot - top) * w

    def fbm(self, x, y, octaves=5, gain=0.5):
        """Fractal sum in 0..1 (mostly 0.2..0.8)."""
        total = 0.0
        amp = 1.0
        norm = 0.0
        value = self.value
        rot = self.ROT
        for o in range(octaves):
            c, s = rot[o]
            total += amp * value(x * c - y * s + o * 31.7, x * s + y * c + o * 17.3)
            norm += amp
            amp *= gain
            x *= 2.0
            y *= 2.0
        return total / norm

    def ridged(self, x, y, octaves=5):
        """Sharp-crested fractal (mountain ridges), 0..1."""
        total = 0.0
        amp = 1.0
        norm = 0.0
        value = self.value
        rot = self.ROT
        for o in range(octaves):
            c, s = rot[o]
            r = 1.0 - abs(2.0 * value(x * c - y * s + o * 31.7, x * s + y * c + o * 17.3) - 1.0)
            total += amp * r * r
            norm += amp
            amp *= 0.5
            x *= 2.0
            y *= 2.0
        return total / norm


def profile(noise, w, base, amp, freq, octaves=5, phase=0.0, ridged=False):
    """Skyline heights (y of the top edge) for each column: base +- amp."""
    f = noise.ridged if ridged else noise.fbm
    return [base - amp * (2.0 * f(x * freq + phase, phase * 0.37 + 5.5, octaves) - 1.0)
            for x in range(w)]


# ---------------------------------------------------------------------------
# Canvas: a float RGB image plus antialiased shapes
# ---------------------------------------------------------------------------


class Canvas:
    def __init__(self, w, h, fill=(0.0, 0.0, 0.0)):
        self.w = w
        self.h = h
        self.px = [fill] * (w * h)

    def paint(self, fn):
        """Set every pixel to fn(x, y)."""
        w = self.w
        px = self.px
        for y in range(self.h):
            row = y * w
            for x in range(w):
                px[row + x] = fn(x, y)

    def get(self, x, y):
        x = 0 if x < 0 else self.w - 1 if x >= self.w else int(x)
        y = 0 if y < 0 else self.h - 1 if y >= self.h else int(y)
        return self.px[y * self.w + x]

    def blend(self, x, y, colour, a):
        if 0 <= x < self.w and 0 <= y < self.h and a > 0.0:
            i = y * self.w + x
            if a >= 1.0:
                self.px[i] = colour
            else:
                self.px[i] = mix(self.px[i], colour, a)

    def apply(self, mask, colour):
        """Blend colour (tuple or fn(x, y, old)) wherever mask has coverage."""
        w = self.w
        px = self.px
        a = mask.a
        call = callable(colour)
        for i in range(w * self.h):
            m = a[i]
            if m > 0.0:
                c = colour(i % w, i // w, px[i]) if call else colour
                px[i] = c if m >= 1.0 else mix(px[i], c, m)

    def disc(self, cx, cy, r, colour, alpha=1.0):
        for y in range(max(0, int(cy - r - 1)), min(self.h, int(cy + r + 2))):
            for x in range(max(0, int(cx - r - 1)), min(self.w, int(cx + r + 2))):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                a = clamp01(r - d + 0.5) * alpha
                if a > 0.0:
                    c = colour(x, y) if callable(colour) else colour
                    self.blend(x, y, c, a)

    def glow(self, cx, cy, r, colour, k=1.0):
        """Soft additive light (gaussian fall-off) around a point."""
        rr = r * 3.0
        for y in range(max(0, int(cy - rr)), min(self.h, int(cy + rr) + 1)):
            for x in range(max(0, int(cx - rr)), min(self.w, int(cx + rr) + 1)):
                d2 = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) / (r * r)
                if d2 < 9.0:
                    i = y * self.w + x
                    self.px[i] = screen(self.px[i], colour, k * math.exp(-d2))


class Mask:
    """Coverage 0..1 per pixel; shapes combine by maximum so overlaps don't darken."""

    def __init__(self, w, h):
        self.w = w
        self.h = h
        self.a = [0.0] * (w * h)

    def put(self, x, y, v):
        if 0 <= x < self.w and 0 <= y < self.h:
            i = y * self.w + x
            if v > self.a[i]:
                self.a[i] = v

    def span(self, y, x0, x1, v=1.0):
        """Horizontal run with fractional coverage at both ends."""
        if y < 0 or y >= self.h or x1 <= x0:
            return
        row = y * self.w
        a = self.a
        for ix in range(max(0, int(math.floor(x0))), min(self.w - 1, int(math.floor(x1))) + 1):
            cov = (min(ix + 1.0, x1) - max(float(ix), x0)) * v
            if cov > a[row + ix]:
                a[row + ix] = cov

    def shape(self, y0, y1, halfwidth, cx):
        """Symmetric shape: for each row, halfwidth(y_centre) or None."""
        for y in range(max(0, int(y0)), min(self.h, int(math.ceil(y1)))):
            # vertical antialiasing: weight the row by how much of it lies in [y0, y1]
            v = min(y + 1.0, y1) - max(float(y), y0)
            hw = halfwidth(y + 0.5)
            if hw is not None and hw > 0 and v > 0:
                c = cx(y + 0.5) if callable(cx) else cx
                self.span(y, c - hw, c + hw, v)

    def ellipse(self, cx, cy, rx, ry, angle=0.0, v=1.0):
        ca, sa = math.cos(angle), math.sin(angle)
        r = max(rx, ry) + 1
        for y in range(max(0, int(cy - r)), min(self.h, int(cy + r) + 1)):
            for x in range(max(0, int(cx - r)), min(self.w, int(cx + r) + 1)):
                dx, dy = x + 0.5 - cx, y + 0.5 - cy
                u = dx * ca + dy * sa
                t = -dx * sa + dy * ca
                self.put(x, y, ellipse_cover(u, t, rx, ry) * v)

    def stroke(self, pts, r0, r1=None, v=1.0):
        """Thick polyline with round ends; radius tapers from r0 to r1."""
        r1 = r0 if r1 is None else r1
        n = len(pts) - 1
        for k in range(n):
            (ax, ay), (bx, by) = pts[k], pts[k + 1]
            ra = r0 + (r1 - r0) * k / n
            rb = r0 + (r1 - r0) * (k + 1) / n
            rm = max(ra, rb) + 1
            dx, dy = bx - ax, by - ay
            ll = dx * dx + dy * dy or 1e-9
            for y in range(max(0, int(min(ay, by) - rm)), min(self.h, int(max(ay, by) + rm) + 1)):
                for x in range(max(0, int(min(ax, bx) - rm)), min(self.w, int(max(ax, bx) + rm) + 1)):
                    px, py = x + 0.5 - ax, y + 0.5 - ay
                    t = clamp01((px * dx + py * dy) / ll)
                    d = math.hypot(px - dx * t, py - dy * t)
                    cov = clamp01(ra + (rb - ra) * t - d + 0.5)
                    if cov > 0:
                        self.put(x, y, cov * v)


def ellipse_cover(u, t, rx, ry):
    """Antialiased coverage of an axis-aligned ellipse at offset (u, t) from its centre."""
    f = (u / rx) ** 2 + (t / ry) ** 2 - 1.0
    g = 2.0 * math.hypot(u / (rx * rx), t / (ry * ry)) or 1e-9
    return clamp01(0.5 - f / g)


def bezier(p0, p1, p2, n=12):
    """Points along a quadratic Bézier curve."""
    out = []
    for i in range(n + 1):
        t = i / n
        a, b, c = (1 - t) ** 2, 2 * t * (1 - t), t * t
        out.append((a * p0[0] + b * p1[0] + c * p2[0], a * p0[1] + b * p1[1] + c * p2[1]))
    return out


# ---------------------------------------------------------------------------
# Colour quantisation (median cut + k-means polish) and Floyd–Steinberg dither
# ---------------------------------------------------------------------------


def to_bytes(c):
    return tuple(0 if v < 0 else 255 if v > 255 else int(v + 0.5) for v in c)


def build_palette(pixels, size=256, reserved=()):
    """A palette of at most `size` colours fitted to the pixels.

    Works on a 5-bit-per-channel histogram so every pixel counts but the work
    stays small; boxes are split where they hold the largest squared error.
    """
    hist = {}
    for r, g, b in pixels:
        key = (r >> 3, g >> 3, b >> 3)
        e = hist.get(key)
        if e is None:
            hist[key] = [1, r, g, b]
        else:
            e[0] += 1
            e[1] += r
            e[2] += g
            e[3] += b
    # bins as (count, mean r, mean g, mean b), in a fixed (sorted) order
    bins = [(e[0], e[1] / e[0], e[2] / e[0], e[3] / e[0]) for _, e in sorted(hist.items())]
    want = size - len(reserved)

    def box_stats(box):
        n = sum(b[0] for b in box)
        best = (-1.0, 1)
        sse = 0.0
        for ch in (1, 2, 3):
            s = sum(b[0] * b[ch] for b in box)
            sq = sum(b[0] * b[ch] * b[ch] for b in box)
            var = sq - s * s / n
            sse += var
            if var > best[0]:
                best = (var, ch)
        return sse, best[1]

    boxes = [bins]
    stats = [box_stats(bins)]
    while len(boxes) < want:
        k = max(range(len(boxes)), key=lambda i: (stats[i][0] if len(boxes[i]) > 1 else -1.0, -i))
        if len(boxes[k]) < 2:
            break
        ch = stats[k][1]
        box = sorted(boxes[k], key=lambda b: (b[ch], b[1], b[2], b[3]))
        half = sum(b[0] for b in box) / 2.0
        acc = 0
        cut = 1
        for i, b in enumerate(box):
            acc += b[0]
            if acc >= half:
                cut = min(max(i + 1, 1), len(box) - 1)
                break
        boxes[k:k + 1] = [box[:cut], box[cut:]]
        stats[k:k + 1] = [box_stats(box[:cut]), box_stats(box[cut:])]

    centres = []
    for box in boxes:
        n = sum(b[0] for b in box)
        centres.append(tuple(sum(b[0] * b[ch] for b in box) / n for ch in (1, 2, 3)))

    # Two Lloyd iterations over the bins pull each colour to the centre of what it serves.
    for _ in range(2):
        acc = [[0.0, 0.0, 0.0, 0.0] for _ in centres]
        for cnt, r, g, b in bins:
            j = nearest_index(centres, r, g, b)
            a = acc[j]
            a[0] += cnt
            a[1] += cnt * r
            a[2] += cnt * g
            a[3] += cnt * b
        centres = [(a[1] / a[0], a[2] / a[0], a[3] / a[0]) if a[0] else c for a, c in zip(acc, centres)]

    palette = list(reserved) + sorted(set(to_bytes(c) for c in centres) - set(reserved))
    return palette + [(0, 0, 0)] * (size - len(palette))


def nearest_index(palette, r, g, b):
    best = 0
    bd = 1e18
    for i, (pr, pg, pb) in enumerate(palette):
        d = (pr - r) * (pr - r) * 3 + (pg - g) * (pg - g) * 4 + (pb - b) * (pb - b) * 2
        if d < bd:
            bd = d
            best = i
    return best


def dither(w, h, pixels, palette, fixed=None, used=None):
    """Floyd–Steinberg (serpentine) to palette indices.

    `fixed` maps pixel index -> palette index for pixels that must not change
    (the logo's transparent surround); they neither take nor pass on error.
    `used` limits the search to the first `used` entries (the rest are padding).
    """
    pal = palette[:used] if used else palette
    cache = {}
    out = [0] * (w * h)
    er = [[0.0] * (w + 2) for _ in range(2)]
    eg = [[0.0] * (w + 2) for _ in range(2)]
    eb = [[0.0] * (w + 2) for _ in range(2)]
    for y in range(h):
        cr, cg, cb = er[y & 1], eg[y & 1], eb[y & 1]
        nr, ng, nb = er[(y + 1) & 1], eg[(y + 1) & 1], eb[(y + 1) & 1]
        for i in range(w + 2):
            nr[i] = ng[i] = nb[i] = 0.0
        forward = (y & 1) == 0
        xs = range(w) if forward else range(w - 1, -1, -1)
        step = 1 if forward else -1
        for x in xs:
            i = y * w + x
            if fixed is not None and i in fixed:
                out[i] = fixed[i]
                continue
            p = pixels[i]
            j = x + 1
            r = p[0] + cr[j]
            g = p[1] + cg[j]
            b = p[2] + cb[j]
            r = 0.0 if r < 0 else 255.0 if r > 255 else r
            g = 0.0 if g < 0 else 255.0 if g > 255 else g
            b = 0.0 if b < 0 else 255.0 if b > 255 else b
            key = (int(r) >> 2, int(g) >> 2, int(b) >> 2)
            k = cache.get(key)
            if k is None:
                k = nearest_index(pal, key[0] * 4 + 1.5, key[1] * 4 + 1.5, key[2] * 4 + 1.5)
                cache[key] = k
            out[i] = k
            q = pal[k]
            dr, dg, db = r - q[0], g - q[1], b - q[2]
            cr[j + step] += dr * 0.4375
            cg[j + step] += dg * 0.4375
            cb[j + step] += db * 0.4375
            nr[j - step] += dr * 0.1875
            ng[j - step] += dg * 0.1875
            nb[j - step] += db * 0.1875
            nr[j] += dr * 0.3125
            ng[j] += dg * 0.3125
            nb[j] += db * 0.3125
            nr[j + step] += dr * 0.0625
            ng[j + step] += dg * 0.0625
            nb[j + step] += db * 0.0625
    return out


class Indexed:
    """An 8-bit image: size, 256-entry palette and one index per pixel (top row first)."""

    def __init__(self, w, h, palette, index):
        self.w, self.h, self.palette, self.index = w, h, palette, index

    def rgb(self):
        pal = self.palette
        return [pal[i] for i in self.index]


def quantise(canvas, reserved=(), fixed=None):
    pixels = [to_bytes(c) for c in canvas.px]
    palette = build_palette(pixels, 256, reserved)
    used = len(palette)
    while used > 1 and palette[used - 1] == (0, 0, 0) and (0, 0, 0) in palette[:used - 1]:
        used -= 1
    return Indexed(canvas.w, canvas.h, palette, dither(canvas.w, canvas.h, pixels, palette, fixed, used))


# ---------------------------------------------------------------------------
# File formats
# ---------------------------------------------------------------------------


def bmp_bytes(img):
    """Windows BMP: file header + 40-byte info header + 256 BGR0 entries + bottom-up rows."""
    w, h = img.w, img.h
    stride = (w + 3) // 4 * 4
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 8, 0, stride * h, 0, 0, 0, 0)
    pal = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in img.palette)
    assert len(img.palette) == 256
    pad = b'\0' * (stride - w)
    rows = b''.join(bytes(img.index[y * w:(y + 1) * w]) + pad for y in range(h - 1, -1, -1))
    dib = info + pal + rows
    head = struct.pack('<2sIHHI', b'BM', 14 + len(dib), 0, 0, 14 + 40 + 1024)
    return head + dib


def png_bytes(w, h, rgb):
    """Minimal truecolour PNG (zlib from the standard library)."""
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        for r, g, b in rgb[y * w:(y + 1) * w]:
            raw += bytes((r, g, b))

    def chunk(tag, data):
        return (struct.pack('>I', len(data)) + tag + data
                + struct.pack('>I', zlib.crc32(tag + data) & 0xFFFFFFFF))

    return (b'\x89PNG\r\n\x1a\n'
            + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(bytes(raw), 9))
            + chunk(b'IEND', b''))


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


# ---------------------------------------------------------------------------
# Scene building blocks
# ---------------------------------------------------------------------------


def cloud_at(n, x, y, sx, sy, lo, hi, octaves=5):
    """Cloud cover (0..1) and how sunlit it is (0..1) at a point.

    The light comes from above: where the density just above is lower, the
    point lies on the cloud's upper surface and is lit.
    """
    d = n.fbm(x * sx, y * sy, octaves)
    a = smooth(lo, hi, d)
    if a <= 0.0:
        return 0.0, 0.0
    up = n.fbm(x * sx, (y - 5.0) * sy, octaves)
    return a, clamp01(0.55 + (d - up) * 9.0)


def stars(c, rng, count, ymax, tint=(200, 215, 255), skyline=None):
    """Scatter stars above ymax (and above skyline[x] - 2 if given)."""
    for _ in range(count):
        x = rng.random() * c.w
        y = rng.random() * ymax
        b = rng.random() ** 3
        col = mix((255, 255, 255), tint, rng.random())
        if skyline is not None and y > skyline[int(x)] - 2:
            continue
        if b > 0.75:
            c.glow(x, y, 1.1, col, 0.8)
        c.blend(int(x), int(y), col, 0.25 + 0.75 * b)


def shade_by_slope(prof, x, depth, k=0.06, reach=10.0):
    """Brighten faces that turn to a light on the upper left, near the crest."""
    x0 = max(0, x - 1)
    x1 = min(len(prof) - 1, x + 1)
    slope = prof[x1] - prof[x0]
    return 1.0 - k * slope * math.exp(-depth / reach)


def reflect(c, horizon, n, water, amount, ripple=1.5, seed_off=0.0):
    """Mirror everything above `horizon` into the water below it, with
    ripples that shrink towards the horizon (a cheap perspective)."""
    src = list(c.px)
    w, h = c.w, c.h
    for y in range(int(horizon), h):
        dist = y + 0.5 - horizon
        z = 40.0 / (dist + 2.0)  # distance of the water surface from the viewer
        depth = clamp01(dist / max(1.0, h - horizon))
        for x in range(w):
            u = (x - w * 0.5) * z * 0.02
            wave = n.fbm(u + seed_off, z * 1.7 + seed_off, 3) - 0.5
            sx = x + wave * ripple * (1.0 + 4.0 * depth) * 3.0
            sy = horizon - dist + wave * ripple * (2.0 + 10.0 * depth)
            col = src[min(h - 1, max(0, int(sy))) * w + min(w - 1, max(0, int(sx)))]
            col = mix(scale(col, 0.88), water, amount + (1.0 - amount) * 0.45 * depth)
            # a thin bright line where ripples catch the sky
            col = add(col, (18, 22, 26), max(0.0, wave) * 2.0 * depth)
            c.px[y * w + x] = col


def pine_mask(w, h, rng, count, base, height, width, jitter=0.3):
    """A row of fir trees: tiered triangles whose feet stand on `base(x)`."""
    m = Mask(w, h)
    for _ in range(count):
        tx = rng.random() * (w + 20) - 10
        th = height * (1.0 - jitter + 2 * jitter * rng.random())
        tw = width * th / height * (0.85 + 0.3 * rng.random())
        foot = base(tx) + 3
        top = foot - th
        tiers = 4 + int(rng.random() * 3)

        def hw(yc, top=top, th=th, tw=tw, tiers=tiers):
            f = (yc - top) / th  # 0 at the tip, 1 at the foot
            if f < 0 or f > 1:
                return None
            saw = 0.65 + 0.35 * ((f * tiers) % 1.0)  # branch tiers
            return max(0.5, tw * 0.5 * f * saw)

        m.shape(top, foot, hw, tx)
        m.shape(foot - th * 0.15, foot + 2, lambda yc: 0.8, tx)  # trunk
    return m


def tree_blobs(c, rng, xs, base, size, dark, light):
    """Round deciduous trees: a trunk and a few overlapping shaded discs."""
    for x in xs:
        s = size * (0.7 + 0.6 * rng.random())
        y = base(x)
        c.disc(x, y - s * 0.4, max(0.7, s * 0.12), (60, 45, 30))
        for k in range(4):
            ox = (rng.random() - 0.5) * s * 0.9
            oy = -s * (0.9 + 0.5 * rng.random())
            r = s * (0.45 + 0.25 * rng.random())
            cx, cy = x + ox, y + oy
            c.disc(cx, cy, r, lambda px, py, cx=cx, cy=cy, r=r:
                   mix(light, dark, clamp01(0.5 + ((px - cx) + (py - cy)) / (2.5 * r))))


# ---------------------------------------------------------------------------
# The pictures
# ---------------------------------------------------------------------------


def pic_summer_hills(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)
    sky = Ramp([(0, '#2d68c4'), (0.55, '#86b9e8'), (1, '#dcecf6')])
    hor = h * 0.55
    far = profile(n, w, h * 0.45, h * 0.10, 0.010, phase=3)
    mid = profile(n, w, h * 0.60, h * 0.14, 0.007, phase=11)
    near = profile(n, w, h * 0.82, h * 0.14, 0.006, phase=23)
    haze = hexc('#c9dfe9')
    layers = [(far, hexc('#4f8a70'), 0.45), (mid, hexc('#5c9a36'), 0.15), (near, hexc('#9cc74a'), 0.0)]

    def fn(x, y):
        col = sky(y / hor)
        a, lit = cloud_at(n, x, y, 1 / 75.0, 1 / 24.0, 0.5, 0.68)
        if a:
            col = mix(col, mix((168, 180, 205), (255, 255, 255), lit), a * smooth(hor, h * 0.1, y))
        for prof, base, hz in layers:
            cov = clamp01(y + 1 - prof[x])
            if cov:
                depth = y - prof[x]
                t = 0.82 + 0.36 * n.fbm(x * 0.09, y * 0.2 + prof[0], 3)
                g = scale(base, t * shade_by_slope(prof, x, depth, 0.09, 14))
                col = mix(col, mix(g, haze, hz), cov)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    tree_blobs(c, rng, [rng.random() * w for _ in range(7)], lambda x: mid[int(x) % w] + 2, 6,
               (30, 70, 25), (95, 150, 55))
    tree_blobs(c, rng, [w * 0.12, w * 0.16, w * 0.83], lambda x: near[int(x) % w] + 3, 11,
               (28, 66, 22), (110, 165, 60))
    return c


def pic_sea_sunset(w, h, seed):
    n = Noise(seed)
    hor = h * 0.6
    sky = Ramp([(0, '#2b1f58'), (0.35, '#7a3c7c'), (0.65, '#e0645a'), (0.85, '#f7a94d'), (1, '#ffd987')])
    sun_x, sun_y, sun_r = w * 0.62, hor - 9, 11.0

    def fn(x, y):
        if y < hor:
            col = sky(y / hor)
            # thin stratus streaks, dark against the glow with lit undersides
            d = n.fbm(x * 0.012, y * 0.11, 5)
            a = smooth(0.55, 0.72, d) * smooth(hor, hor * 0.3, y)
            if a:
                col = mix(col, mix((95, 45, 90), (255, 170, 110), clamp01((y - hor * 0.25) / hor * 1.4)), a * 0.85)
            return col
        dist = y - hor
        z = 30.0 / (dist + 1.5)
        wave = n.fbm((x - w / 2) * z * 0.12, z * 6.0, 3)
        col = mix(hexc('#5a3a6e'), hexc('#1f1a45'), clamp01(dist / (h - hor)))
        col = mix(col, sky(clamp01(1 - dist / (h - hor)) * 0.9), 0.35)
        # the sun's glitter path widens towards the viewer
        spread = 6 + dist * 1.1
        k = math.exp(-((x - sun_x) / spread) ** 2)
        glint = smooth(0.45, 0.75, wave) * k
        col = screen(col, (255, 190, 110), glint * 0.95)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    c.glow(sun_x, sun_y, sun_r * 2.2, (255, 170, 90), 0.7)
    sun = Mask(w, h)
    sun.ellipse(sun_x, sun_y, sun_r, sun_r)
    for i in range(w * h):
        if i // w >= hor:
            sun.a[i] = 0.0
    c.apply(sun, lambda x, y, old: mix((255, 250, 205), (255, 180, 90), clamp01((y - sun_y + sun_r) / (2 * sun_r))))
    return c


def mountain_shade(n, prof, x, y, snow_line, rock, snow, far, haze):
    """Colour of a rocky, snow-streaked mountain face at (x, y).

    Lighting comes from the upper left: a 2-D ridged field gives the faces
    and gullies, the slope of the skyline brightens faces just below the crest.
    """
    w = len(prof)
    depth = y - prof[x]
    slope = (prof[min(w - 1, x + 3)] - prof[max(0, x - 3)]) / 6.0
    # gullies run down the face: the field is stretched vertically
    t0 = n.ridged(x * 0.07 - 0.07, y * 0.035 + x * 0.02, 5)
    t1 = n.ridged(x * 0.07 + 0.07, y * 0.035 + x * 0.02 + 0.02, 5)
    light = 0.6 + (t1 - t0) * 4.0 - slope * 0.6 * math.exp(-depth / 18.0)
    light = clamp01(light)
    grain = n.fbm(x * 0.08, y * 0.1, 3)
    cover = smooth(-4.0, 4.0, snow_line - y + 30 * (t0 - 0.45) + 10 * grain)
    col = mix(rock, snow, cover)
    col = scale(col, 0.45 + 0.7 * light)
    return mix(col, haze, far)


def pic_alpine(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)
    sky = Ramp([(0, '#1f5fb8'), (1, '#a9cdf0')])
    peaks = profile(n, w, h * 0.33, h * 0.20, 0.005, 6, phase=7, ridged=True)
    slopes = profile(n, w, h * 0.52, h * 0.08, 0.007, 5, phase=2)
    meadow = profile(n, w, h * 0.74, h * 0.04, 0.006, 4, phase=19)
    forest_base = profile(n, w, h * 0.70, h * 0.03, 0.01, 3, phase=31)

    def fn(x, y):
        col = sky(y / (h * 0.5))
        a, lit = cloud_at(n, x, y, 1 / 50.0, 1 / 30.0, 0.56, 0.7)
        if a:
            col = mix(col, mix((180, 195, 220), (255, 255, 255), lit), a)
        cov = clamp01(y + 1 - peaks[x])
        if cov:
            col = mix(col, mountain_shade(n, peaks, x, y, h * 0.36, hexc('#6e6a70'), hexc('#f4f7ff'),
                                          0.18, (175, 200, 235)), cov)
        cov = clamp01(y + 1 - slopes[x])
        if cov:
            t = n.fbm(x * 0.15, y * 0.25, 4)
            lit = shade_by_slope(slopes, x, y - slopes[x], 0.12, 12)
            wood = mix(hexc('#1f4326'), hexc('#4c7a34'), t * lit)
            col = mix(col, mix(wood, (150, 180, 200), 0.2), cov)
        cov = clamp01(y + 1 - meadow[x])
        if cov:
            t = n.fbm(x * 0.12, y * 0.3, 3)
            grass = mix(hexc('#4f8f2a'), hexc('#a8cc4c'), t)
            col = mix(col, scale(grass, 0.9 + 0.25 * (y - meadow[x]) / h), cov)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    pines = pine_mask(w, h, rng, 70, lambda x: forest_base[min(w - 1, max(0, int(x)))] + 6, h * 0.12, h * 0.055)
    c.apply(pines, lambda x, y, old: mix(hexc('#173522'), hexc('#33573a'), n.value(x * 0.4, y * 0.4)))
    # fore-meadow with small flowers
    for _ in range(160):
        x = rng.random() * w
        y = meadow[int(x)] + 4 + rng.random() ** 0.7 * (h - meadow[int(x)] - 4)
        r = 0.5 + (y - h * 0.7) / h * 2.2
        col = [(255, 245, 120), (255, 255, 255), (225, 120, 200), (120, 150, 255)][int(rng.random() * 4)]
        c.disc(x, y, r, col, 0.9)
    return c


def pic_starry_night(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)
    sky = Ramp([(0, '#02030e'), (0.6, '#0b1538'), (0.9, '#1e3a5c'), (1, '#3a5468')])
    hills = profile(n, w, h * 0.80, h * 0.08, 0.006, 5, phase=4)

    def fn(x, y):
        col = sky(y / hills[x])
        # the galaxy: a soft band across the sky with dark dust lanes
        u = (x - w * 0.2) * 0.55 + (y - h * 0.9) * 0.83  # along the band
        v = (x - w * 0.2) * 0.83 - (y - h * 0.9) * 0.55  # across it
        band = math.exp(-((v - w * 0.33 + 18 * (n.fbm(u * 0.01, 3.1) - 0.5)) / (h * 0.16)) ** 2)
        if band > 0.02:
            glowv = n.fbm(x * 0.03, y * 0.03, 5)
            dust = smooth(0.45, 0.7, n.fbm(x * 0.05 + 9, y * 0.05, 5))
            k = band * (0.35 + 0.9 * glowv) * (1.0 - 0.8 * dust)
            tint = mix((120, 90, 170), (250, 225, 200), clamp01(band * 1.4 - 0.2))
            col = screen(col, tint, clamp01(k * 0.9))
        if y >= hills[x] - 1:
            cov = clamp01(y + 1 - hills[x])
            col = mix(col, (5, 8, 14), cov)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    stars(c, rng, int(w * h / 60), h * 0.85, skyline=hills)
    # a lone tree and a lit window on the skyline
    tx = w * 0.7
    ty = hills[int(tx)] + 2
    m = Mask(w, h)
    m.stroke([(tx, ty + 3), (tx - 1, ty - 14)], 1.4, 0.8)
    for a in (-2.2, -1.7, -1.2, -0.9, -2.6):
        m.stroke([(tx - 1, ty - 10), (tx + 12 * math.cos(a), ty - 10 + 12 * math.sin(a))], 0.8, 0.3)
    for k in range(9):
        m.ellipse(tx - 1 + 10 * math.cos(-0.35 * k - 0.4), ty - 20 + 5 * math.sin(-0.7 * k), 5.5, 4.0)
    c.apply(m, (5, 8, 14))
    hx = int(w * 0.28)
    hy = hills[hx]
    house = Mask(w, h)
    for yy in range(int(hy - 9), int(hy + 2)):
        house.span(yy, hx - 8, hx + 8)
    house.shape(hy - 15, hy - 8, lambda yc: 10 * (yc - (hy - 15)) / 7.0, hx)
    c.apply(house, (5, 8, 14))
    c.glow(hx + 3, hy - 4, 2.0, (255, 200, 110), 0.9)
    for yy in range(int(hy - 6), int(hy - 2)):
        for xx in range(hx + 2, hx + 5):
            c.blend(xx, yy, (255, 215, 130), 1.0)
    return c


def pic_aurora(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)
    sky = Ramp([(0, '#030617'), (0.7, '#081b33'), (1, '#0f3344')])
    hor = h * 0.72
    mountains = profile(n, w, h * 0.60, h * 0.08, 0.012, 5, phase=8, ridged=True)
    curtains = [(profile(n, w, h * 0.42, h * 0.16, 0.008, 4, phase=50), 1.0),
                (profile(n, w, h * 0.30, h * 0.10, 0.01, 4, phase=70), 0.7)]

    def light(x, y):
        total = [0.0, 0.0, 0.0]
        for base, k in curtains:
            up = base[x] - y  # how far above the curtain's lower edge
            if up < -6:
                continue
            rays = 0.35 + 0.65 * n.fbm(x * 0.09 + base[x] * 0.05, y * 0.004 + k, 3) ** 2 * 2.2
            if up < 0:
                inten = math.exp(up * 0.6)
            else:
                inten = math.exp(-up / (h * 0.18))
            inten *= rays * k
            col = mix((60, 255, 140), (200, 70, 220), clamp01(up / (h * 0.35)))
            for i in range(3):
                total[i] += col[i] * inten
        return total

    def fn(x, y):
        col = sky(y / hor)
        l = light(x, y)
        col = screen(col, l, 0.9)
        cov = clamp01(y + 1 - mountains[x])
        if cov:
            depth = y - mountains[x]
            lit = shade_by_slope(mountains, x, depth, 0.15, 8)
            snow = mix((22, 40, 62), (110, 160, 170), clamp01((lit - 0.9) * 2.5) * math.exp(-depth / 10))
            col = mix(col, snow, cov)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    stars(c, rng, int(w * h / 90), hor * 0.9, skyline=mountains)
    # redraw the aurora over the stars so they dim behind it
    for y in range(int(hor)):
        for x in range(w):
            if y < mountains[x]:
                l = light(x, y)
                i = y * w + x
                c.px[i] = screen(c.px[i], l, 0.25)
    reflect(c, hor, n, (6, 22, 36), 0.3, 0.6, 11.0)
    shore = profile(n, w, hor + 1.2, 1.2, 0.03, 3, phase=90)
    m = Mask(w, h)
    for x in range(w):
        for y in range(int(hor) - 1, int(shore[x]) + 2):
            m.put(x, y, clamp01(shore[x] + 1 - y) * clamp01(y + 1 - hor + 1.5))
    c.apply(m, (10, 20, 28))
    return c


def pic_dunes(w, h, seed):
    n = Noise(seed)
    sky = Ramp([(0, '#2f6fc0'), (0.7, '#9cc3dd'), (1, '#f1dcb8')])
    hor = profile(n, w, h * 0.38, h * 0.04, 0.01, 4, phase=3, ridged=True)
    sun_x, sun_y = w * 0.16, h * 0.14
    lit_sand = Ramp([(0, '#f4d3a2'), (1, '#f2a355')])
    shadow_sand = Ramp([(0, '#c8a088'), (1, '#8a3f24')])

    def field(x, y):
        # sharp-crested ripples of sand, stretched sideways and finer far away
        dist = max(0.0, y - h * 0.36)
        s = 1.0 + 30.0 / (dist + 8.0)
        return n.ridged(x * 0.012 * s, y * 0.035 * s + 0.01 * x, 4)

    def fn(x, y):
        col = sky(y / (h * 0.45))
        d = math.hypot(x - sun_x, (y - sun_y) * 1.2)
        col = screen(col, (255, 240, 200), math.exp(-d / 14.0) * 0.9 + math.exp(-d / 70.0) * 0.25)
        cov = clamp01(y + 1 - hor[x])
        if cov:
            near = clamp01((y - hor[x]) / (h - h * 0.38))
            d0 = field(x - 0.7, y)
            d1 = field(x + 0.7, y)
            # the sun is low on the left: slopes that rise to the right are lit
            light = smooth(-0.02, 0.03, d1 - d0 + 0.004)
            body = 0.85 + 0.15 * d0
            sand = scale(mix(shadow_sand(near), lit_sand(near), light), body)
            ripple = 0.5 + 0.5 * math.sin(y * 1.6 + x * 0.25 + 5.0 * n.fbm(x * 0.05, y * 0.1, 2))
            sand = scale(sand, 1.0 + 0.06 * ripple * near * light)
            col = mix(col, mix(sand, (236, 214, 196), 0.45 * (1.0 - near) ** 3), cov)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    c.disc(sun_x, sun_y, 5.0, (255, 252, 235))
    return c


def pic_cloud_sea(w, h, seed):
    n = Noise(seed)
    hor = h * 0.45
    sky = Ramp([(0, '#30428f'), (0.45, '#8e7fc0'), (0.8, '#f3a3a0'), (1, '#ffd6a0')])
    sun_x, sun_y = w * 0.7, hor - 4

    def fn(x, y):
        if y < hor:
            col = sky(y / hor)
            d = math.hypot(x - sun_x, (y - sun_y) * 1.5)
            col = screen(col, (255, 230, 170), math.exp(-d / 10.0) + math.exp(-d / 60.0) * 0.4)
            # a towering cumulus on the left
            a, lit = cloud_at(n, x, y * 1.3, 1 / 45.0, 1 / 45.0, 0.5, 0.62)
            a *= smooth(w * 0.55, w * 0.2, x) * smooth(h * 0.05, hor * 0.6, y)
            if a:
                col = mix(col, mix((150, 120, 170), (255, 215, 190), lit), a)
            return col
        dist = y - hor
        z = 25.0 / (dist + 1.0)
        u = (x - w * 0.5) * z * 0.025
        v = z * 2.5
        d0 = n.fbm(u, v, 5)
        d1 = n.fbm(u + 0.05 * (x - sun_x) / w, v + 0.05, 5)  # a step towards the sun
        lit = clamp01(0.5 + (d0 - d1) * 10.0 + (d0 - 0.5) * 1.5)
        base = mix(hexc('#7a6ca8'), hexc('#ffe1c4'), lit)
        near_sun = math.exp(-abs(x - sun_x) / (30 + dist * 2))
        base = screen(base, (255, 200, 140), near_sun * 0.5)
        # the cloud sea fades into the haze towards the horizon
        col = mix(base, sky(1.0), math.exp(-dist / 10.0) * 0.8)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    c.disc(sun_x, sun_y, 6.0, (255, 250, 225))
    return c


def pic_poppies(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)
    sky = Ramp([(0, '#4d86d0'), (1, '#d3e6f2')])
    trees = profile(n, w, h * 0.44, h * 0.05, 0.03, 4, phase=3)
    field = profile(n, w, h * 0.5, h * 0.01, 0.01, 2, phase=9)

    def fn(x, y):
        col = sky(y / (h * 0.5))
        a, lit = cloud_at(n, x, y, 1 / 60.0, 1 / 22.0, 0.55, 0.72)
        if a:
            col = mix(col, mix((185, 195, 215), (255, 255, 255), lit), a)
        cov = clamp01(y + 1 - trees[x])
        if cov:
            t = n.fbm(x * 0.2, y * 0.2, 3)
            col = mix(col, mix(hexc('#2e5a34'), hexc('#6e9a5a'), t), cov)
        cov = clamp01(y + 1 - field[x])
        if cov:
            dist = y - field[x]
            t = n.fbm(x * 0.3 / (1 + dist * 0.1), 30.0 / (dist + 3), 3)
            grass = mix(hexc('#5f8f2f'), hexc('#b6cc5a'), t)
            # far away the red flowers blend into a reddish haze
            red = smooth(0.45, 0.6, n.fbm(x * 0.05, 60.0 / (dist + 6), 4)) * 0.6 * math.exp(-dist / 12.0)
            grass = mix(grass, hexc('#d2452e'), red)
            col = mix(col, grass, cov)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    # poppies: bigger and sparser near the viewer
    for _ in range(int(w * h / 70)):
        t = rng.random()
        y = field[0] + 4 + (h - field[0]) * t ** 0.8
        x = rng.random() * w
        r = 0.5 + 4.0 * ((y - field[0]) / (h - field[0])) ** 2
        if r > 1.5:
            stem = Mask(w, h)
            stem.stroke([(x, y), (x + (rng.random() - 0.5) * 4, min(h + 2, y + r * 5))], 0.5)
            c.apply(stem, (70, 110, 40))
        if r < 0.9 and rng.random() < 0.6:
            continue
        tone = rng.random()
        petal = mix((230, 40, 25), (255, 110, 40), tone * 0.6)
        c.disc(x, y, r, lambda px, py, x=x, y=y, r=r, petal=petal:
               scale(petal, 0.75 + 0.35 * clamp01(0.5 - ((px - x) + (py - y)) / (2 * r))))
        if r > 1.8:
            c.disc(x, y, r * 0.28, (35, 20, 25))
    return c


def pic_mountain_lake(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)
    hor = h * 0.6
    sky = Ramp([(0, '#5b6fb3'), (0.6, '#d69ab8'), (1, '#ffd3b0')])
    peaks = profile(n, w, h * 0.28, h * 0.14, 0.007, 6, phase=17, ridged=True)
    wood = profile(n, w, hor - 8, 3.0, 0.02, 3, phase=5)

    def fn(x, y):
        col = sky(y / hor)
        cov = clamp01(y + 1 - peaks[x])
        if cov:
            # evening light turns the snow pink
            col = mix(col, mountain_shade(n, peaks, x, y, hor * 0.7, hexc('#5a4a5e'), hexc('#ffd8dd'),
                                          0.15, (215, 160, 185)), cov)
        cov = clamp01(y + 1 - wood[x])
        if cov:
            col = mix(col, hexc('#1e3027'), cov)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    pines = pine_mask(w, h, rng, 90, lambda x: hor, h * 0.1, h * 0.045, 0.5)
    c.apply(pines, lambda x, y, old: mix(hexc('#132219'), hexc('#2b4536'), n.value(x * 0.5, y * 0.5)))
    reflect(c, hor, n, (40, 60, 90), 0.22, 1.0, 3.0)
    return c


def pic_beach(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)
    hor = h * 0.42
    sky = Ramp([(0, '#1e74c8'), (1, '#bfe4f5')])
    shore = [h * 0.70 + h * 0.05 * math.sin(x * 0.02 + 1.0) + 4 * (n.fbm(x * 0.04, 2.0, 3) - 0.5) for x in range(w)]

    def fn(x, y):
        if y < hor:
            col = sky(y / hor)
            a, lit = cloud_at(n, x, y, 1 / 40.0, 1 / 20.0, 0.56, 0.7)
            a *= smooth(hor, hor * 0.5, y)
            if a:
                col = mix(col, mix((190, 205, 225), (255, 255, 255), lit), a)
            return col
        if y < shore[x]:
            t = clamp01((y - hor) / (shore[x] - hor))
            sea = mix(hexc('#1b5aa8'), hexc('#29c3c8'), t ** 0.8)
            sea = mix(sea, hexc('#8fe8d8'), smooth(0.75, 1.0, t) * 0.7)
            z = 30.0 / (y - hor + 1.0)
            wave = n.fbm(x * z * 0.08, z * 3.0, 3)
            sea = screen(sea, (255, 255, 255), smooth(0.6, 0.75, wave) * 0.4)
            foam = smooth(shore[x] - 3.5, shore[x] - 0.5, y) * (0.6 + 0.4 * n.fbm(x * 0.2, y * 0.2, 2))
            return mix(sea, (250, 252, 250), foam)
        wet = math.exp(-(y - shore[x]) / 5.0)
        t = n.fbm(x * 0.2, y * 0.4, 3)
        sand = mix(hexc('#e6cf9f'), hexc('#f7e8c4'), t)
        return mix(sand, hexc('#b59f78'), wet * 0.6)

    c = Canvas(w, h)
    c.paint(fn)
    # a palm leaning in from the right
    m = Mask(w, h)
    base = (w * 0.86, h + 4)
    top = (w * 0.74, h * 0.2)
    trunk = bezier(base, (w * 0.9, h * 0.5), top, 20)
    m.stroke(trunk, 3.6, 2.0)
    c.apply(m, lambda x, y, old: scale(hexc('#8a6a45'), 0.75 + 0.3 * (0.5 + 0.5 * math.sin(y * 1.4))))
    fronds = Mask(w, h)
    for k in range(8):
        a = -math.pi * 0.95 + k * (math.pi * 1.3 / 7)
        length = h * (0.28 + 0.1 * rng.random())
        tip = (top[0] + math.cos(a) * length, top[1] + math.sin(a) * length * 0.6 + length * 0.5)
        ctrl = (top[0] + math.cos(a) * length * 0.6, top[1] + math.sin(a) * length * 0.6 - length * 0.15)
        spine = bezier(top, ctrl, tip, 16)
        fronds.stroke(spine, 1.2, 0.4)
        for i in range(2, 16):
            (px, py), (qx, qy) = spine[i - 1], spine[i]
            dx, dy = qx - px, qy - py
            ll = math.hypot(dx, dy) or 1
            leaf = length * 0.22 * math.sin(math.pi * i / 16.0)
            for side in (-1, 1):
                ex = qx + (-dy / ll * side + dx / ll * 0.9) * leaf
                ey = qy + (dx / ll * side + dy / ll * 0.9) * leaf + leaf * 0.5
                fronds.stroke([(qx, qy), (ex, ey)], 0.8, 0.3)
    c.apply(fronds, lambda x, y, old: mix(hexc('#1f5a22'), hexc('#5fa23a'), n.value(x * 0.3, y * 0.3)))
    c.disc(top[0], top[1] + 2, 3.0, hexc('#5a4020'))
    return c


def pic_autumn_wood(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)
    leaves = Ramp([(0, '#8a1e12'), (0.3, '#d2461c'), (0.55, '#f08a24'), (0.8, '#f5c440'), (1, '#b7b84a')])
    ground_y = h * 0.8

    def fn(x, y):
        if y < ground_y:
            hue = n.fbm(x * 0.018, y * 0.02, 3)
            clump = n.fbm(x * 0.07, y * 0.09, 4)
            clump_up = n.fbm(x * 0.07 + 0.06, y * 0.09 - 0.08, 4)
            lit = clamp01(0.5 + (clump - clump_up) * 10.0)
            col = scale(leaves(clamp01(hue * 1.6 - 0.3)), 0.55 + 0.6 * lit * smooth(0.3, 0.6, clump))
            # deeper in the wood the leaves fade into a warm haze
            col = mix(col, (236, 200, 150), 0.35 * smooth(0.45, 0.3, clump))
            gap = smooth(0.62, 0.7, n.fbm(x * 0.05, y * 0.06 + 7, 4)) * smooth(h * 0.45, 0, y)
            return mix(col, (240, 238, 222), gap)
        t = n.fbm(x * 0.25, y * 0.5, 3)
        return mix(hexc('#6a2c12'), hexc('#d9772a'), t * 0.9)

    c = Canvas(w, h)
    c.paint(fn)
    # birch trunks: white bark with dark marks, thicker ones in front
    for k in range(6):
        x0 = w * (0.08 + 0.17 * k + 0.08 * (rng.random() - 0.5))
        r = 2.0 + 3.5 * rng.random()
        lean = (rng.random() - 0.5) * 8
        m = Mask(w, h)
        m.stroke([(x0 + lean, -5), (x0, ground_y + 4 + r * 2)], r * 0.8, r)
        mark = k * 3.3

        def bark(x, y, old, x0=x0, r=r, lean=lean, mark=mark):
            cx = x0 + lean * (1.0 - (y + 5) / (ground_y + 9 + r * 2))
            u = clamp01(0.5 + (x + 0.5 - cx) / (2.2 * r))
            col = scale((238, 236, 228), 1.0 - 0.55 * u)
            if n.value(y * 0.9 + mark, x * 0.25) > 0.74 and n.value(x * 0.6, y * 0.2 + mark) > 0.35:
                col = (45, 40, 35)
            return col
        c.apply(m, bark)
    for _ in range(120):
        x = rng.random() * w
        y = ground_y + rng.random() * (h - ground_y)
        c.disc(x, y, 0.8 + rng.random() * 1.4, leaves(0.2 + rng.random() * 0.6))
    return c


def pic_mandala(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)
    cx, cy = w * 0.5, h * 0.5
    R = min(w, h) * 0.47
    # rings of petals from the outside in: (radius, petal count, sharpness, inner colour, outer colour)
    rings = [(1.00, 12, 1.5, '#5b1d8c', '#c64fc0'),
             (0.80, 12, 2.0, '#c2306a', '#ff8fa8'),
             (0.60, 8, 1.2, '#e8672a', '#ffd071'),
             (0.40, 16, 3.0, '#2b8fa8', '#9ff0e0'),
             (0.22, 8, 1.0, '#f4c430', '#fff6c4')]
    rings = [(r, k, p, hexc(a), hexc(b)) for r, k, p, a, b in rings]
    bg = Ramp([(0, '#2c1f4a'), (1, '#0d0a1c')])

    def fn(x, y):
        dx, dy = x + 0.5 - cx, y + 0.5 - cy
        r = math.hypot(dx, dy) / R
        th = math.atan2(dy, dx)
        col = bg(clamp01(r * 0.8))
        for i, (rr, k, p, inner, outer) in enumerate(rings):
            phase = 0.5 * math.pi / k * (i % 2)  # alternate rings sit between the petals below
            edge = rr * (0.72 + 0.28 * abs(math.cos(k * (th + phase) / 2.0)) ** p)
            cov = clamp01((edge - r) * R + 0.5)
            if cov:
                t = clamp01(r / edge)
                petal = mix(inner, outer, t ** 1.5)
                # a fine vein along the middle of each petal
                vein = abs(math.sin(k * (th + phase) / 2.0))
                petal = scale(petal, 0.8 + 0.2 * smooth(0.0, 0.25, vein) + 0.1 * t)
                col = mix(col, petal, cov)
        if r < 0.1:
            dots = 0.5 + 0.5 * math.sin(r * 140) * math.sin(th * 9)
            col = mix(hexc('#7a2a10'), hexc('#ffb040'), dots)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    # soft round lights (out-of-focus) in the dark corners
    for _ in range(28):
        x = rng.random() * w
        y = rng.random() * h
        if math.hypot(x - cx, y - cy) < R * 1.05:
            continue
        col = [(255, 190, 120), (190, 140, 255), (120, 220, 255)][int(rng.random() * 3)]
        c.disc(x, y, 3 + rng.random() * 9, col, 0.18 + 0.2 * rng.random())
    return c


def pic_lavender(w, h, seed):
    n = Noise(seed)
    hor = h * 0.45
    vx = w * 0.55
    sky = Ramp([(0, '#3a5fa8'), (0.55, '#d99ab0'), (0.85, '#ffc58a'), (1, '#ffe2a8')])
    hills = profile(n, w, hor - 3, 2.5, 0.02, 3, phase=1)
    sun_x, sun_y = w * 0.3, hor - 10

    def fn(x, y):
        if y < hor:
            col = sky(y / hor)
            d = math.hypot(x - sun_x, (y - sun_y) * 1.3)
            col = screen(col, (255, 235, 180), math.exp(-d / 7.0) + math.exp(-d / 45.0) * 0.4)
            cov = clamp01(y + 1 - hills[x])
            if cov:
                col = mix(col, mix(hexc('#6a5f8a'), hexc('#b99ab8'), 0.4), cov)
            return col
        dist = y + 0.5 - hor
        u = (x + 0.5 - vx) / dist  # constant along a row running to the vanishing point
        row = (u * 4.0) % 1.0
        stripe = smooth(0.55, 0.42, abs(row - 0.5) * 2.0)  # 1 in the middle of a lavender row
        z = 30.0 / dist
        tex = n.fbm(u * 9.0, z * 3.0, 3 if dist > 12 else 1)
        flower = mix(hexc('#5b3d9e'), hexc('#b58ae6'), tex * 1.2 - 0.1)
        flower = screen(flower, (255, 190, 120), 0.25 * smooth(0, 40, 40 - dist))
        soil = mix(hexc('#5a4a30'), hexc('#8a9a50'), tex)
        # rows closer than a couple of pixels apart would shimmer: blend them out
        col = mix(mix(soil, flower, 0.55), mix(soil, flower, stripe), smooth(8.0, 30.0, dist))
        return mix(col, hexc('#9a7ac0'), math.exp(-dist / 14.0) * 0.8)

    c = Canvas(w, h)
    c.paint(fn)
    # two cypresses on the horizon
    m = Mask(w, h)
    for tx, th in ((w * 0.8, 24.0), (w * 0.835, 17.0)):
        m.ellipse(tx, hor - th * 0.5 + 1, 2.6 * th / 24.0 + 1, th * 0.5)
    c.apply(m, hexc('#2a2a3a'))
    return c


def pic_misty_pines(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)
    sky = Ramp([(0, '#b8c9d8'), (1, '#f2e6cf')])
    c = Canvas(w, h)
    sun_x, sun_y = w * 0.78, h * 0.15

    def bg(x, y):
        col = sky(y / h)
        d = math.hypot(x - sun_x, y - sun_y)
        col = screen(col, (255, 240, 200), math.exp(-d / 25.0) * 0.8)
        # sunbeams fanning out through the mist
        ang = math.atan2(y - sun_y, x - sun_x)
        beam = n.fbm(ang * 6.0, 1.3, 3)
        return screen(col, (255, 245, 215), smooth(0.5, 0.75, beam) * 0.35 * smooth(0, 40, y - sun_y))

    c.paint(bg)
    # five ranks of firs, each nearer one darker and less veiled by mist
    ranks = 5
    for k in range(ranks):
        t = k / (ranks - 1)
        ground = profile(n, w, h * (0.45 + 0.13 * k), h * 0.05, 0.012, 3, phase=7 * k)
        m = pine_mask(w, h, rng, int(40 - 5 * k), lambda x, g=ground: g[min(w - 1, max(0, int(x)))],
                      h * (0.22 + 0.12 * t), h * (0.07 + 0.05 * t), 0.35)
        for x in range(w):
            for y in range(int(ground[x]), h):
                m.put(x, y, 1.0)
        tone = mix(hexc('#9fb2bf'), hexc('#10261c'), t ** 0.8)
        c.apply(m, lambda x, y, old, tone=tone, t=t:
                mix(tone, (225, 225, 215), (1.0 - t) * 0.25 * smooth(h, h * 0.3, y)))
        # mist settling in the valley between ranks
        if k < ranks - 1:
            for y in range(h):
                fog = smooth(h * (0.40 + 0.13 * k), h * (0.62 + 0.13 * k), y) * 0.45
                if fog > 0:
                    for x in range(w):
                        f = fog * (0.6 + 0.8 * n.fbm(x * 0.02 + k, y * 0.05, 3))
                        i = y * w + x
                        c.px[i] = mix(c.px[i], (232, 230, 222), clamp01(f))
    return c


def pic_canyon(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)
    sky = Ramp([(0, '#1c58b0'), (1, '#9fc6e8')])
    strata = Ramp([(0, '#b5482a'), (0.2, '#d97a45'), (0.35, '#e8a86a'), (0.5, '#c25a33'),
                   (0.7, '#f0b780'), (0.85, '#a84428'), (1, '#d68050')])

    def mesa(base, height, freq, phase):
        """Flat-topped buttes: noise squeezed into plateaus."""
        out = []
        for x in range(w):
            v = n.fbm(x * freq + phase, phase, 4)
            top = smooth(0.42, 0.52, v) * 0.7 + smooth(0.58, 0.64, v) * 0.3
            out.append(base - height * top + 1.5 * (n.value(x * 0.3, phase) - 0.5))
        return out

    layers = [(mesa(h * 0.55, h * 0.28, 0.009, 3.0), 0.45), (mesa(h * 0.7, h * 0.33, 0.007, 9.0), 0.2),
              (mesa(h * 0.95, h * 0.3, 0.006, 15.0), 0.0)]

    def fn(x, y):
        col = sky(y / (h * 0.55))
        a, lit = cloud_at(n, x, y, 1 / 60.0, 1 / 18.0, 0.58, 0.72)
        if a:
            col = mix(col, mix((190, 200, 220), (255, 255, 255), lit), a)
        for prof, haze in layers:
            cov = clamp01(y + 1 - prof[x])
            if not cov:
                continue
            warp = n.fbm(x * 0.03, y * 0.02, 3)
            band = strata(((y + 30 * warp) * 0.022 + haze * 3) % 1.0)
            # cliff faces turned away from the sun (on the right) sit in shadow
            x1 = min(w - 1, x + 2)
            x0 = max(0, x - 2)
            slope = (prof[x1] - prof[x0]) / 4.0
            face = clamp01(0.78 - slope * 0.8 * math.exp(-(y - prof[x]) / 25.0))
            rock = scale(band, 0.5 + 0.55 * face * (0.85 + 0.3 * n.fbm(x * 0.2, y * 0.1, 3)))
            col = mix(col, mix(rock, (170, 180, 210), haze), cov)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    for _ in range(25):  # desert shrubs on the foreground
        x = rng.random() * w
        y = h * 0.9 + rng.random() * h * 0.1
        if y > layers[2][0][int(x)] + 3:
            c.disc(x, y, 0.8 + rng.random(), (95, 90, 50), 0.7)
    return c


def pic_moonlit_sea(w, h, seed):
    n = Noise(seed)
    hor = h * 0.62
    sky = Ramp([(0, '#030818'), (0.7, '#10224a'), (1, '#2a4670')])
    moon_x, moon_y, moon_r = w * 0.38, h * 0.22, 11.0

    def fn(x, y):
        if y < hor:
            col = sky(y / hor)
            d = math.hypot(x - moon_x, y - moon_y)
            col = screen(col, (170, 190, 230), math.exp(-d / 30.0) * 0.5)
            a, lit = cloud_at(n, x, y, 1 / 55.0, 1 / 16.0, 0.55, 0.72)
            if a:
                rim = math.exp(-d / 45.0)
                cloud = mix((20, 30, 55), (170, 185, 215), clamp01(lit * 0.5 + rim * 0.9))
                col = mix(col, cloud, a * 0.9)
            return col
        dist = y - hor
        z = 30.0 / (dist + 1.5)
        zz = max(z, 0.8)  # keep the nearest ripples small
        wave = n.fbm((x - w / 2) * zz * 0.3, z * 9.0 + y * 0.6, 3)
        col = mix(hexc('#1c2d52'), hexc('#050a18'), clamp01(dist / (h - hor)))
        spread = 4 + dist * 0.6
        k = math.exp(-((x - moon_x) / spread) ** 2)
        return screen(col, (220, 230, 255), smooth(0.5, 0.72, wave) * k * 0.95 + smooth(0.65, 0.8, wave) * 0.12)

    c = Canvas(w, h)
    c.paint(fn)
    c.disc(moon_x, moon_y, moon_r, lambda x, y:
           scale((245, 242, 225), 0.8 + 0.2 * smooth(0.55, 0.4, n.fbm(x * 0.25, y * 0.25, 3))))
    # dark rocks in the right foreground, rimmed by moonlight
    rocks = profile(n, w, h * 0.78, h * 0.1, 0.03, 4, phase=40)
    m = Mask(w, h)
    for x in range(w):
        top = rocks[x] + (1.0 - smooth(w * 0.6, w * 0.85, x)) * h
        for y in range(max(0, int(top)), h):
            m.put(x, y, clamp01(y + 1 - top))
    c.apply(m, lambda x, y, old: mix((6, 8, 14), (60, 70, 95),
                                     clamp01(1.2 - (y - rocks[x]) / 3.0) * 0.6))
    return c


def pic_agate(w, h, seed):
    n = Noise(seed)
    bands = Ramp([(0, '#0b2a4a'), (0.15, '#1f6f8b'), (0.3, '#8fd3d0'), (0.38, '#f4f1e4'),
                  (0.5, '#3a8fb0'), (0.62, '#0d3b5c'), (0.75, '#d9a441'), (0.85, '#f6e3b0'), (1, '#0b2a4a')])

    def fn(x, y):
        # fractal noise warped by itself gives the swirling bands of polished stone
        px, py = x / 150.0, y / 150.0
        qx = n.fbm(px, py, 4)
        qy = n.fbm(px + 5.2, py + 1.3, 4)
        rx = n.fbm(px + 4 * qx + 1.7, py + 4 * qy + 9.2, 4)
        ry = n.fbm(px + 4 * qx + 8.3, py + 4 * qy + 2.8, 4)
        v = n.fbm(px + 4 * rx, py + 4 * ry, 4)
        col = bands((v * 3.0) % 1.0)
        return scale(col, 0.75 + 0.4 * rx)

    c = Canvas(w, h)
    c.paint(fn)
    return c


def sunflower(c, n, rng, cx, cy, R, tilt=0.0):
    """A sunflower head: golden-angle seeds inside a ring of shaded petals."""
    petals = Mask(c.w, c.h)
    count = 26
    for k in range(count):
        a = k * 2 * math.pi / count + rng.random() * 0.1
        d = R * (0.78 + 0.1 * rng.random())
        petals.ellipse(cx + math.cos(a) * d, cy + math.sin(a) * d * (1 - tilt),
                       R * 0.42, R * 0.12, a if tilt == 0 else math.atan2(math.sin(a) * (1 - tilt), math.cos(a)))
    def petal(x, y, old):
        t = math.hypot(x - cx, y - cy) / R  # darker near the head, bright at the tips
        col = mix(hexc('#d9780c'), hexc('#ffd640'), smooth(0.45, 1.0, t))
        return scale(col, 0.9 + 0.2 * n.fbm(x * 0.15, y * 0.15, 2) + 0.1 * (cy - y) / R)
    c.apply(petals, petal)
    seeds = int(R * R * 1.2)
    golden = math.pi * (3.0 - math.sqrt(5.0))
    core = R * 0.5
    c.disc(cx, cy, core + 1, (40, 22, 10))
    for i in range(seeds):
        r = core * math.sqrt((i + 0.5) / seeds)
        a = i * golden
        sx, sy = cx + r * math.cos(a), cy + r * math.sin(a) * (1 - tilt)
        t = r / core
        col = mix((150, 110, 40), (105, 55, 20), smooth(0.2, 0.5, t))
        col = scale(col, 1.0 - 0.5 * smooth(0.75, 1.0, t))
        c.disc(sx, sy, max(0.5, core * 0.045), col, 0.9)


def pic_sunflowers(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)

    def bg(x, y):
        # an out-of-focus summer background: blue sky over soft green blotches
        t = n.fbm(x * 0.015, y * 0.015, 3)
        sky = mix(hexc('#8fc3ee'), hexc('#4f8fd8'), clamp01(1 - y / h))
        leaf = mix(hexc('#3c7a2c'), hexc('#a6c85a'), t)
        return mix(sky, leaf, smooth(0.35, 0.6, t + y / h * 0.5))

    c = Canvas(w, h)
    c.paint(bg)
    for _ in range(20):
        c.disc(rng.random() * w, rng.random() * h, 5 + rng.random() * 10,
               (255, 240, 170) if rng.random() < 0.5 else (200, 230, 160), 0.15)
    stems = Mask(w, h)
    stems.stroke(bezier((w * 0.66, h * 0.5), (w * 0.62, h * 0.8), (w * 0.68, h + 4), 12), 3.0, 3.6)
    stems.stroke(bezier((w * 0.2, h * 0.4), (w * 0.23, h * 0.7), (w * 0.18, h + 4), 12), 1.8, 2.4)
    leaves = Mask(w, h)
    leaves.ellipse(w * 0.75, h * 0.8, 18, 7, -0.5)
    leaves.ellipse(w * 0.56, h * 0.9, 15, 6, 0.6)
    c.apply(leaves, lambda x, y, old: mix(hexc('#2f6e24'), hexc('#6aa83a'), n.fbm(x * 0.2, y * 0.2, 2)))
    c.apply(stems, hexc('#4a8a2e'))
    sunflower(c, n, rng, w * 0.2, h * 0.36, h * 0.16, 0.2)
    sunflower(c, n, rng, w * 0.64, h * 0.46, h * 0.34)
    return c


def pic_rainbow(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)
    hor = h * 0.6
    sky = Ramp([(0, '#56627c'), (0.5, '#8a9ab2'), (1, '#dfe4e6')])
    cx, cy, R = w * 0.45, h * 1.05, h * 0.85
    spectrum = Ramp([(0, '#7a3cff'), (0.2, '#3c6cff'), (0.4, '#3cd070'), (0.6, '#ffe23c'),
                     (0.8, '#ff8a2c'), (1, '#ff3c3c')])
    hills = profile(n, w, hor, h * 0.08, 0.008, 4, phase=6)
    near = profile(n, w, h * 0.8, h * 0.07, 0.006, 4, phase=14)

    def fn(x, y):
        col = sky(y / hor)
        # a retreating rain front: dark, soft clouds that thin out to the right
        d = n.fbm(x / 70.0, y / 28.0, 4)
        a = smooth(0.42, 0.62, d) * smooth(w * 1.1, w * 0.1, x) * smooth(hor, hor * 0.4, y)
        if a:
            col = mix(col, mix((70, 76, 94), (175, 182, 196), clamp01((d - 0.42) * 3)), a * 0.85)
        t = (math.hypot(x - cx, y - cy) - R) / (h * 0.09)
        if 0.0 < t < 1.0:
            col = screen(col, spectrum(t), 0.7 * math.sin(math.pi * t) ** 0.7)
        elif t < 0.0:
            col = screen(col, (255, 255, 255), 0.12 * math.exp(t * 3))  # brighter inside the bow
        # the sun breaks through: moving patches of light and cloud shadow on the land
        sun = smooth(0.42, 0.58, n.fbm(x / 60.0 + 9, y / 20.0, 3))
        for prof, shadow, lit, haze in ((hills, '#2e5a36', '#7fb04a', 0.25), (near, '#3f6e2a', '#b5d45a', 0.0)):
            cov = clamp01(y + 1 - prof[x])
            if cov:
                g = mix(hexc(shadow), hexc(lit), sun * (0.8 + 0.3 * n.fbm(x * 0.08, y * 0.2, 3)))
                g = scale(g, shade_by_slope(prof, x, y - prof[x], 0.1, 10))
                col = mix(col, mix(g, (150, 165, 170), haze), cov)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    # hedgerows along the near hill and a few trees on the far one
    tree_blobs(c, rng, [i * 5.0 + 4 * rng.random() for i in range(int(w / 5))], lambda x: near[min(w - 1, int(x))] + 1,
               3.0, (25, 55, 25), (70, 120, 45))
    tree_blobs(c, rng, [w * 0.08, w * 0.58, w * 0.63, w * 0.9], lambda x: hills[int(x)] + 2, 5,
               (25, 60, 30), (80, 140, 60))
    # a small white house with a red roof on the far slope
    hx = int(w * 0.74)
    hy = hills[hx] + 5
    for yy in range(int(hy - 5), int(hy)):
        for xx in range(hx - 5, hx + 5):
            c.blend(xx, yy, (236, 232, 220) if xx < hx + 2 else (190, 186, 176), 1.0)
    roof = Mask(w, h)
    roof.shape(hy - 9, hy - 5, lambda yc: 6.5 * (yc - (hy - 9)) / 4.0, hx)
    c.apply(roof, (170, 50, 40))
    return c


def pic_planet(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)
    px0, py0, R = w * 0.6, h * 0.4, h * 0.25
    tilt = 0.35
    ct, st = math.cos(tilt), math.sin(tilt)
    bands = Ramp([(0, '#d9b38c'), (0.2, '#a8674a'), (0.35, '#f0d9b5'), (0.5, '#c98a5a'),
                  (0.65, '#efe2c8'), (0.8, '#9c5a3c'), (1, '#e6c9a0')])
    light = (-0.6, -0.45, 0.66)  # from upper left, somewhat towards the viewer
    ground = profile(n, w, h * 0.78, h * 0.04, 0.006, 4, phase=2)

    def ring_at(x, y):
        """Ring coverage and colour at a screen point, and whether it lies in front of the planet."""
        dx, dy = x + 0.5 - px0, y + 0.5 - py0
        u = dx * ct + dy * st
        v = (-dx * st + dy * ct) / 0.22  # the ring plane seen at a shallow angle
        r = math.hypot(u, v) / R
        if r < 1.35 or r > 2.25:
            return 0.0, None, False
        a = 0.55 + 0.45 * math.sin(r * 40.0) * math.sin(r * 13.0)
        a *= smooth(1.35, 1.42, r) * smooth(2.25, 2.15, r) * (0.2 if 1.78 < r < 1.84 else 1.0)
        col = mix(hexc('#c8b49a'), hexc('#f3e6cf'), 0.5 + 0.5 * math.sin(r * 23.0))
        return a, col, v > 0

    def fn(x, y):
        # deep space: faint coloured nebula
        neb = n.fbm(x * 0.008, y * 0.008, 5)
        col = mix((4, 5, 14), (60, 25, 80), smooth(0.45, 0.75, neb))
        col = screen(col, (30, 80, 120), smooth(0.5, 0.8, n.fbm(x * 0.01 + 7, y * 0.01, 4)) * 0.6)
        a, rc, front = ring_at(x, y)
        if a and not front:
            col = mix(col, scale(rc, 0.8), a)
        dx, dy = x + 0.5 - px0, y + 0.5 - py0
        d = math.hypot(dx, dy)
        if d < R + 1:
            cov = clamp01(R - d + 0.5)
            nz = math.sqrt(max(0.0, 1 - (d / R) ** 2))
            nx, ny = dx / R, dy / R
            lat = (-nx * st + ny * ct)
            swirl = n.fbm(nx * 3 + 2, lat * 10, 4)
            base = bands(clamp01(0.5 + lat * 0.55 + 0.12 * (swirl - 0.5)))
            lam = max(0.0, nx * light[0] + ny * light[1] + nz * light[2])
            body = scale(base, 0.08 + 1.0 * lam ** 0.8)
            # the rings throw a thin shadow band across the disc
            if abs(lat + 0.18) < 0.05:
                body = scale(body, 0.55)
            rim = (1 - nz) ** 3 * lam
            body = screen(body, (255, 220, 180), rim * 0.6)
            col = mix(col, body, cov)
        else:
            col = screen(col, (120, 100, 80), math.exp(-(d - R) / 5.0) * 0.3)
        if a and front:
            col = mix(col, rc, a)
        # a grey moonscape in front
        cov = clamp01(y + 1 - ground[x])
        if cov:
            dist = y - ground[x]
            t = n.fbm(x * 0.05, y * 0.1, 4)
            lit = shade_by_slope(ground, x, dist, 0.2, 6)
            col = mix(col, scale(mix((70, 68, 72), (150, 146, 148), t), lit * (0.7 + 0.3 * dist / h)), cov)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    stars(c, rng, int(w * h / 100), h * 0.8, skyline=ground)
    # redraw the planet over stars that fell on it
    for y in range(int(py0 - R * 2.4), int(py0 + R * 2.4) + 1):
        for x in range(int(px0 - R * 2.4), int(px0 + R * 2.4) + 1):
            if 0 <= x < w and 0 <= y < h and y < ground[x] - 1:
                a, _, _ = ring_at(x, y)
                if a or math.hypot(x + 0.5 - px0, y + 0.5 - py0) < R + 1:
                    c.px[y * w + x] = fn(x, y)
    # craters: dark bowls with a lit far rim, flattened by perspective
    for _ in range(14):
        x = rng.random() * w
        y = ground[int(x)] + 6 + rng.random() * (h - ground[int(x)] - 6)
        rx = 3 + (y - h * 0.78) / h * 60 * rng.random()
        ry = rx * 0.3
        m = Mask(w, h)
        m.ellipse(x, y, rx, ry)
        c.apply(m, lambda px, py, old, x=x, y=y, rx=rx, ry=ry:
                scale(old, 0.55 + 0.9 * clamp01((py - y) / (2 * ry) + 0.5) ** 2))
    return c


def pic_lighthouse(w, h, seed):
    n = Noise(seed)
    hor = h * 0.5
    sky = Ramp([(0, '#2f6ec2'), (1, '#cfe3f2')])
    top = [h * 0.47 - h * 0.07 * smooth(w * 0.55, w, x) + 4 * (n.fbm(x * 0.05, 3.0, 3) - 0.5) for x in range(w)]

    def edge(y):
        """x of the cliff face at row y: ragged, leaning out a little at the top."""
        return w * 0.6 + (y - h) * 0.08 + 14 * (n.fbm(y * 0.04, 8.0, 4) - 0.5)

    def fn(x, y):
        if y < hor:
            col = sky(y / hor)
            a, lit = cloud_at(n, x, y, 1 / 45.0, 1 / 20.0, 0.52, 0.68)
            if a:
                col = mix(col, mix((170, 185, 210), (255, 255, 255), lit), a)
        else:
            dist = y - hor
            z = 30.0 / (dist + 1.5)
            wave = n.fbm((x - w / 2) * max(z, 0.6) * 0.12, z * 5.0 + y * 0.25, 4)
            col = mix(hexc('#3b7fb5'), hexc('#0f3f6a'), clamp01(dist / (h - hor)))
            col = scale(col, 0.8 + 0.45 * wave)
            col = screen(col, (255, 255, 255), smooth(0.68, 0.8, wave) * 0.5)
            # surf breaks white at the foot of the cliff
            foam = smooth(12.0, 0.0, abs(x - edge(y)) + 8 * n.fbm(x * 0.2, y * 0.3, 3)) * smooth(hor, hor + 10, y)
            col = mix(col, (245, 250, 252), foam * 0.85)
        e = edge(y)
        cov = clamp01(x + 1 - e) * clamp01(y + 1 - top[x])
        if cov:
            depth = y - top[x]
            grass = mix(hexc('#4f8a2f'), hexc('#8cbf4a'), n.fbm(x * 0.2, y * 0.3, 3))
            # layered rock split by vertical cracks
            strata = 0.5 + 0.5 * math.sin(y * 0.45 + 4.0 * n.fbm(x * 0.02, y * 0.03, 3))
            crack = n.ridged(x * 0.12, y * 0.025, 3)
            stone = mix(hexc('#8a7a64'), hexc('#d8c8a8'), strata * 0.7 + 0.3 * n.fbm(x * 0.1, y * 0.2, 3))
            stone = scale(stone, 1.0 - 0.45 * smooth(0.55, 0.8, crack))
            # the face towards the sea catches the light; further in it lies in shadow
            stone = scale(stone, 0.6 + 0.45 * math.exp(-(x - e) / 12.0))
            col = mix(col, mix(grass, stone, smooth(2, 6, depth + 4 * n.value(x * 0.3, 1) - (x - e) * 0.02)), cov)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    # the lighthouse: a tapering tower with red bands, a gallery and a lantern
    lx = w * 0.82
    base = top[int(lx)] + 2
    top = base - h * 0.3
    tower = Mask(w, h)
    tower.shape(top, base, lambda yc: 6.5 - 2.5 * (base - yc) / (base - top), lx)
    c.apply(tower, lambda x, y, old: scale((200, 40, 35) if int((base - y) / ((base - top) / 5)) % 2 else (246, 244, 238),
                                           0.7 + 0.4 * clamp01(0.5 - (x - lx) / 8)))
    for yy in range(int(top - 2), int(top)):
        for xx in range(int(lx - 6), int(lx + 7)):
            c.blend(xx, yy, (40, 40, 45), 1.0)
    for yy in range(int(top - 8), int(top - 2)):
        for xx in range(int(lx - 3), int(lx + 4)):
            c.blend(xx, yy, (255, 240, 170), 1.0)
    roof = Mask(w, h)
    roof.shape(top - 13, top - 8, lambda yc: 1 + 4.5 * (yc - (top - 13)) / 5.0, lx)
    c.apply(roof, (160, 30, 30))
    c.glow(lx, top - 5, 4, (255, 240, 180), 0.5)
    return c


def balloon(c, cx, cy, R, colours, light=(-0.5, -0.4)):
    """A hot-air balloon: striped envelope, ropes and a basket."""
    m = Mask(c.w, c.h)

    def hw(yc):
        v = (yc - cy) / R
        if v < -1 or v > 1.45:
            return None
        if v <= 0.3:
            return R * math.sqrt(max(0.0, 1 - v * v))
        return R * (0.954 - (v - 0.3) / 1.15 * 0.78)  # the tapering skirt

    m.shape(cy - R, cy + 1.45 * R, hw, cx)
    k = len(colours)

    def envelope(x, y, old):
        half = hw(y + 0.5) or 1.0
        u = max(-1.0, min(1.0, (x + 0.5 - cx) / half))
        gore = int((math.asin(u) / math.pi + 0.5) * k * 2) % k  # stripes follow the curvature
        nz = math.sqrt(max(0.0, 1 - u * u))
        v = (y - cy) / R
        shade = 0.45 + 0.65 * clamp01(nz * 0.8 - u * light[0] * 0.9 - v * light[1] * 0.6)
        return scale(colours[gore], shade)

    c.apply(m, envelope)
    ropes = Mask(c.w, c.h)
    by = cy + 1.75 * R
    for s in (-1, 1):
        ropes.stroke([(cx + s * 0.18 * R, cy + 1.45 * R), (cx + s * 0.1 * R, by)], max(0.3, R * 0.02))
    c.apply(ropes, (60, 50, 40))
    basket = Mask(c.w, c.h)
    basket.shape(by, by + 0.22 * R, lambda yc: 0.13 * R, cx)
    c.apply(basket, (120, 80, 45))


def pic_balloons(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)
    sky = Ramp([(0, '#3d78c8'), (0.6, '#9cc5ea'), (0.85, '#f8d8b8'), (1, '#fbe7c8')])
    valleys = [(profile(n, w, h * (0.78 + 0.06 * k), h * 0.03, 0.012, 4, phase=9 * k), k / 3.0) for k in range(4)]

    def fn(x, y):
        col = sky(y / h)
        a, lit = cloud_at(n, x, y, 1 / 50.0, 1 / 25.0, 0.58, 0.72)
        if a:
            col = mix(col, mix((200, 200, 220), (255, 255, 255), lit), a * 0.8)
        for prof, t in valleys:
            cov = clamp01(y + 1 - prof[x])
            if cov:
                hill = mix(hexc('#9fb3c8'), hexc('#3f6a3a'), t)
                mist = smooth(prof[x] + 14, prof[x], y) * (1 - t) * 0.5  # morning mist in each fold
                col = mix(col, mix(hill, (235, 230, 225), mist), cov)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    schemes = [[(230, 60, 50), (250, 200, 40)], [(40, 110, 210), (250, 250, 245), (230, 60, 50)],
               [(120, 200, 70), (250, 220, 60)], [(160, 70, 190), (250, 150, 50)], [(30, 170, 170), (245, 245, 240)]]
    # far (small, hazy) to near (large)
    spots = [(0.78, 0.62, 6), (0.25, 0.5, 8), (0.62, 0.38, 11), (0.2, 0.18, 16), (0.62, 0.14, 26)]
    for (fx, fy, R), cols in zip(spots, schemes):
        cx = w * fx + (rng.random() - 0.5) * 10
        cy = h * fy
        haze = 0.35 * (1.0 - R / 26.0)
        balloon(c, cx, cy, R * w / 240.0, [mix(col, (190, 205, 225), haze) for col in cols])
    return c


def pic_reef(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)
    water = Ramp([(0, '#5ad0e0'), (0.4, '#1a8ab8'), (1, '#0a3a6a')])
    floor = profile(n, w, h * 0.8, h * 0.05, 0.01, 4, phase=4)

    def fn(x, y):
        col = water(y / h)
        # sunbeams from above the surface, fanning from a point high above the frame
        ang = math.atan2(x - w * 0.4, y + h * 0.6)
        ray = n.fbm(ang * 14.0, 2.5, 3)
        col = screen(col, (210, 250, 255), smooth(0.5, 0.7, ray) * 0.45 * (1 - y / h))
        cov = clamp01(y + 1 - floor[x])
        if cov:
            # caustics: a net of bright lines on the sand
            cst = 1.0 - abs(2.0 * n.fbm(x * 0.08, y * 0.16, 3) - 1.0)
            sand = mix(hexc('#c9b98a'), hexc('#f2e6c0'), smooth(0.75, 0.95, cst))
            col = mix(col, mix(sand, hexc('#2a7a9a'), 0.35 * (1 - (y - floor[x]) / (h - floor[x] + 1))), cov)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    # branching corals: low bushy forks in warm colours, bigger towards the front
    palette = [(240, 110, 140), (250, 160, 60), (190, 90, 200), (250, 220, 90), (230, 80, 70)]
    for k in range(16):
        x = rng.random() * w
        y = floor[min(w - 1, int(x))] + 2 + rng.random() * (h - floor[min(w - 1, int(x))]) * 0.8
        size = 0.6 + 1.2 * (y - h * 0.75) / (h * 0.25)
        col = palette[int(rng.random() * len(palette))]
        m = Mask(w, h)
        stack = [(x, y, -math.pi / 2 + (rng.random() - 0.5) * 1.2, h * 0.035 * size, 1.6 * size)
                 for _ in range(3)]
        while stack:
            bx, by, a, ln, r = stack.pop()
            ex, ey = bx + math.cos(a) * ln, by + math.sin(a) * ln
            m.stroke([(bx, by), (ex, ey)], r, r * 0.8)
            if ln > 2.5 * size:
                for da in (-0.55, 0.1, 0.6)[:2 + int(rng.random() * 2)]:
                    stack.append((ex, ey, a + da + (rng.random() - 0.5) * 0.5, ln * 0.78, r * 0.8))
            else:
                m.ellipse(ex, ey, r + 0.5, r + 0.5)
        c.apply(m, lambda px, py, old, col=col: scale(col, 0.7 + 0.4 * n.fbm(px * 0.3, py * 0.3, 2)))
    for _ in range(8):  # round brain corals with meandering grooves
        x = rng.random() * w
        y = floor[int(x)] + 6 + rng.random() * 12
        r = 4 + rng.random() * 6
        c.disc(x, y, r, lambda px, py, x=x, y=y, r=r:
               scale((170, 190, 100), (0.55 + 0.5 * clamp01(0.5 - (py - y) / (2 * r))) *
                     (0.8 + 0.2 * math.sin(n.fbm(px * 0.1, py * 0.1, 2) * 40))))
    # a small shoal of fish
    for _ in range(9):
        fx = w * 0.55 + rng.random() * w * 0.35
        fy = h * 0.3 + rng.random() * h * 0.25
        m = Mask(w, h)
        m.ellipse(fx, fy, 4.5, 2.2)
        m.shape(fy - 2.2, fy + 2.2, lambda yc, fy=fy: 1.8 * abs(yc - fy) / 2.2 + 0.2, fx + 5.5)
        c.apply(m, lambda px, py, old, fy=fy: mix((255, 150, 30), (255, 230, 120), clamp01(0.5 - (py - fy) / 4.0)))
        c.blend(int(fx - 3), int(fy - 1), (20, 20, 30), 1.0)
    for _ in range(25):  # bubbles
        x = rng.random() * w
        y = rng.random() * h * 0.75
        c.disc(x, y, 0.8 + rng.random() * 1.5, (220, 250, 255), 0.35)
    return c


def pic_fields(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)
    hor = h * 0.5
    sky = Ramp([(0, '#144ca8'), (0.7, '#5f9be0'), (1, '#c8def0')])
    woods = profile(n, w, hor - 2, 3.0, 0.03, 4, phase=2)

    def fn(x, y):
        if y < hor:
            col = sky(y / hor)
            a, lit = cloud_at(n, x, y * 1.2, 1 / 55.0, 1 / 35.0, 0.5, 0.65)
            a *= smooth(hor, hor * 0.6, y)
            if a:
                col = mix(col, mix((150, 165, 195), (255, 255, 255), lit), a)
            cov = clamp01(y + 1 - woods[x])
            if cov:
                col = mix(col, mix(hexc('#2f5a34'), hexc('#5a8a4a'), n.fbm(x * 0.3, y * 0.3, 2)), cov)
            return col
        # ground plane coordinates: X across, Z away from the viewer
        dist = y + 0.5 - hor
        X = (x + 0.5 - w * 0.45) / dist * 8.0
        Z = 40.0 / dist
        pz = Z / 0.4
        cz = math.floor(pz)
        # each strip of plots is shifted and sized on its own so no grid shows
        row_k = n.vals[int(cz) & 255]
        px = X / (2.0 + 2.5 * row_k) + 0.12 * Z + row_k * 7.0
        cx = math.floor(px)
        fx, fz = px - cx, pz - cz
        kind = n.vals[n.perm[(n.perm[int(cx) & 255] + int(cz)) & 255]]
        if kind < 0.45:  # rapeseed in flower
            crop = mix(hexc('#e8c81a'), hexc('#fff06a'), n.fbm(X * 2.0, Z * 6.0, 3))
        elif kind < 0.75:  # young wheat
            crop = mix(hexc('#4f8f2a'), hexc('#9cc45a'), n.fbm(X * 2.0, Z * 6.0, 3))
        elif kind < 0.9:  # meadow
            crop = mix(hexc('#7fae45'), hexc('#b8d470'), n.fbm(X * 1.5, Z * 4.0, 3))
        else:  # ploughed
            crop = mix(hexc('#7a5a3a'), hexc('#a98060'), 0.5 + 0.5 * math.sin(px * 60.0))
        # drill rows run away from the viewer; fade them before they get finer than a pixel
        rows = 0.5 + 0.5 * math.sin(px * 40.0)
        crop = scale(crop, 1.0 - 0.12 * rows * smooth(30, 90, dist))
        # hedges along the plot borders, about a pixel wide whatever the distance
        hx = min(fx, 1 - fx) / (8.0 / ((2.0 + 2.5 * row_k) * dist))
        hz = min(fz, 1 - fz) / (40.0 / (0.4 * dist * dist))
        crop = mix(hexc('#2f5a26'), crop, smooth(0.3, 1.3, min(hx, hz * 1.5)))
        return mix(crop, (170, 195, 185), math.exp(-dist / 10.0) * 0.6)

    c = Canvas(w, h)
    c.paint(fn)
    tree_blobs(c, rng, [w * 0.15, w * 0.18, w * 0.72], lambda x: woods[int(x)] + 4, 7,
               (30, 70, 30), (90, 140, 60))
    return c


def dialog_picture(w, h, seed):
    """The settings dialog's picture: the emblem floating over a little landscape."""
    n = Noise(seed)
    sky = Ramp([(0, '#2a5fb8'), (1, '#bcd9f0')])
    hills = profile(n, w, h * 0.72, h * 0.08, 0.03, 4, phase=3)
    near = profile(n, w, h * 0.88, h * 0.06, 0.02, 4, phase=8)

    def fn(x, y):
        col = sky(y / (h * 0.75))
        a, lit = cloud_at(n, x, y, 1 / 25.0, 1 / 12.0, 0.55, 0.7)
        if a:
            col = mix(col, mix((190, 200, 220), (255, 255, 255), lit), a)
        for prof, base in ((hills, hexc('#4f8f3a')), (near, hexc('#8fc04a'))):
            cov = clamp01(y + 1 - prof[x])
            if cov:
                col = mix(col, scale(base, shade_by_slope(prof, x, y - prof[x], 0.1, 4) *
                                     (0.9 + 0.2 * n.fbm(x * 0.2, y * 0.3, 2))), cov)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    cover, colour = emblem(w, h, w * 0.5, h * 0.4, w * 0.41, h * 0.28)
    for i in range(w * h):
        if cover[i] > 0:
            c.px[i] = mix(c.px[i], colour[i], cover[i])
    return c


# ---------------------------------------------------------------------------
# The emblem: an oval badge with the product name
# ---------------------------------------------------------------------------

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


# ---------------------------------------------------------------------------
# Icon: 32 x 32, 16 standard colours, with a transparency mask
# ---------------------------------------------------------------------------

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


def ico_bytes(px):
    size = 32
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 512 + 128, 0, 0, 0, 0)
    pal = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in VGA16)
    xor = bytearray()
    andm = bytearray()
    for y in range(size - 1, -1, -1):
        row = [px[y * size + x] for x in range(size)]
        for x in range(0, size, 2):
            xor.append(((row[x] or 0) << 4) | (row[x + 1] or 0))
        bits = 0
        for x in range(size):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        andm += struct.pack('>I', bits)
    image = info + pal + bytes(xor) + bytes(andm)
    assert len(image) == 744
    head = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(image), 22)
    return head + image


# ---------------------------------------------------------------------------
# Sound: a soft two-note chime
# ---------------------------------------------------------------------------

WAVE_RATE = 8000
WAVE_SAMPLES = 18949  # 2.37 s


def chime_samples():
    """Unsigned 8-bit samples: two struck bell tones that ring out and fade to silence.

    Each strike is a few partials with bell-like (not quite harmonic) ratios;
    the higher ones die away faster, which keeps the sound mellow.
    """
    partials = [(1.0, 1.0, 0.9), (2.0, 0.45, 0.55), (2.76, 0.22, 0.35), (4.07, 0.1, 0.22)]
    strikes = [(0.0, 659.26, 1.0), (0.36, 523.25, 0.9)]  # E5 then C5
    out = [0.0] * WAVE_SAMPLES
    for start, freq, amp in strikes:
        first = int(start * WAVE_RATE)
        for ratio, level, decay in partials:
            f = freq * ratio
            if f > WAVE_RATE * 0.45:
                continue
            step = 2 * math.pi * f / WAVE_RATE
            for n in range(first, WAVE_SAMPLES):
                t = (n - first) / WAVE_RATE
                attack = clamp01(t / 0.01)
                out[n] += amp * level * attack * math.exp(-t / decay) * math.sin(step * (n - first))
    peak = max(abs(v) for v in out)
    fade_from = WAVE_SAMPLES - int(0.5 * WAVE_RATE)
    samples = bytearray()
    for n, v in enumerate(out):
        if n > fade_from:  # a final cosine fade so the sound ends in true silence
            v *= 0.5 + 0.5 * math.cos(math.pi * (n - fade_from) / (WAVE_SAMPLES - 1 - fade_from))
        samples.append(128 + int(round(v / peak * 72)))
    return bytes(samples)


def wav_bytes(samples):
    fmt = struct.pack('<HHIIHH', 1, 1, WAVE_RATE, WAVE_RATE, 1, 8)
    # The data chunk is the last one, so it carries no trailing pad byte even
    # though its length is odd: the file is exactly 8 + the RIFF size long.
    body = b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt + b'data' + struct.pack('<I', len(samples)) + samples
    return b'RIFF' + struct.pack('<I', len(body)) + body


# ---------------------------------------------------------------------------
# Previews for people (PNG), never loaded by the program
# ---------------------------------------------------------------------------


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


# ---------------------------------------------------------------------------
# What gets written
# ---------------------------------------------------------------------------

# The painter of each picture, by resource number (which is also its seed).
PAINTERS = {
    105: pic_summer_hills, 106: pic_sea_sunset, 107: pic_alpine,
    108: pic_starry_night, 109: pic_aurora, 110: pic_dunes,
    111: pic_cloud_sea, 112: pic_poppies, 114: pic_mountain_lake,
    115: pic_beach, 116: pic_autumn_wood, 117: pic_mandala,
    118: pic_lavender, 119: pic_misty_pines, 120: pic_canyon,
    121: pic_moonlit_sea, 122: pic_agate, 123: pic_sunflowers,
    124: pic_rainbow, 125: pic_planet, 126: pic_lighthouse,
    127: pic_balloons, 128: pic_reef, 150: pic_fields,
}


def main(out_dir):
    preview_dir = os.path.join(out_dir, 'preview')
    os.makedirs(preview_dir, exist_ok=True)

    def report(name, data):
        write(os.path.join(out_dir, name), data)
        print('%-20s %7d bytes' % (name, len(data)))

    logo, mask = logo_and_mask()
    report(catalog.LOGO.file, bmp_bytes(logo))
    report(catalog.LOGO_MASK.file, bmp_bytes(mask))

    pictures = []
    for picture in catalog.PICTURES:
        img = quantise(PAINTERS[picture.ident](picture.width, picture.height, picture.ident))
        pictures.append((picture.ident, img))
        report(picture.file, bmp_bytes(img))

    image = catalog.DIALOG_IMAGE
    dialog = quantise(dialog_picture(image.width, image.height, image.ident))
    report(image.file, bmp_bytes(dialog))
    report(catalog.SOUND.file, wav_bytes(chime_samples()))
    icon = icon_pixels()
    report(catalog.ICON.file, ico_bytes(icon))

    write(os.path.join(preview_dir, 'contact_sheet.png'), preview_contact_sheet(pictures, dialog))
    black = [(0, 0, 0)] * (LOGO_W + 40) * (LOGO_H + 40)
    write(os.path.join(preview_dir, 'logo_over_black.png'),
          png_bytes(LOGO_W + 40, LOGO_H + 40, compose_logo(black, LOGO_W + 40, LOGO_H + 40, logo, mask, 20, 20)))
    back = dict(pictures)[125]
    write(os.path.join(preview_dir, 'logo_over_picture.png'),
          png_bytes(back.w, back.h, compose_logo(back.rgb(), back.w, back.h, logo, mask, 85, 150)))
    write(os.path.join(preview_dir, 'icon.png'), preview_icon(icon))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else
         os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, 'assets'))
