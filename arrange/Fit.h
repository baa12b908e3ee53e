// Making the arranged song fit the song block. Detail goes in a fixed order,
// each step reported: rests (the longest kept); a coarser time grid, when
// that alone makes the song fit; Square2, then DPCM, then every other hi-hat;
// only as the last resort the song ends at the last bar that fits.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "Arrange.h"
#include "Lyrics.h"
#include "Score.h"
#include "Timing.h"
#include "Voices.h"

namespace kelvane::arrange {

struct FitOutcome {
    std::size_t used = 0;             // song-block bytes of the result
    std::uint32_t barsKept = 0;       // when the song was shortened
    std::array<std::size_t, kVoiceCount> voiceBytes{};
};

// Rests a line writes as notes of their own, and the tonal lines' together.
std::uint32_t CountRests(const VoiceLine& line);
std::uint32_t CountRests(const std::array<VoiceLine, kVoiceCount>& lines);

// Drops what does not fit `capacity` bytes from `lines` and `lyrics`, and
// counts it in `report` (droppedFit, warnings).
FitOutcome FitSong(std::array<VoiceLine, kVoiceCount>& lines, std::vector<LyricLine>& lyrics, const Score& score,
                   Timing& timing, std::size_t capacity, ArrangementReport& report);

}  // namespace kelvane::arrange
