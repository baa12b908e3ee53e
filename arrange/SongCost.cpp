#include "SongCost.h"

#include <algorithm>

namespace kelvane::arrange {
namespace {

constexpr std::size_t kTonalEnd = 3;       // closing pair and end
constexpr std::size_t kPercussionEnd = 1;  // end

}  // namespace

SongCost::SongCost(const std::array<VoiceLine, kVoiceCount>& lines, const std::vector<std::uint32_t>& lyricUnits)
    : lines_(lines), lyricUnits_(lyricUnits) {
    for (int v = 0; v < kVoiceCount; ++v) {
        const std::vector<VoiceNote>& notes = lines_[static_cast<std::size_t>(v)].notes;
        std::vector<std::uint64_t>& before = before_[static_cast<std::size_t>(v)];
        before.resize(notes.size());
        std::uint64_t bytes = notes.empty() ? 0 : WaitBytes(notes[0].start);
        for (std::size_t i = 0; i < notes.size(); ++i) {
            before[i] = bytes;
            if (i + 1 < notes.size()) bytes += NoteAndRestBytes(v, notes[i], notes[i + 1]);
        }
    }
}

std::size_t SongCost::NoteBytes(int voice, const VoiceNote& note, std::uint64_t length) {
    std::size_t bytes = note.volume != kNoVolume ? 1 : 0;
    if (IsTonal(voice)) return bytes + TonalNoteBytes(length);
    return bytes + 1 + WaitBytes(length);
}

std::size_t SongCost::NoteAndRestBytes(int voice, const VoiceNote& note, const VoiceNote& next) {
    if (!note.restAfter || !IsTonal(voice)) return NoteBytes(voice, note, next.start - note.start);
    return NoteBytes(voice, note, note.end - note.start) + RestBytes(next.start - note.end, next);
}

std::size_t SongCost::Voice(int voice, std::uint32_t cut) const {
    const std::vector<VoiceNote>& notes = lines_[static_cast<std::size_t>(voice)].notes;
    auto kept = static_cast<std::size_t>(
        std::lower_bound(notes.begin(), notes.end(), cut,
                         [](const VoiceNote& note, std::uint32_t unit) { return note.start < unit; }) -
        notes.begin());
    std::size_t end = IsTonal(voice) ? kTonalEnd : kPercussionEnd;
    if (kept == 0) return end;
    const VoiceNote& last = notes[kept - 1];
    std::size_t program = IsTonal(voice) ? 1 : 0;
    const std::uint32_t until = lines_[static_cast<std::size_t>(voice)].restUntil;
    if (IsTonal(voice) && kept == notes.size() && until > last.end && cut >= until) {
        // The rest to the end of the song: volume 0 and a note, no volume after.
        return static_cast<std::size_t>(before_[static_cast<std::size_t>(voice)][kept - 1]) +
               NoteBytes(voice, last, last.end - last.start) + 1 + TonalNoteBytes(until - last.end) + program + end;
    }
    std::uint32_t off = std::min(last.end, cut);
    if (voice == kSquare1) {
        auto lyric = std::lower_bound(lyricUnits_.begin(), lyricUnits_.end(), off);
        if (lyric != lyricUnits_.end() && *lyric < cut) off = *lyric;
    }
    return static_cast<std::size_t>(before_[static_cast<std::size_t>(voice)][kept - 1]) +
           NoteBytes(voice, last, off - last.start) + program + end;
}

std::size_t SongCost::Total(std::uint32_t cut) const {
    std::size_t total = kSongHeader;
    for (int v = 0; v < kVoiceCount; ++v) total += Voice(v, cut);
    return total;
}

}  // namespace kelvane::arrange
