"""Pieces that several pictures share: clouds, stars, slopes, reflections and trees."""

import math

from .canvas import Mask
from .colour import add, clamp01, mix, scale, screen, smooth


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


def clouds_over(col, n, x, y, sx, sy, lo, hi, shadow, amount=1.0, light=(255, 255, 255)):
    """Lay cloud_at's clouds over a sky colour, shadowed below and lit on top: the daytime skies share it."""
    a, lit = cloud_at(n, x, y, sx, sy, lo, hi)
    if a:
        col = mix(col, mix(shadow, light, lit), a * amount)
    return col


def sun_glow(col, dx, dy, tint, core, core_k, halo, halo_k):
    """col brightened by a low sun dx, dy away: the bright core in a wide halo that three hazy skies share."""
    d = math.hypot(dx, dy)
    return screen(col, tint, math.exp(-d / core) * core_k + math.exp(-d / halo) * halo_k)


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
