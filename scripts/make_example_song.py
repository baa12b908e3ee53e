#!/usr/bin/env python3
"""Writes examples/example.mid, the song `make demo` converts: a short tune
on all five channels, with a tempo, a device name, program and volume
changes, and lyrics on the first channel. Run it again to regenerate."""
import os
import struct
import sys

DIVISION = 480
EIGHTH = DIVISION // 2


def varlen(value):
    groups = [value & 0x7F]
    value >>= 7
    while value:
        groups.append((value & 0x7F) | 0x80)
        value >>= 7
    return bytes(reversed(groups))


class Track:
    def __init__(self):
        self.data = bytearray()

    def event(self, delta, payload):
        self.data += varlen(delta) + bytes(payload)
        return self

    def meta(self, delta, kind, text):
        raw = text.encode("gbk") if isinstance(text, str) else text
        return self.event(delta, bytes([0xFF, kind]) + varlen(len(raw)) + raw)

    def notes(self, line, length=EIGHTH):
        """Each note sounds for `length` ticks; None is a rest of that length."""
        rest = 0
        for note in line:
            if note is None:
                rest += length
                continue
            self.event(rest, [0x90, note, 100])
            self.event(length, [0x80, note, 64])
            rest = 0
        return rest

    def end(self, delta=0):
        return self.event(delta, [0xFF, 0x2F, 0x00])

    def chunk(self):
        return b"MTrk" + struct.pack(">I", len(self.data)) + bytes(self.data)


def song():
    conductor = Track()
    conductor.meta(0, 0x09, "Kelvane demo")
    conductor.event(0, [0xFF, 0x51, 0x03] + list((500000).to_bytes(3, "big")))
    conductor.event(0, [0xFF, 0x58, 0x04, 4, 2, 24, 8])
    conductor.end(DIVISION * 8)

    melody = Track()
    melody.event(0, [0xC0, 80])          # program change: timbre 0
    melody.event(0, [0xB0, 7, 120])      # volume 15
    lyrics = ["Twin", "kle", "twin", "kle", "lit", "tle", "star!"]
    line = [60, 60, 67, 67, 69, 69, 67]
    for i, (note, word) in enumerate(zip(line, lyrics)):
        melody.meta(EIGHTH if i == 0 else 0, 0x05, word)
        melody.event(0, [0x90, note, 100])
        melody.event(EIGHTH * (2 if i == 6 else 1), [0x80, note, 64])
    melody.event(0, [0xB0, 7, 64])       # volume 8
    melody.notes([65, 65, 64, 64, 62, 62, 60])
    melody.end()

    harmony = Track()
    harmony.event(0, [0xC0, 81])
    harmony.event(0, [0xB0, 11, 80])
    harmony.notes([48, 55, 52, 55, 53, 57, 52, None, 50, 55, 48, 52, 50, 55, 48])
    harmony.end()

    bass = Track()
    bass.notes([36, 43, 41, 36, 38, 43, 36], length=DIVISION)
    bass.end()

    noise = Track()
    noise.notes([42, 42, 38, 42] * 4)
    noise.end()

    dpcm = Track()
    dpcm.notes([36, None, 36, None, 38, None, 36, None] * 2)
    dpcm.end()

    tracks = [conductor, melody, harmony, bass, noise, dpcm]
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), DIVISION)
    return header + b"".join(t.chunk() for t in tracks)


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "examples", "example.mid")
    with open(target, "wb") as out:
        out.write(song())


if __name__ == "__main__":
    main()
