// The values that the timbre and percussion labels stand for when a song
// block is emitted. "ROM.BIN" takes every label as $00, as the .h file
// equates them; the NSF gives them the playback driver's values.
#pragma once

#include <cstdint>

namespace kelvane {

class LabelValues {
public:
    virtual ~LabelValues() = default;
    // Added to $80: the timbre label `number` of a channel (1 to 5).
    virtual std::uint8_t Timbre(int channel, int number) const;
    // Added to $A0: the percussion label of a pitch class on Noise (4) or DPCM (5).
    virtual std::uint8_t Percussion(int channel, int pitchClass) const;
};

inline std::uint8_t LabelValues::Timbre(int, int) const { return 0; }
inline std::uint8_t LabelValues::Percussion(int, int) const { return 0; }

}  // namespace kelvane
