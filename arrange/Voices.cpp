#include "Voices.h"

#include <algorithm>

#include "Drums.h"
#include "Timing.h"

namespace kelvane::arrange {
namespace {

// The keys both the octave table and the chip at the PAL clock sound: the
// table holds the squares' notes 24-95 (octaves 0 to 5) and, looked up two
// octaves higher, the triangle's 0-71; the 11-bit timer reaches down to G#1
// (32) on a square and G#0 (20) on the triangle, which divides by 32.
constexpr int kSquareLow = 32, kSquareHigh = 95;
constexpr int kTriangleLow = 20, kTriangleHigh = 71;
constexpr std::size_t kWaitingLimit = 16;

constexpr std::uint8_t kChosen = 1;
constexpr std::uint8_t kWritten = 2;

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
    void AdvanceTo(std::uint32_t t);
    VoiceLine Finish() { return std::move(line_); }

private:
    struct Current {
        bool active = false;
        std::uint32_t note = 0;
        std::uint32_t start = 0;
    };

    const Note& N(std::uint32_t index) const { return score_.notes[index]; }
    // A percussion hit shorter than a unit is still a hit: it sounds a unit.
    std::uint32_t End(std::uint32_t index) const {
        const Note& note = N(index);
        return percussion_ && note.end <= note.start ? note.start + 1 : note.end;
    }
    int Rank(std::uint32_t index) const { return plan_.rank[N(index).part]; }
    // True when note a should sound rather than note b.
    bool Better(std::uint32_t a, std::uint32_t b) const {
        if (Rank(a) != Rank(b)) return Rank(a) < Rank(b);
        return plan_.bottom ? N(a).key < N(b).key : N(a).key > N(b).key;
    }
    bool Doubles(std::uint32_t index, std::uint32_t t);
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
    std::vector<std::uint32_t> waiting_;
    std::vector<std::uint32_t> group_;
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
    if (waiting_.size() < kWaitingLimit) {
        waiting_.push_back(index);
        return;
    }
    auto worst = std::max_element(waiting_.begin(), waiting_.end(),
                                  [&](std::uint32_t a, std::uint32_t b) { return Better(a, b); });
    if (Better(index, *worst)) *worst = index;
}

bool LineBuilder::TakeWaiting(std::uint32_t now) {
    waiting_.erase(std::remove_if(waiting_.begin(), waiting_.end(),
                                  [&](std::uint32_t index) { return End(index) <= now || taken_[index] != 0; }),
                   waiting_.end());
    auto chosen = waiting_.end();
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it)
        if (!Doubles(*it, now) && (chosen == waiting_.end() || Better(*it, *chosen))) chosen = it;
    if (chosen == waiting_.end()) return false;
    current_ = {true, *chosen, now};
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
        if (Rank(order[i]) != kNotASource && taken_[order[i]] == 0) group_.push_back(order[i]);
    if (group_.empty()) return;
    AdvanceTo(t);

    // The best note of the onset; a note shorter than a unit is merged into
    // a note of its key that sounds with it, or dropped, never moved.
    std::uint32_t best = 0;
    bool found = false;
    while (!group_.empty() && !found) {
        auto it = std::min_element(group_.begin(), group_.end(),
                                   [&](std::uint32_t a, std::uint32_t b) { return Better(a, b); });
        std::uint32_t index = *it;
        const Note& note = N(index);
        group_.erase(it);
        if (End(index) <= note.start) {
            taken_[index] = kWritten;
            bool merged = (current_.active && N(current_.note).key == note.key) ||
                          (!line_.notes.empty() && line_.notes.back().end >= t &&
                           N(line_.notes.back().note).key == note.key) ||
                          std::any_of(group_.begin(), group_.end(), [&](std::uint32_t other) {
                              return N(other).key == note.key && N(other).part == note.part;
                          });
            if (!merged) ++line_.droppedShort;
        } else if (Doubles(index, t)) {
            // Left to the other voices.
        } else {
            best = index;
            found = true;
        }
    }

    if (found) {
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
    for (std::uint32_t index : group_)
        if (End(index) > N(index).start) Wait(index);
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
