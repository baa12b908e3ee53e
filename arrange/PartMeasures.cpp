#include "PartMeasures.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "Timing.h"

namespace kelvane::arrange {
namespace {

// A word of a track name and how the report spells it. Names come as ASCII,
// UTF-8 or GBK bytes, so each Chinese word is looked for in both.
struct Word {
    const char* bytes;
    const char* spelled;  // nullptr: the name's own letters from the match on
};

const Word kMelodyWords[] = {
    {"melod", nullptr}, {"lead", nullptr}, {"vocal", nullptr}, {"voice", nullptr}, {"vox", nullptr},
    {"solo", nullptr}, {"sing", nullptr}, {"tune", nullptr},
    {"主旋律", "主旋律"}, {"\xD6\xF7\xD0\xFD\xC2\xC9", "主旋律"}, {"旋律", "旋律"}, {"\xD0\xFD\xC2\xC9", "旋律"},
    {"主唱", "主唱"}, {"\xD6\xF7\xB3\xAA", "主唱"}, {"人声", "人声"}, {"\xC8\xCB\xC9\xF9", "人声"}};
const Word kBassWords[] = {{"bass", nullptr}, {"贝斯", "贝斯"}, {"\xB1\xB4\xCB\xB9", "贝斯"},
                           {"低音", "低音"}, {"\xB5\xCD\xD2\xF4", "低音"}};
const Word kDrumWords[] = {{"drum", nullptr}, {"perc", nullptr}, {"kit", nullptr}, {"鼓", "鼓"}, {"\xB9\xC4", "鼓"}};
const Word kAccompanimentWords[] = {{"chord", nullptr},  {"pad", nullptr},    {"accomp", nullptr},
                                    {"backing", nullptr}, {"rhythm", nullptr}, {"harmon", nullptr},
                                    {"伴奏", nullptr},    {"和弦", nullptr},   {"\xB0\xE9\xD7\xE0", nullptr},
                                    {"\xBA\xCD\xCF\xD2", nullptr}};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Whether the lowered name holds one of the words, at the start of a word
// of its own with `wordStart` ("Singer", not "Missing"); `spelled` gets the
// word as the report writes it.
template <std::size_t N>
bool HasWord(const std::string& name, const std::string& lowered, const Word (&words)[N], std::string* spelled,
             bool wordStart = false) {
    for (const Word& word : words) {
        std::size_t at = lowered.find(word.bytes);
        while (wordStart && at != std::string::npos && at > 0 && IsLetter(lowered[at - 1]))
            at = lowered.find(word.bytes, at + 1);
        if (at == std::string::npos) continue;
        if (spelled) {
            if (word.spelled) {
                *spelled = word.spelled;
            } else {
                std::size_t end = at;
                while (end < name.size() && IsLetter(name[end])) ++end;
                *spelled = name.substr(at, end - at);
            }
        }
        return true;
    }
    return false;
}

int HighestBit(std::uint64_t bits) {
    int bit = 0;
    for (int half = 32; half > 0; half /= 2)
        if (bits >> half) bits >>= half, bit += half;
    return bit;
}

int LowestBit(std::uint64_t bits) { return HighestBit(bits & (~bits + 1)); }

// A pitched note that sounds, as the extremes sweep reads it.
struct Span {
    std::uint32_t start, end, part;  // the end cut at the last unit a song can hold
    std::uint8_t key;
};

// The highest and lowest sounding pitched note, segment by segment: each
// part holding it is credited with the segment's length. `spans` in order of
// start; their indices are put in order of end by two stable counting passes.
void MeasureExtremes(const std::vector<Span>& spans, std::size_t partCount, std::vector<std::uint64_t>& top,
                     std::vector<std::uint64_t>& bottom) {
    std::vector<std::uint32_t> ends(spans.size()), buffer(spans.size());
    for (std::size_t i = 0; i < spans.size(); ++i) buffer[i] = static_cast<std::uint32_t>(i);
    for (int shift = 0; shift < 22; shift += 11) {
        std::vector<std::uint32_t> offsets(2049, 0);
        for (std::uint32_t i : buffer) ++offsets[((spans[i].end >> shift) & 2047) + 1];
        for (std::size_t b = 1; b < offsets.size(); ++b) offsets[b] += offsets[b - 1];
        for (std::uint32_t i : buffer) ends[offsets[(spans[i].end >> shift) & 2047]++] = i;
        std::swap(ends, buffer);
    }
    std::swap(ends, buffer);
    // The parts sounding each key, each part once however many of its notes
    // sound it: a part may hold thousands of notes of one key at once, and a
    // list of notes would be walked at every change.
    std::array<std::vector<std::uint32_t>, 128> partsAt;
    struct Sounding {
        std::uint32_t notes = 0;  // of the part at the key
        std::uint32_t at = 0;     // the part's place in partsAt[key]
    };
    // A table of every part and key where that is small, as it is for songs;
    // a map for files of thousands of parts.
    constexpr std::size_t kDenseSlots = std::size_t{1} << 18;
    const bool dense = partCount * 128 <= kDenseSlots;
    std::vector<Sounding> table(dense ? partCount * 128 : 0);
    std::unordered_map<std::uint64_t, Sounding> map;
    auto at = [&](std::uint32_t part, int key) -> Sounding& {
        const std::uint64_t slot = std::uint64_t{part} << 7 | static_cast<std::uint64_t>(key);
        return dense ? table[static_cast<std::size_t>(slot)] : map[slot];
    };
    std::array<std::uint64_t, 2> keys{};                  // keys with a part sounding
    std::vector<std::uint64_t> stamp(partCount, 0);
    std::uint64_t segment = 0;
    auto credit = [&](int key, std::uint32_t length, std::vector<std::uint64_t>& to) {
        ++segment;
        for (std::uint32_t part : partsAt[static_cast<std::size_t>(key)])
            if (stamp[part] != segment) stamp[part] = segment, to[part] += length;
    };
    auto highest = [&]() { return keys[1] ? 64 + HighestBit(keys[1]) : HighestBit(keys[0]); };
    auto lowest = [&]() { return keys[0] ? LowestBit(keys[0]) : 64 + LowestBit(keys[1]); };
    std::size_t s = 0, e = 0;
    std::uint32_t previous = 0;
    while (s < spans.size() || e < ends.size()) {
        std::uint32_t now = e < ends.size() ? spans[ends[e]].end : UINT32_MAX;
        if (s < spans.size()) now = std::min(now, spans[s].start);
        if ((keys[0] | keys[1]) != 0 && now > previous) {
            credit(highest(), now - previous, top);
            credit(lowest(), now - previous, bottom);
        }
        previous = now;
        for (; e < ends.size() && spans[ends[e]].end == now; ++e) {
            const Span& span = spans[ends[e]];
            Sounding& ending = at(span.part, span.key);
            if (--ending.notes > 0) continue;
            // Out of the key's list in one step: the last part takes its place.
            auto& parts = partsAt[span.key];
            parts[ending.at] = parts.back();
            at(parts[ending.at], span.key).at = ending.at;
            parts.pop_back();
            if (parts.empty()) keys[span.key >> 6] &= ~(1ull << (span.key & 63));
        }
        for (; s < spans.size() && spans[s].start == now; ++s) {
            Sounding& starting = at(spans[s].part, spans[s].key);
            if (starting.notes++ == 0) {
                starting.at = static_cast<std::uint32_t>(partsAt[spans[s].key].size());
                partsAt[spans[s].key].push_back(spans[s].part);
            }
            keys[spans[s].key >> 6] |= 1ull << (spans[s].key & 63);
        }
    }
}

}  // namespace

std::vector<PartMeasures> MeasureParts(const Score& score, const std::vector<std::uint32_t>& order) {
    const std::size_t partCount = score.parts.size();
    std::vector<PartMeasures> measures(partCount);
    std::vector<std::uint32_t> coveredUntil(partCount, 0), overlapping(partCount, 0);
    std::vector<std::uint64_t> covered(partCount, 0), velocities(partCount, 0);
    // The top key of each onset, and the moves between onsets: steps, small leaps, all.
    std::vector<std::uint32_t> onset(partCount, UINT32_MAX);
    std::vector<int> onsetTop(partCount, -1), previousTop(partCount, -1);
    std::vector<std::uint32_t> steps(partCount, 0), leaps(partCount, 0), moves(partCount, 0), fast(partCount, 0),
        wide(partCount, 0);
    std::vector<std::uint32_t> previousOnset(partCount, 0);
    // A sixteenth note in units of the song's grid, with room for the rounding onto it.
    const double kSixteenth = score.unitsPerQuarter / 4 + 0.5;
    auto move = [&](std::size_t p) {
        if (previousTop[p] >= 0) {
            if (onset[p] - previousOnset[p] <= kSixteenth) ++fast[p];
            int interval = std::abs(onsetTop[p] - previousTop[p]);
            ++moves[p];
            if (interval >= 1 && interval <= 2) ++steps[p];
            else if (interval <= 5) ++leaps[p];
            else if (interval >= 7) ++wide[p];
        }
        previousTop[p] = onsetTop[p];
        previousOnset[p] = onset[p];
    };
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
        if (note.start != onset[p]) {
            if (onsetTop[p] >= 0) move(p);
            onset[p] = note.start;
            onsetTop[p] = note.key;
        } else {
            onsetTop[p] = std::max<int>(onsetTop[p], note.key);
        }
    }
    for (std::size_t p = 0; p < partCount; ++p)
        if (onsetTop[p] >= 0) move(p);

    // Medians: the keys gathered part by part, then the middle one of each.
    std::vector<std::uint32_t> offsets(partCount + 1, 0);
    for (std::size_t p = 0; p < partCount; ++p) offsets[p + 1] = offsets[p] + static_cast<std::uint32_t>(measures[p].notes);
    std::vector<std::uint8_t> keys(offsets[partCount]);
    std::vector<std::uint32_t> fill(offsets.begin(), offsets.end() - 1);
    for (const Note& note : score.notes)
        if (note.end > note.start && note.start < kMaxUnits) keys[fill[note.part]++] = note.key;

    for (std::size_t p = 0; p < partCount; ++p) {
        PartMeasures& m = measures[p];
        if (m.notes > 0) {
            auto begin = keys.begin() + offsets[p], middle = begin + m.notes / 2;
            std::nth_element(begin, middle, keys.begin() + offsets[p + 1]);
            m.median = *middle;
            m.coverage = double(covered[p]) / songEnd;
            m.soundingUnits = covered[p];
            m.songUnits = songEnd;
            m.polyphony = double(overlapping[p]) / m.notes;
            m.density = covered[p] > 0 ? m.notes * score.unitsPerQuarter / double(covered[p]) : 0;
            m.velocity = double(velocities[p]) / (127.0 * m.notes);
            m.singable = moves[p] > 0 ? (steps[p] + 0.5 * leaps[p]) / moves[p] : 0;
            m.fast = moves[p] > 0 ? double(fast[p]) / moves[p] : 0;
            m.wide = moves[p] > 0 ? double(wide[p]) / moves[p] : 0;
        }
        const std::string& name = score.trackNames[static_cast<std::size_t>(score.parts[p].track)];
        std::string lowered = name;
        for (char& c : lowered) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        m.melodyWord = HasWord(name, lowered, kMelodyWords, &m.nameWord, true);
        std::string bassWord;
        m.bassWord = HasWord(name, lowered, kBassWords, &bassWord);
        if (m.bassWord) m.nameWord = bassWord;
        m.drumWord = HasWord(name, lowered, kDrumWords, nullptr);
        m.accompanimentWord = HasWord(name, lowered, kAccompanimentWords, nullptr);
    }
    return measures;
}

void MeasureExtremeShares(const Score& score, const std::vector<std::uint32_t>& order,
                          std::vector<PartMeasures>& measures) {
    std::vector<Span> spans;
    spans.reserve(order.size());
    for (std::uint32_t index : order) {
        const Note& note = score.notes[index];
        if (note.end <= note.start || note.start >= kMaxUnits || score.parts[note.part].drums) continue;
        spans.push_back({note.start, std::min(note.end, kMaxUnits), note.part, note.key});
    }
    std::vector<std::uint64_t> top(measures.size(), 0), bottom(measures.size(), 0);
    MeasureExtremes(spans, measures.size(), top, bottom);
    for (std::size_t p = 0; p < measures.size(); ++p) {
        PartMeasures& m = measures[p];
        if (m.notes == 0) continue;
        const double sounding = double(std::max<std::uint64_t>(m.soundingUnits, 1));
        m.topShare = double(top[p]) / sounding;
        m.topTime = double(top[p]) / double(m.songUnits);
        m.bottomShare = double(bottom[p]) / sounding;
    }
}

}  // namespace kelvane::arrange
