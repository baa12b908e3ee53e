// Song blocks written byte by byte, rendered through the NSF with libgme, and
// measured: onset and end of sound, pitch, level.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvane::test {

using Bytes = std::vector<std::uint8_t>;
using Samples = std::vector<std::int16_t>;

constexpr double kPalCpu = 1662607.0;
constexpr double kSamplesPerFrame = 44100.0 / 50.0;

// Stream commands.
Bytes Note(int pitchClass, int octave, int units);  // 1 to 32 units
Bytes Waits(int units);                              // any number, 128 a byte
Bytes Closing();                                     // $AF $01
inline std::uint8_t Volume(int v) { return static_cast<std::uint8_t>(0x90 + v); }
inline std::uint8_t Timbre(int value) { return static_cast<std::uint8_t>(0x80 + value); }
inline std::uint8_t Hit(int preset) { return static_cast<std::uint8_t>(0xA0 + preset); }
constexpr std::uint8_t kEnd = 0xFF;
Bytes Join(std::initializer_list<Bytes> parts);

// A 32 KB song block: the tempo bytes, the pointer table and the five
// streams one after another from $800E, in the channel order `order`. A
// channel without a stream points to one $FF of its own.
Bytes SongBlock(const std::array<std::uint8_t, 4>& tempo, const std::vector<Bytes>& streams,
                const std::array<int, 5>& order = {0, 1, 2, 3, 4});

// The NSF of `block`, played for `frames` frames of the song after libgme's
// first PLAY, with the voices in `muted` (NsfVoice bits) silent. Fails the
// test on a libgme error or warning.
Samples Play(const Bytes& block, double frames, int muted = 0);

// Whether a sample is sound: above what libgme's filters leave of silence.
constexpr int kSilence = 40;
// Index of the first / one past the last sample louder than kSilence.
std::size_t FirstSound(const Samples& samples);
std::size_t EndOfSound(const Samples& samples);

// The fundamental between two sample indices, from upward zero crossings
// (with hysteresis, so that libgme's bass filter on a low square wave does
// not count); 0 when fewer than three periods are there.
double Frequency(const Samples& samples, std::size_t from, std::size_t to);
double Rms(const Samples& samples, std::size_t from, std::size_t to);

// Sample index `frames` frames after `start`.
std::size_t At(std::size_t start, double frames);

}  // namespace kelvane::test
