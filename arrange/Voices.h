// One note at a time per voice: the notes of a voice's parts reduced to a
// line, the highest (Square1, Square2) or lowest (Triangle) sounding note
// winning, idle time filled from other parts, short notes merged or dropped.
#pragma once

#include <cstdint>
#include <vector>

#include "Roles.h"
#include "Score.h"

namespace kelvane::arrange {

constexpr std::int16_t kNoVolume = -1;

struct VoiceNote {
    std::uint32_t start = 0;  // time units
    std::uint32_t end = 0;
    std::uint32_t note = 0;   // index in the score
    std::uint8_t key = 0;     // as written: moved into range, or the drum's key
    std::uint8_t drum = 0;    // DrumClass for Noise and DPCM hits
    std::int16_t volume = kNoVolume;  // controller 7 value written before the note
    // A tonal note followed by a gap: the gap is written as a note of its
    // own at volume 0, so that the note ends at its end.
    bool restAfter = false;
};

struct VoiceLine {
    std::vector<VoiceNote> notes;  // in time order, never overlapping, each one unit or longer
    std::uint32_t droppedShort = 0;
    std::uint32_t movedOctave = 0;
    // When later than the last note's end: a rest at volume 0 follows it up
    // to this unit, so that the song lasts as long as the file.
    std::uint32_t restUntil = 0;
};

// What a note of the score is to the voices, by note index: free (0),
// chosen by a voice that may still give it up, or written into a line.
constexpr std::uint8_t kChosen = 1;
constexpr std::uint8_t kWritten = 2;

// Note indices sorted by start unit; notes of one start keep the file's order.
std::vector<std::uint32_t> OrderByStart(const Score& score);

// Reduces the voice's parts to one line. On Noise and DPCM (a file already
// in the driver's layout) the notes keep their keys and short hits count. Notes in `taken` are left alone, and
// the notes the line uses are added to it (1: chosen, 2: written). On Square2,
// `unison` is Square1's line: a note of the key Square1 sounds is not doubled.
VoiceLine BuildTonalLine(const Score& score, const std::vector<std::uint32_t>& order, const VoicePlan& plan,
                         int voice, std::vector<std::uint8_t>& taken, const VoiceLine* unison);

}  // namespace kelvane::arrange
