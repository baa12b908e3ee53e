// The NSF and WAV files as bytes, the label values, and the song length
// found by walking the streams.
#include <gtest/gtest.h>

#include "DriverBank.h"
#include "Nsf.h"
#include "NsfTestSupport.h"
#include "SongLength.h"
#include "Wav.h"

namespace kelvane::test {
namespace {

std::uint16_t Le16(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}
std::uint32_t Le32(const Bytes& bytes, std::size_t at) {
    return Le16(bytes, at) | static_cast<std::uint32_t>(Le16(bytes, at + 2)) << 16;
}
std::string Field(const Bytes& bytes, std::size_t at) {
    return std::string(bytes.begin() + at, bytes.begin() + at + 32);
}
std::string Padded(const std::string& text) { return text + std::string(32 - text.size(), '\0'); }

TEST(NsfFile, HeaderIsOnePalSongWithTheDriverBankAfterTheSongBlock) {
    Bytes block(kSongBlockSize);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    Bytes nsf = BuildNsf(block, "Lied \xE6\xAD\x8C\xE6\x9B\xB2 2");

    ASSERT_EQ(nsf.size(), 0x80u + 9 * 0x1000);
    EXPECT_EQ(std::string(nsf.begin(), nsf.begin() + 5), "NESM\x1A");
    EXPECT_EQ(nsf[0x05], 1);  // version
    EXPECT_EQ(nsf[0x06], 1);  // songs
    EXPECT_EQ(nsf[0x07], 1);  // first song
    EXPECT_EQ(Le16(nsf, 0x08), 0x8000);
    EXPECT_EQ(Le16(nsf, 0x0A), kDriverInit);
    EXPECT_EQ(Le16(nsf, 0x0C), kDriverPlay);
    EXPECT_GE(kDriverInit, 0xF000);  // both inside the driver's bank
    EXPECT_GE(kDriverPlay, 0xF000);
    EXPECT_EQ(Field(nsf, 0x0E), Padded("Lied ?? 2"));
    EXPECT_EQ(Field(nsf, 0x2E), Padded("Kelvane"));
    EXPECT_EQ(Field(nsf, 0x4E), Padded(""));  // copyright
    EXPECT_EQ(Le16(nsf, 0x6E), 20000);
    // Bank-switched: the song block in banks 0 to 7 where it lies, the
    // driver's bank 8 at $F000.
    EXPECT_EQ(Bytes(nsf.begin() + 0x70, nsf.begin() + 0x78), (Bytes{0, 1, 2, 3, 4, 5, 6, 8}));
    EXPECT_EQ(Le16(nsf, 0x78), 20000);
    EXPECT_EQ(nsf[0x7A], 1);  // PAL only
    EXPECT_EQ(nsf[0x7B], 0);  // no expansion chips
    EXPECT_EQ(Le32(nsf, 0x7C), 0u);

    EXPECT_TRUE(std::equal(block.begin(), block.end(), nsf.begin() + 0x80));
    EXPECT_TRUE(std::equal(kDriverBank, kDriverBank + kNsfBankSize, nsf.begin() + 0x80 + 0x8000));
    EXPECT_EQ(kDriverBank[kDriverInit - kDriverAddress], 0x4C);  // JMP
    EXPECT_EQ(kDriverBank[kDriverPlay - kDriverAddress], 0x4C);

    EXPECT_TRUE(BuildNsf(Bytes(kSongBlockSize - 1), "x").empty());
}

TEST(NsfFile, SongNameIsAsciiWithAQuestionMarkForEveryOtherCharacter) {
    EXPECT_EQ(NsfSongName("Plain Song_1 (v2)"), "Plain Song_1 (v2)");
    // One '?' for each character, whatever its UTF-8 length.
    EXPECT_EQ(NsfSongName("\xC3\xA9t\xC3\xA9 \xE6\xAD\x8C \xF0\x9F\x8E\xB5!"), "?t? ? ?!");
    // Control characters, stray continuation bytes and cut sequences.
    EXPECT_EQ(NsfSongName("a\tb\x7F" "c"), "a?b?c");
    EXPECT_EQ(NsfSongName("a\x80\x80" "b\xE6\xAD"), "a??b??");
    EXPECT_EQ(NsfSongName("\xE6" "A"), "?A");
    // 31 characters and the field's closing zero.
    EXPECT_EQ(NsfSongName(std::string(40, 'x')), std::string(31, 'x'));
    EXPECT_EQ(NsfSongName(""), "");
}

TEST(NsfFile, LabelValuesFollowTheGeneralMidiDrumMap) {
    NsfLabelValues values;
    const LabelValues& policy = values;
    using P = DrumPreset;
    const P expected[12] = {P::kKick,      P::kCrash,        P::kSnare,     P::kClap,
                            P::kSnare,     P::kLowFloorTom,  P::kClosedHat, P::kHighFloorTom,
                            P::kClosedHat, P::kLowTom,       P::kOpenHat,   P::kMidTom};
    for (int channel : {4, 5}) {
        for (int pc = 0; pc < 12; ++pc)
            EXPECT_EQ(policy.Percussion(channel, pc), static_cast<std::uint8_t>(expected[pc])) << pc;
    }
    // Every preset is a hit byte, never the closing pitch $AF.
    for (int pc = 0; pc < 12; ++pc) EXPECT_LT(policy.Percussion(4, pc), 15);
    for (int channel = 1; channel <= 5; ++channel)
        for (int number : {0, 1, 7, 200}) EXPECT_EQ(policy.Timbre(channel, number), 0);
}

TEST(SongLength, WalksEveryCommandAsTheDriverDoes) {
    // Square1: waits, a short and a long note (its waits extend it), volume,
    // timbre and the closing pair take no time; pitch classes 12 to 14 rest.
    Bytes square1 = Join({Waits(300), Note(0, 3, 5), {0xA1, 0xFB}, Waits(8), {Volume(3), Timbre(2)},
                          {0xAC, 0x10}, Closing(), {kEnd}, Waits(50)});
    // Noise: hits take no time, the waits after them do.
    Bytes noise = Join({{Hit(0)}, Waits(4), {Hit(6), Hit(8)}, Waits(2), {kEnd}});
    // DPCM: a byte that is no command ends the channel.
    Bytes dpcm = Join({Waits(3), {0xB5}, Waits(100)});
    Bytes block = SongBlock({4, 4, 4, 4}, {square1, {}, {}, noise, dpcm});
    SongLength length = MeasureSong(block);
    EXPECT_EQ(length.channelUnits, (std::array<std::uint64_t, 5>{300 + 5 + 40 + 3, 0, 0, 6, 3}));
    EXPECT_EQ(length.units, 348u);
    EXPECT_EQ(length.frames, 3u * 348);
}

TEST(SongLength, CountsTheNotesBelowWhatTheTimerSounds) {
    // Squares from G#1 (MIDI 32, octave 0 pitch class 8), the triangle from
    // G#0 (MIDI 20, octave 1 pitch class 8); long-form notes count alike,
    // rests (pitch classes 12 to 14) and the closing pair do not.
    Bytes square = Join({Note(7, 0, 1), Note(8, 0, 1), {0xA0, 0xF8}, Note(0, 1, 1), {0xAC, 0x00}, Closing(), {kEnd}});
    Bytes triangle = Join({Note(11, 0, 1), Note(7, 1, 1), Note(8, 1, 1), {0xAD, 0x00}, Closing(), {kEnd}});
    Bytes block = SongBlock({4, 4, 4, 4}, {square, Join({Note(8, 0, 1), {kEnd}}), triangle, {}, {}});
    EXPECT_EQ(MeasureSong(block).unsoundableNotes, (std::array<std::uint64_t, 3>{2, 0, 2}));
}

TEST(SongLength, StreamsOutsideTheBlockOrRunningOffItEnd) {
    Bytes block = SongBlock({4, 4, 4, 4}, {Waits(10), {}, {}, {}, {}});
    block[4] = 0x00;  // Square1 points below the block: it has ended at once
    block[5] = 0x70;
    block[6] = 0xFD;  // Square2 at $FFFD: a wait of 2, a note whose operand is missing
    block[7] = 0xFF;
    block[0x7FFD] = 0x01;
    block[0x7FFE] = 0x81;
    block[0x7FFF] = 0xA0;
    SongLength length = MeasureSong(block);
    EXPECT_EQ(length.channelUnits[0], 0u);
    EXPECT_EQ(length.channelUnits[1], 2u);

    // The pointer table itself past the end of a short block.
    EXPECT_EQ(MeasureSong(Bytes{4, 4, 4, 4, 0x0E}).units, 0u);
}

TEST(SongLength, UnitsLastTheirTempoByteLessOneFrame) {
    const std::uint8_t tempo[4] = {5, 5, 5, 4};
    EXPECT_EQ(FramesBeforeUnit(tempo, 0), 0u);
    EXPECT_EQ(FramesBeforeUnit(tempo, 3), 12u);
    EXPECT_EQ(FramesBeforeUnit(tempo, 4), 15u);
    EXPECT_EQ(FramesBeforeUnit(tempo, 4002), 15u * 1000 + 8);
    // A byte of 1 gives units of no time; 0 stands for 256.
    const std::uint8_t odd[4] = {1, 0, 1, 2};
    EXPECT_EQ(FramesBeforeUnit(odd, 4), 256u);
    EXPECT_EQ(FramesBeforeUnit(odd, 2), 255u);
}

TEST(WavFile, IsSixteenBitMonoPcmAt44100Hz) {
    Bytes wav = WavFile({0, 1, -1, 32767, -32768});
    ASSERT_EQ(wav.size(), 44u + 10);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(Le32(wav, 4), 36u + 10);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Le32(wav, 16), 16u);
    EXPECT_EQ(Le16(wav, 20), 1);  // PCM
    EXPECT_EQ(Le16(wav, 22), 1);  // mono
    EXPECT_EQ(Le32(wav, 24), 44100u);
    EXPECT_EQ(Le32(wav, 28), 88200u);
    EXPECT_EQ(Le16(wav, 32), 2);
    EXPECT_EQ(Le16(wav, 34), 16);
    EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    EXPECT_EQ(Le32(wav, 40), 10u);
    EXPECT_EQ(Bytes(wav.begin() + 44, wav.end()), (Bytes{0, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0x80}));
}

TEST(WavFile, PreviewRunsOneSecondPastTheEndAndAtMostTwentyMinutes) {
    EXPECT_EQ(PreviewSamples(0), (kGmeFirstPlayFrames + 50) * 882);
    EXPECT_EQ(PreviewSamples(150), (kGmeFirstPlayFrames + 200) * 882);
    const std::size_t twentyMinutes = 20 * 60 * 44100;
    EXPECT_EQ(PreviewSamples(20 * 60 * 50), twentyMinutes);
    EXPECT_EQ(PreviewSamples(UINT64_MAX), twentyMinutes);
}

}  // namespace
}  // namespace kelvane::test
