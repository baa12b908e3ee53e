// Lyrics for Square1's track, where the engine reads them, laid out so that
// its lyric table drops none: the table skips an entry whose gap is 0, so
// syllables of one time unit become one entry and a lyric at the very start
// moves to the first unit; it writes texts in double quotes, so a double
// quote becomes a single one. The device shows GBK, so the words are recoded.
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
    std::uint32_t length;  // GBK bytes, at most 255 of them
};

// A karaoke text event's marks: '@' before a title line and such, '/' or
// '\' before the first syllable of a new line.
bool IsTag(const Score& score, const TimedText& text);
bool IsLineMark(const Score& score, const TimedText& text);

// The units of `lyrics`, in order, as the song block's cost counts them.
std::vector<std::uint32_t> LyricUnits(const std::vector<LyricLine>& lyrics);

// One part's words: the meta $05 lyrics of one track, or the text events of
// a .kar file's words track, and the part they are sung to.
struct LyricSource {
    int track = 0;
    bool karaoke = false;
    std::vector<const TimedText*> texts;  // in order of their unit
    int part = -1;                        // the part whose onsets they meet, -1 when none does
};

// The lyric sources of the file, each with its part; `order` holds the note
// indices sorted by start unit. Karaoke text counts only when the file has
// no meta $05 lyrics.
std::vector<LyricSource> FindLyricSources(const Score& score, const std::vector<std::uint32_t>& order);

struct LyricOutcome {
    std::vector<LyricLine> lines;
    std::uint32_t droppedSyllables = 0;  // of the other sources
    int droppedSources = 0;
    std::uint32_t unknownCharacters = 0;  // characters GBK lacks, written as '?'
};

// The words of one source, recoded to GBK, their texts in `pool`: the source
// of `melodyParts` (by part: true for Square1's own parts) when one has
// words, else the one with the most syllables.
LyricOutcome ArrangeLyrics(const Score& score, const std::vector<LyricSource>& sources,
                           const std::vector<bool>& melodyParts, std::string& pool);

// The warnings the lyric outcome gives, in Chinese.
void ReportLyrics(const LyricOutcome& outcome, std::vector<std::string>& warnings);

// Lyric text as GBK: ASCII and GBK stay, valid UTF-8 is converted, other
// 8-bit text is read as Windows-1252. `unknown` counts the characters GBK
// lacks, each written as '?'.
std::string LyricTextToGbk(const std::string& text, std::uint32_t& unknown);

// The engine's lyric list holds 2048 entries: the rest go, with a warning.
constexpr std::size_t kLyricCapacity = 2048;
void LimitLyricCount(std::vector<LyricLine>& lyrics, std::vector<std::string>& warnings);

}  // namespace kelvane::arrange
