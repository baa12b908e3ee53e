// Loading a Standard MIDI File and reading it through a bounded cursor.
//
// Nothing here reads outside midiData: the chunk readers clamp readOffset to
// the end of the data, and every event read is checked against eventEnd, the
// end of the current chunk.
#include <algorithm>
#include <cstring>

#include "ConversionState.h"
#include "Messages.h"

namespace kelvane {
namespace {

constexpr std::size_t kChunkHeaderSize = 8;
constexpr std::size_t kShortestHeader = 14;  // "MThd", length, format, tracks, division
constexpr std::uint16_t kUnsupportedFormat = 2;
constexpr std::uint16_t kSmallestDivision = 8;  // one time unit is division / 8 ticks

}  // namespace

bool ConversionState::LoadMidiFile() {
    if (!files.ReadWhole(midiPath, midiData)) {
        midiData.clear();
        midiSize = 0;
        Fail(msg::kCannotOpenMidi);
        return false;
    }
    midiSize = midiData.size();
    readOffset = 0;
    return true;
}

std::uint16_t ConversionState::ReadBE16(std::size_t position) const {
    return static_cast<std::uint16_t>(midiData[position] << 8 | midiData[position + 1]);
}

std::uint32_t ConversionState::ReadBE32(std::size_t position) const {
    return static_cast<std::uint32_t>(midiData[position]) << 24 |
           static_cast<std::uint32_t>(midiData[position + 1]) << 16 |
           static_cast<std::uint32_t>(midiData[position + 2]) << 8 | midiData[position + 3];
}

bool ConversionState::ReadHeaderChunk() {
    if (midiSize < kShortestHeader) {
        Fail(msg::kNotMidi);
        return false;
    }
    std::memcpy(scratch, &midiData[readOffset], 4);
    scratch[4] = '\0';
    std::uint32_t headerLength = ReadBE32(readOffset + 4);
    readOffset += kChunkHeaderSize;
    format = ReadBE16(readOffset);
    trackCount = ReadBE16(readOffset + 2);
    division = ReadBE16(readOffset + 4);
    readOffset = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::uint64_t{readOffset} + headerLength, midiSize));
    if (std::strcmp(scratch, "MThd") != 0) {
        Fail(msg::kNotMidi);
        return false;
    }
    // A division below 8 would make the time unit zero ticks long.
    if (format == kUnsupportedFormat || division < kSmallestDivision) {
        Fail(msg::kUnsupportedFormat);
        return false;
    }
    return true;
}

bool ConversionState::ReadTrackChunkHeader() {
    if (midiSize - readOffset < kChunkHeaderSize) {
        // A file that announces more tracks than it holds.
        scratch[0] = '\0';
        chunkLength = 0;
        readOffset = midiSize;
        failed = true;
        return false;
    }
    std::memcpy(scratch, &midiData[readOffset], 4);
    scratch[4] = '\0';
    chunkLength = ReadBE32(readOffset + 4);
    readOffset += kChunkHeaderSize;
    if (std::strcmp(scratch, "MTrk") != 0) {
        failed = true;
        return false;
    }
    return true;
}

// Keeps the first kTextLimit bytes of the text; the cursor moves on by n.
bool ConversionState::ReadText(std::uint32_t n) {
    if (!Remains(n)) return false;
    std::size_t kept = std::min<std::uint32_t>(n, kTextLimit);
    // An empty text may stand at the very end of the data, where indexing the
    // buffer would step past it.
    std::memcpy(scratch, midiData.data() + eventCursor, kept);
    scratch[kept] = '\0';
    for (std::size_t i = 0; i < kept; ++i)
        if (scratch[i] == '\n' || scratch[i] == '\r') scratch[i] = ' ';
    eventCursor += n;
    return true;
}

bool ConversionState::Skip(std::uint32_t n) {
    if (!Remains(n)) return false;
    eventCursor += n;
    return true;
}

}  // namespace kelvane
