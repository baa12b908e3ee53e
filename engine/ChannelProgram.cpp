#include "ChannelProgram.h"

#include "SongTables.h"

namespace kelvane {
namespace {

constexpr int kTriangleShift = 24;  // the triangle sounds two octaves below its name

}  // namespace

void ChannelProgram::Clear(int channelIndex) {
    channel = channelIndex;
    chunkRead = false;
    translated = false;
    commands.clear();
    texts.clear();
    notes = droppedOverlap = droppedZeroLength = noteOns = 0;
    units = 0;
    bytes = 0;
}

void ChannelProgram::WriteWaits(std::uint32_t count) {
    units += count;
    while (count > kMaxWait - 1) {
        commands.push_back({Op::kWaits, 0x7F});
        ++bytes;
        count -= kMaxWait;
    }
    if (count > 0) {
        commands.push_back({Op::kWaits, static_cast<std::uint8_t>(count - 1)});
        ++bytes;
    }
}

void ChannelProgram::WriteTonalNote(int note, std::uint32_t length) {
    // The operand cannot say "no time": a note that ended within its own time
    // unit is left out, and the time goes on as before.
    if (length == 0) {
        ++droppedZeroLength;
        return;
    }
    ++notes;
    bytes += 2;
    int lookup = channel == kTriangle ? note + kTriangleShift : note;
    auto pitchClass = static_cast<std::uint8_t>(note % 12);
    auto octave = static_cast<std::uint8_t>(lookup > 127 ? 5 : OctaveOf(lookup));
    if (length <= kMaxShortNote) {
        units += length;
        commands.push_back({Op::kNote, pitchClass, octave, false, length});
    } else {
        units += kMaxShortNote;
        commands.push_back({Op::kLongTonalNote, pitchClass, octave});
        WriteWaits(length - kMaxShortNote);
    }
}

void ChannelProgram::WritePercussionNote(int note, std::uint32_t length, bool labelDue) {
    ++notes;
    ++bytes;
    commands.push_back({Op::kPercussion, static_cast<std::uint8_t>(note % 12), 0, labelDue});
    WriteWaits(length);
}

void ChannelProgram::WriteVolume(int volume) {
    ++bytes;
    commands.push_back({Op::kVolumeChange, static_cast<std::uint8_t>(volume)});
}

void ChannelProgram::WriteTimbre(int timbre) {
    ++bytes;
    commands.push_back({Op::kTimbreChange, 0, 0, false, static_cast<std::uint32_t>(timbre)});
}

void ChannelProgram::WriteChannelEnd() {
    if (channel == kConductor) return;
    if (channel <= kTriangle) {
        commands.push_back({Op::kClosingPair});
        bytes += 2;
    }
    commands.push_back({Op::kEndOfStream});
    ++bytes;
}

void ChannelProgram::WriteDeviceComment(const char* text) {
    commands.push_back({Op::kDeviceComment, 0, 0, false, static_cast<std::uint32_t>(texts.size())});
    texts += text;
    texts += '\0';
}

void ChannelProgram::WriteAftertouchComment() { commands.push_back({Op::kAftertouchComment}); }

}  // namespace kelvane
