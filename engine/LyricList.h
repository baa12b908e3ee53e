// The lyrics one run collects from the first channel's track: each with its
// gap in time units since the one before.
#pragma once

#include <cstdint>

namespace kelvane {

struct LyricList {
    static constexpr int kCapacity = 2048;
    static constexpr int kTextSize = 256;  // 255 bytes and a NUL

    std::uint32_t count = 0;
    // Left uninitialised: entries are read only below `count`, and zeroing
    // half a megabyte touched every page of it in each process that converts.
    std::uint32_t gaps[kCapacity];
    char texts[kCapacity][kTextSize];
};

}  // namespace kelvane
