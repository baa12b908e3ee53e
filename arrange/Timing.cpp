#include "Timing.h"

#include <algorithm>
#include <cmath>

namespace kelvane::arrange {
namespace {

constexpr std::uint32_t kDefaultTempo = 500000;  // the file format's 120 beats per minute
constexpr std::size_t kBarLimit = 1u << 20;
constexpr double kMovedMicros = 30000;
// The largest unit a tempo byte can give: 0xFFFFFF microseconds a quarter.
constexpr int kMaxQuarterFrames = 4 * 104;

// How far a note may move and still count as in time: half an eighth of a
// quarter note of its own tempo section, within half a frame (the best any
// grid of frames does) and one frame.
double Tolerance(std::uint32_t tempo) { return std::clamp(tempo / 16.0, kFrameMicros / 2, kFrameMicros); }

struct Placed {
    double start;
    double end;
    double tolerance;
    bool checkEnd;  // a tonal note: it must keep a length, its end in time
};

bool Kept(const GridMap& grid, double unitMicros, const Placed& note) {
    std::uint64_t start = grid.Nearest(note.start);
    if (std::abs(double(grid.FrameOf(start)) * kFrameMicros - note.start) > note.tolerance) return false;
    if (!note.checkEnd) return true;
    // Shorter than half a unit, a note lasts a unit only by luck of rounding.
    if (note.end - note.start < unitMicros / 2) return false;
    std::uint64_t end = grid.Nearest(note.end);
    return end > start && std::abs(double(grid.FrameOf(end)) * kFrameMicros - note.end) <= 2 * note.tolerance;
}

// Notes that do not keep their time on `grid`, of every `step`-th note,
// counted up to `limit`.
std::size_t Misses(const Grid& grid, const std::vector<Placed>& notes, std::size_t step, std::size_t limit) {
    const GridMap map(grid);
    const double unit = grid.UnitMicros();
    std::size_t misses = 0;
    for (std::size_t i = 0; i < notes.size() && misses <= limit; i += step) misses += Kept(map, unit, notes[i]) ? 0 : 1;
    return misses;
}

// Whether 98 % of the notes keep their time on `grid`. A spread sample of
// the song first, so that a grid far off is turned down at once.
bool KeepsTime(const Grid& grid, const std::vector<Placed>& notes) {
    constexpr std::size_t kSample = 256;
    const std::size_t count = notes.size();
    if (count > 4 * kSample && Misses(grid, notes, count / kSample, kSample / 8) > kSample / 8) return false;
    return Misses(grid, notes, 1, count / 50) <= count / 50;
}

}  // namespace

std::uint64_t Grid::FrameOf(std::uint64_t unit) const { return GridMap(*this).FrameOf(unit); }

std::uint64_t Grid::Nearest(double micros) const { return GridMap(*this).Nearest(micros); }

GridMap::GridMap(const Grid& grid)
    : cycleFrames_(static_cast<std::uint32_t>(grid.CycleFrames())), cycleHalves_(2 * cycleFrames_) {
    const std::array<int, 4> frames = grid.Frames();
    std::uint32_t at = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        starts_[k] = at;
        // Between point k and point k + 1, in half frames: their sum in frames.
        midpoints_[k] = 2 * at + static_cast<std::uint32_t>(frames[k]);
        at += static_cast<std::uint32_t>(frames[k]);
    }
}

std::uint64_t GridMap::Nearest(double micros) const {
    // In half frames: grid points lie on even values, and the midpoints
    // between them on whole ones, so the half frame a time falls in tells
    // its nearest point (a time on a midpoint goes to the later point).
    if (!(micros > 0)) return 0;
    if (micros >= 0x1p62) return UINT64_MAX / 2;
    // Whole microseconds divide by a constant, which the compiler makes a
    // multiplication; the half frame is the same as from the exact time.
    const std::uint64_t half = static_cast<std::uint64_t>(micros) / 10000;
    // Times within 2^32 half frames (over a year) divide by the cycle in 32
    // bits, which is several times faster.
    std::uint64_t cycles;
    std::uint32_t within;
    if (half < (std::uint64_t{1} << 32)) {
        const auto half32 = static_cast<std::uint32_t>(half);
        cycles = half32 / cycleHalves_;
        within = half32 % cycleHalves_;
    } else {
        cycles = half / cycleHalves_;
        within = static_cast<std::uint32_t>(half % cycleHalves_);
    }
    const std::uint32_t k = (within >= midpoints_[0]) + (within >= midpoints_[1]) + (within >= midpoints_[2]) +
                            (within >= midpoints_[3]);
    return cycles * 4 + k;
}

Timing::Timing(const Score& score) : ticksPerSecond_(score.ticksPerSecond), division_(score.division) {
    if (ticksPerSecond_ > 0) {
        // SMPTE time is real time; tempo events do not apply to it.
        segments_.push_back({0, 0.0, 1e6 / ticksPerSecond_, kDefaultTempo});
    } else {
        std::vector<TempoChange> tempos = score.tempos;
        std::stable_sort(tempos.begin(), tempos.end(),
                         [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
        segments_.push_back({0, 0.0, double(kDefaultTempo) / division_, kDefaultTempo});
        for (const TempoChange& change : tempos) {
            Segment& last = segments_.back();
            if (change.tick == last.tick) {
                last.tempo = change.microsPerQuarter;
                last.microsPerTick = double(change.microsPerQuarter) / division_;
            } else {
                double micros = last.micros + double(change.tick - last.tick) * last.microsPerTick;
                segments_.push_back({change.tick, micros, double(change.microsPerQuarter) / division_,
                                     change.microsPerQuarter});
            }
        }
    }

    // The tempo that lasts longest in real time; among equals the earliest.
    struct Lasting {
        std::uint32_t tempo;
        double micros;
        std::size_t first;
    };
    std::vector<Lasting> lasting;
    for (std::size_t i = 0; i < segments_.size() && segments_[i].tick < score.endTick; ++i) {
        std::uint64_t until = i + 1 < segments_.size() ? std::min(segments_[i + 1].tick, score.endTick) : score.endTick;
        lasting.push_back({segments_[i].tempo, double(until - segments_[i].tick) * segments_[i].microsPerTick, i});
        if (i > 0 && segments_[i].tempo != segments_[i - 1].tempo) ++changes_;
    }
    std::stable_sort(lasting.begin(), lasting.end(),
                     [](const Lasting& a, const Lasting& b) { return a.tempo < b.tempo; });
    double longest = 0;
    std::size_t longestFirst = 0;
    for (std::size_t i = 0; i < lasting.size();) {
        std::size_t j = i;
        double total = 0;
        for (; j < lasting.size() && lasting[j].tempo == lasting[i].tempo; ++j) total += lasting[j].micros;
        bool earlier = total == longest && lasting[i].first < longestFirst;
        if (lasting[i].tempo > 0 && (total > longest || earlier)) {
            longest = total;
            longestFirst = lasting[i].first;
            mainTempo_ = lasting[i].tempo;
        }
        i = j;
    }
    if (longest == 0 && segments_.front().tempo > 0) mainTempo_ = segments_.front().tempo;
    ChooseGrid(score);
}

// The largest unit, up to a sixteenth note of the main tempo (a rest or a
// lyric moves by up to a unit, so a larger one would blur them), on which 98 % of
// the notes start within their tolerance and tonal notes keep a length and
// end near their time (else the unit that keeps most). Of the units with the
// same whole frames, the even cycle first: it puts no jitter on the grid.
void Timing::ChooseGrid(const Score& score) {
    // A spread sample of the notes is enough to tell 98 % from less, and
    // keeps the choice cheap on a song of millions of notes.
    constexpr std::size_t kSampleLimit = 4096;
    const std::size_t step = std::max<std::size_t>(1, score.notes.size() / kSampleLimit);
    std::vector<Placed> notes;
    notes.reserve(score.notes.size() / step + 1);
    std::size_t starts = 0, ends = 0;
    for (std::size_t i = 0; i < score.notes.size(); i += step) {
        const Note& note = score.notes[i];
        const bool drum = score.parts[note.part].drums;
        if (!drum && note.endTick <= note.startTick) continue;  // nothing to keep
        double start = Micros(note.startTick, starts);
        if (start / kFrameMicros >= double(kMaxUnits)) continue;
        double end = std::max(start, Micros(note.endTick, ends));
        notes.push_back({start, end, Tolerance(segments_[starts].tempo), !drum});
    }

    // In quarter frames: a sixteenth note of the main tempo.
    int cap = static_cast<int>(std::min(double(mainTempo_) / kFrameMicros, double(kMaxQuarterFrames)));
    cap = std::max(cap, 4);
    std::vector<Grid> candidates;
    for (int whole = cap / 4; whole >= 1; --whole)
        for (int extra : {0, 3, 2, 1})
            if (4 * whole + extra <= cap) candidates.push_back({whole, extra});
    coarsest_ = {cap / 4, cap % 4};
    UseGrid(coarsest_);
    if (!notes.empty()) {
        auto keeping = std::find_if(candidates.begin(), candidates.end(),
                                    [&](const Grid& grid) { return KeepsTime(grid, notes); });
        if (keeping != candidates.end()) {
            UseGrid(*keeping);
        } else {
            // No grid keeps 98 %: the one that keeps most.
            std::size_t fewest = SIZE_MAX;
            for (const Grid& grid : candidates) {
                std::size_t misses = Misses(grid, notes, 1, fewest);
                if (misses < fewest) {
                    fewest = misses;
                    UseGrid(grid);
                }
            }
        }
    }

}

std::size_t Timing::SegmentOf(std::uint64_t tick, std::size_t hint) const {
    auto holds = [&](std::size_t i) {
        return i < segments_.size() && segments_[i].tick <= tick &&
               (i + 1 == segments_.size() || tick < segments_[i + 1].tick);
    };
    if (holds(hint)) return hint;
    if (holds(hint + 1)) return hint + 1;
    auto it = std::upper_bound(segments_.begin(), segments_.end(), tick,
                               [](std::uint64_t t, const Segment& s) { return t < s.tick; });
    return static_cast<std::size_t>(it - segments_.begin()) - 1;
}

double Timing::Micros(std::uint64_t tick, std::size_t& hint) const {
    hint = SegmentOf(tick, hint);
    const Segment& segment = segments_[hint];
    return segment.micros + double(tick - segment.tick) * segment.microsPerTick;
}

std::uint32_t Timing::ToUnitAt(double micros) const {
    std::uint64_t unit = map_.Nearest(micros);
    return unit >= kMaxUnits ? kMaxUnits : static_cast<std::uint32_t>(unit);
}

std::vector<std::uint32_t> Timing::BarStarts(const Score& score, std::uint32_t endUnit) const {
    std::vector<MeterChange> meters = score.meters;
    std::stable_sort(meters.begin(), meters.end(),
                     [](const MeterChange& a, const MeterChange& b) { return a.tick < b.tick; });
    double quarterTicks = ticksPerSecond_ > 0 ? ticksPerSecond_ * kDefaultTempo / 1e6 : double(division_);
    std::vector<std::uint32_t> bars{0};
    double tick = 0;
    std::size_t next = 0;
    MeterChange meter{0, 4, 2};
    for (std::size_t steps = 0; steps < kBarLimit && bars.back() < endUnit; ++steps) {
        while (next < meters.size() && double(meters[next].tick) <= tick) meter = meters[next++];
        double barTicks = meter.numerator * quarterTicks * 4 / double(1u << meter.denominatorPower);
        tick += barTicks;
        // A meter change inside a bar starts a new bar there.
        if (next < meters.size() && double(meters[next].tick) < tick) tick = double(meters[next].tick);
        std::uint32_t unit = tick >= double(UINT64_MAX / 2) ? kMaxUnits : ToUnit(static_cast<std::uint64_t>(tick));
        if (unit > bars.back()) bars.push_back(unit);
    }
    if (bars.back() < endUnit) {
        // Bars too many to walk: whole notes of the main tempo from there on.
        auto whole = static_cast<std::uint32_t>(std::max(1.0, std::round(4.0 * mainTempo_ / grid_.UnitMicros())));
        for (std::uint32_t unit = bars.back() + whole; bars.back() < endUnit; unit += whole) bars.push_back(unit);
    }
    return bars;
}

TimingFigures ApplyTiming(Score& score, const Timing& timing) {
    TimingFigures figures;
    score.unitsPerQuarter = timing.MainTempo() / timing.UnitGrid().UnitMicros();
    // A note shorter than half a unit is too short, whatever the rounding
    // of its two ends makes of it.
    const Grid& grid = timing.UnitGrid();
    const double half = grid.UnitMicros() / 2;
    // How far each note's start moved, in tenths of a millisecond.
    constexpr std::size_t kBins = 1000;
    std::vector<std::uint32_t> moved(kBins + 1, 0);
    std::size_t counted = 0;
    std::size_t starts = 0, ends = 0;
    for (Note& note : score.notes) {
        double start = timing.Micros(note.startTick, starts), end = timing.Micros(note.endTick, ends);
        note.start = timing.ToUnitAt(start);
        note.end = end - start < half ? note.start : timing.ToUnitAt(end);
        figures.songMicros = std::max(figures.songMicros, end);
        const bool drum = score.parts[note.part].drums;
        if ((!drum && note.endTick <= note.startTick) || note.start >= kMaxUnits) continue;
        double off = std::abs(double(timing.Map().FrameOf(note.start)) * kFrameMicros - start);
        ++moved[std::min<std::size_t>(kBins, static_cast<std::uint32_t>(std::min(off, 1e9)) / 100)];
        figures.movedShare += off > kMovedMicros ? 1 : 0;
        ++counted;
    }
    if (counted > 0) {
        figures.movedShare /= double(counted);
        std::size_t below = 0, bin = 0;
        while (bin < kBins && 100 * (below + moved[bin]) < 95 * counted) below += moved[bin++];
        figures.onsetP95Micros = double(bin + 1) * 100;
    }
    std::size_t hint = 0;
    for (VolumeChange& change : score.volumes) change.unit = timing.ToUnit(change.tick, hint);
    for (TimedText& text : score.lyrics) text.unit = timing.ToUnit(text.tick, hint);
    for (TimedText& text : score.texts) text.unit = timing.ToUnit(text.tick, hint);
    return figures;
}

}  // namespace kelvane::arrange
