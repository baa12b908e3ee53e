// Listening to an NSF from outside: libgme renders it one voice at a time,
// and these measures say what a listener would hear of that voice: where
// sounds start, their pitch, where the voice is silent, how long it sounds.
// Times are in milliseconds from libgme's first call of the driver's PLAY.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvane::test {

using Samples = std::vector<std::int16_t>;

constexpr double kMeasureRate = 44100.0;

// One voice of an NSF as libgme plays it, at kMeasureRate, mono.
struct VoiceSound {
    Samples samples;
    double Ms(std::size_t index) const { return 1000.0 * static_cast<double>(index) / kMeasureRate; }
    std::size_t Index(double ms) const;  // clamped to the samples
};

// `voice` is one NsfVoice (Wav.h); the others are muted. Fails the test on a
// libgme error or warning.
VoiceSound RenderVoice(const std::vector<std::uint8_t>& nsf, int voice, double ms);

// What libgme's filters leave of silence never reaches this level.
constexpr int kNoiseFloor = 40;

// Where a new sound starts: the level (RMS over a window) or its brightness
// (the RMS of the first difference) steps up to at least `ratio` times what
// it was over the window before, and above the noise floor. With `timbre`,
// also where the sound turns brighter, its brightness against its level
// stepping up by 1.6 while it keeps 30 % of its level and 12 times the noise
// floor: a hi-hat that cuts a snare's tail short, quieter but brighter. (Not
// for the DMC, whose delta steps keep its brightness while a sample dies
// away.) One onset per step; the next may come 15 ms or a window later.
struct OnsetOptions {
    double ratio = 2.0;
    // Must hold a period of the sound: 8 ms suits tones above about 120 Hz,
    // a kick that falls to 45 Hz needs 20 ms.
    double windowMs = 8;
    bool timbre = false;
};
std::vector<double> OnsetsMs(const VoiceSound& sound, const OnsetOptions& options = {});

// The pitch between two times as a fractional MIDI note (A4 = 69 = 440 Hz),
// from upward zero crossings; NaN when fewer than three periods are there.
double MidiPitch(const VoiceSound& sound, double fromMs, double toMs);
// MidiPitch against `note`, in cents; NaN without a pitch.
double CentsOff(const VoiceSound& sound, double fromMs, double toMs, double note);

// The share of 1 ms blocks between two times whose every sample lies below
// the noise floor.
double SilentShare(const VoiceSound& sound, double fromMs, double toMs);

// From the first to the last sample above the noise floor; 0 for silence.
double SoundLengthMs(const VoiceSound& sound);
double FirstSoundMs(const VoiceSound& sound);  // the whole length when silent

double RmsBetween(const VoiceSound& sound, double fromMs, double toMs);

// For the test output: "name: 1.0 2.5 ..." with one decimal.
std::string Figures(const std::string& name, const std::vector<double>& values);

}  // namespace kelvane::test
