#include "Drums.h"

#include "Timing.h"

namespace kelvane::arrange {
namespace {

// Priorities after what NES music tools do: crash > snare > toms > kick >
// open hat > ride > closed hat.
constexpr DrumSound kKickSound{36, kKick, 5};
constexpr DrumSound Snare(std::uint8_t key) { return {key, kSnare, 7}; }
constexpr DrumSound Tom(std::uint8_t key) { return {key, kTom, 6}; }
constexpr DrumSound kClapSound{39, kClap, 7};
constexpr DrumSound kClosedHatSound{42, kClosedHat, 2};
constexpr DrumSound kPedalHatSound{44, kClosedHat, 2};
constexpr DrumSound kOpenHatSound{46, kOpenHat, 4};
constexpr DrumSound kRideSound{46, kRide, 3};
constexpr DrumSound kCrashSound{49, kCrash, 8};
constexpr DrumSound kShakerSound{42, kOtherDrum, 1};  // tambourine, shakers, bells, clicks
constexpr DrumSound kHandDrumSound{44, kOtherDrum, 1};

}  // namespace

DrumSound DrumOf(int key) {
    switch (key) {
        case 35: case 36: return kKickSound;
        case 37: case 38: return Snare(38);
        case 40: return Snare(40);
        case 39: return kClapSound;
        case 41: return Tom(41);
        case 43: return Tom(43);
        case 45: case 47: return Tom(45);
        case 48: case 50: return Tom(47);
        case 42: return kClosedHatSound;
        case 44: return kPedalHatSound;
        case 46: return kOpenHatSound;
        case 49: case 52: case 55: case 57: return kCrashSound;
        case 51: case 53: case 59: return kRideSound;
        default: break;
    }
    if (key >= 60 && key <= 68) return Tom(key % 2 == 0 ? 47 : 43);  // bongos, congas, timbales
    if (key == 78 || key == 79) return kHandDrumSound;                // cuica
    return kShakerSound;
}

namespace {

class DrumBuilder {
public:
    DrumBuilder(const Score& score, const RolePlan& plan, std::vector<std::uint8_t>& taken)
        : score_(score), plan_(plan), taken_(taken) {}

    void Onsets(const std::vector<std::uint32_t>& order, std::size_t begin, std::size_t end);
    DrumLines Finish();

private:
    // True when hit a should sound rather than hit b (none: UINT32_MAX).
    bool Better(std::uint32_t a, std::uint32_t b) const {
        if (b == UINT32_MAX) return true;
        int pa = DrumOf(score_.notes[a].key).priority, pb = DrumOf(score_.notes[b].key).priority;
        if (pa != pb) return pa > pb;
        return score_.notes[a].velocity > score_.notes[b].velocity;
    }
    void Hit(VoiceLine& line, std::uint32_t index, std::uint32_t t);

    const Score& score_;
    const RolePlan& plan_;
    std::vector<std::uint8_t>& taken_;
    DrumLines lines_;
};

void DrumBuilder::Hit(VoiceLine& line, std::uint32_t index, std::uint32_t t) {
    if (index == UINT32_MAX) return;
    DrumSound sound = DrumOf(score_.notes[index].key);
    VoiceNote hit;
    hit.start = t;
    hit.end = score_.notes[index].end;
    hit.note = index;
    hit.key = sound.key;
    hit.drum = sound.kind;
    line.notes.push_back(hit);
    taken_[index] = kWritten;
}

void DrumBuilder::Onsets(const std::vector<std::uint32_t>& order, std::size_t begin, std::size_t end) {
    const std::uint32_t t = score_.notes[order[begin]].start;
    if (t >= kMaxUnits) return;
    const std::vector<int>& noiseRank = plan_.voices[kNoise].rank;
    const std::vector<int>& dpcmRank = plan_.voices[kDpcm].rank;
    std::uint32_t noise = UINT32_MAX, dpcm = UINT32_MAX, kick = UINT32_MAX;
    for (std::size_t i = begin; i < end; ++i) {
        std::uint32_t index = order[i];
        const Note& note = score_.notes[index];
        bool forNoise = noiseRank[note.part] != kNotASource, forDpcm = dpcmRank[note.part] != kNotASource;
        if (taken_[index] != 0 || (!forNoise && !forDpcm)) continue;
        DrumClass kind = DrumOf(note.key).kind;
        if (plan_.kitSplit && kind == kKick) {
            if (Better(index, kick)) kick = index;
        } else if (forNoise) {
            if (Better(index, noise)) noise = index;
        } else if (!plan_.kitSplit || kind == kSnare || kind == kClap) {
            if (Better(index, dpcm)) dpcm = index;
        }
    }
    if (plan_.kitSplit) {
        if (kick != UINT32_MAX) {
            dpcm = kick;
        } else {
            // The snare where Noise is busy with a hit that outranks it.
            for (std::size_t i = begin; i < end; ++i) {
                std::uint32_t index = order[i];
                const Note& note = score_.notes[index];
                DrumClass kind = DrumOf(note.key).kind;
                if (index == noise || taken_[index] != 0 || (kind != kSnare && kind != kClap)) continue;
                if (noiseRank[note.part] == kNotASource && dpcmRank[note.part] == kNotASource) continue;
                if (Better(index, dpcm)) dpcm = index;
            }
        }
    }
    Hit(lines_.noise, noise, t);
    Hit(lines_.dpcm, dpcm, t);
}

// A hit sounds until its note ends or the next hit, at least one unit.
DrumLines DrumBuilder::Finish() {
    for (VoiceLine* line : {&lines_.noise, &lines_.dpcm}) {
        std::vector<VoiceNote>& hits = line->notes;
        for (std::size_t i = 0; i < hits.size(); ++i) {
            std::uint32_t end = std::max(hits[i].end, hits[i].start + 1);
            if (i + 1 < hits.size()) end = std::min(end, hits[i + 1].start);
            hits[i].end = end;
        }
    }
    return std::move(lines_);
}

}  // namespace

DrumLines BuildDrumLines(const Score& score, const std::vector<std::uint32_t>& order, const RolePlan& plan,
                         std::vector<std::uint8_t>& taken) {
    DrumBuilder builder(score, plan, taken);
    for (std::size_t i = 0; i < order.size();) {
        std::size_t j = i + 1;
        while (j < order.size() && score.notes[order[j]].start == score.notes[order[i]].start) ++j;
        builder.Onsets(order, i, j);
        i = j;
    }
    return builder.Finish();
}

}  // namespace kelvane::arrange
