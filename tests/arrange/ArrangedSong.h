// Reads an arranged file back for the tests: the notes of each of its six
// tracks in time units, its lyrics and its tempo.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Arrange.h"

namespace kelvane::test {

struct PlayedNote {
    std::uint32_t start;  // time units
    std::uint32_t end;
    int key;
};

inline bool operator==(const PlayedNote& a, const PlayedNote& b) {
    return a.start == b.start && a.end == b.end && a.key == b.key;
}

struct PlayedLyric {
    std::uint32_t unit;
    std::string text;
};

struct ArrangedSong {
    int format = -1;
    int tracks = 0;
    int division = 0;
    std::uint32_t tempo = 0;
    std::array<std::vector<PlayedNote>, arrange::kVoiceCount> voices;
    std::vector<PlayedLyric> lyrics;  // track 1's
    bool overlapping = false;         // a note-on while a note of the track sounds
    std::array<std::uint32_t, arrange::kVoiceCount> rests{};  // notes at volume 0, not in `voices`
};

// The unit whose grid point lies nearest to `seconds`, at the song's tempo as
// the engine's tempo rule reads it.
std::uint32_t UnitAt(const ArrangedSong& song, double seconds);
// When unit `unit` starts, in seconds.
double SecondsOf(const ArrangedSong& song, std::uint32_t unit);

ArrangedSong ReadArranged(const std::vector<std::uint8_t>& midi);

// A note as the engine wrote it into a channel stream of the song block.
struct StreamNote {
    std::uint32_t start;   // time units
    std::uint32_t length;  // as written: up to the next note, rests folded in
    int pitchClass;
    int volume;            // the channel's volume when it starts, 15 before any
};

struct ConvertedSong {
    bool converted = false;
    std::array<std::vector<StreamNote>, arrange::kVoiceCount> voices;
    std::array<std::size_t, arrange::kVoiceCount> bytes{};  // each stream, its end included
    std::array<int, 4> tempo{};                             // the song block's tempo bytes
};

// Converts the arranged file with the real engine, in memory, and reads the
// five streams back from the song block of the image.
ConvertedSong ConvertArranged(const std::vector<std::uint8_t>& midi);

// Arranges with the voices arranged as usual.
arrange::ArrangeResult ArrangeAuto(const std::vector<std::uint8_t>& midi);

// The keys of a line, in order.
std::vector<int> Keys(const std::vector<PlayedNote>& notes);

}  // namespace kelvane::test
