// A song the way sequencers export them, for the arrangement benchmarks: a
// format-1 file with a conductor track and one track per instrument.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelvane::bench {

// At least `size` bytes: bars of 4/4 with a flute melody carrying a lyric per
// note, a violin counter-melody with pitch bends, piano chords in running
// status, a bass line, a string pad and a drum kit with kick, snare and
// eighth-note hats; a tempo change every 16 bars. `events`, when given,
// receives the number of events in it.
std::vector<std::uint8_t> BandSong(std::size_t size, std::size_t* events = nullptr);

}  // namespace kelvane::bench
