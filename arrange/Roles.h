// Which parts each voice plays: the melody on Square1, the bass on the
// Triangle, a second part on Square2, the drum kit on Noise and DPCM, by
// measures that can be explained (see Roles.cpp), or as the user named them.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "Arrange.h"
#include "Score.h"

namespace kelvane::arrange {

constexpr int kNotASource = -1;

struct VoicePlan {
    std::vector<int> rank;  // by part: kNotASource, 0 for a main part, 1.. fillers by priority
    bool bottom = false;    // the lowest sounding note wins instead of the highest
};

struct RolePlan {
    std::array<VoicePlan, kVoiceCount> voices;
    bool kitSplit = true;  // DPCM takes the kick (and the snare where Noise is busy) of Noise's kit
    bool driverLayout = false;  // tracks 1-5 already are the five voices: each keeps its track
    std::vector<int> owner;  // by part: the voice whose main part it is, else the first that fills from it
    std::vector<std::string> warnings;
};

// `order` holds the note indices sorted by start unit.
RolePlan PlanRoles(const Score& score, const std::vector<std::uint32_t>& order, const VoiceAssignment& assignment);

}  // namespace kelvane::arrange
