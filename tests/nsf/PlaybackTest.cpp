// The driver as a listener hears it: the NSF rendered with libgme, then
// measured. Pitch, unit lengths, levels, the end of the song, and a song
// that fills the whole song block.
#include <gtest/gtest.h>

#include <cmath>

#include "Nsf.h"
#include "NsfTestSupport.h"
#include "SongLength.h"
#include "TestSupport.h"
#include "Wav.h"

namespace kelvane::test {
namespace {

constexpr int kAllVoices = kVoiceSquare1 | kVoiceSquare2 | kVoiceTriangle | kVoiceNoise | kVoiceDmc;

// What a timer period plays of MIDI note `note`: the nearest period's pitch,
// and no pitch (0) when the 11-bit timer cannot reach the note: the driver
// then rests. `divider` is 16 for a square, 32 for the triangle.
struct ExpectedPitch {
    double nominal;  // equal temperament, A4 = 440 Hz
    double played;   // at the rounded period
};
ExpectedPitch Expect(int note, double divider) {
    double frequency = 440.0 * std::pow(2.0, (note - 69) / 12.0);
    double period = std::round(kPalCpu / (divider * frequency)) - 1;
    if (period > 2047) return {0, 0};
    return {frequency, kPalCpu / (divider * (period + 1))};
}

TEST(Playback, EveryPitchClassInEveryOctaveOnTheSquaresAndTheTriangle) {
    constexpr int kFramesPerNote = 25;
    Bytes scale;
    for (int octave = 0; octave <= 5; ++octave)
        for (int pc = 0; pc < 12; ++pc) scale = Join({scale, Note(pc, octave, 1)});
    // Square2 at a 25 % duty: the duty must not move the pitch.
    Bytes block = SongBlock({kFramesPerNote + 1, kFramesPerNote + 1, kFramesPerNote + 1, kFramesPerNote + 1},
                            {Join({scale, Closing(), {kEnd}}), Join({{Timbre(1)}, scale, Closing(), {kEnd}}),
                             Join({scale, Closing(), {kEnd}}), {}, {}});
    struct Voice {
        int mask;
        int channel;
        double divider;
        int lowestNote;  // of octave 0
        int lowestSounding;
    };
    for (Voice voice : {Voice{kVoiceSquare1, 0, 16, 24, 8}, Voice{kVoiceSquare2, 1, 16, 24, 8},
                        Voice{kVoiceTriangle, 2, 32, 0, 20}}) {
        Samples samples = Play(block, 72 * kFramesPerNote + 10, kAllVoices & ~voice.mask);
        std::size_t start = At(0, kGmeFirstPlayFrames);
        std::size_t onset = FirstSound(samples);
        ASSERT_NEAR(static_cast<double>(onset),
                    static_cast<double>(At(start, voice.lowestSounding * kFramesPerNote)), kSamplesPerFrame)
            << "channel " << voice.channel;
        for (int i = 0; i < 72; ++i) {
            int note = voice.lowestNote + i;
            ExpectedPitch expected = Expect(note, voice.divider);
            std::size_t from = At(start, i * kFramesPerNote + 5);
            std::size_t to = At(start, i * kFramesPerNote + 22);
            if (i < voice.lowestSounding) {
                EXPECT_EQ(expected.played, 0) << "channel " << voice.channel << " pitch class " << i;
                EXPECT_LT(Rms(samples, from, to), 1) << "channel " << voice.channel << " pitch class " << i;
                continue;
            }
            double measured = Frequency(samples, from, to);
            EXPECT_NEAR(measured / expected.nominal, 1.0, 0.01)
                << "channel " << voice.channel << " octave " << i / 12 << " pitch class " << i % 12;
            EXPECT_NEAR(measured / expected.played, 1.0, 0.002)
                << "channel " << voice.channel << " octave " << i / 12 << " pitch class " << i % 12;
        }
    }
}

// The MIDI file of a tempo: sixteen quarter notes on Square1, the other
// four channels empty.
Bytes SixteenQuarters(std::uint32_t microsecondsPerQuarter) {
    Track square;
    for (int i = 0; i < 16; ++i) square.NoteOn(0, 60 + i % 2 * 7).NoteOff(480, 60 + i % 2 * 7);
    MidiFile file;
    file.Add(Track().Tempo(0, microsecondsPerQuarter).End(0)).Add(square.End(0));
    for (int channel = 2; channel <= 5; ++channel) file.Add(Track().End(0));
    return file.Build();
}

TEST(Playback, SongsAt100_120And150BpmLastAsLongAsTheirUnits) {
    struct Case {
        std::uint32_t tempo;
        std::array<std::uint8_t, 4> bytes;
    };
    for (Case c : {Case{600000, {5, 5, 5, 4}}, Case{500000, {4, 4, 4, 4}}, Case{400000, {4, 3, 4, 3}}}) {
        InMemoryRun run;
        ASSERT_TRUE(run.Convert(SixteenQuarters(c.tempo)));
        Bytes block = run.Block(0x8000, kSongBlockSize);
        ASSERT_EQ(Bytes(block.begin(), block.begin() + 4), Bytes(c.bytes.begin(), c.bytes.end()));
        // 128 units: 32 times each of the four unit lengths.
        double frames = 32.0 * (c.bytes[0] + c.bytes[1] + c.bytes[2] + c.bytes[3] - 4);
        EXPECT_EQ(MeasureSong(block).frames, frames);
        // Within one frame per unit of the real time as well.
        double realFrames = 16 * c.tempo / 20000.0;
        EXPECT_LE(std::abs(frames - realFrames), 128) << c.tempo;

        Samples samples = Play(block, frames + 25);
        std::size_t onset = FirstSound(samples);
        double heard = static_cast<double>(EndOfSound(samples) - onset) / kSamplesPerFrame;
        EXPECT_NEAR(heard, frames, 1.0) << c.tempo;
    }
}

TEST(Playback, UnitLengthsFollowTheSongsUnitCountOnEveryChannel) {
    // Units of 2, 8, 2 and 8 frames. Square2 starts one unit late and sounds
    // in every second unit: the 8-frame ones. A channel that counted units
    // from its own start would sound for 2 frames and rest for 8.
    Bytes late = Waits(1);
    for (int i = 0; i < 8; ++i) late = Join({late, Note(9, 3, 1), {Volume(0)}, Note(9, 3, 1), {Volume(15)}});
    Bytes block = SongBlock({3, 9, 3, 9}, {{}, Join({late, {kEnd}}), {}, {}, {}});
    EXPECT_EQ(MeasureSong(block).frames, 2u + 8 * 10);
    Samples samples = Play(block, 90, kAllVoices & ~kVoiceSquare2);
    std::size_t onset = FirstSound(samples);
    ASSERT_NEAR(static_cast<double>(onset), static_cast<double>(At(0, kGmeFirstPlayFrames + 2)), kSamplesPerFrame);
    for (int i = 0; i < 8; ++i) {
        double start = 10.0 * i;  // frames after the first note's onset
        double sounding = Rms(samples, At(onset, start + 1), At(onset, start + 7));
        EXPECT_GT(sounding, 1000) << i;
        // What is left is the tail of libgme's bass filter.
        EXPECT_LT(Rms(samples, At(onset, start + 8.3), At(onset, start + 9.7)), 0.1 * sounding) << i;
    }
}

TEST(Playback, VolumeDutyAndTheTrianglesSwitchAreHeardAsLevels) {
    constexpr double kUnit = 25;  // frames
    Bytes square = Join({Note(9, 3, 1), {Volume(7)}, Note(9, 3, 1), {Volume(0)}, Note(9, 3, 1),
                         {Volume(15), Timbre(2)}, Note(9, 3, 1), Closing(), {kEnd}});
    Bytes triangle = Join({Note(9, 3, 1), {Volume(3)}, Note(9, 3, 1), {Volume(0)}, Note(9, 3, 1), {kEnd}});
    Bytes noise = Join({{Hit(1)}, Waits(1), {Volume(5), Hit(1)}, Waits(1), {Volume(0), Hit(1)}, Waits(1), {kEnd}});
    Bytes block = SongBlock({26, 26, 26, 26}, {square, {}, triangle, noise, {}});

    auto levels = [&](int voice) {
        Samples samples = Play(block, 4 * kUnit, kAllVoices & ~voice);
        std::size_t start = At(0, kGmeFirstPlayFrames);
        std::vector<double> rms;
        // The hits decay within 15 frames: measure the first 10 of each unit.
        double length = voice == kVoiceNoise ? 10 : 20;
        for (int unit = 0; unit < 4; ++unit)
            rms.push_back(Rms(samples, At(start, unit * kUnit + 2), At(start, unit * kUnit + length)));
        return rms;
    };
    std::vector<double> sq = levels(kVoiceSquare1);
    EXPECT_GT(sq[1], 200);
    EXPECT_GT(sq[0] / sq[1], 1.6);  // volume 15 against 7
    EXPECT_LT(sq[2], 20);           // volume 0
    EXPECT_LT(sq[3], 0.8 * sq[0]);  // 12.5 % against 50 %, both at 15
    EXPECT_GT(sq[3], 200);

    std::vector<double> tri = levels(kVoiceTriangle);
    EXPECT_GT(tri[0], 500);
    EXPECT_NEAR(tri[1] / tri[0], 1.0, 0.1);  // on or off, whatever the volume
    EXPECT_LT(tri[2], 20);

    std::vector<double> hit = levels(kVoiceNoise);
    EXPECT_GT(hit[1], 100);
    EXPECT_GT(hit[0] / hit[1], 1.8);  // volume 15 against 5
    EXPECT_LT(hit[2], 20);
}

TEST(Playback, ADpcmHitWithoutASampleWinsTheNoiseChannelFromNoise) {
    // An open hat, which has no sample: Noise loud, DPCM quiet, both at
    // unit 0: the quiet one is heard.
    Bytes noise = Join({{Hit(7)}, Waits(2), {kEnd}});
    Bytes dpcm = Join({{Volume(4), Hit(7)}, Waits(2), {kEnd}});
    auto level = [](const Bytes& block) {
        Samples samples = Play(block, 20);
        return Rms(samples, At(0, kGmeFirstPlayFrames), At(0, kGmeFirstPlayFrames + 10));
    };
    double both = level(SongBlock({11, 11, 11, 11}, {{}, {}, {}, noise, dpcm}));
    double noiseAlone = level(SongBlock({11, 11, 11, 11}, {{}, {}, {}, noise, {}}));
    double dpcmAlone = level(SongBlock({11, 11, 11, 11}, {{}, {}, {}, {}, dpcm}));
    EXPECT_GT(noiseAlone, 2 * dpcmAlone);
    EXPECT_NEAR(both / dpcmAlone, 1.0, 0.25);
}

TEST(Playback, AConvertedSongFallsSilentAfterItsEndAndTheWavPreviewHoldsIt) {
    // All five channels, notes of 3 units, the last tonal note long.
    MidiFile file;
    file.Add(Track().Tempo(0, 500000).End(0));
    for (int channel = 1; channel <= 5; ++channel) {
        Track track;
        for (int i = 0; i < 6; ++i) track.NoteOn(0, 48 + 3 * i + channel).NoteOff(180, 48 + 3 * i + channel);
        track.NoteOn(0, 60).NoteOff(channel <= 3 ? 2400 : 60, 60);
        file.Add(track.End(0));
    }
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(file.Build()));
    Bytes block = run.Block(0x8000, kSongBlockSize);
    SongLength length = MeasureSong(block);
    EXPECT_EQ(length.units, 6u * 3 + 40);
    EXPECT_EQ(length.frames, 3 * length.units);

    Bytes nsf = BuildNsf(block, "song");
    std::vector<std::uint8_t> wav;
    std::string error;
    ASSERT_TRUE(RenderPreviewWav(nsf, length.frames, wav, error)) << error;
    // The song and one second more, after libgme's first PLAY.
    std::size_t expectedSamples = (kGmeFirstPlayFrames + length.frames + 50) * 882;
    ASSERT_EQ(wav.size(), 44 + 2 * expectedSamples);
    Samples samples(expectedSamples);
    for (std::size_t i = 0; i < expectedSamples; ++i)
        samples[i] = static_cast<std::int16_t>(wav[44 + 2 * i] | wav[45 + 2 * i] << 8);
    std::size_t onset = FirstSound(samples);
    EXPECT_NEAR(static_cast<double>(onset), static_cast<double>(At(0, kGmeFirstPlayFrames)), kSamplesPerFrame);
    EXPECT_NEAR(static_cast<double>(EndOfSound(samples) - onset) / kSamplesPerFrame, static_cast<double>(length.frames), 1.0);
    EXPECT_GT(Rms(samples, At(onset, static_cast<double>(length.frames) - 20), At(onset, static_cast<double>(length.frames) - 2)), 500);
}

TEST(Playback, ASongThatFillsTheWholeBlockPlaysToItsEnd) {
    // Square1 runs from $8012 to $FFFF and off its end without a closing
    // pair; the other four channels end at once. Its notes take the pitch
    // class of the 4 KB bank their first byte lies in, and straddle the bank
    // boundaries up to bank 7. Units of 0, 0, 0 and 1 frames: four notes a
    // frame, the last one heard.
    Bytes square = {Volume(15)};
    std::uint32_t address = 0x8013;
    while (address < 0x10000) {
        int bank = static_cast<int>((address - 0x8000) / 0x1000);
        if (bank == 7 && address % 2 == 1) {
            square.push_back(Volume(15));  // so that the last note ends at $FFFF
            ++address;
            continue;
        }
        square = Join({square, Note(bank, 3, 1)});
        address += 2;
    }
    ASSERT_EQ(square.size(), 0x10000u - 0x8012);
    Bytes block = SongBlock({1, 1, 1, 2}, {square, {}, {}, {}, {}}, {1, 2, 3, 4, 0});
    ASSERT_EQ(block[4] | block[5] << 8, 0x8012);
    SongLength length = MeasureSong(block);
    std::uint64_t notes = (square.size() - 2) / 2;
    EXPECT_EQ(length.units, notes);
    EXPECT_EQ(length.frames, notes / 4);

    Samples samples = Play(block, static_cast<double>(length.frames) + 50);
    std::size_t onset = FirstSound(samples);
    EXPECT_NEAR(static_cast<double>(EndOfSound(samples) - onset) / kSamplesPerFrame, static_cast<double>(length.frames), 1.0);
    for (int bank = 0; bank < 8; ++bank) {
        // The middle of the bank's notes, in frames.
        double middle = (bank + 0.5) * 0x1000 / 2 / 4.0;
        double measured = Frequency(samples, At(onset, static_cast<double>(middle) - 20), At(onset, static_cast<double>(middle) + 20));
        EXPECT_NEAR(measured / Expect(60 + bank, 16).played, 1.0, 0.002) << "bank " << bank;
    }
    // No fade towards the end.
    double first = Rms(samples, At(onset, 10), At(onset, 60));
    double last = Rms(samples, At(onset, static_cast<double>(length.frames) - 60.0), At(onset, static_cast<double>(length.frames) - 10.0));
    EXPECT_NEAR(last / first, 1.0, 0.1);
}

}  // namespace
}  // namespace kelvane::test
