#!/usr/bin/env python3
"""Writes the files the Wine tests convert, into DIR:

  six.mid     a whole song: conductor track and the five channels, division
              480, with program changes, volumes, notes and lyrics (some in GBK)
  five.mid    the same without its DPCM track: one progress step fewer
  seven.mid   the same with one more channel track: more than the program takes
  three.mid   format 0: melody, bass and drums on three MIDI channels in the
              one track, where a plain conversion finds no channel tracks
  chords.mid  a fast song (160 BPM) whose piano holds a triad under the tune
              in every bar, over a bass; a horn plays the first half only:
              chords for Square2 to arpeggiate in the second
  bad.mid     not a MIDI file at all
  RZ31ST.bin  a stand-in template ROM, 512 KB of a fixed pattern

With --crowded MB FILE it writes only FILE instead: a song of about MB
megabytes, eight tracks of four-note chords, that takes the arrangement a
while (seconds under Wine for a few tens of megabytes).

Usage: make-test-files.py DIR
       make-test-files.py --crowded MB FILE
"""
import os
import struct
import sys

DIVISION = 480
QUARTER = DIVISION
EIGHTH = DIVISION // 2
TEMPLATE_SIZE = 512 * 1024


class Track:
    """One track chunk, built event by event; each event takes its delta."""

    def __init__(self):
        self.data = bytearray()

    def _delta(self, ticks):
        groups = [ticks & 0x7F]
        ticks >>= 7
        while ticks:
            groups.append(0x80 | (ticks & 0x7F))
            ticks >>= 7
        self.data += bytes(reversed(groups))

    def event(self, delta, *data):
        self._delta(delta)
        self.data += bytes(data)
        return self

    def meta(self, delta, kind, payload):
        self._delta(delta)
        self.data += bytes((0xFF, kind, len(payload))) + payload
        return self

    def tempo(self, delta, microseconds_per_quarter):
        return self.meta(delta, 0x51, microseconds_per_quarter.to_bytes(3, "big"))

    def name(self, delta, text):
        return self.meta(delta, 0x03, text.encode("ascii"))

    def lyric(self, delta, text):
        return self.meta(delta, 0x05, text.encode("gbk"))

    def program(self, delta, channel, number):
        return self.event(delta, 0xC0 | channel, number)

    def volume(self, delta, channel, value):
        return self.event(delta, 0xB0 | channel, 7, value)

    def note(self, delta, channel, key, length, velocity=100):
        """A note that starts `delta` ticks after the last event and lasts `length`."""
        self.event(delta, 0x90 | channel, key, velocity)
        return self.event(length, 0x80 | channel, key, 0)

    def end(self, delta=0):
        return self.meta(delta, 0x2F, b"")

    def chunk(self):
        return b"MTrk" + struct.pack(">I", len(self.data)) + bytes(self.data)


def midi_file(tracks, file_format=1, division=DIVISION):
    header = b"MThd" + struct.pack(">IHHH", 6, file_format, len(tracks), division)
    return header + b"".join(t.chunk() for t in tracks)


def conductor():
    return Track().name(0, "Kelvane test").tempo(0, 500000).end(QUARTER * 8)


def melody(channel, program, keys, lyrics=()):
    track = Track().program(0, channel, program).volume(0, channel, 100)
    for i, key in enumerate(keys):
        if i < len(lyrics):
            track.lyric(0, lyrics[i])
        track.note(0 if i == 0 else EIGHTH, channel, key, QUARTER)
    return track.end()


def channel_tracks():
    return [
        melody(0, 80, [60, 62, 64, 65, 67], lyrics=["小", "星", "Star", "light"]),
        melody(1, 81, [48, 52, 55, 60]),
        melody(2, 33, [36, 43, 36, 43]),
        melody(9, 0, [36, 38, 42, 38]),   # noise: percussion notes get labels
        melody(9, 0, [35, 35, 40]),       # DPCM
    ]


def format0_song():
    """Melody (channel 1), bass (2) and drums (10) interleaved in one track."""
    events = []  # (tick, 0 for an off so it goes before an on at that tick, bytes)

    def notes(channel, keys, step):
        for i, key in enumerate(keys):
            events.append((i * step, 1, bytes((0x90 | channel, key, 100))))
            events.append((i * step + step - step // 4, 0, bytes((0x80 | channel, key, 0))))

    notes(0, [72, 74, 76, 77, 79, 77, 76, 74], QUARTER)
    notes(1, [36, 43, 41, 36], 2 * QUARTER)
    notes(9, [36, 42, 38, 42, 36, 42, 38, 42], QUARTER)
    track = Track().tempo(0, 500000).program(0, 0, 80).program(0, 1, 33)
    now = 0
    for tick, _, data in sorted(events, key=lambda e: (e[0], e[1])):
        track.event(tick - now, *data)
        now = tick
    return track.end(QUARTER)


def chord_song():
    """Piano (tune over whole-bar triads), a horn in the first four bars only,
    and bass: eight bars at 160 BPM. Square2 has the horn, then rests."""
    piano = Track().program(0, 0, 0).volume(0, 0, 100)
    horn = Track().program(0, 1, 60).volume(0, 1, 100)
    bass = Track().program(0, 2, 33).volume(0, 2, 100)
    roots = [60, 65, 67, 60]
    tune = [76, 79, 77, 74]
    for bar in range(8):
        root = roots[bar % 4]
        chord = [root, root + 4, root + 7]
        for key in chord:
            piano.event(0, 0x90, key, 90)
        for beat in range(4):
            key = tune[(bar + beat) % 4] + (5 if beat == 3 else 0)
            piano.event(0, 0x90, key, 100).event(QUARTER, 0x80, key, 0)
        for key in chord:
            piano.event(0, 0x80, key, 0)
        if bar < 4:
            horn.note(0, 1, 67, 4 * QUARTER, 90)
        bass.note(0, 2, root - 24, 4 * QUARTER, 90)
    conductor_track = Track().name(0, "Chords").tempo(0, 375000).end(0)
    return midi_file([conductor_track, piano.end(), horn.end(), bass.end()])


def crowded_song(megabytes):
    """Eight tracks of chords, one after another, each note an eighth long."""
    tracks = 8
    per_track = int(megabytes * 1024 * 1024 / tracks)
    chunks = [conductor().chunk()]
    for t in range(tracks):
        channel = 9 if t == 7 else t
        # One chord as bytes: four note-ons at once, four note-offs an
        # eighth later (running status off: every event has its status).
        steps = []
        for step in range(12):
            keys = [36 + t * 5 + (step + k * 4) % 24 for k in range(4)]
            on = b"".join(bytes((0, 0x90 | channel, key, 100)) for key in keys)
            off = bytes((0x83, 0x70, 0x80 | channel, keys[0], 0)) + b"".join(
                bytes((0, 0x80 | channel, key, 0)) for key in keys[1:])
            steps.append(on + off)
        pattern = b"".join(steps)
        data = pattern * max(1, per_track // len(pattern)) + bytes((0, 0xFF, 0x2F, 0))
        chunks.append(b"MTrk" + struct.pack(">I", len(data)) + data)
    header = b"MThd" + struct.pack(">IHHH", 6, 1, tracks + 1, DIVISION)
    return header + b"".join(chunks)


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--crowded":
        with open(sys.argv[3], "wb") as f:
            f.write(crowded_song(float(sys.argv[2])))
        return
    if len(sys.argv) != 2:
        sys.exit("usage: make-test-files.py DIR | --crowded MB FILE")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    six = [conductor()] + channel_tracks()
    seven = six + [melody(3, 1, [72, 74])]
    with open(os.path.join(out, "five.mid"), "wb") as f:
        f.write(midi_file(six[:5]))
    with open(os.path.join(out, "bad.mid"), "wb") as f:
        f.write(b"RIFF, not a Standard MIDI File")
    with open(os.path.join(out, "six.mid"), "wb") as f:
        f.write(midi_file(six))
    with open(os.path.join(out, "seven.mid"), "wb") as f:
        f.write(midi_file(seven))
    with open(os.path.join(out, "three.mid"), "wb") as f:
        f.write(midi_file([format0_song()], file_format=0))
    with open(os.path.join(out, "chords.mid"), "wb") as f:
        f.write(chord_song())
    with open(os.path.join(out, "RZ31ST.bin"), "wb") as f:
        f.write(bytes((i * 7 + (i >> 12)) & 0xFF for i in range(TEMPLATE_SIZE)))


if __name__ == "__main__":
    main()
