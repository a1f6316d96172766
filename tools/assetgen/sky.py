"""Pictures of the sky by night and by day."""

import math

from .canvas import Canvas, Mask
from .colour import Ramp, clamp01, hexc, mix, scale, screen, smooth
from .noise import Noise, noise_and_random, profile
from .scenery import clouds_over, reflect, shade_by_slope, stars, sun_glow


def pic_starry_night(w, h, seed):
    n, rng = noise_and_random(seed)
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

    c = Canvas.painted(w, h, fn)
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
    n, rng = noise_and_random(seed)
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

    c = Canvas.painted(w, h, fn)
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


def pic_cloud_sea(w, h, seed):
    n = Noise(seed)
    hor = h * 0.45
    sky = Ramp([(0, '#30428f'), (0.45, '#8e7fc0'), (0.8, '#f3a3a0'), (1, '#ffd6a0')])
    sun_x, sun_y = w * 0.7, hor - 4

    def fn(x, y):
        if y < hor:
            col = sun_glow(sky(y / hor), x - sun_x, (y - sun_y) * 1.5, (255, 230, 170), 10.0, 1.0, 60.0, 0.4)
            # a towering cumulus on the left
            return clouds_over(col, n, x, y * 1.3, 1 / 45.0, 1 / 45.0, 0.5, 0.62, (150, 120, 170),
                               smooth(w * 0.55, w * 0.2, x) * smooth(h * 0.05, hor * 0.6, y), (255, 215, 190))
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
        return mix(base, sky(1.0), math.exp(-dist / 10.0) * 0.8)

    c = Canvas.painted(w, h, fn)
    c.disc(sun_x, sun_y, 6.0, (255, 250, 225))
    return c


def pic_planet(w, h, seed):
    n, rng = noise_and_random(seed)
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

    c = Canvas.painted(w, h, fn)
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
    n, rng = noise_and_random(seed)
    sky = Ramp([(0, '#3d78c8'), (0.6, '#9cc5ea'), (0.85, '#f8d8b8'), (1, '#fbe7c8')])
    valleys = [(profile(n, w, h * (0.78 + 0.06 * k), h * 0.03, 0.012, 4, phase=9 * k), k / 3.0) for k in range(4)]

    def fn(x, y):
        col = clouds_over(sky(y / h), n, x, y, 1 / 50.0, 1 / 25.0, 0.58, 0.72, (200, 200, 220), 0.8)
        for prof, t in valleys:
            cov = clamp01(y + 1 - prof[x])
            if cov:
                hill = mix(hexc('#9fb3c8'), hexc('#3f6a3a'), t)
                mist = smooth(prof[x] + 14, prof[x], y) * (1 - t) * 0.5  # morning mist in each fold
                col = mix(col, mix(hill, (235, 230, 225), mist), cov)
        return col

    c = Canvas.painted(w, h, fn)
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
