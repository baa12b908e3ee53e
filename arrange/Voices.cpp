#include "Voices.h"

#include <algorithm>

#include "Drums.h"
#include "SongTables.h"
#include "Timing.h"

namespace kelvane::arrange {
namespace {

// The keys both the octave table and the chip at the PAL clock sound: the
// table holds the squares' notes 24-95 (octaves 0 to 5) and, looked up two
// octaves higher, the triangle's 0-71; the chip's lowest are higher still.
constexpr int kSquareLow = kelvane::kLowestSquareNote, kSquareHigh = 95;
constexpr int kTriangleLow = kelvane::kLowestTriangleNote, kTriangleHigh = 71;
constexpr std::size_t kWaitingLimit = 16;

// Marks of a note of the onset being reduced.
constexpr std::uint8_t kTried = 1;       // taken, merged, dropped or left to the other voices
constexpr std::uint8_t kKeyFollows = 2;  // a worse note of its part and key starts with it

class LineBuilder {
public:
    LineBuilder(const Score& score, const VoicePlan& plan, int voice, std::vector<std::uint8_t>& taken,
                const VoiceLine* unison)
        : score_(score), plan_(plan), taken_(taken), unison_(unison) {
        percussion_ = voice == kNoise || voice == kDpcm;
        low_ = voice == kTriangle ? kTriangleLow : percussion_ ? 0 : kSquareLow;
        high_ = voice == kTriangle ? kTriangleHigh : percussion_ ? 127 : kSquareHigh;
    }

    void Onsets(const std::vector<std::uint32_t>& order, std::size_t begin, std::size_t end);
    // Start units of the main parts' notes, for the low fillers' rule.
    void SetMainOnsets(std::vector<std::uint32_t> onsets) { mainOnsets_ = std::move(onsets); }
    void AdvanceTo(std::uint32_t t);
    VoiceLine Finish() { return std::move(line_); }

private:
    struct Current {
        bool active = false;
        std::uint32_t note = 0;
        std::uint32_t start = 0;
    };

    const Note& N(std::uint32_t index) const { return score_.notes[index]; }
    // A low note of another part fills the bass only where the bass rests
    // this long (an eighth note), so that a detached bass keeps its rests.
    std::uint32_t ShortestFill() const {
        return std::max<std::uint32_t>(1, static_cast<std::uint32_t>(score_.unitsPerQuarter / 2 + 0.5));
    }
    // A percussion hit shorter than a unit is still a hit: it sounds a unit.
    std::uint32_t End(std::uint32_t index) const {
        const Note& note = N(index);
        return percussion_ && note.end <= note.start ? note.start + 1 : note.end;
    }
    int Rank(std::uint32_t index) const { return plan_.rank[N(index).part]; }
    bool Eligible(std::uint32_t index) const {
        int rank = Rank(index);
        return rank != kNotASource && (rank < plan_.ceilingRank || N(index).key <= plan_.fillerCeiling);
    }
    // True when note a should sound rather than note b.
    bool Better(std::uint32_t a, std::uint32_t b) const { return Order(a) < Order(b); }
    // Better as one number, lower first: the rank, then the key. Kept with
    // the notes that wait and those of an onset, so comparing them reads
    // neither the notes nor the plan.
    std::uint64_t Order(std::uint32_t index) const {
        const int key = plan_.bottom ? N(index).key : 255 - N(index).key;
        const auto rank = static_cast<std::uint64_t>(static_cast<std::int64_t>(Rank(index)) + 1);
        return rank << 8 | static_cast<std::uint64_t>(key);
    }
    bool Doubles(std::uint32_t index, std::uint32_t t);
    void RankGroup();
    void MarkKeysThatFollow();
    // False for a low filler where a main note starts within the shortest fill.
    bool FillsAt(std::uint32_t index, std::uint32_t t) const {
        if (Rank(index) < plan_.ceilingRank) return true;
        auto next = std::lower_bound(mainOnsets_.begin(), mainOnsets_.end(), t);
        return next == mainOnsets_.end() || *next >= t + ShortestFill();
    }
    void Emit(std::uint32_t until);
    void Wait(std::uint32_t index);
    bool TakeWaiting(std::uint32_t now);

    const Score& score_;
    const VoicePlan& plan_;
    std::vector<std::uint8_t>& taken_;
    const VoiceLine* unison_;
    std::size_t unisonAt_ = 0;
    bool percussion_ = false;  // Noise or DPCM keeping the file's keys
    int low_, high_;
    Current current_;
    struct Waiting {
        std::uint64_t order;
        std::uint32_t note;
    };
    std::vector<Waiting> waiting_;
    std::vector<std::uint32_t> group_;
    std::vector<std::uint64_t> orders_;  // by position in group_
    std::vector<std::uint32_t> ranked_;  // positions in group_, best note first
    std::vector<std::uint8_t> marks_;    // by position in group_: kTried, kKeyFollows
    std::vector<std::uint32_t> partSeen_;  // by part: the last run of equals that held one
    std::uint32_t runs_ = 0;
    std::vector<std::uint32_t> mainOnsets_;
    VoiceLine line_;
};

// Whether Square1 sounds this key at `t`; `t` never goes back.
bool LineBuilder::Doubles(std::uint32_t index, std::uint32_t t) {
    if (!unison_) return false;
    const std::vector<VoiceNote>& other = unison_->notes;
    while (unisonAt_ < other.size() && other[unisonAt_].end <= t) ++unisonAt_;
    if (unisonAt_ >= other.size() || other[unisonAt_].start > t) return false;
    return N(other[unisonAt_].note).key == N(index).key;
}

// The onset's notes in the order they are tried: best first, and among
// equals in the file's order. One sort, where taking the best note again
// and again would cost a search and an erase per note: an onset can hold a
// whole file's notes (thousands of notes of no length at one key).
void LineBuilder::RankGroup() {
    ranked_.resize(group_.size());
    orders_.resize(group_.size());
    marks_.assign(group_.size(), 0);
    for (std::size_t i = 0; i < ranked_.size(); ++i) {
        ranked_[i] = static_cast<std::uint32_t>(i);
        orders_[i] = Order(group_[i]);
    }
    std::sort(ranked_.begin(), ranked_.end(), [&](std::uint32_t a, std::uint32_t b) {
        return orders_[a] != orders_[b] ? orders_[a] < orders_[b] : a < b;
    });
}

// Marks each note after which a note of its part and key is still to be
// tried: a note of no length merges into that one. Notes of one part and
// key are equals (one rank, one key), so they lie in one run of equals of
// the ranked notes, in the file's order; one walk back through each run
// finds them, where a search of the onset per note would not.
void LineBuilder::MarkKeysThatFollow() {
    if (partSeen_.empty()) partSeen_.assign(score_.parts.size(), 0);
    for (std::size_t end = ranked_.size(); end > 0;) {
        std::size_t begin = end - 1;
        while (begin > 0 && orders_[ranked_[begin - 1]] == orders_[ranked_[end - 1]]) --begin;
        const std::uint32_t run = ++runs_;
        for (std::size_t r = end; r-- > begin;) {
            const std::uint32_t position = ranked_[r];
            std::uint32_t& seen = partSeen_[N(group_[position]).part];
            if (seen == run) marks_[position] |= kKeyFollows;
            seen = run;
        }
        end = begin;
    }
}

void LineBuilder::Emit(std::uint32_t until) {
    const Note& note = N(current_.note);
    int key = note.key;
    while (key < low_) key += 12;
    while (key > high_) key -= 12;
    if (key != note.key) ++line_.movedOctave;
    VoiceNote written;
    written.start = current_.start;
    written.end = until;
    written.note = current_.note;
    written.key = static_cast<std::uint8_t>(key);
    if (percussion_) written.drum = DrumOf(key).kind;
    line_.notes.push_back(written);
    taken_[current_.note] = kWritten;
}

// Keeps a note that lost at its onset, to be taken when the voice is free.
void LineBuilder::Wait(std::uint32_t index) {
    const Waiting note{Order(index), index};
    if (waiting_.size() < kWaitingLimit) {
        waiting_.push_back(note);
        return;
    }
    auto worst = std::max_element(waiting_.begin(), waiting_.end(),
                                  [](const Waiting& a, const Waiting& b) { return a.order < b.order; });
    if (note.order < worst->order) *worst = note;
}

bool LineBuilder::TakeWaiting(std::uint32_t now) {
    waiting_.erase(std::remove_if(waiting_.begin(), waiting_.end(),
                                  [&](const Waiting& w) { return End(w.note) <= now || taken_[w.note] != 0; }),
                   waiting_.end());
    auto chosen = waiting_.end();
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it)
        if (!Doubles(it->note, now) && FillsAt(it->note, now) && (chosen == waiting_.end() || it->order < chosen->order))
            chosen = it;
    if (chosen == waiting_.end()) return false;
    current_ = {true, chosen->note, now};
    taken_[current_.note] = kChosen;
    waiting_.erase(chosen);
    return true;
}

void LineBuilder::AdvanceTo(std::uint32_t t) {
    while (current_.active && End(current_.note) <= t) {
        std::uint32_t now = End(current_.note);
        Emit(now);
        current_.active = false;
        TakeWaiting(now);
    }
}

void LineBuilder::Onsets(const std::vector<std::uint32_t>& order, std::size_t begin, std::size_t end) {
    const std::uint32_t t = N(order[begin]).start;
    if (t >= kMaxUnits) return;
    group_.clear();
    for (std::size_t i = begin; i < end; ++i)
        if (Eligible(order[i]) && taken_[order[i]] == 0) group_.push_back(order[i]);
    if (group_.empty()) return;
    AdvanceTo(t);

    // The best note of the onset; a note shorter than a unit is merged into
    // a note of its key that sounds with it, or dropped, never moved.
    RankGroup();
    std::uint32_t best = 0;
    bool found = false;
    bool keysMarked = false;
    for (std::size_t r = 0; r < ranked_.size() && !found; ++r) {
        const std::uint32_t position = ranked_[r];
        const std::uint32_t index = group_[position];
        const Note& note = N(index);
        marks_[position] |= kTried;
        if (End(index) <= note.start) {
            taken_[index] = kWritten;
            if (!keysMarked) {
                MarkKeysThatFollow();
                keysMarked = true;
            }
            bool merged = (current_.active && N(current_.note).key == note.key) ||
                          (!line_.notes.empty() && line_.notes.back().end >= t &&
                           N(line_.notes.back().note).key == note.key) ||
                          (marks_[position] & kKeyFollows) != 0;
            if (!merged) ++line_.droppedShort;
        } else if (Doubles(index, t)) {
            // Left to the other voices.
        } else {
            best = index;
            found = true;
        }
    }

    if (found && !current_.active && !FillsAt(best, t)) {
        Wait(best);
    } else if (found) {
        if (!current_.active) {
            current_ = {true, best, t};
            taken_[best] = kChosen;
        } else {
            const std::uint32_t playing = current_.note;
            std::uint32_t elapsed = t - current_.start, left = End(playing) - t;
            // A main note takes over from a filler, from a note it is not
            // below (above, for the bass), and from a note nearly over, so
            // that legato overlaps do not delay a line.
            bool takeOver = Rank(best) == 0 &&
                            (Rank(playing) > 0 || !Better(playing, best) || 4 * left <= elapsed);
            if (takeOver) {
                if (elapsed > 0) {
                    Emit(t);
                } else if (taken_[playing] == kChosen) {
                    taken_[playing] = 0;
                }
                Wait(playing);
                current_ = {true, best, t};
                taken_[best] = kChosen;
            } else {
                Wait(best);
            }
        }
    }
    for (std::size_t position = 0; position < group_.size(); ++position) {
        const std::uint32_t index = group_[position];
        if ((marks_[position] & kTried) == 0 && End(index) > N(index).start) Wait(index);
    }
}

}  // namespace

std::vector<std::uint32_t> OrderByStart(const Score& score) {
    // Two stable counting passes of 11 bits each: start units stay below 2^22.
    const std::size_t count = score.notes.size();
    std::vector<std::uint32_t> order(count), buffer(count);
    for (std::size_t i = 0; i < count; ++i) buffer[i] = static_cast<std::uint32_t>(i);
    for (int pass = 0; pass < 2; ++pass) {
        const int shift = pass * 11;
        std::vector<std::uint32_t> offsets(2049, 0);
        for (std::uint32_t index : buffer) ++offsets[((score.notes[index].start >> shift) & 2047) + 1];
        for (std::size_t b = 1; b < offsets.size(); ++b) offsets[b] += offsets[b - 1];
        for (std::uint32_t index : buffer) order[offsets[(score.notes[index].start >> shift) & 2047]++] = index;
        std::swap(order, buffer);
    }
    return buffer;
}

VoiceLine BuildTonalLine(const Score& score, const std::vector<std::uint32_t>& order, const VoicePlan& plan,
                         int voice, std::vector<std::uint8_t>& taken, const VoiceLine* unison) {
    LineBuilder builder(score, plan, voice, taken, unison);
    if (plan.ceilingRank != INT_MAX) {
        std::vector<std::uint32_t> onsets;
        for (std::uint32_t index : order)
            if (plan.rank[score.notes[index].part] == 0 && (onsets.empty() || onsets.back() != score.notes[index].start))
                onsets.push_back(score.notes[index].start);
        builder.SetMainOnsets(std::move(onsets));
    }
    for (std::size_t i = 0; i < order.size();) {
        std::size_t j = i + 1;
        while (j < order.size() && score.notes[order[j]].start == score.notes[order[i]].start) ++j;
        builder.Onsets(order, i, j);
        i = j;
    }
    builder.AdvanceTo(UINT32_MAX);
    return builder.Finish();
}

}  // namespace kelvane::arrange
