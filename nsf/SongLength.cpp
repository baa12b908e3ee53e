#include "SongLength.h"

#include <algorithm>

namespace kelvane {
namespace {

constexpr std::uint32_t kBlockStart = 0x8000;
constexpr std::uint32_t kPointerTable = 0x8004;
constexpr int kChannels = 5;
constexpr int kFirstPercussion = 3;  // Noise and DPCM: hits without an operand

constexpr std::uint8_t kTimbre = 0x80;
constexpr std::uint8_t kNote = 0xA0;
constexpr std::uint8_t kPastNotes = 0xB0;  // $B0 to $FF end the channel
constexpr std::uint8_t kClosingPitch = 0x0F;

// A stream cursor over the block, as the driver's ReadByte sees it: no byte
// below the block or past $FFFF.
class StreamCursor {
public:
    StreamCursor(const std::vector<std::uint8_t>& block, std::uint32_t address)
        : block_(block), address_(address) {}
    bool Next(std::uint8_t& byte) {
        if (address_ < kBlockStart || address_ - kBlockStart >= block_.size()) return false;
        byte = block_[address_ - kBlockStart];
        ++address_;
        return true;
    }

private:
    const std::vector<std::uint8_t>& block_;
    std::uint32_t address_;
};

// What a tonal channel's note (pitch class, octave) sounds as: MIDI note
// 24 + 12 octave + pitch class on the squares, 24 lower on the triangle.
bool Soundable(int channel, int pitchClass, int octave) {
    int note = 12 * octave + pitchClass;
    return channel == 2 ? note >= kLowestTriangleNote : note + 24 >= kLowestSquareNote;
}

std::uint64_t ChannelUnits(const std::vector<std::uint8_t>& block, int channel, std::uint64_t& unsoundable) {
    std::uint32_t pointer = kPointerTable + 2 * static_cast<std::uint32_t>(channel);
    if (pointer + 1 - kBlockStart >= block.size()) return 0;
    std::uint32_t start = block[pointer - kBlockStart] | block[pointer + 1 - kBlockStart] << 8;
    StreamCursor cursor(block, start);
    std::uint64_t units = 0;
    std::uint8_t byte;
    while (cursor.Next(byte)) {
        if (byte < kTimbre) {
            units += byte + 1u;  // a wait
        } else if (byte < kNote) {
            // timbre and volume take no time
        } else if (byte >= kPastNotes) {
            break;
        } else if ((byte & 0x0F) == kClosingPitch) {
            std::uint8_t operand;
            if (!cursor.Next(operand)) break;
        } else if (channel < kFirstPercussion) {
            std::uint8_t operand;
            if (!cursor.Next(operand)) break;
            units += (operand >> 3) + 1u;  // a note, or a rest for pitch classes 12 to 14
            int pitchClass = byte & 0x0F;
            if (pitchClass < 12 && !Soundable(channel, pitchClass, operand & 0x07)) ++unsoundable;
        }
        // A hit on Noise or DPCM takes no time: the waits after it do.
    }
    return units;
}

}  // namespace

std::uint64_t FramesBeforeUnit(const std::uint8_t tempo[4], std::uint64_t unit) {
    std::uint64_t frames[4];
    std::uint64_t cycle = 0;
    for (int k = 0; k < 4; ++k) {
        frames[k] = static_cast<std::uint8_t>(tempo[k] - 1);
        cycle += frames[k];
    }
    std::uint64_t total = unit / 4 * cycle;
    for (std::uint64_t k = 0; k < unit % 4; ++k) total += frames[k];
    return total;
}

SongLength MeasureSong(const std::vector<std::uint8_t>& songBlock) {
    SongLength length;
    if (songBlock.size() < 4) return length;
    for (int channel = 0; channel < kChannels; ++channel) {
        std::uint64_t unsoundable = 0;
        length.channelUnits[channel] = ChannelUnits(songBlock, channel, unsoundable);
        if (channel < kFirstPercussion) length.unsoundableNotes[channel] = unsoundable;
        length.units = std::max(length.units, length.channelUnits[channel]);
    }
    length.frames = FramesBeforeUnit(songBlock.data(), length.units);
    return length;
}

}  // namespace kelvane
