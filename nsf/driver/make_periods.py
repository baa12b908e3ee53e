#!/usr/bin/env python3
"""Writes Periods.inc, the driver's PAL timer periods (run it from this folder;
`--check` only compares with the file there).

A stream note (pitch class pc, octave o) is MIDI note 24 + 12 o + pc on the
squares and 12 o + pc on the triangle. A square at timer period t sounds at
CPU / (16 (t + 1)), the triangle at CPU / (32 (t + 1)); t is rounded to the
nearest whole period. The timer has 11 bits: a note too low for it (square
notes below G#1, triangle notes below G#0) gets the high byte UNSOUNDABLE,
which the driver plays as a rest. Raising it would hide an octave error that
whoever wrote the stream must fix.
"""

from generated import CPU_PAL, write_or_check

TIMER_MAX = 2047
SQUARE_MIN = 8  # a square below this period is silent
OCTAVES = 8     # the operand's three octave bits
UNSOUNDABLE = 0xFF00


def period(note, divider):
    frequency = 440.0 * 2 ** ((note - 69) / 12)
    t = round(CPU_PAL / (divider * frequency)) - 1
    return t if t <= TIMER_MAX else UNSOUNDABLE


def table(name, notes, divider):
    periods = [period(n, divider) for n in notes]
    lines = []
    for part, shift in (("Lo", 0), ("Hi", 8)):
        lines.append(f"{name}{part}:")
        for o in range(OCTAVES):
            row = periods[12 * o:12 * o + 12]
            values = ",".join(f"${(t >> shift) & 0xFF:02X}" for t in row)
            lines.append(f"        .byte {values}  ; octave {o}")
    return periods, lines


def main():
    square, square_lines = table("SquarePeriod", [24 + n for n in range(12 * OCTAVES)], 16)
    _, triangle_lines = table("TrianglePeriod", list(range(12 * OCTAVES)), 32)
    assert min(square) >= SQUARE_MIN, "a square note would fall silent"
    assert square.index(next(t for t in square if t != UNSOUNDABLE)) == 32 - 24, "G#1 is the lowest square"
    text = ("; Made by make_periods.py: PAL timer periods by octave * 12 + pitch class.\n" +
            "\n".join(square_lines + triangle_lines) + "\n")
    write_or_check("Periods.inc", text, "make_periods.py")


if __name__ == "__main__":
    main()
