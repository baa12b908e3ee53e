// Tempo folding: the driver plays a song at one tempo, so every event is
// re-timed onto the grid of time units (an eighth of a quarter note) of the
// tempo that lasts longest, each at its real time, rounded to the nearest
// unit. Every section then keeps its real duration within one unit.
#pragma once

#include <cstdint>
#include <vector>

#include "Score.h"

namespace kelvane::arrange {

// Events later than this are dropped: the engine stops a track that claims
// more time than a song block could play.
constexpr std::uint32_t kMaxUnits = 1u << 21;

class Timing {
public:
    explicit Timing(const Score& score);

    std::uint32_t MainTempo() const { return mainTempo_; }  // microseconds per quarter note
    int TempoChanges() const { return changes_; }           // changes of tempo inside the song
    std::uint32_t ToUnit(std::uint64_t tick) const {
        std::size_t hint = 0;
        return ToUnit(tick, hint);
    }
    // The same; `hint` remembers the tempo section of the last call, so a
    // walk through ticks that mostly rise finds each section at once.
    std::uint32_t ToUnit(std::uint64_t tick, std::size_t& hint) const;

    // Unit of every bar line from the start up to `endUnit`, the first at 0.
    std::vector<std::uint32_t> BarStarts(const Score& score, std::uint32_t endUnit) const;

private:
    struct Segment {
        std::uint64_t tick;
        double micros;
        double microsPerTick;
        std::uint32_t tempo;
        double units = 0;  // the section's start and slope in units of the main tempo
        double unitsPerTick = 0;
    };
    std::size_t SegmentOf(std::uint64_t tick, std::size_t hint) const;

    std::vector<Segment> segments_;
    double ticksPerSecond_ = 0;
    std::uint32_t division_ = 480;
    std::uint32_t mainTempo_ = 500000;
    double unitMicros_ = 62500;
    int changes_ = 0;
};

// Fills the unit times of the score's notes, volume changes and texts.
void ApplyTiming(Score& score, const Timing& timing);

}  // namespace kelvane::arrange
