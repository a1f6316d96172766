"""Seeded randomness and value noise: the texture under every picture."""

import math
import random


def unit_random(seed):
    """A Random whose only use is .random(): its sequence is fixed for an int seed."""
    return random.Random(seed)


def noise_and_random(seed):
    """A picture's noise field and its random stream, both from its seed, so every run paints the same."""
    return Noise(seed), unit_random(seed)


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
        return self._octave_sum(x, y, octaves, gain, False)

    def ridged(self, x, y, octaves=5):
        """Sharp-crested fractal (mountain ridges), 0..1."""
        return self._octave_sum(x, y, octaves, 0.5, True)

    def _octave_sum(self, x, y, octaves, gain, ridged):
        """One loop for both fractals, so their octaves are always rotated and shifted alike."""
        total = 0.0
        amp = 1.0
        norm = 0.0
        value = self.value
        rot = self.ROT
        for o in range(octaves):
            c, s = rot[o]
            v = value(x * c - y * s + o * 31.7, x * s + y * c + o * 17.3)
            if ridged:  # fold the value about its middle into a crest, then sharpen it
                r = 1.0 - abs(2.0 * v - 1.0)
                total += amp * r * r
            else:
                total += amp * v
            norm += amp
            amp *= gain
            x *= 2.0
            y *= 2.0
        return total / norm


def profile(noise, w, base, amp, freq, octaves=5, phase=0.0, ridged=False):
    """Skyline heights (y of the top edge) for each column: base +- amp."""
    f = noise.ridged if ridged else noise.fbm
    return [base - amp * (2.0 * f(x * freq + phase, phase * 0.37 + 5.5, octaves) - 1.0)
            for x in range(w)]
