"""Canvas (a float RGB image) and Mask (antialiased coverage of shapes)."""

import math

from .colour import clamp01, mix, screen


class Canvas:
    def __init__(self, w, h, fill=(0.0, 0.0, 0.0)):
        self.w = w
        self.h = h
        self.px = [fill] * (w * h)

    @classmethod
    def painted(cls, w, h, fn):
        """A new canvas with every pixel set to fn(x, y): how each picture lays its ground before the details."""
        c = cls(w, h)
        c.paint(fn)
        return c

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
