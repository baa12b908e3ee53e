#include "SongBlock.h"

#include "SongTables.h"

namespace kelvane {

void SongBlock::PutSongByte(std::uint8_t byte) {
    if (overflowTrack < 0) {
        if (writeCursor_ >= kBlockStart)
            Store(writeCursor_, byte);
        else
            overflowTrack = trackIndex_;  // the 16-bit cursor has wrapped
    }
    ++writeCursor_;
    ++streamBytes[static_cast<std::size_t>(trackIndex_)];
}

void SongBlock::Emit(const TranslatedSong& song) {
    writeCursor_ = kStreamStart;
    used = song.trackCount == 0 ? 0 : song.trackCount == 1 ? 4 : kStreamStart - kBlockStart;
    for (int i = 0; i < song.trackCount && i < kMaxTracks; ++i) {
        trackIndex_ = i;
        if (i >= 1) {
            auto slot = static_cast<std::uint16_t>(kPointerTable + 2 * (i - 1));
            Store(slot, static_cast<std::uint8_t>(writeCursor_ & 0xFF));
            Store(static_cast<std::uint16_t>(slot + 1), static_cast<std::uint8_t>(writeCursor_ >> 8));
        }
        EmitProgram(song.programs[static_cast<std::size_t>(i)]);
        if (i == 0) {
            // The conductor track's last tempo event counts, even when it failed.
            for (int k = 0; k < 4; ++k)
                Store(static_cast<std::uint16_t>(kBlockStart + k), static_cast<std::uint8_t>(song.tempo[k] & 0xFF));
            writeCursor_ = kStreamStart;
        }
        used += streamBytes[static_cast<std::size_t>(i)];
    }
}

void SongBlock::EmitProgram(const ChannelProgram& program) {
    const int channel = program.channel;
    const std::size_t before = streamBytes[static_cast<std::size_t>(trackIndex_)];
    for (const Command& command : program.commands) {
        // Once the block is full nothing more is stored: the rest of the
        // stream only moves the cursor, by the bytes it would take.
        if (overflowTrack >= 0) {
            const std::size_t rest = program.bytes - (streamBytes[static_cast<std::size_t>(trackIndex_)] - before);
            writeCursor_ = static_cast<std::uint16_t>(writeCursor_ + rest);
            streamBytes[static_cast<std::size_t>(trackIndex_)] += rest;
            return;
        }
        switch (command.op) {
            case Op::kWaits:
                PutSongByte(static_cast<std::uint8_t>(kWait + command.a));
                break;
            case Op::kTimbreChange:
                PutSongByte(static_cast<std::uint8_t>(
                    kTimbre + labels_.Timbre(channel, static_cast<int>(command.value))));
                break;
            case Op::kVolumeChange:
                PutSongByte(static_cast<std::uint8_t>(kVolume + command.a));
                break;
            case Op::kNote:
                PutSongByte(static_cast<std::uint8_t>(kInside + command.a));
                PutSongByte(static_cast<std::uint8_t>(8 * (command.value - 1) + command.b));
                break;
            case Op::kLongTonalNote:
                PutSongByte(static_cast<std::uint8_t>(kInside + command.a));
                PutSongByte(static_cast<std::uint8_t>(kLongNote + command.b));
                break;
            case Op::kPercussion:
                PutSongByte(static_cast<std::uint8_t>(kInside + labels_.Percussion(channel, command.a)));
                break;
            case Op::kClosingPair:
                PutSongByte(kInside + kClosingPitch);
                PutSongByte(0x01);
                break;
            case Op::kEndOfStream:
                PutSongByte(kEnd);
                break;
            case Op::kDeviceComment:
            case Op::kAftertouchComment:
                break;  // text only
        }
    }
}

}  // namespace kelvane
