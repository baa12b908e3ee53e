// How long a song block plays, and which of its notes the driver cannot
// sound: its streams walked as the driver plays them, without running it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "SongTables.h"

namespace kelvane {

struct SongLength {
    // Units until each channel (Square1 to DPCM) reads its end, runs off the
    // song block, or meets a byte that is no command.
    std::array<std::uint64_t, 5> channelUnits{};
    std::uint64_t units = 0;   // the longest of them
    std::uint64_t frames = 0;  // 1/50 s frames until every channel has ended
    // Notes below what the timer sounds at the PAL clock, which the driver
    // plays as rests (Square1, Square2, Triangle): a fault of whoever wrote
    // the stream, as the driver moves no note by octaves.
    std::array<std::uint64_t, 3> unsoundableNotes{};
};

// `songBlock` holds CPU $8000 onward (kSongBlockSize bytes; a shorter block
// reads as if it ended there).
SongLength MeasureSong(const std::vector<std::uint8_t>& songBlock);

// Frames from the song's start to the start of unit `unit`: unit k lasts
// tempo[k mod 4] - 1 frames (a tempo byte of 0 gives 255).
std::uint64_t FramesBeforeUnit(const std::uint8_t tempo[4], std::uint64_t unit);

}  // namespace kelvane
