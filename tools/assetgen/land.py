"""Pictures of fields, flowers and woods."""

import math

from .canvas import Canvas, Mask, bezier
from .colour import Ramp, clamp01, hexc, mix, scale, screen, smooth
from .noise import Noise, noise_and_random, profile
from .scenery import clouds_over, shade_by_slope, sun_glow, tree_blobs


def pic_summer_hills(w, h, seed):
    n, rng = noise_and_random(seed)
    sky = Ramp([(0, '#2d68c4'), (0.55, '#86b9e8'), (1, '#dcecf6')])
    hor = h * 0.55
    far = profile(n, w, h * 0.45, h * 0.10, 0.010, phase=3)
    mid = profile(n, w, h * 0.60, h * 0.14, 0.007, phase=11)
    near = profile(n, w, h * 0.82, h * 0.14, 0.006, phase=23)
    haze = hexc('#c9dfe9')
    layers = [(far, hexc('#4f8a70'), 0.45), (mid, hexc('#5c9a36'), 0.15), (near, hexc('#9cc74a'), 0.0)]

    def fn(x, y):
        col = clouds_over(sky(y / hor), n, x, y, 1 / 75.0, 1 / 24.0, 0.5, 0.68, (168, 180, 205),
                          smooth(hor, h * 0.1, y))
        for prof, base, hz in layers:
            cov = clamp01(y + 1 - prof[x])
            if cov:
                depth = y - prof[x]
                t = 0.82 + 0.36 * n.fbm(x * 0.09, y * 0.2 + prof[0], 3)
                g = scale(base, t * shade_by_slope(prof, x, depth, 0.09, 14))
                col = mix(col, mix(g, haze, hz), cov)
        return col

    c = Canvas.painted(w, h, fn)
    tree_blobs(c, rng, [rng.random() * w for _ in range(7)], lambda x: mid[int(x) % w] + 2, 6,
               (30, 70, 25), (95, 150, 55))
    tree_blobs(c, rng, [w * 0.12, w * 0.16, w * 0.83], lambda x: near[int(x) % w] + 3, 11,
               (28, 66, 22), (110, 165, 60))
    return c


def pic_poppies(w, h, seed):
    n, rng = noise_and_random(seed)
    sky = Ramp([(0, '#4d86d0'), (1, '#d3e6f2')])
    trees = profile(n, w, h * 0.44, h * 0.05, 0.03, 4, phase=3)
    field = profile(n, w, h * 0.5, h * 0.01, 0.01, 2, phase=9)

    def fn(x, y):
        col = clouds_over(sky(y / (h * 0.5)), n, x, y, 1 / 60.0, 1 / 22.0, 0.55, 0.72, (185, 195, 215))
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

    c = Canvas.painted(w, h, fn)
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


def pic_autumn_wood(w, h, seed):
    n, rng = noise_and_random(seed)
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

    c = Canvas.painted(w, h, fn)
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


def pic_lavender(w, h, seed):
    n = Noise(seed)
    hor = h * 0.45
    vx = w * 0.55
    sky = Ramp([(0, '#3a5fa8'), (0.55, '#d99ab0'), (0.85, '#ffc58a'), (1, '#ffe2a8')])
    hills = profile(n, w, hor - 3, 2.5, 0.02, 3, phase=1)
    sun_x, sun_y = w * 0.3, hor - 10

    def fn(x, y):
        if y < hor:
            col = sun_glow(sky(y / hor), x - sun_x, (y - sun_y) * 1.3, (255, 235, 180), 7.0, 1.0, 45.0, 0.4)
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

    c = Canvas.painted(w, h, fn)
    # two cypresses on the horizon
    m = Mask(w, h)
    for tx, th in ((w * 0.8, 24.0), (w * 0.835, 17.0)):
        m.ellipse(tx, hor - th * 0.5 + 1, 2.6 * th / 24.0 + 1, th * 0.5)
    c.apply(m, hexc('#2a2a3a'))
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
    n, rng = noise_and_random(seed)

    def bg(x, y):
        # an out-of-focus summer background: blue sky over soft green blotches
        t = n.fbm(x * 0.015, y * 0.015, 3)
        sky = mix(hexc('#8fc3ee'), hexc('#4f8fd8'), clamp01(1 - y / h))
        leaf = mix(hexc('#3c7a2c'), hexc('#a6c85a'), t)
        return mix(sky, leaf, smooth(0.35, 0.6, t + y / h * 0.5))

    c = Canvas.painted(w, h, bg)
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
    n, rng = noise_and_random(seed)
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

    c = Canvas.painted(w, h, fn)
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


def pic_fields(w, h, seed):
    n, rng = noise_and_random(seed)
    hor = h * 0.5
    sky = Ramp([(0, '#144ca8'), (0.7, '#5f9be0'), (1, '#c8def0')])
    woods = profile(n, w, hor - 2, 3.0, 0.03, 4, phase=2)

    def fn(x, y):
        if y < hor:
            col = clouds_over(sky(y / hor), n, x, y * 1.2, 1 / 55.0, 1 / 35.0, 0.5, 0.65, (150, 165, 195),
                              smooth(hor, hor * 0.6, y))
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

    c = Canvas.painted(w, h, fn)
    tree_blobs(c, rng, [w * 0.15, w * 0.18, w * 0.72], lambda x: woods[int(x)] + 4, 7,
               (30, 70, 30), (90, 140, 60))
    return c
