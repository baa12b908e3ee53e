// Role scores. Each is a sum of a few terms that a person can check against
// the part: how much of the song it sounds (coverage), where it lies (median
// key), whether it plays chords (polyphony: the share of its notes that start
// while another of its notes sounds), how busy and loud it is, its General
// MIDI program family and the words of its track name.
#include "Roles.h"

#include <algorithm>
#include <cstring>

#include "Timing.h"

namespace kelvane::arrange {
namespace {

struct Measures {
    double coverage = 0;
    double polyphony = 0;
    double density = 0;   // notes per quarter note of the time it sounds
    double velocity = 0;  // mean, 0 to 1
    int median = 60;
    int notes = 0;        // notes of one unit or longer
    bool melodyWord = false, bassWord = false, drumWord = false, accompanimentWord = false;
};

bool HasWord(const std::string& lowered, std::initializer_list<const char*> words) {
    for (const char* word : words)
        if (lowered.find(word) != std::string::npos) return true;
    return false;
}

std::vector<Measures> Measure(const Score& score, const std::vector<std::uint32_t>& order) {
    const std::size_t partCount = score.parts.size();
    std::vector<Measures> measures(partCount);
    std::vector<std::uint32_t> coveredUntil(partCount, 0), overlapping(partCount, 0);
    std::vector<std::uint64_t> covered(partCount, 0), velocities(partCount, 0);
    std::uint32_t songEnd = 1;
    for (std::uint32_t index : order) {
        const Note& note = score.notes[index];
        if (note.end <= note.start || note.start >= kMaxUnits) continue;
        std::uint32_t p = note.part;
        ++measures[p].notes;
        velocities[p] += note.velocity;
        if (note.start < coveredUntil[p]) ++overlapping[p];
        std::uint32_t from = std::max(note.start, coveredUntil[p]);
        if (note.end > from) covered[p] += note.end - from;
        coveredUntil[p] = std::max(coveredUntil[p], note.end);
        songEnd = std::max(songEnd, note.end);
    }

    // Medians: the keys gathered part by part, then the middle one of each.
    std::vector<std::uint32_t> offsets(partCount + 1, 0);
    for (std::size_t p = 0; p < partCount; ++p) offsets[p + 1] = offsets[p] + static_cast<std::uint32_t>(measures[p].notes);
    std::vector<std::uint8_t> keys(offsets[partCount]);
    std::vector<std::uint32_t> fill(offsets.begin(), offsets.end() - 1);
    for (const Note& note : score.notes)
        if (note.end > note.start && note.start < kMaxUnits) keys[fill[note.part]++] = note.key;

    for (std::size_t p = 0; p < partCount; ++p) {
        Measures& m = measures[p];
        if (m.notes > 0) {
            auto begin = keys.begin() + offsets[p], middle = begin + m.notes / 2;
            std::nth_element(begin, middle, keys.begin() + offsets[p + 1]);
            m.median = *middle;
            m.coverage = double(covered[p]) / songEnd;
            m.polyphony = double(overlapping[p]) / m.notes;
            m.density = covered[p] > 0 ? m.notes * score.unitsPerQuarter / double(covered[p]) : 0;
            m.velocity = double(velocities[p]) / (127.0 * m.notes);
        }
        std::string name = score.trackNames[static_cast<std::size_t>(score.parts[p].track)];
        for (char& c : name) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        m.melodyWord = HasWord(name, {"melod", "lead", "vocal", "voice", "vox", "solo", "sing", "旋律", "主唱",
                                      "人声", "\xD0\xFD\xC2\xC9", "\xD6\xF7\xB3\xAA", "\xC8\xCB\xC9\xF9"});
        m.bassWord = HasWord(name, {"bass", "贝斯", "低音", "\xB1\xB4\xCB\xB9", "\xB5\xCD\xD2\xF4"});
        m.drumWord = HasWord(name, {"drum", "perc", "kit", "鼓", "\xB9\xC4"});
        m.accompanimentWord = HasWord(name, {"chord", "pad", "accomp", "backing", "rhythm", "harmon", "伴奏",
                                             "和弦", "\xB0\xE9\xD7\xE0", "\xBA\xCD\xCF\xD2"});
    }
    return measures;
}

enum Family { kBassFamily, kLeadFamily, kPadFamily, kEffectFamily, kOtherFamily };

Family FamilyOf(int program) {
    if (program >= 32 && program <= 39) return kBassFamily;
    // Reeds, pipes, synth leads, brass and voices carry tunes.
    if ((program >= 56 && program <= 87) || (program >= 52 && program <= 54)) return kLeadFamily;
    if (program >= 88 && program <= 95) return kPadFamily;
    if (program >= 112) return kEffectFamily;
    return kOtherFamily;
}

double Clamp01(double x) { return x < 0 ? 0 : x > 1 ? 1 : x; }

double MelodyScore(const Measures& m, int program) {
    Family family = FamilyOf(program);
    return 3 * m.coverage + 2 * Clamp01((m.median - 48) / 24.0) - 2 * m.polyphony + 0.5 * m.velocity +
           0.5 * Clamp01(m.density / 2) + (m.melodyWord ? 4 : 0) - (m.bassWord || m.drumWord ? 4 : 0) -
           (m.accompanimentWord ? 1 : 0) + (family == kLeadFamily ? 0.5 : 0) - (family == kBassFamily ? 3 : 0) -
           (family == kPadFamily ? 1 : 0) - (family == kEffectFamily ? 1.5 : 0);
}

bool CanBeBass(const Measures& m, int program) {
    return !m.melodyWord && (m.median < 55 || m.bassWord || FamilyOf(program) == kBassFamily);
}

double BassScore(const Measures& m, int program) {
    return 3 * m.coverage + 2 * Clamp01((60 - m.median) / 18.0) - 0.5 * m.polyphony + (m.bassWord ? 4 : 0) +
           (FamilyOf(program) == kBassFamily ? 3 : 0);
}

double SecondScore(const Measures& m, int program) {
    Family family = FamilyOf(program);
    return 3 * m.coverage + (1 - m.polyphony) + 0.5 * m.velocity + (m.median >= 48 && m.median <= 84 ? 0.5 : 0) +
           (m.melodyWord ? 1 : 0) - (family == kBassFamily ? 1 : 0) - (family == kPadFamily ? 0.5 : 0);
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
// at a time (a tenth of its notes may overlap the one before).
bool InDriverLayout(const Score& score, const std::vector<Measures>& measures) {
    constexpr double kOverlapAllowed = 0.1;
    if (score.format == 2 || score.trackCount < 2 || score.trackCount > 6 || score.parts.empty()) return false;
    std::vector<int> partsOfTrack(static_cast<std::size_t>(score.trackCount), 0);
    const int channel = score.parts.front().channel;
    for (std::size_t p = 0; p < score.parts.size(); ++p) {
        const Part& part = score.parts[p];
        if (part.track == 0 || ++partsOfTrack[static_cast<std::size_t>(part.track)] > 1) return false;
        if (part.channel != channel || part.drums || measures[p].polyphony > kOverlapAllowed) return false;
    }
    return true;
}

}  // namespace

RolePlan PlanRoles(const Score& score, const std::vector<std::uint32_t>& order, const VoiceAssignment& assignment) {
    const std::size_t partCount = score.parts.size();
    std::vector<Measures> measures = Measure(score, order);
    RolePlan plan;
    for (VoicePlan& voice : plan.voices) voice.rank.assign(partCount, kNotASource);
    plan.voices[kTriangle].bottom = true;
    plan.owner.assign(partCount, -1);
    std::vector<bool> claimed(partCount, false);

    // Named voices take exactly what the user named.
    for (int v = 0; v < kVoiceCount; ++v) {
        const VoiceChoice& choice = assignment.voices[static_cast<std::size_t>(v)];
        if (!choice.named) continue;
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
        plan.warnings.push_back("文件已是驱动的声道布局: 轨道1到5依次给方波1, 方波2, 三角波, 噪音, DPCM");
        for (std::size_t p = 0; p < partCount; ++p) {
            int v = score.parts[p].track - 1;
            if (claimed[p] || named(v)) continue;
            plan.voices[static_cast<std::size_t>(v)].rank[p] = 0;
            plan.owner[p] = v;
        }
        return plan;
    }
    auto pitched = [&](std::size_t p) { return !score.parts[p].drums && measures[p].notes > 0 && !claimed[p]; };
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
    if (!named(kSquare1) && (melody = best(MelodyScore, any)) >= 0) claim(kSquare1, melody);
    if (!named(kTriangle)) {
        bass = best(BassScore, [&](std::size_t p) { return CanBeBass(measures[p], score.parts[p].program); });
        // Without a bass-like part, the lowest part below the melody.
        if (bass < 0) {
            int melodyMedian = melody >= 0 ? measures[static_cast<std::size_t>(melody)].median : 128;
            for (std::size_t p = 0; p < partCount; ++p)
                if (pitched(p) && measures[p].median < melodyMedian &&
                    (bass < 0 || measures[p].median < measures[static_cast<std::size_t>(bass)].median))
                    bass = static_cast<int>(p);
        }
        if (bass >= 0) claim(kTriangle, bass);
    }
    if (!named(kSquare2) && (second = best(SecondScore, any)) >= 0) claim(kSquare2, second);

    // Without a part of its own, the Triangle plays the bottom line and
    // Square2 an inner line of Square1's parts: the notes Square1 leaves.
    for (std::size_t p = 0; p < partCount; ++p) {
        if (plan.voices[kSquare1].rank[p] != 0 || score.parts[p].drums) continue;
        if (!named(kTriangle) && bass < 0) plan.voices[kTriangle].rank[p] = 0;
        if (!named(kSquare2) && second < 0) plan.voices[kSquare2].rank[p] = 0;
    }

    // Gap filling: an idle voice may take a waiting note of a part that no
    // voice plays as its own, the best suited first.
    auto fillers = [&](int v, auto scoreOf, auto eligible) {
        if (named(v)) return;
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
    };
    fillers(kSquare1, MelodyScore, any);
    fillers(kTriangle, BassScore, [&](std::size_t p) { return CanBeBass(measures[p], score.parts[p].program); });
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
        } else if (!named(kDpcm)) {
            plan.voices[kDpcm].rank[p] = 0;
            if (plan.owner[p] < 0) plan.owner[p] = kDpcm;
        }
    }
    return plan;
}

}  // namespace kelvane::arrange
