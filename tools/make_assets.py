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


def stars(c, rng, count, ymax, tint=(200, 215, 255)):
    for _ in range(count):
        x = rng.random() * c.w
        y = rng.random() * ymax
        b = rng.random() ** 3
        col = mix((255, 255, 255), tint, rng.random())
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


def pic_alpine(w, h, seed):
    n = Noise(seed)
    rng = unit_random(seed)
    sky = Ramp([(0, '#1f5fb8'), (1, '#a9cdf0')])
    peaks = profile(n, w, h * 0.30, h * 0.17, 0.006, 6, phase=7, ridged=True)
    back = profile(n, w, h * 0.42, h * 0.09, 0.009, 5, phase=2, ridged=True)
    meadow = profile(n, w, h * 0.72, h * 0.05, 0.006, 4, phase=19)
    forest_base = profile(n, w, h * 0.66, h * 0.04, 0.01, 3, phase=31)
    snow_line = h * 0.42

    def rock(prof, x, y, far):
        depth = y - prof[x]
        lit = shade_by_slope(prof, x, depth, 0.12, 30)
        grain = n.fbm(x * 0.05, y * 0.12, 4)
        # snow sticks to the higher, flatter parts
        snow = smooth(-0.06, 0.06, (snow_line + 25 * (grain - 0.5)) - y) * smooth(3.5, 0.5, abs(prof[min(x + 1, w - 1)] - prof[max(x - 1, 0)]) + 2.5 * grain)
        stone = mix(hexc('#5d6275'), hexc('#8a8d99'), grain)
        col = mix(stone, mix(hexc('#b9c6dc'), (250, 250, 255), clamp01(lit - 0.6)), max(snow, 0.0))
        col = scale(col, clamp01(0.55 + 0.45 * lit) * 1.05)
        return mix(col, (190, 210, 235), far)

    def fn(x, y):
        col = sky(y / (h * 0.5))
        a, lit = cloud_at(n, x, y, 1 / 50.0, 1 / 30.0, 0.56, 0.7)
        if a:
            col = mix(col, mix((180, 195, 220), (255, 255, 255), lit), a)
        cov = clamp01(y + 1 - peaks[x])
        if cov:
            col = mix(col, rock(peaks, x, y, 0.25), cov)
        cov = clamp01(y + 1 - back[x])
        if cov:
            col = mix(col, rock(back, x, y, 0.1), cov)
        cov = clamp01(y + 1 - meadow[x])
        if cov:
            t = n.fbm(x * 0.12, y * 0.3, 3)
            grass = mix(hexc('#4f8f2a'), hexc('#a8cc4c'), t)
            col = mix(col, scale(grass, 0.9 + 0.25 * (y - meadow[x]) / h), cov)
        return col

    c = Canvas(w, h)
    c.paint(fn)
    pines = pine_mask(w, h, rng, 70, lambda x: forest_base[min(w - 1, max(0, int(x)))] + 6, h * 0.13, h * 0.06)
    c.apply(pines, lambda x, y, old: mix(hexc('#1d3a26'), hexc('#33573a'), n.value(x * 0.4, y * 0.4)))
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
    stars(c, rng, int(w * h / 60), h * 0.85)
    # a lone tree and a lit window on the skyline
    tx = w * 0.7
    ty = hills[int(tx)] + 2
    m = Mask(w, h)
    m.stroke([(tx, ty), (tx - 1, ty - 14)], 1.4, 0.8)
    for a in (-2.2, -1.7, -1.2, -0.9, -2.6):
        m.stroke([(tx - 1, ty - 10), (tx + 12 * math.cos(a), ty - 10 + 12 * math.sin(a))], 0.8, 0.3)
    for k in range(9):
        m.ellipse(tx - 1 + 10 * math.cos(-0.35 * k - 0.4), ty - 20 + 5 * math.sin(-0.7 * k), 5.5, 4.0)
    c.apply(m, (5, 8, 14))
    # the ground and tree must stay dark: re-lay stars only in the sky is already ensured
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
    stars(c, rng, int(w * h / 90), hor * 0.9)
    # redraw the aurora over the stars so they dim behind it
    for y in range(int(hor)):
        for x in range(w):
            if y < mountains[x]:
                l = light(x, y)
                i = y * w + x
                c.px[i] = screen(c.px[i], l, 0.25)
    reflect(c, hor, n, (6, 22, 36), 0.3, 0.6, 11.0)
    shore = profile(n, w, hor + 3, 2.5, 0.03, 3, phase=90)
    m = Mask(w, h)
    for x in range(w):
        for y in range(int(hor) - 1, int(shore[x]) + 2):
            m.put(x, y, clamp01(shore[x] + 1 - y) * clamp01(y + 1 - hor + 1.5))
    c.apply(m, (10, 20, 28))
    return c
