// Role scores. Each is a sum of a few terms that a person can check against
// the part (PartMeasures.h). The melody is the part that is highest while it
// sounds and carries a line; how much of the song it sounds counts less, so
// a tune that rests is not lost to an inner part that never does, while a
// descant far sparser than the tune is. A General MIDI program only breaks
// ties, except among the many tracks of game and pop songs, where an active
// singable line and a lead program mark the tune among pads, held lines,
// bells, effects and arpeggios. Two lines that score nearly alike in one
// range are compared note by note. A track name outweighs all of these, and
// a part the lyrics are sung to is the melody.
#include "Roles.h"

#include <algorithm>
#include <cmath>

#include "Lyrics.h"
#include "PartMeasures.h"
#include "Timing.h"

namespace kelvane::arrange {
namespace {

using Measures = PartMeasures;

constexpr int kManyTracks = 10;        // pitched parts that make a game or pop song's texture
constexpr int kFillerCeiling = 59;     // the Triangle fills from other parts below middle C
constexpr int kLowDriverTriangle = 64; // a driver-layout Triangle track lies below this median
constexpr int kKaraokeTexts = 4;       // text events that make a track a lyric track
constexpr double kNearScore = 1.0;     // melody scores this close are compared note by note
constexpr int kOneRange = 7;           // medians this close lie in one range
constexpr double kLikeLines = 0.15;    // a line with this many fewer steps is a figure beside another
constexpr double kHeldLine = 2;        // one with this many times fewer notes a held line
constexpr std::size_t kContenders = 4; // lines compared note by note with the best, at most

enum Family { kBassFamily, kLeadFamily, kPadFamily, kBellFamily, kEffectFamily, kOtherFamily };

Family FamilyOf(int program) {
    if (program >= 32 && program <= 39) return kBassFamily;
    // Reeds, pipes, synth leads, brass and voices carry tunes.
    if ((program >= 56 && program <= 87) || (program >= 52 && program <= 54)) return kLeadFamily;
    if (program >= 88 && program <= 95) return kPadFamily;
    if (program >= 8 && program <= 15) return kBellFamily;
    if ((program >= 96 && program <= 103) || program >= 112) return kEffectFamily;
    return kOtherFamily;
}

double Clamp01(double x) { return x < 0 ? 0 : x > 1 ? 1 : x; }

std::string Percent(double share) { return std::to_string(std::lround(100 * share)) + " %"; }

double MelodyScore(const Measures& m, int program, bool many) {
    Family family = FamilyOf(program);
    const double height = many ? 1 : 3;
    double score = height * (m.topShare + m.topTime) + (many ? 3 : 1) * m.coverage + (many ? 4 : 2) * m.singable -
                   3 * m.wide - 2 * m.polyphony + 0.3 * m.velocity + (many ? 3 * Clamp01(2 * m.density) : 0.5 * Clamp01(m.density)) +
                   (m.melodyWord && !m.bassWord ? 7 : 0) -
                   (m.bassWord || m.drumWord ? 4 : 0) - (m.accompanimentWord ? 1 : 0);
    switch (family) {
        case kLeadFamily: score += many ? 1.5 : 0.2; break;
        case kBassFamily: score -= 3; break;
        case kPadFamily: score -= many ? 2 : 1; break;
        case kBellFamily: score -= many ? 3 : 0.5; break;
        case kEffectFamily: score -= many ? 3 : 1.5; break;
        case kOtherFamily: break;
    }
    // A tune moves more often than a pad or a held line (in many tracks at
    // least every half note); running
    // sixteenth notes and broken chords are figures, not a tune.
    return score - (many ? 3 : 1.5) * m.fast;
}

bool CanBeBass(const Measures& m, int program) {
    // "Bass Voice" in a choir names a bass.
    return (!m.melodyWord || m.bassWord) && (m.median < 55 || m.bassWord || FamilyOf(program) == kBassFamily);
}

double BassScore(const Measures& m, int program) {
    return 3 * m.coverage + 2 * m.bottomShare + 2 * Clamp01((60 - m.median) / 18.0) - 0.5 * m.polyphony +
           (m.bassWord ? 4 : 0) + (FamilyOf(program) == kBassFamily ? 3 : 0);
}

double SecondScore(const Measures& m, int program) {
    Family family = FamilyOf(program);
    return 3 * m.coverage + (1 - m.polyphony) + 0.5 * m.velocity + (m.median >= 48 && m.median <= 84 ? 0.5 : 0) +
           (m.melodyWord ? 1 : 0) - (family == kBassFamily ? 1 : 0) - (family == kPadFamily ? 0.5 : 0);
}

// Of the time parts a and b both sound, the units in which a's highest note
// lies above b's, and those in which b's lies above a's.
std::pair<std::uint64_t, std::uint64_t> Above(const Score& score, int a, int b) {
    std::uint32_t end = 0;
    for (const Note& note : score.notes)
        if ((note.part == static_cast<std::uint32_t>(a) || note.part == static_cast<std::uint32_t>(b)) &&
            note.start < kMaxUnits)
            end = std::max(end, std::min(note.end, kMaxUnits));
    std::vector<std::uint8_t> topA(end, 0), topB(end, 0);  // key + 1, 0 where silent
    for (const Note& note : score.notes) {
        if (note.start >= kMaxUnits) continue;
        std::vector<std::uint8_t>* top = note.part == static_cast<std::uint32_t>(a)   ? &topA
                                         : note.part == static_cast<std::uint32_t>(b) ? &topB
                                                                                       : nullptr;
        if (!top) continue;
        for (std::uint32_t u = note.start; u < std::min(note.end, end); ++u)
            (*top)[u] = std::max<std::uint8_t>((*top)[u], static_cast<std::uint8_t>(note.key + 1));
    }
    std::pair<std::uint64_t, std::uint64_t> above{0, 0};
    for (std::uint32_t u = 0; u < end; ++u) {
        if (topA[u] == 0 || topB[u] == 0) continue;
        above.first += topA[u] > topB[u];
        above.second += topB[u] > topA[u];
    }
    return above;
}

bool Matches(const Part& part, const Selector& selector) {
    return (selector.track < 0 || selector.track == part.track) &&
           (selector.channel < 0 || selector.channel == part.channel);
}

std::string SelectorText(const Selector& s) {
    std::string text;
    if (s.track >= 0) text += "t" + std::to_string(s.track);
    if (s.channel >= 0) text += "c" + std::to_string(s.channel + 1);
    return text;
}

// A file already made for the driver: a conductor track without notes, then
// at most five tracks of one part each, all on one MIDI channel other than
// 10 (the engine reads no channel, so such files leave them all alike, where
// a General MIDI file gives each instrument its own), each playing one note
// at a time (a tenth of its notes may overlap the one before). Track 1 plays,
// track 3 lies low for the Triangle, tracks 4 and 5 hold percussion keys, and
// no track but 1 carries words: a karaoke file with its words on track 1 or
// 2 and its tune on track 3 is not laid out for the driver.
bool InDriverLayout(const Score& score, const std::vector<Measures>& measures) {
    constexpr double kOverlapAllowed = 0.1;
    constexpr int kLowestDrumKey = 27, kHighestDrumKey = 87;
    if (score.format == 2 || score.trackCount < 2 || score.trackCount > 6 || score.parts.empty()) return false;
    std::vector<int> partsOfTrack(static_cast<std::size_t>(score.trackCount), 0);
    const int channel = score.parts.front().channel;
    for (std::size_t p = 0; p < score.parts.size(); ++p) {
        const Part& part = score.parts[p];
        if (part.track == 0 || ++partsOfTrack[static_cast<std::size_t>(part.track)] > 1) return false;
        if (part.channel != channel || part.drums || measures[p].polyphony > kOverlapAllowed) return false;
        if (part.track == 3 && measures[p].median >= kLowDriverTriangle) return false;
    }
    if (partsOfTrack[1] == 0) return false;
    for (const Note& note : score.notes)
        if (score.parts[note.part].track >= 4 && (note.key < kLowestDrumKey || note.key > kHighestDrumKey))
            return false;
    for (const TimedText& lyric : score.lyrics)
        if (lyric.track != 1) return false;
    std::vector<int> texts(static_cast<std::size_t>(score.trackCount), 0);
    for (const TimedText& text : score.texts) {
        const bool karaoke = IsTag(score, text) || IsLineMark(score, text);
        if (text.track != 1 && (karaoke || ++texts[static_cast<std::size_t>(text.track)] > kKaraokeTexts)) return false;
    }
    return true;
}

}  // namespace

RolePlan PlanRoles(const Score& score, const std::vector<std::uint32_t>& order, const VoiceAssignment& assignment,
                   const std::vector<int>& lyricParts) {
    const std::size_t partCount = score.parts.size();
    std::vector<Measures> measures = MeasureParts(score, order);
    RolePlan plan;
    for (VoicePlan& voice : plan.voices) voice.rank.assign(partCount, kNotASource);
    plan.voices[kTriangle].bottom = true;
    plan.owner.assign(partCount, -1);
    std::vector<bool> claimed(partCount, false);

    // Named voices take exactly what the user named.
    for (int v = 0; v < kVoiceCount; ++v) {
        const VoiceChoice& choice = assignment.voices[static_cast<std::size_t>(v)];
        if (!choice.named) continue;
        plan.reasons[static_cast<std::size_t>(v)] = "set by --voices";
        for (const Selector& selector : choice.selectors) {
            bool found = false;
            for (std::size_t p = 0; p < partCount; ++p) {
                if (!Matches(score.parts[p], selector)) continue;
                found = true;
                plan.voices[static_cast<std::size_t>(v)].rank[p] = 0;
                claimed[p] = true;
                if (plan.owner[p] < 0) plan.owner[p] = v;
            }
            if (!found)
                plan.warnings.push_back(std::string(VoiceNameZh(v)) + "的来源" + SelectorText(selector) +
                                        "在文件中没有音符");
        }
    }
    auto named = [&](int v) { return assignment.voices[static_cast<std::size_t>(v)].named; };
    if (InDriverLayout(score, measures)) {
        plan.driverLayout = true;
        plan.kitSplit = false;
        plan.warnings.push_back("文件已是驱动的声道布局: 轨道1到5依次给方波1, 方波2, 三角波, 噪声, DPCM");
        for (std::size_t p = 0; p < partCount; ++p) {
            int v = score.parts[p].track - 1;
            if (claimed[p] || named(v)) continue;
            plan.voices[static_cast<std::size_t>(v)].rank[p] = 0;
            plan.owner[p] = v;
            plan.reasons[static_cast<std::size_t>(v)] = "track " + std::to_string(v + 1) + " of the driver's layout";
        }
        return plan;
    }
    MeasureExtremeShares(score, order, measures);
    auto pitched = [&](std::size_t p) { return !score.parts[p].drums && measures[p].notes > 0 && !claimed[p]; };
    int pitchedParts = 0;
    for (std::size_t p = 0; p < partCount; ++p) pitchedParts += !score.parts[p].drums && measures[p].notes > 0;
    const bool many = pitchedParts >= kManyTracks;
    auto melodyScore = [many](const Measures& m, int program) { return MelodyScore(m, program, many); };
    auto best = [&](auto scoreOf, auto eligible) {
        int chosen = -1;
        double top = 0;
        for (std::size_t p = 0; p < partCount; ++p) {
            if (!pitched(p) || !eligible(p)) continue;
            double s = scoreOf(measures[p], score.parts[p].program);
            if (chosen < 0 || s > top) chosen = static_cast<int>(p), top = s;
        }
        return chosen;
    };
    auto any = [](std::size_t) { return true; };
    auto claim = [&](int v, int p) {
        plan.voices[static_cast<std::size_t>(v)].rank[static_cast<std::size_t>(p)] = 0;
        claimed[static_cast<std::size_t>(p)] = true;
        plan.owner[static_cast<std::size_t>(p)] = v;
    };

    int melody = -1, bass = -1, second = -1;
    if (!named(kSquare1)) {
        // The sung line is the melody: among several sung parts, the likeliest.
        melody = best(melodyScore, [&](std::size_t p) {
            return std::find(lyricParts.begin(), lyricParts.end(), static_cast<int>(p)) != lyricParts.end();
        });
        std::string& reason = plan.reasons[kSquare1];
        if (melody >= 0) {
            reason = "melody: carries the lyrics";
        } else if ((melody = best(melodyScore, any)) >= 0) {
            // Lines that score nearly alike in one range are compared note
            // by note: the one above the other more often is the melody.
            // Each comparison walks both parts' notes, so only the few best
            // contenders are compared: a file of thousands of like parts
            // would otherwise cost their number squared.
            const double top = melodyScore(measures[static_cast<std::size_t>(melody)],
                                           score.parts[static_cast<std::size_t>(melody)].program);
            const Measures& first = measures[static_cast<std::size_t>(melody)];
            std::vector<std::pair<double, std::size_t>> contenders;
            for (std::size_t p = 0; p < partCount; ++p) {
                if (!pitched(p) || static_cast<int>(p) == melody || first.melodyWord) continue;
                const double s = melodyScore(measures[p], score.parts[p].program);
                if (s < top - kNearScore || std::abs(measures[p].median - first.median) > kOneRange ||
                    measures[p].singable < first.singable - kLikeLines ||
                    kHeldLine * measures[p].density < first.density)
                    continue;
                contenders.push_back({-s, p});
            }
            const std::size_t compared = std::min(contenders.size(), kContenders);
            std::partial_sort(contenders.begin(), contenders.begin() + static_cast<std::ptrdiff_t>(compared),
                              contenders.end());
            contenders.resize(compared);
            std::sort(contenders.begin(), contenders.end(),
                      [](const auto& a, const auto& b) { return a.second < b.second; });
            for (const auto& contender : contenders) {
                auto above = Above(score, static_cast<int>(contender.second), melody);
                if (above.first > above.second) melody = static_cast<int>(contender.second);
            }
            const Measures& m = measures[static_cast<std::size_t>(melody)];
            reason = m.melodyWord && !m.bassWord ? "named " + m.nameWord
                     : many ? "lead line: singable, sounds " + Percent(m.coverage) + " of the song"
                            : "melody: highest part " + Percent(m.topShare) + " of the time";
        }
        if (melody >= 0) claim(kSquare1, melody);
    }
    if (!named(kTriangle)) {
        bass = best(BassScore, [&](std::size_t p) { return CanBeBass(measures[p], score.parts[p].program); });
        std::string& reason = plan.reasons[kTriangle];
        if (bass >= 0) {
            const Measures& m = measures[static_cast<std::size_t>(bass)];
            reason = m.bassWord ? "named " + m.nameWord : "bass: lowest part " + Percent(m.bottomShare) + " of the time";
        } else {
            // Without a bass-like part, the lowest part below the melody.
            int melodyMedian = melody >= 0 ? measures[static_cast<std::size_t>(melody)].median : 128;
            for (std::size_t p = 0; p < partCount; ++p)
                if (pitched(p) && measures[p].median < melodyMedian &&
                    (bass < 0 || measures[p].median < measures[static_cast<std::size_t>(bass)].median))
                    bass = static_cast<int>(p);
            if (bass >= 0) reason = "bass: the lowest part below the melody";
        }
        if (bass >= 0) claim(kTriangle, bass);
    }
    if (!named(kSquare2) && (second = best(SecondScore, any)) >= 0) {
        claim(kSquare2, second);
        plan.reasons[kSquare2] = "second part: sounds " + Percent(measures[static_cast<std::size_t>(second)].coverage) +
                                 " of the song";
    }

    // Without a part of its own, the Triangle plays the bottom line and
    // Square2 an inner line of Square1's parts: the notes Square1 leaves.
    for (std::size_t p = 0; p < partCount; ++p) {
        if (plan.voices[kSquare1].rank[p] != 0 || score.parts[p].drums) continue;
        if (!named(kTriangle) && bass < 0) {
            plan.voices[kTriangle].rank[p] = 0;
            plan.reasons[kTriangle] = "bass: the bottom line of Square1's part";
        }
        if (!named(kSquare2) && second < 0) {
            plan.voices[kSquare2].rank[p] = 0;
            plan.reasons[kSquare2] = "an inner line of Square1's part";
        }
    }

    // Gap filling: an idle voice may take a waiting note of a part that no
    // voice plays as its own, the best suited first.
    auto fillers = [&](int v, auto scoreOf, auto eligible) {
        if (named(v)) return 1;
        std::vector<std::pair<double, std::size_t>> ranked;
        for (std::size_t p = 0; p < partCount; ++p)
            if (pitched(p) && eligible(p)) ranked.emplace_back(-scoreOf(measures[p], score.parts[p].program), p);
        std::stable_sort(ranked.begin(), ranked.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        int rank = 1;
        for (const auto& entry : ranked) {
            plan.voices[static_cast<std::size_t>(v)].rank[entry.second] = rank++;
            if (plan.owner[entry.second] < 0) plan.owner[entry.second] = v;
        }
        return rank;
    };
    fillers(kSquare1, melodyScore, any);
    const int lowFillers =
        fillers(kTriangle, BassScore, [&](std::size_t p) { return CanBeBass(measures[p], score.parts[p].program); });
    // The bass goes on under the whole song: where the Triangle's parts rest,
    // it takes the lowest note below middle C of any part, another voice's
    // own part too (that voice built first keeps what it plays).
    if (!named(kTriangle)) {
        VoicePlan& triangle = plan.voices[kTriangle];
        triangle.ceilingRank = lowFillers;
        triangle.fillerCeiling = kFillerCeiling;
        for (std::size_t p = 0; p < partCount; ++p)
            if (!score.parts[p].drums && measures[p].notes > 0 && triangle.rank[p] == kNotASource)
                triangle.rank[p] = lowFillers;
    }
    fillers(kSquare2, SecondScore, any);
    // Square2 also fills from the notes that Square1 and the Triangle leave
    // of their own parts: the inner notes of their chords.
    if (!named(kSquare2)) {
        for (int v : {kSquare1, kTriangle})
            for (std::size_t p = 0; p < partCount; ++p)
                if (plan.voices[static_cast<std::size_t>(v)].rank[p] == 0 && !score.parts[p].drums &&
                    plan.voices[kSquare2].rank[p] == kNotASource)
                    plan.voices[kSquare2].rank[p] = static_cast<int>(partCount) + v + 1;
    }

    // Drums: Noise takes the kit; DPCM its kick unless the user named either.
    plan.kitSplit = !named(kDpcm);
    for (std::size_t p = 0; p < partCount; ++p) {
        if (!score.parts[p].drums || claimed[p]) continue;
        if (!named(kNoise)) {
            plan.voices[kNoise].rank[p] = 0;
            if (plan.owner[p] < 0) plan.owner[p] = kNoise;
            plan.reasons[kNoise] = "the drum kit";
            if (plan.kitSplit) plan.reasons[kDpcm] = "the kick of the drum kit";
        } else if (!named(kDpcm)) {
            plan.voices[kDpcm].rank[p] = 0;
            if (plan.owner[p] < 0) plan.owner[p] = kDpcm;
            plan.reasons[kDpcm] = "the drum kit";
        }
    }
    return plan;
}

}  // namespace kelvane::arrange
