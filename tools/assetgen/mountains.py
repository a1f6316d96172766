"""Pictures of mountains, rock and sand."""

import math

from .canvas import Canvas
from .colour import Ramp, clamp01, hexc, mix, scale, screen, smooth
from .noise import Noise, noise_and_random, profile
from .scenery import clouds_over, pine_mask, reflect, shade_by_slope, sun_glow


def mountain_face(col, n, prof, x, y, snow_line, rock, snow, far, haze):
    """col with a rocky, snow-streaked mountain face laid over it below the skyline prof.

    Lighting comes from the upper left: a 2-D ridged field gives the faces
    and gullies, the slope of the skyline brightens faces just below the crest.
    """
    cov = clamp01(y + 1 - prof[x])
    if not cov:
        return col
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
    face = scale(mix(rock, snow, cover), 0.45 + 0.7 * light)
    return mix(col, mix(face, haze, far), cov)


def pic_alpine(w, h, seed):
    n, rng = noise_and_random(seed)
    sky = Ramp([(0, '#1f5fb8'), (1, '#a9cdf0')])
    peaks = profile(n, w, h * 0.33, h * 0.20, 0.005, 6, phase=7, ridged=True)
    slopes = profile(n, w, h * 0.52, h * 0.08, 0.007, 5, phase=2)
    meadow = profile(n, w, h * 0.74, h * 0.04, 0.006, 4, phase=19)
    forest_base = profile(n, w, h * 0.70, h * 0.03, 0.01, 3, phase=31)

    def fn(x, y):
        col = clouds_over(sky(y / (h * 0.5)), n, x, y, 1 / 50.0, 1 / 30.0, 0.56, 0.7, (180, 195, 220))
        col = mountain_face(col, n, peaks, x, y, h * 0.36, hexc('#6e6a70'), hexc('#f4f7ff'), 0.18, (175, 200, 235))
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

    c = Canvas.painted(w, h, fn)
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
        col = sun_glow(sky(y / (h * 0.45)), x - sun_x, (y - sun_y) * 1.2, (255, 240, 200), 14.0, 0.9, 70.0, 0.25)
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

    c = Canvas.painted(w, h, fn)
    c.disc(sun_x, sun_y, 5.0, (255, 252, 235))
    return c


def pic_mountain_lake(w, h, seed):
    n, rng = noise_and_random(seed)
    hor = h * 0.6
    sky = Ramp([(0, '#5b6fb3'), (0.6, '#d69ab8'), (1, '#ffd3b0')])
    peaks = profile(n, w, h * 0.28, h * 0.14, 0.007, 6, phase=17, ridged=True)
    wood = profile(n, w, hor - 8, 3.0, 0.02, 3, phase=5)

    def fn(x, y):
        col = sky(y / hor)
        # evening light turns the snow pink
        col = mountain_face(col, n, peaks, x, y, hor * 0.7, hexc('#5a4a5e'), hexc('#ffd8dd'), 0.15, (215, 160, 185))
        cov = clamp01(y + 1 - wood[x])
        if cov:
            col = mix(col, hexc('#1e3027'), cov)
        return col

    c = Canvas.painted(w, h, fn)
    pines = pine_mask(w, h, rng, 90, lambda x: hor, h * 0.1, h * 0.045, 0.5)
    c.apply(pines, lambda x, y, old: mix(hexc('#132219'), hexc('#2b4536'), n.value(x * 0.5, y * 0.5)))
    reflect(c, hor, n, (40, 60, 90), 0.22, 1.0, 3.0)
    return c


def pic_misty_pines(w, h, seed):
    n, rng = noise_and_random(seed)
    sky = Ramp([(0, '#b8c9d8'), (1, '#f2e6cf')])
    sun_x, sun_y = w * 0.78, h * 0.15

    def bg(x, y):
        col = sky(y / h)
        d = math.hypot(x - sun_x, y - sun_y)
        col = screen(col, (255, 240, 200), math.exp(-d / 25.0) * 0.8)
        # sunbeams fanning out through the mist
        ang = math.atan2(y - sun_y, x - sun_x)
        beam = n.fbm(ang * 6.0, 1.3, 3)
        return screen(col, (255, 245, 215), smooth(0.5, 0.75, beam) * 0.35 * smooth(0, 40, y - sun_y))

    c = Canvas.painted(w, h, bg)
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
    n, rng = noise_and_random(seed)
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
        col = clouds_over(sky(y / (h * 0.55)), n, x, y, 1 / 60.0, 1 / 18.0, 0.58, 0.72, (190, 200, 220))
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

    c = Canvas.painted(w, h, fn)
    for _ in range(25):  # desert shrubs on the foreground
        x = rng.random() * w
        y = h * 0.9 + rng.random() * h * 0.1
        if y > layers[2][0][int(x)] + 3:
            c.disc(x, y, 0.8 + rng.random(), (95, 90, 50), 0.7)
    return c
