"""Pictures of the sea and the shore."""

import math

from .canvas import Canvas, Mask, bezier
from .colour import Ramp, clamp01, hexc, mix, scale, screen, smooth
from .noise import Noise, noise_and_random, profile
from .scenery import cloud_at, clouds_over


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

    c = Canvas.painted(w, h, fn)
    c.glow(sun_x, sun_y, sun_r * 2.2, (255, 170, 90), 0.7)
    sun = Mask(w, h)
    sun.ellipse(sun_x, sun_y, sun_r, sun_r)
    for i in range(w * h):
        if i // w >= hor:
            sun.a[i] = 0.0
    c.apply(sun, lambda x, y, old: mix((255, 250, 205), (255, 180, 90), clamp01((y - sun_y + sun_r) / (2 * sun_r))))
    return c


def pic_beach(w, h, seed):
    n, rng = noise_and_random(seed)
    hor = h * 0.42
    sky = Ramp([(0, '#1e74c8'), (1, '#bfe4f5')])
    shore = [h * 0.70 + h * 0.05 * math.sin(x * 0.02 + 1.0) + 4 * (n.fbm(x * 0.04, 2.0, 3) - 0.5) for x in range(w)]

    def fn(x, y):
        if y < hor:
            return clouds_over(sky(y / hor), n, x, y, 1 / 40.0, 1 / 20.0, 0.56, 0.7, (190, 205, 225),
                               smooth(hor, hor * 0.5, y))
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

    c = Canvas.painted(w, h, fn)
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

    c = Canvas.painted(w, h, fn)
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
            col = clouds_over(sky(y / hor), n, x, y, 1 / 45.0, 1 / 20.0, 0.52, 0.68, (170, 185, 210))
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

    c = Canvas.painted(w, h, fn)
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


def pic_reef(w, h, seed):
    n, rng = noise_and_random(seed)
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

    c = Canvas.painted(w, h, fn)
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
