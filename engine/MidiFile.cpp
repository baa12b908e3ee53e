#include "MidiFile.h"

#include <algorithm>
#include <cstring>

namespace kelvane {
namespace {

constexpr std::size_t kChunkHeaderSize = 8;
constexpr std::size_t kShortestHeader = 14;  // "MThd", length, format, tracks, division
constexpr std::uint16_t kUnsupportedFormat = 2;
constexpr std::uint16_t kSmallestDivision = 8;  // one time unit is division / 8 ticks
constexpr std::uint16_t kSmpteDivision = 0x8000;

}  // namespace

HeaderProblem ReadHeaderChunk(const std::vector<std::uint8_t>& data, MidiSong& song,
                              std::size_t& readOffset) {
    if (data.size() < kShortestHeader) return HeaderProblem::kNotMidi;
    const std::uint8_t* head = data.data();
    std::uint32_t headerLength = ReadBE32(head + 4);
    song.format = ReadBE16(head + 8);
    song.trackCount = ReadBE16(head + 10);
    song.division = ReadBE16(head + 12);
    readOffset = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::uint64_t{kChunkHeaderSize} + headerLength, data.size()));
    if (std::memcmp(head, "MThd", 4) != 0) return HeaderProblem::kNotMidi;
    // A division below 8 would make the time unit zero ticks long; one with
    // its top bit set counts SMPTE frames, not ticks per quarter note.
    if (song.format == kUnsupportedFormat || song.division < kSmallestDivision ||
        (song.division & kSmpteDivision) != 0)
        return HeaderProblem::kUnsupportedFormat;
    return HeaderProblem::kNone;
}

TrackChunk ReadTrackChunkHeader(const std::vector<std::uint8_t>& data, std::size_t& readOffset) {
    TrackChunk chunk;
    if (data.size() - readOffset < kChunkHeaderSize) {
        readOffset = data.size();
        chunk.begin = chunk.end = readOffset;
        return chunk;
    }
    const std::uint8_t* head = data.data() + readOffset;
    chunk.isTrack = std::memcmp(head, "MTrk", 4) == 0;
    chunk.length = ReadBE32(head + 4);
    chunk.begin = readOffset + kChunkHeaderSize;
    chunk.end = chunk.begin + std::min<std::size_t>(chunk.length, data.size() - chunk.begin);
    // A chunk with a wrong tag is skipped by the length it announces.
    readOffset = chunk.end;
    return chunk;
}

HeaderProblem ReadMidiSong(const std::vector<std::uint8_t>& data, MidiSong& song) {
    song.chunks.clear();
    std::size_t readOffset = 0;
    HeaderProblem problem = ReadHeaderChunk(data, song, readOffset);
    if (problem != HeaderProblem::kNone) return problem;
    song.chunks.reserve(song.trackCount);
    for (int i = 0; i < song.trackCount; ++i) song.chunks.push_back(ReadTrackChunkHeader(data, readOffset));
    return HeaderProblem::kNone;
}

}  // namespace kelvane
