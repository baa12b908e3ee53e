// Reading: the bytes of a Standard MIDI File give its header and the list of
// its track chunks, each with its own position and end. Nothing here reads
// outside the data: a chunk that the file cuts short ends where the data ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelvane {

constexpr std::uint64_t kMidiSizeLimit = std::uint64_t{64} << 20;  // larger files are refused

struct TrackChunk {
    bool isTrack = false;      // its tag is "MTrk", and its header was in the file
    std::uint32_t length = 0;  // as announced
    std::size_t begin = 0;     // first data byte
    std::size_t end = 0;       // past the last data byte the file holds
};

struct MidiSong {
    std::uint16_t format = 0;
    std::uint16_t trackCount = 0;  // as the header announces
    std::uint16_t division = 0;
    std::vector<TrackChunk> chunks;  // one per announced track
};

enum class HeaderProblem { kNone, kNotMidi, kUnsupportedFormat };

// Reads the header chunk at the start of `data`.
HeaderProblem ReadHeaderChunk(const std::vector<std::uint8_t>& data, MidiSong& song,
                              std::size_t& readOffset);

// Reads the chunk header at `readOffset` and moves past the chunk. A file that
// announces more tracks than it holds gives chunks that are not tracks.
TrackChunk ReadTrackChunkHeader(const std::vector<std::uint8_t>& data, std::size_t& readOffset);

// The header and every announced chunk; the chunks are read only when the
// header passes.
HeaderProblem ReadMidiSong(const std::vector<std::uint8_t>& data, MidiSong& song);

inline std::uint16_t ReadBE16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] << 8 | at[1]);
}

inline std::uint32_t ReadBE32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) << 24 | static_cast<std::uint32_t>(at[1]) << 16 |
           static_cast<std::uint32_t>(at[2]) << 8 | at[3];
}

}  // namespace kelvane
