// What the arranged song costs in the song block, byte for byte as the engine
// writes it, without converting: the fit asks it again and again.
//
// The writer (Writer.cpp) lays each voice out so that the engine sees every
// note end exactly where the next note starts, so a note's written length L
// runs from its start to the next note's start (the engine folds rests into
// notes), or to its own end when a rest note follows it, and the last note's
// length ends at its note-off or at the first lyric after it. Then, per voice:
//   tonal note   2 bytes, and waits for L - 32 units when L > 32
//   percussion   1 byte and waits for L units
//   volume       1 byte before the note it belongs to
//   rest         volume 0, a tonal note of the rest's length, and the
//                volume again unless the next note brings its own; after
//                the last note (`restUntil`), no volume again
//   first note   waits for the units before it
//   program      1 byte at the start of a tonal voice with notes
//   end          3 bytes on a tonal voice ($AF $01 $FF), 1 on percussion
// and 14 bytes of tempo and channel pointers before the streams.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Arrange.h"
#include "Voices.h"

namespace kelvane::arrange {

constexpr std::size_t kSongBlockSize = 32768;
constexpr std::size_t kSongHeader = 14;

// Wait bytes for `units`: one per 128 units begun.
inline std::size_t WaitBytes(std::uint64_t units) { return static_cast<std::size_t>((units + 127) / 128); }

inline bool IsTonal(int voice) { return voice <= kTriangle; }

class SongCost {
public:
    // `lyricUnits`: the units of Square1's lyrics, in order.
    SongCost(const std::array<VoiceLine, kVoiceCount>& lines, const std::vector<std::uint32_t>& lyricUnits);

    // Bytes of the song block when the song ends at unit `cut`: notes that
    // start there or later are gone, and a note sounding there ends there.
    std::size_t Total(std::uint32_t cut = UINT32_MAX) const;
    std::size_t Voice(int voice, std::uint32_t cut = UINT32_MAX) const;

    // Bytes of `note` (with its rest, if it has one) when `next` follows it.
    static std::size_t NoteAndRestBytes(int voice, const VoiceNote& note, const VoiceNote& next);
    // What a rest of `length` units before `next` costs on a tonal voice:
    // volume 0, the note, and the voice's volume again unless `next` sets one.
    static std::size_t RestBytes(std::uint64_t length, const VoiceNote& next) {
        return 1 + TonalNoteBytes(length) + (next.volume == kNoVolume ? 1 : 0);
    }

private:
    static constexpr std::uint64_t kMaxShortNote = 32;
    // A tonal note command of `length` units, with the waits past its own length.
    static std::size_t TonalNoteBytes(std::uint64_t length) {
        return 2 + (length > kMaxShortNote ? WaitBytes(length - kMaxShortNote) : 0);
    }
    static std::size_t NoteBytes(int voice, const VoiceNote& note, std::uint64_t length);

    const std::array<VoiceLine, kVoiceCount>& lines_;
    const std::vector<std::uint32_t>& lyricUnits_;
    // Per voice: bytes before note i, its leading waits included, with every
    // earlier note sounding until the next one starts.
    std::array<std::vector<std::uint64_t>, kVoiceCount> before_;
};

}  // namespace kelvane::arrange
