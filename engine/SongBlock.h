// Emitting the song block: the bytes the driver plays, at CPU $8000 to $FFFF.
// The tempo bytes, the pointer table and the streams one after another; the
// block closes at the first byte that would pass $FFFF, so a song too long
// for it never writes outside it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "LabelValues.h"
#include "TranslatedSong.h"

namespace kelvane {

class SongBlock {
public:
    static constexpr std::size_t kSize = 0x8000;
    static constexpr std::uint16_t kBlockStart = 0x8000;      // tempo bytes
    static constexpr std::uint16_t kPointerTable = 0x8004;    // channel 1 to 5, low byte first
    static constexpr std::uint16_t kStreamStart = 0x800E;     // first channel stream

    // `block` is the 32 KB the driver sees, as the caller had them; bytes that
    // the song does not write keep their values.
    SongBlock(std::uint8_t* block, const LabelValues& labels) : block_(block), labels_(labels) {}

    void Emit(const TranslatedSong& song);

    int overflowTrack = -1;  // the track whose byte did not fit, or -1
    std::size_t used = 0;    // from $8000 to the end of the last stream, past $FFFF included
    std::array<std::size_t, kMaxTracks> streamBytes = {};

private:
    void PutSongByte(std::uint8_t byte);
    void Store(std::uint16_t address, std::uint8_t byte) { block_[address - kBlockStart] = byte; }
    void EmitProgram(const ChannelProgram& program);

    std::uint8_t* block_;
    const LabelValues& labels_;
    std::uint16_t writeCursor_ = kStreamStart;
    int trackIndex_ = 0;
};

}  // namespace kelvane
