#!/usr/bin/env python3
"""Writes Samples.inc, the driver's DPCM drum samples, from formulas alone.

Run it from this folder; `--check` only compares with the file there.

Each drum is synthesised at the DMC bit rate it is played at and encoded as
the DMC plays it: a 7-bit level that every bit moves up 2 (a 1) or down 2
(a 0), bits taken from each byte's lowest first, the level held at the ends
of its range. The encoding is greedy: a 1 when the target lies above the
level. Every sample starts and ends at level 0, where the driver leaves the
DMC between hits (a level held there lowers the triangle and the noise), and
rides on a middle level that follows its own loudness. Its length is 16 L + 1
bytes, as $4013 counts, padded with zeros (the level stays at 0).
"""

import math
import random

from generated import CPU_PAL, write_or_check

RATE_CYCLES_PAL = [398, 354, 316, 298, 276, 236, 210, 198, 176, 148, 132, 118, 98, 78, 66, 50]
LEVEL_MAX = 127


def bit_rate(index):
    return CPU_PAL / RATE_CYCLES_PAL[index]


def encode(targets):
    """Greedy 1-bit delta code of the targets, from level 0."""
    level = 0
    bits = []
    for target in targets:
        if target > level:
            bits.append(1)
            if level <= LEVEL_MAX - 2:
                level += 2
        else:
            bits.append(0)
            if level >= 2:
                level -= 2
    return bits


def decode(data):
    level = 0
    out = []
    for byte in data:
        for k in range(8):
            if (byte >> k) & 1:
                if level <= LEVEL_MAX - 2:
                    level += 2
            elif level >= 2:
                level -= 2
            out.append(level)
    return out


def pack(bits):
    """Bytes of the bits, padded with zeros to 16 L + 1 bytes; and L."""
    count = (len(bits) + 7) // 8
    length_code = max(0, (count - 1 + 15) // 16)
    size = 16 * length_code + 1
    bits = bits + [0] * (8 * size - len(bits))
    data = bytes(sum(bits[8 * i + k] << k for k in range(8)) for i in range(size))
    return data, length_code


def drum(seconds, rate_index, wave, loudness):
    """Targets for `seconds` at the rate: the wave (-1 to 1) times the
    loudness, around a middle level of the loudness itself, so that the
    sample rises from 0 and sinks back to 0 as it dies away."""
    rate = bit_rate(rate_index)
    targets = []
    for n in range(int(seconds * rate)):
        t = n / rate
        a = loudness(t)
        targets.append(a + a * wave(t))
    # Back to 0 before the padding, which holds the level.
    targets += [0] * (LEVEL_MAX // 2)
    return targets


def falling_sine(start_hz, end_hz, fall_seconds):
    """A sine whose frequency falls from start to end: the phase is the
    integral of the frequency."""
    def wave(t):
        drop = start_hz - end_hz
        phase = end_hz * t + drop * fall_seconds * (1 - math.exp(-t / fall_seconds))
        return math.sin(2 * math.pi * phase)
    return wave


def decay(peak, seconds, attack=0.002):
    return lambda t: peak * min(1.0, t / attack) * math.exp(-t / seconds)


def kick():
    # 150 Hz falling to 45 Hz within a few tens of milliseconds.
    return drum(0.15, 12, falling_sine(150, 45, 0.025), decay(30, 0.06))


def snare():
    # A short tone for the drum's body, and the wires: noise that decays a
    # little more slowly. The seed keeps the noise the same on every run.
    noise = random.Random(38)

    def wave(t):
        body = 0.5 * math.sin(2 * math.pi * 185 * t) * math.exp(-t / 0.03)
        return max(-1.0, min(1.0, body + 0.8 * noise.uniform(-1, 1)))
    return drum(0.14, 13, wave, decay(34, 0.05, 0.001))


def tom():
    # Recorded for the highest tom; lower rates play the lower ones.
    return drum(0.24, 12, falling_sine(170, 120, 0.08), decay(28, 0.09))


DRUMS = [
    ("Kick", "KICK", kick),
    ("Snare", "SNARE", snare),
    ("Tom", "TOM", tom),
]


def listing():
    lines = [
        "; Made by make_samples.py: DPCM drums synthesised from formulas, each",
        "; starting on a 64-byte boundary as $4012 addresses it.",
        "",
    ]
    for name, constant, make in DRUMS:
        data, length_code = pack(encode(make()))
        assert decode(data)[-1] == 0, name + " must end at level 0"
        lines.append(f"{constant}_LENGTH = {length_code}  ; {len(data)} bytes")
        lines.append("        .align 64")
        lines.append(f"{name}Sample:")
        for i in range(0, len(data), 16):
            lines.append("        .byte " + ",".join(f"${b:02X}" for b in data[i:i + 16]))
        lines.append("")
    return "\n".join(lines)


def main():
    text = listing()
    write_or_check("Samples.inc", text, "make_samples.py")


if __name__ == "__main__":
    main()
