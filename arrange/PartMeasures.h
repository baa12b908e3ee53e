// What the role choice knows of each part: measures a person can check
// against the part by ear or on paper.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Score.h"

namespace kelvane::arrange {

struct PartMeasures {
    double coverage = 0;    // share of the song it sounds
    double topShare = 0;    // of the time it sounds, the share it holds the highest pitched note
    double topTime = 0;     // share of the song it holds the highest pitched note
    double bottomShare = 0; // of the time it sounds, the share it holds the lowest pitched note
    double polyphony = 0;   // share of its notes that start while another of its notes sounds
    double density = 0;     // notes per quarter note of the time it sounds
    double velocity = 0;    // mean, 0 to 1
    double singable = 0;    // share of its moves that are steps (counted whole), repeats or small leaps (half)
    double wide = 0;        // share of its moves by a fifth or more
    double fast = 0;        // share of its moves a sixteenth note or less after the onset before
    int median = 60;
    int notes = 0;          // notes of one unit or longer
    bool melodyWord = false, bassWord = false, drumWord = false, accompanimentWord = false;
    std::string nameWord;   // the word of the track name that marks its role, UTF-8
    std::uint64_t soundingUnits = 0;  // the units it sounds, and the song's, for the shares above
    std::uint64_t songUnits = 1;
};

// Measures every part but the three shares of the extremes (topShare,
// topTime, bottomShare), which MeasureExtremeShares adds; `order` holds the
// note indices sorted by start unit.
std::vector<PartMeasures> MeasureParts(const Score& score, const std::vector<std::uint32_t>& order);

// Adds the shares of the time each part holds the highest and the lowest
// sounding note: a sweep over every pitched note, which a file already in the
// driver's layout does without.
void MeasureExtremeShares(const Score& score, const std::vector<std::uint32_t>& order,
                          std::vector<PartMeasures>& measures);

}  // namespace kelvane::arrange
