// The playback driver as ca65 and ld65 assembled it from driver/: one 4 KB
// bank that the NSF maps at $F000, with INIT and PLAY at its start.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvane {

constexpr std::size_t kNsfBankSize = 0x1000;
constexpr std::uint16_t kDriverAddress = 0xF000;
constexpr std::uint16_t kDriverInit = 0xF000;  // jmp Init
constexpr std::uint16_t kDriverPlay = 0xF003;  // jmp Play

extern const std::uint8_t kDriverBank[kNsfBankSize];

}  // namespace kelvane
