"""From a canvas to 256 colours: median cut, k-means polish and Floyd-Steinberg dither."""


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
