// Which parts each voice plays: the melody on Square1, the bass on the
// Triangle, a second part on Square2, the drum kit on Noise and DPCM, by
// measures that can be explained (see Roles.cpp), or as the user named them.
#pragma once

#include <array>
#include <climits>
#include <string>
#include <vector>

#include "Arrange.h"
#include "Score.h"

namespace kelvane::arrange {

constexpr int kNotASource = -1;

struct VoicePlan {
    std::vector<int> rank;  // by part: kNotASource, 0 for a main part, 1.. fillers by priority
    bool bottom = false;    // the lowest sounding note wins instead of the highest
    // Fillers of this rank or after play only notes up to `fillerCeiling`.
    int ceilingRank = INT_MAX;
    int fillerCeiling = 127;
};

struct RolePlan {
    std::array<VoicePlan, kVoiceCount> voices;
    bool kitSplit = true;  // DPCM takes the kick (and the snare where Noise is busy) of Noise's kit
    bool driverLayout = false;  // tracks 1-5 already are the five voices: each keeps its track
    std::vector<int> owner;  // by part: the voice whose main part it is, else the first that fills from it
    std::vector<std::string> warnings;
    // Why each voice's main part was chosen: "melody: highest part 81 % of the time".
    std::array<std::string, kVoiceCount> reasons;
};

// `order` holds the note indices sorted by start unit; `lyricParts` the parts
// that lyrics are sung to: the melody is one of them unless Square1 is named.
RolePlan PlanRoles(const Score& score, const std::vector<std::uint32_t>& order, const VoiceAssignment& assignment,
                   const std::vector<int>& lyricParts = {});

}  // namespace kelvane::arrange
