#include "Timing.h"

#include <algorithm>

namespace kelvane::arrange {
namespace {

constexpr std::uint32_t kDefaultTempo = 500000;  // the file format's 120 beats per minute
constexpr std::uint32_t kUnitsPerQuarter = 8;
constexpr std::size_t kBarLimit = 1u << 20;

}  // namespace

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
    unitMicros_ = double(mainTempo_) / kUnitsPerQuarter;
    for (Segment& segment : segments_) {
        segment.units = segment.micros / unitMicros_;
        segment.unitsPerTick = segment.microsPerTick / unitMicros_;
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

std::uint32_t Timing::ToUnit(std::uint64_t tick, std::size_t& hint) const {
    hint = SegmentOf(tick, hint);
    const Segment& segment = segments_[hint];
    double units = segment.units + double(tick - segment.tick) * segment.unitsPerTick + 0.5;
    return units >= double(kMaxUnits) ? kMaxUnits : static_cast<std::uint32_t>(units);
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
        for (std::uint32_t unit = bars.back() + 4 * kUnitsPerQuarter; bars.back() < endUnit;
             unit += 4 * kUnitsPerQuarter)
            bars.push_back(unit);
    }
    return bars;
}

void ApplyTiming(Score& score, const Timing& timing) {
    std::size_t starts = 0, ends = 0;
    for (Note& note : score.notes) {
        note.start = timing.ToUnit(note.startTick, starts);
        note.end = timing.ToUnit(note.endTick, ends);
    }
    std::size_t hint = 0;
    for (VolumeChange& change : score.volumes) change.unit = timing.ToUnit(change.tick, hint);
    for (TimedText& text : score.lyrics) text.unit = timing.ToUnit(text.tick, hint);
    for (TimedText& text : score.texts) text.unit = timing.ToUnit(text.tick, hint);
}

}  // namespace kelvane::arrange
