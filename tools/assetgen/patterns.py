"""Pictures of patterns: a mandala and polished stone."""

import math

from .canvas import Canvas
from .colour import Ramp, clamp01, hexc, mix, scale, smooth
from .noise import Noise, noise_and_random


def pic_mandala(w, h, seed):
    n, rng = noise_and_random(seed)
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

    c = Canvas.painted(w, h, fn)
    # soft round lights (out-of-focus) in the dark corners
    for _ in range(28):
        x = rng.random() * w
        y = rng.random() * h
        if math.hypot(x - cx, y - cy) < R * 1.05:
            continue
        col = [(255, 190, 120), (190, 140, 255), (120, 220, 255)][int(rng.random() * 3)]
        c.disc(x, y, 3 + rng.random() * 9, col, 0.18 + 0.2 * rng.random())
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

    return Canvas.painted(w, h, fn)
