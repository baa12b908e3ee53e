// Lyrics for Square1's track, where the engine reads them, laid out so that
// its lyric table drops none: the table skips an entry whose gap is 0, so
// syllables of one time unit become one entry and a lyric at the very start
// moves to the first unit; it writes texts in double quotes, so a double
// quote becomes a single one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Score.h"

namespace kelvane::arrange {

// The text lies in a pool of all lyric texts, so a lyric allocates nothing.
struct LyricLine {
    std::uint32_t unit;
    std::uint32_t offset;
    std::uint32_t length;  // the file's bytes, at most 255 of them
};

// Meta $05 lyrics, or else the text events of a .kar file; their texts go
// to `pool`.
std::vector<LyricLine> ArrangeLyrics(const Score& score, std::string& pool);

// The engine's lyric list holds 2048 entries: the rest go, with a warning.
constexpr std::size_t kLyricCapacity = 2048;
void LimitLyricCount(std::vector<LyricLine>& lyrics, std::vector<std::string>& warnings);

}  // namespace kelvane::arrange
