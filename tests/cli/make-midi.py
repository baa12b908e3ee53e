#!/usr/bin/env python3
"""Writes the small MIDI files the option tests convert:
   format0.mid  one track, melody, bass and drums on MIDI channels 1, 2 and 10;
   seven.mid    a conductor track and six note tracks;
   fast.mid     twelve quarter notes at 30,000 microseconds a quarter."""
import struct
import sys


def var_len(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def track(events):
    data = b"".join(var_len(delta) + bytes(event) for delta, event in events)
    data += b"\x00\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + data


def song(fmt, tracks):
    return b"MThd" + struct.pack(">IHHH", 6, fmt, len(tracks), 480) + b"".join(tracks)


def notes(channel, keys, length=240):
    events = []
    for key in keys:
        events.append((0, [0x90 | channel, key, 100]))
        events.append((length, [0x80 | channel, key, 64]))
    return events


def merged(*parts):
    # Interleaves note lists that share their rhythm, one event of each in turn.
    events = []
    for group in zip(*parts):
        for i, (delta, event) in enumerate(group):
            events.append((delta if i == 0 else 0, event))
    return events


out = sys.argv[1]
melody = notes(0, [72, 74, 76, 77, 79, 77, 76, 74])
bass = notes(1, [48, 48, 43, 43, 45, 45, 41, 41])
drums = notes(9, [36, 42, 38, 42, 36, 42, 38, 42])
tempo = [(0, [0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20])]
with open(out + "/format0.mid", "wb") as f:
    f.write(song(0, [track(tempo + merged(melody, bass, drums))]))
with open(out + "/seven.mid", "wb") as f:
    f.write(song(1, [track(tempo)] + [track(notes(0, [60 + i, 62 + i])) for i in range(6)]))
# 2000 beats a minute: tempo bytes of 1, units of no time at the driver.
with open(out + "/fast.mid", "wb") as f:
    f.write(song(1, [track([(0, [0xFF, 0x51, 0x03, 0x00, 0x75, 0x30])]), track(notes(0, [60, 62, 64] * 4, 480))]))
