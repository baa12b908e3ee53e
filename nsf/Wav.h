// A WAV preview of the song: its NSF played by libgme (Game_Music_Emu).
// libgme is loaded when a preview is first rendered, so that a conversion
// without one does not pay for loading it and the C++ runtime it needs.
// Builds without libgme (the Windows build) keep these functions; they
// render nothing and say why.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvane {

constexpr int kWavSampleRate = 44100;
constexpr std::uint64_t kWavMaxSeconds = 20 * 60;
constexpr int kFramesPerSecond = 50;

// False where libgme was not built in.
bool WavRenderingBuiltIn();

// libgme's voices, for NsfRender::mutedVoices.
enum NsfVoice : int {
    kVoiceSquare1 = 1,
    kVoiceSquare2 = 2,
    kVoiceTriangle = 4,
    kVoiceNoise = 8,
    kVoiceDmc = 16,
};

struct NsfRender {
    std::size_t samples = 0;  // mono samples at kWavSampleRate
    int mutedVoices = 0;      // NsfVoice bits
};

// Plays the NSF's first song from its start, with no fade and no silence
// detection. False, with `error` set, when libgme refuses the file, reports
// an emulation warning, or is missing.
bool RenderNsf(const std::vector<std::uint8_t>& nsf, const NsfRender& request,
               std::vector<std::int16_t>& samples, std::string& error);

// libgme calls the driver's PLAY for the first time this many frames after
// the start; the song's time counts from there.
constexpr std::uint64_t kGmeFirstPlayFrames = 1;

// The preview of a song of `songFrames` frames: until every channel has
// ended and one second more, at most kWavMaxSeconds.
std::size_t PreviewSamples(std::uint64_t songFrames);

// A 16-bit mono PCM WAV file.
std::vector<std::uint8_t> WavFile(const std::vector<std::int16_t>& samples,
                                  int sampleRate = kWavSampleRate);

// The preview as a WAV file, or false with `error` set.
bool RenderPreviewWav(const std::vector<std::uint8_t>& nsf, std::uint64_t songFrames,
                      std::vector<std::uint8_t>& wav, std::string& error);

}  // namespace kelvane
