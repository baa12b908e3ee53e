// The ROM image and the song block inside it.
//
// The driver sees the image's last 32 KB at CPU addresses $8000 to $FFFF, so a
// CPU address A of the song block lies at image offset 0x70000 + A.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelvane {

struct SongImage {
    static constexpr std::size_t kImageSize = 0x80000;        // "ROM.BIN" is exactly this long
    static constexpr std::size_t kCpuToImage = 0x70000;
    static constexpr std::uint16_t kBlockStart = 0x8000;      // tempo bytes
    static constexpr std::uint16_t kPointerTable = 0x8004;    // channel 1 to 5, low byte first
    static constexpr std::uint16_t kStreamStart = 0x800E;     // first channel stream

    std::vector<std::uint8_t> bytes;  // the template as loaded, at least kImageSize long

    void Store(std::uint16_t cpuAddress, std::uint8_t value) {
        bytes[kCpuToImage + cpuAddress] = value;
    }
};

}  // namespace kelvane
