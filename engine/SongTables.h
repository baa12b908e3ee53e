// The driver's command bytes and the name tables its streams are spelled with.
#pragma once

#include <cstdint>

namespace kelvane {

// Channel index: the track index of the track that feeds it.
enum Channel : int {
    kConductor = 0,
    kSquare1 = 1,
    kSquare2 = 2,
    kTriangle = 3,
    kNoise = 4,
    kDpcm = 5,
};
constexpr int kMaxTracks = 6;  // the conductor track and five channels

constexpr std::uint8_t kWait = 0x00;     // MPCC_Wait + (units - 1)
constexpr std::uint8_t kTimbre = 0x80;   // MPCC_Timbre
constexpr std::uint8_t kVolume = 0x90;   // MPCC_Volume + v
constexpr std::uint8_t kInside = 0xA0;   // MPCC_Inside + pitch class
constexpr std::uint8_t kEnd = 0xFF;      // MPCC_End
constexpr std::uint8_t kLongNote = 0xF8; // operand of a 32-unit note, octave added
constexpr std::uint8_t kClosingPitch = 0x0F;  // a pitch value no note uses
constexpr std::uint32_t kMaxWait = 128;        // one wait byte covers 1 to 128 units
constexpr std::uint32_t kMaxShortNote = 32;    // the operand holds lengths 1 to 32

// Pitch name by note number modulo 12; the names ending in "b" are the sharps.
inline constexpr const char* kPitchNames[12] = {"nC",  "nCb", "nD",  "nDb", "nE",  "nF",
                                                "nFb", "nG",  "nGb", "nA",  "nAb", "nB"};

// Octave by MIDI note number.
constexpr int OctaveOf(int note) {
    return note < 36 ? 0 : note >= 84 ? 5 : (note - 24) / 12;
}

// Channel name by channel index; the conductor track (0) has none.
inline constexpr const char* kChannelNames[6] = {"", "Square1", "Square2", "Triangle", "Noise", "DPCM"};
// The same as the dialog and the status lines name them.
inline constexpr const char* kChannelNamesZh[6] = {"", "方波1", "方波2", "三角波", "噪声", "DPCM"};

// The lowest MIDI note the chip sounds at the PAL clock on a square (G#1; a
// timer period above 2047 is silent) and on the triangle (G#0, an octave
// below the square of the same period).
constexpr int kLowestSquareNote = 32;
constexpr int kLowestTriangleNote = 20;

}  // namespace kelvane
