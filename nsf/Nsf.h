// The song as an NSF 1.0 file, the format that NES music players open: the
// song block in eight 4 KB banks and our own playback driver in a ninth.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "LabelValues.h"

namespace kelvane {

constexpr std::size_t kSongBlockSize = 0x8000;  // CPU $8000 to $FFFF
constexpr std::size_t kNsfHeaderSize = 0x80;
constexpr std::uint16_t kNsfPlayPeriodUs = 20000;  // 50 frames a second
constexpr char kNsfArtist[] = "Kelvane";

// An NSF with its song block still to be emitted in place: the header (one
// PAL song named after `songNameUtf8`), kSongBlockSize end bytes at
// kNsfHeaderSize, and the driver's bank.
std::vector<std::uint8_t> NsfFrame(const std::string& songNameUtf8);

// The NSF of a song block whose labels carry NsfLabelValues: one PAL song
// named after `songNameUtf8`. Empty when the block is not kSongBlockSize long.
std::vector<std::uint8_t> BuildNsf(const std::vector<std::uint8_t>& songBlock,
                                   const std::string& songNameUtf8);

// The header's name: ASCII, with one '?' for every other character (control
// characters and bytes that are not UTF-8 included), at most 31 characters.
std::string NsfSongName(const std::string& utf8);

// The driver's percussion presets (driver/Tables.s), by label value.
enum class DrumPreset : std::uint8_t {
    kKick = 0,
    kSnare = 1,
    kLowFloorTom = 2,
    kHighFloorTom = 3,
    kLowTom = 4,
    kMidTom = 5,
    kClosedHat = 6,
    kOpenHat = 7,
    kCrash = 8,
    kClap = 9,
};

// The label values the driver plays: every timbre the 50 % duty, and each
// percussion label the preset that General MIDI's drum map gives its pitch
// class (C kick, D and E snare, F G A B toms, F# and G# closed hat, A# open
// hat, C# crash, D# clap).
class NsfLabelValues : public LabelValues {
public:
    std::uint8_t Timbre(int channel, int number) const override;
    std::uint8_t Percussion(int channel, int pitchClass) const override;
};

}  // namespace kelvane
