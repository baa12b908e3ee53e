// The drum kit on Noise and DPCM. Each hit is written with a key whose pitch
// class names its sound in a General-MIDI-like map, since the engine labels
// percussion by pitch class: C kick, D and E snares, F G A B toms, F# and G#
// closed hats, A# open hat and ride, C# crash, D# clap.
#pragma once

#include <cstdint>
#include <vector>

#include "Roles.h"
#include "Voices.h"

namespace kelvane::arrange {

enum DrumClass : std::uint8_t {
    kNoDrum = 0,
    kKick,
    kSnare,
    kClap,
    kTom,
    kClosedHat,
    kOpenHat,
    kRide,
    kCrash,
    kOtherDrum,
};

struct DrumSound {
    std::uint8_t key;       // as written
    DrumClass kind;
    std::uint8_t priority;  // who wins when hits collide
};

DrumSound DrumOf(int key);

inline bool IsHiHat(std::uint8_t kind) { return kind == kClosedHat || kind == kOpenHat; }

struct DrumLines {
    VoiceLine noise;
    VoiceLine dpcm;
};

// One hit per unit and voice. With `plan.kitSplit`, Noise takes the kit of
// its parts but the kick, and DPCM the kick, or else a snare or clap that
// lost to Noise; without it each voice takes the hits of its own parts.
DrumLines BuildDrumLines(const Score& score, const std::vector<std::uint32_t>& order, const RolePlan& plan,
                         std::vector<std::uint8_t>& taken);

}  // namespace kelvane::arrange
