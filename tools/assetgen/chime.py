"""The sound: a soft two-note chime."""

import math

from .colour import clamp01


WAVE_RATE = 8000
WAVE_SAMPLES = 18949  # 2.37 s


def chime_samples():
    """Unsigned 8-bit samples: two struck bell tones that ring out and fade to silence.

    Each strike is a few partials with bell-like (not quite harmonic) ratios;
    the higher ones die away faster, which keeps the sound mellow.
    """
    partials = [(1.0, 1.0, 0.9), (2.0, 0.45, 0.55), (2.76, 0.22, 0.35), (4.07, 0.1, 0.22)]
    strikes = [(0.0, 659.26, 1.0), (0.36, 523.25, 0.9)]  # E5 then C5
    out = [0.0] * WAVE_SAMPLES
    for start, freq, amp in strikes:
        first = int(start * WAVE_RATE)
        for ratio, level, decay in partials:
            f = freq * ratio
            if f > WAVE_RATE * 0.45:
                continue
            step = 2 * math.pi * f / WAVE_RATE
            for n in range(first, WAVE_SAMPLES):
                t = (n - first) / WAVE_RATE
                attack = clamp01(t / 0.01)
                out[n] += amp * level * attack * math.exp(-t / decay) * math.sin(step * (n - first))
    peak = max(abs(v) for v in out)
    fade_from = WAVE_SAMPLES - int(0.5 * WAVE_RATE)
    samples = bytearray()
    for n, v in enumerate(out):
        if n > fade_from:  # a final cosine fade so the sound ends in true silence
            v *= 0.5 + 0.5 * math.cos(math.pi * (n - fade_from) / (WAVE_SAMPLES - 1 - fade_from))
        samples.append(128 + int(round(v / peak * 72)))
    return bytes(samples)
