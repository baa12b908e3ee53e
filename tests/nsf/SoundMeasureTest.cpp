// The measures on sounds made here, whose onsets, pitch and silences are
// known: what the playback tests conclude rests on these.
#include <gtest/gtest.h>

#include <cmath>

#include "SoundMeasure.h"

namespace kelvane::test {
namespace {

constexpr double kPi = 3.14159265358979323846;

// A square wave of `note` between two times, `level` high, in `sound`.
void AddSquare(VoiceSound& sound, double fromMs, double toMs, double note, double level) {
    double hz = 440.0 * std::pow(2.0, (note - 69) / 12);
    for (std::size_t i = sound.Index(fromMs); i < sound.Index(toMs); ++i) {
        double phase = std::fmod(static_cast<double>(i) * hz / kMeasureRate, 1.0);
        sound.samples[i] = static_cast<std::int16_t>(sound.samples[i] + (phase < 0.5 ? level : -level));
    }
}

VoiceSound Silence(double ms) {
    VoiceSound sound;
    sound.samples.assign(static_cast<std::size_t>(ms * kMeasureRate / 1000), 0);
    return sound;
}

TEST(SoundMeasure, OnsetsAreLevelStepsAfterGapsOrQuieterSound) {
    VoiceSound sound = Silence(1000);
    AddSquare(sound, 100, 300, 72, 3000);
    AddSquare(sound, 320, 500, 72, 3000);   // after a 20 ms gap
    AddSquare(sound, 500, 700, 72, 1000);   // quieter: no onset
    AddSquare(sound, 700, 900, 72, 4000);   // louder again
    std::vector<double> onsets = OnsetsMs(sound);
    ASSERT_EQ(onsets.size(), 3u) << Figures("onsets", onsets);
    EXPECT_NEAR(onsets[0], 100, 2);
    EXPECT_NEAR(onsets[1], 320, 2);
    EXPECT_NEAR(onsets[2], 700, 2);
    EXPECT_TRUE(OnsetsMs(Silence(500)).empty());
}

TEST(SoundMeasure, ABrightSoundOverADullTailIsAnOnset) {
    VoiceSound sound = Silence(400);
    unsigned noise = 12345;
    for (std::size_t i = sound.Index(50); i < sound.Index(400); ++i) {
        // A slow, loud wave, then a fast, quiet one on top from 200 ms.
        double slow = 3000 * std::sin(2 * kPi * 150 * static_cast<double>(i) / kMeasureRate);
        noise = noise * 1103515245u + 12345u;
        double fast = i >= sound.Index(200) ? ((noise >> 16) & 1 ? 800 : -800) : 0;
        sound.samples[i] = static_cast<std::int16_t>(slow + fast);
    }
    std::vector<double> onsets = OnsetsMs(sound, {2.0, 8, true});
    ASSERT_EQ(onsets.size(), 2u) << Figures("onsets", onsets);
    EXPECT_NEAR(onsets[1], 200, 2);
}

TEST(SoundMeasure, PitchSilenceAndLength) {
    VoiceSound sound = Silence(1000);
    AddSquare(sound, 200, 700, 81.3, 2000);
    EXPECT_NEAR(MidiPitch(sound, 250, 650), 81.3, 0.05);
    EXPECT_NEAR(CentsOff(sound, 250, 650, 81), 30, 5);
    EXPECT_TRUE(std::isnan(MidiPitch(sound, 0, 150)));
    EXPECT_NEAR(FirstSoundMs(sound), 200, 0.1);
    EXPECT_NEAR(SoundLengthMs(sound), 500, 0.5);
    EXPECT_DOUBLE_EQ(SilentShare(sound, 0, 200), 1.0);
    EXPECT_DOUBLE_EQ(SilentShare(sound, 300, 600), 0.0);
    EXPECT_NEAR(SilentShare(sound, 600, 800), 0.5, 0.02);
    EXPECT_NEAR(RmsBetween(sound, 300, 600), 2000, 1);
    EXPECT_EQ(SoundLengthMs(Silence(100)), 0);
    EXPECT_EQ(Figures("x", {1, 2.26}), "x: 1.0 2.3");
}

}  // namespace
}  // namespace kelvane::test
