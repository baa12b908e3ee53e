#include "Arpeggio.h"

#include <algorithm>
#include <array>

#include "SongCost.h"

namespace kelvane::arrange {
namespace {

constexpr int kLongestUnitFrames = 3;
constexpr int kLowestTone = 45;          // chord tones below A2 blur on a square
constexpr std::size_t kMostTones = 4;    // the highest four under the melody

struct Tone {
    std::uint32_t unit;
    std::uint32_t note;  // the score's note it sounds
    std::uint8_t key;
};

// The line's note sounding at unit `t`, or -1; `at` only moves forward.
int Sounding(const std::vector<VoiceNote>& notes, std::size_t& at, std::uint32_t t) {
    while (at < notes.size() && notes[at].end <= t) ++at;
    return at < notes.size() && notes[at].start <= t ? static_cast<int>(at) : -1;
}

// One tone per unit where Square1 sounds over a chord of two tones or more
// and Square2 plays nothing of its own part.
std::vector<Tone> PlanTones(const Score& score, const std::vector<std::uint32_t>& order, const RolePlan& plan,
                            const std::array<VoiceLine, kVoiceCount>& lines) {
    std::vector<Tone> tones;
    const std::vector<VoiceNote>& melody = lines[kSquare1].notes;
    const std::vector<VoiceNote>& second = lines[kSquare2].notes;
    const std::vector<VoiceNote>& bass = lines[kTriangle].notes;
    if (melody.empty()) return tones;
    std::vector<std::uint32_t> active, chord;
    std::size_t next = 0, m = 0, s = 0, b = 0;
    std::uint32_t phase = 0;
    bool running = false;
    for (std::uint32_t t = melody.front().start; t < melody.back().end; ++t) {
        for (; next < order.size() && score.notes[order[next]].start <= t; ++next) {
            const Note& note = score.notes[order[next]];
            if (note.end > t && !score.parts[note.part].drums) active.push_back(order[next]);
        }
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [&](std::uint32_t index) { return score.notes[index].end <= t; }),
                     active.end());
        const int mi = Sounding(melody, m, t), si = Sounding(second, s, t), bi = Sounding(bass, b, t);
        running = running && mi >= 0;
        if (mi < 0) continue;
        if (si >= 0 && plan.voices[kSquare2].rank[score.notes[second[static_cast<std::size_t>(si)].note].part] == 0) {
            running = false;
            continue;
        }
        const int top = score.notes[melody[static_cast<std::size_t>(mi)].note].key;
        const int bottom = bi >= 0 ? score.notes[bass[static_cast<std::size_t>(bi)].note].key : -1;
        chord.clear();
        for (std::uint32_t index : active) {
            const int key = score.notes[index].key;
            if (key < top && key >= kLowestTone && key != bottom &&
                std::none_of(chord.begin(), chord.end(), [&](std::uint32_t other) { return score.notes[other].key == key; }))
                chord.push_back(index);
        }
        if (chord.size() < 2) {
            running = false;
            continue;
        }
        std::sort(chord.begin(), chord.end(),
                  [&](std::uint32_t x, std::uint32_t y) { return score.notes[x].key > score.notes[y].key; });
        if (chord.size() > kMostTones) chord.resize(kMostTones);
        if (!running) phase = 0;
        running = true;
        const std::uint32_t index = chord[chord.size() - 1 - phase++ % chord.size()];
        tones.push_back({t, index, score.notes[index].key});
    }
    return tones;
}

// Square2's line with the tones before unit `until` in place of what it
// filled in there; a volume of a note given up goes to the next note.
std::vector<VoiceNote> WithTones(const std::vector<VoiceNote>& line, const std::vector<Tone>& tones,
                                 std::uint32_t until) {
    std::vector<VoiceNote> out;
    out.reserve(line.size() + tones.size());
    std::int16_t pending = kNoVolume;
    auto put = [&](VoiceNote note) {
        if (note.volume == kNoVolume) note.volume = pending;
        pending = kNoVolume;
        out.push_back(note);
    };
    std::size_t a = 0;
    auto tone = [&]() {
        VoiceNote note;
        note.start = tones[a].unit;
        note.end = tones[a].unit + 1;
        note.note = tones[a].note;
        note.key = tones[a].key;
        ++a;
        return note;
    };
    for (const VoiceNote& own : line) {
        while (a < tones.size() && tones[a].unit < until && tones[a].unit < own.start) put(tone());
        VoiceNote piece = own;
        while (a < tones.size() && tones[a].unit < until && tones[a].unit < own.end) {
            if (tones[a].unit > piece.start) {
                VoiceNote before = piece;
                before.end = tones[a].unit;
                put(before);
                piece.volume = kNoVolume;
            } else if (piece.volume != kNoVolume) {
                pending = piece.volume;
                piece.volume = kNoVolume;
            }
            piece.start = tones[a].unit + 1;
            put(tone());
        }
        if (piece.start < piece.end) put(piece);
        else if (piece.volume != kNoVolume) pending = piece.volume;
    }
    while (a < tones.size() && tones[a].unit < until) put(tone());
    return out;
}

}  // namespace

bool UnitShortEnoughForArpeggios(const Grid& grid) {
    const std::array<int, 4> frames = grid.Frames();
    return *std::max_element(frames.begin(), frames.end()) <= kLongestUnitFrames;
}

ArpeggioOutcome AddChordArpeggios(const Score& score, const std::vector<std::uint32_t>& order, const RolePlan& plan,
                                  std::array<VoiceLine, kVoiceCount>& lines, std::vector<std::uint8_t>& taken,
                                  const std::vector<std::uint32_t>& lyricUnits, std::size_t capacity) {
    ArpeggioOutcome outcome;
    const std::vector<Tone> tones = PlanTones(score, order, plan, lines);
    if (tones.empty()) return outcome;
    const std::vector<VoiceNote> own = lines[kSquare2].notes;
    // Only Square2 changes while the search tries cuts: the other voices
    // are priced once.
    const SongCost now(lines, lyricUnits);
    const std::size_t others = now.Total() - now.Voice(kSquare2);
    std::array<VoiceLine, kVoiceCount> square2{};
    square2[kSquare2].restUntil = lines[kSquare2].restUntil;
    auto fits = [&](std::uint32_t until) {
        square2[kSquare2].notes = WithTones(own, tones, until);
        return others + SongCost(square2, lyricUnits).Voice(kSquare2) <= capacity;
    };
    // The arpeggios up to the last unit at which the song still fits.
    std::uint32_t until = tones.back().unit + 1;
    if (!fits(until)) {
        outcome.cut = true;
        std::uint32_t low = 0, high = until;  // fits before `low`, not before `high`
        while (high - low > 1) {
            std::uint32_t middle = low + (high - low) / 2;
            (fits(middle) ? low : high) = middle;
        }
        until = low;
    }
    lines[kSquare2].notes = WithTones(own, tones, until);
    for (const Tone& tone : tones) {
        if (tone.unit >= until) break;
        ++outcome.units;
        if (taken[tone.note] == 0) {
            taken[tone.note] = kWritten;
            ++outcome.chordNotes;
        }
    }
    return outcome;
}

}  // namespace kelvane::arrange
