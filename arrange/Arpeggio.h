// Chords the squares cannot hold: where Square2 has nothing of its own to
// play (it rests, or holds a note it took from another part), it may play
// the chord under Square1's note as a fast arpeggio, the chord tones in turn,
// one per time unit, as console music has always done. The ear hears a chord
// only when a unit is short, so only songs whose unit lasts at most three
// frames get one. Added last, so it is the first thing the fit gives up.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Roles.h"
#include "Score.h"
#include "Timing.h"
#include "Voices.h"

namespace kelvane::arrange {

// Whether every unit of the grid lasts at most three frames: slower
// arpeggios are heard as a tune of their own, not as a chord.
bool UnitShortEnoughForArpeggios(const Grid& grid);

struct ArpeggioOutcome {
    std::uint32_t units = 0;       // units Square2 spends in arpeggios
    std::uint32_t chordNotes = 0;  // notes of the file no voice played that the arpeggios play
    bool cut = false;              // the song block held only the arpeggios before some unit
};

// Rewrites Square2's line with the arpeggios, as far into the song as the
// song still fits `capacity` bytes with them (`lyricUnits`: Square1's lyric
// units, in order); marks the notes they play in `taken` (2: written).
ArpeggioOutcome AddChordArpeggios(const Score& score, const std::vector<std::uint32_t>& order, const RolePlan& plan,
                                  std::array<VoiceLine, kVoiceCount>& lines, std::vector<std::uint8_t>& taken,
                                  const std::vector<std::uint32_t>& lyricUnits, std::size_t capacity);

}  // namespace kelvane::arrange
