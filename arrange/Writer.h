// The arranged song as a six-track format-1 file in the driver's layout:
// track 0 the tempo, tracks 1 to 5 Square1, Square2, Triangle, Noise, DPCM,
// the lyrics on track 1. Its division makes one time unit 12 ticks, so every
// delta time is a whole number of units and the engine carries no remainder;
// its tempo makes the engine's tempo bytes those of the arrangement's grid.
// A tonal note with `restAfter` is followed by a rest note at volume 0.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "Arrange.h"
#include "Lyrics.h"
#include "Score.h"
#include "Voices.h"

namespace kelvane::arrange {

constexpr std::uint16_t kArrangedDivision = 96;

struct SongLayout {
    std::array<VoiceLine, kVoiceCount> lines;
    std::array<int, kVoiceCount> programs = {-1, -1, -1, -1, -1};  // -1: no program change
    std::vector<LyricLine> lyrics;
    std::string lyricPool;
    std::uint32_t tempo = 500000;
    std::uint8_t meterNumerator = 4;
    std::uint8_t meterDenominatorPower = 2;
};

std::vector<std::uint8_t> WriteArrangedSong(const SongLayout& song, const Score& score);

}  // namespace kelvane::arrange
