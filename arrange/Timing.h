// The arranged song's time grid is the driver's own: unit k lasts
// Frames()[k mod 4] frames of 1/50 s, as the tempo bytes the engine makes of
// the written tempo say. Every event is re-timed onto that grid at its real
// time (tempo changes included), rounded to the nearest grid point, so the
// song keeps its length and every onset lies within half a unit of its time.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "Score.h"

namespace kelvane::arrange {

// Events later than this are dropped: the engine stops a track that claims
// more time than a song block could play.
constexpr std::uint32_t kMaxUnits = 1u << 21;

constexpr double kFrameMicros = 20000;  // the driver's frame, 1/50 s

// Units of `whole` frames, `extra` of every four one frame longer: the tempo
// rule's quarter frames. `whole` is at least 1, so no unit takes no time.
struct Grid {
    int whole = 3;
    int extra = 0;  // 0 to 3; 0 is an even cycle

    std::array<int, 4> Frames() const {
        return {whole + (extra >= 1), whole + (extra >= 3), whole + (extra >= 2), whole};
    }
    int CycleFrames() const { return 4 * whole + extra; }
    double UnitMicros() const { return CycleFrames() * 5000.0; }
    bool operator==(const Grid& other) const { return whole == other.whole && extra == other.extra; }
    bool operator!=(const Grid& other) const { return !(*this == other); }
    // Microseconds per quarter note whose tempo bytes are this grid's (a unit
    // is an eighth of a quarter); one microsecond over the exact value, so
    // that the rule's floating-point divisions cannot fall below it.
    std::uint32_t TempoMicros() const {
        return static_cast<std::uint32_t>(160000 * whole + 40000 * extra + 1);
    }
    // The frame at which unit `unit` starts.
    std::uint64_t FrameOf(std::uint64_t unit) const;
    // The grid point nearest to `micros` after the song's start.
    std::uint64_t Nearest(double micros) const;
};

// A grid made ready for mapping many times: its cycle and the midpoints
// between its points, in half frames.
class GridMap {
public:
    explicit GridMap(const Grid& grid);
    std::uint64_t Nearest(double micros) const;
    std::uint64_t FrameOf(std::uint64_t unit) const {
        return (unit >> 2) * cycleFrames_ + starts_[unit & 3];
    }

private:
    std::uint32_t cycleFrames_;
    std::uint32_t cycleHalves_;
    std::array<std::uint32_t, 4> starts_;     // frames from the cycle's start to each point
    std::array<std::uint32_t, 4> midpoints_;  // half frames from the cycle's start
};

class Timing {
public:
    explicit Timing(const Score& score);

    std::uint32_t MainTempo() const { return mainTempo_; }  // microseconds per quarter note
    int TempoChanges() const { return changes_; }           // changes of tempo inside the song
    const Grid& UnitGrid() const { return grid_; }
    // The largest grid the choice began with: a sixteenth note of the main
    // tempo, in quarter frames.
    const Grid& CoarsestGrid() const { return coarsest_; }
    // From now on, events go onto `grid`.
    void UseGrid(const Grid& grid) {
        grid_ = grid;
        map_ = GridMap(grid);
    }
    const GridMap& Map() const { return map_; }

    // Microseconds from the song's start to `tick`; `hint` remembers the
    // tempo section of the last call, so a walk through ticks that mostly
    // rise finds each section at once.
    double Micros(std::uint64_t tick, std::size_t& hint) const;
    std::uint32_t ToUnit(std::uint64_t tick) const {
        std::size_t hint = 0;
        return ToUnit(tick, hint);
    }
    std::uint32_t ToUnit(std::uint64_t tick, std::size_t& hint) const { return ToUnitAt(Micros(tick, hint)); }
    std::uint32_t ToUnitAt(double micros) const;


    // Unit of every bar line from the start up to `endUnit`, the first at 0.
    std::vector<std::uint32_t> BarStarts(const Score& score, std::uint32_t endUnit) const;

private:
    struct Segment {
        std::uint64_t tick;
        double micros;
        double microsPerTick;
        std::uint32_t tempo;
    };
    std::size_t SegmentOf(std::uint64_t tick, std::size_t hint) const;
    void ChooseGrid(const Score& score);

    std::vector<Segment> segments_;
    double ticksPerSecond_ = 0;
    std::uint32_t division_ = 480;
    std::uint32_t mainTempo_ = 500000;
    int changes_ = 0;
    Grid grid_;
    Grid coarsest_;
    GridMap map_{grid_};
};

struct TimingFigures {
    double songMicros = 0;      // from the start to the end of the last note
    double movedShare = 0;      // share of the notes whose start moved by more than 30 ms
    double onsetP95Micros = 0;  // 95 % of the notes start at most this far from their time (to 0.1 ms)
};

// Fills the unit times of the score's notes, volume changes and texts, and
// measures how far the notes moved.
TimingFigures ApplyTiming(Score& score, const Timing& timing);

}  // namespace kelvane::arrange
