#include "Nsf.h"

#include <algorithm>
#include <cstring>

#include "DriverBank.h"

namespace kelvane {
namespace {

// Header fields (NSF 1.0), little-endian.
constexpr std::size_t kVersion = 0x05;
constexpr std::size_t kSongCount = 0x06;
constexpr std::size_t kFirstSong = 0x07;
constexpr std::size_t kLoadAddress = 0x08;
constexpr std::size_t kInitAddress = 0x0A;
constexpr std::size_t kPlayAddress = 0x0C;
constexpr std::size_t kName = 0x0E;
constexpr std::size_t kArtist = 0x2E;
constexpr std::size_t kNtscPeriod = 0x6E;
constexpr std::size_t kBanks = 0x70;
constexpr std::size_t kPalPeriod = 0x78;
constexpr std::size_t kRegion = 0x7A;
constexpr std::size_t kTextField = 32;  // zero-padded, the last byte always 0

constexpr std::uint8_t kPalOnly = 1;
constexpr std::uint16_t kSongAddress = 0x8000;
constexpr std::size_t kSongBanks = kSongBlockSize / kNsfBankSize;
constexpr std::uint8_t kDriverBankNumber = kSongBanks;

void PutLe16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutText(std::vector<std::uint8_t>& out, std::size_t at, const std::string& text) {
    std::memcpy(&out[at], text.data(), std::min(text.size(), kTextField - 1));
}

// The length of the UTF-8 sequence that starts with `lead`, or 0 when it
// cannot start one.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

}  // namespace

std::string NsfSongName(const std::string& utf8) {
    std::string name;
    std::size_t i = 0;
    while (i < utf8.size() && name.size() < kTextField - 1) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = SequenceLength(lead);
        bool whole = length > 0 && i + length <= utf8.size();
        for (std::size_t k = 1; whole && k < length; ++k)
            whole = (static_cast<unsigned char>(utf8[i + k]) & 0xC0) == 0x80;
        bool printable = lead >= 0x20 && lead < 0x7F;
        name += length == 1 && printable ? static_cast<char>(lead) : '?';
        i += whole ? length : 1;
    }
    return name;
}

std::vector<std::uint8_t> BuildNsf(const std::vector<std::uint8_t>& songBlock,
                                   const std::string& songNameUtf8) {
    if (songBlock.size() != kSongBlockSize) return {};
    std::vector<std::uint8_t> nsf = NsfFrame(songNameUtf8);
    std::memcpy(nsf.data() + kNsfHeaderSize, songBlock.data(), kSongBlockSize);
    return nsf;
}

// One allocation and one fill: the song block's end bytes are what a block
// the song does not reach holds, and the header's zeros are set over them.
std::vector<std::uint8_t> NsfFrame(const std::string& songNameUtf8) {
    constexpr std::uint8_t kEndOfStream = 0xFF;
    std::vector<std::uint8_t> nsf(kNsfHeaderSize + kSongBlockSize + kNsfBankSize, kEndOfStream);
    std::memset(nsf.data(), 0, kNsfHeaderSize);
    std::memcpy(nsf.data(), "NESM\x1A", 5);
    nsf[kVersion] = 1;
    nsf[kSongCount] = 1;
    nsf[kFirstSong] = 1;
    PutLe16(nsf, kLoadAddress, kSongAddress);
    PutLe16(nsf, kInitAddress, kDriverInit);
    PutLe16(nsf, kPlayAddress, kDriverPlay);
    PutText(nsf, kName, NsfSongName(songNameUtf8));
    PutText(nsf, kArtist, kNsfArtist);
    // A player that ignores the PAL flag still plays 50 frames a second.
    PutLe16(nsf, kNtscPeriod, kNsfPlayPeriodUs);
    PutLe16(nsf, kPalPeriod, kNsfPlayPeriodUs);
    nsf[kRegion] = kPalOnly;
    // Banks 0 to 7 are the song block as it lies; the driver's bank takes the
    // last window, and the driver moves the first window through the song.
    for (std::size_t window = 0; window + 1 < kSongBanks; ++window)
        nsf[kBanks + window] = static_cast<std::uint8_t>(window);
    nsf[kBanks + kSongBanks - 1] = kDriverBankNumber;

    std::memcpy(nsf.data() + kNsfHeaderSize + kSongBlockSize, kDriverBank, kNsfBankSize);
    return nsf;
}

std::uint8_t NsfLabelValues::Timbre(int, int) const { return 0; }

std::uint8_t NsfLabelValues::Percussion(int, int pitchClass) const {
    static constexpr DrumPreset kByPitchClass[12] = {
        DrumPreset::kKick,        DrumPreset::kCrash,     DrumPreset::kSnare,
        DrumPreset::kClap,        DrumPreset::kSnare,     DrumPreset::kLowFloorTom,
        DrumPreset::kClosedHat,   DrumPreset::kHighFloorTom, DrumPreset::kClosedHat,
        DrumPreset::kLowTom,      DrumPreset::kOpenHat,   DrumPreset::kMidTom,
    };
    int index = ((pitchClass % 12) + 12) % 12;
    return static_cast<std::uint8_t>(kByPitchClass[index]);
}

}  // namespace kelvane
