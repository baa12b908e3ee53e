#include "TimedSong.h"

#include <algorithm>

namespace kelvane::test {
namespace {

constexpr double kDivision = 480;

double SecondsAt(const std::vector<TempoAt>& tempos, std::uint64_t tick) {
    double seconds = 0;
    for (std::size_t i = 0; i < tempos.size() && tempos[i].tick < tick; ++i) {
        std::uint64_t until = i + 1 < tempos.size() ? std::min<std::uint64_t>(tempos[i + 1].tick, tick) : tick;
        seconds += double(until - tempos[i].tick) * tempos[i].microsPerQuarter / kDivision / 1e6;
    }
    return seconds;
}

}  // namespace

TimedSong TimedMelody(const std::vector<TempoAt>& tempos, int notes, std::uint32_t slotTicks, double sounding,
                      int lowKey) {
    TimedSong song;
    Track conductor;
    std::uint32_t last = 0;
    for (const TempoAt& tempo : tempos) {
        conductor.Tempo(tempo.tick - last, tempo.microsPerQuarter);
        last = tempo.tick;
    }
    Track melody;
    const auto length = static_cast<std::uint32_t>(slotTicks * sounding);
    std::uint32_t gap = 0;
    for (int i = 0; i < notes; ++i) {
        int key = lowKey + (i % 12 < 6 ? 2 * (i % 12) : 2 * (12 - i % 12));
        const std::uint64_t start = std::uint64_t{slotTicks} * static_cast<std::uint64_t>(i);
        melody.NoteOn(gap, key).NoteOff(length, key);
        gap = slotTicks - length;
        song.onsets.push_back(SecondsAt(tempos, start));
        song.ends.push_back(SecondsAt(tempos, start + length));
    }
    song.seconds = song.ends.back();
    song.midi = MidiFile().Division(480).Add(conductor.End(0)).Add(melody.End(0)).Build();
    return song;
}

double Percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    auto at = values.begin() + static_cast<std::ptrdiff_t>(share * double(values.size() - 1) + 0.5);
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

}  // namespace kelvane::test
