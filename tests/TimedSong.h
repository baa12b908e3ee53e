// Songs whose every note's real time is known, for measuring how the
// arrangement and the driver keep time: a conductor track with a tempo map
// and a melody track.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "MidiBuilder.h"

namespace kelvane::test {

struct TimedSong {
    Bytes midi;
    std::vector<double> onsets;  // seconds, in order
    std::vector<double> ends;
    double seconds = 0;          // the end of the last note
};

struct TempoAt {
    std::uint32_t tick;
    std::uint32_t microsPerQuarter;
};

// `notes` notes, one every `slotTicks` ticks at division 480, each sounding
// for `sounding` of its slot, keys rising and falling within an octave from
// `lowKey`; the tempo map `tempos` (the first at tick 0).
TimedSong TimedMelody(const std::vector<TempoAt>& tempos, int notes, std::uint32_t slotTicks, double sounding,
                      int lowKey = 60);

// The value below which `share` of `values` lie (0.95: the 95th percentile).
double Percentile(std::vector<double> values, double share);

}  // namespace kelvane::test
