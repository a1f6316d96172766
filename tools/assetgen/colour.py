"""Colours and the small sums that painting needs."""


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
