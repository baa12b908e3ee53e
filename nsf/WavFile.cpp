#include <algorithm>

#include "Wav.h"

namespace kelvane {
namespace {

constexpr std::size_t kWavHeaderSize = 44;
constexpr std::uint16_t kPcm = 1;
constexpr std::uint16_t kMono = 1;
constexpr std::uint16_t kBitsPerSample = 16;

// Writes `bytes` bytes of `value`, little-endian, at `at`; returns the next offset.
std::size_t PutLe(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at++] = static_cast<std::uint8_t>(value >> (8 * i));
    return at;
}

std::size_t PutTag(std::vector<std::uint8_t>& out, std::size_t at, const char (&tag)[5]) {
    for (int i = 0; i < 4; ++i) out[at++] = static_cast<std::uint8_t>(tag[i]);
    return at;
}

}  // namespace

std::size_t PreviewSamples(std::uint64_t songFrames) {
    constexpr std::uint64_t kMaxFrames = kWavMaxSeconds * kFramesPerSecond;
    std::uint64_t frames = kGmeFirstPlayFrames + std::min(songFrames, kMaxFrames) + kFramesPerSecond;
    frames = std::min(frames, kMaxFrames);
    return static_cast<std::size_t>(frames * kWavSampleRate / kFramesPerSecond);
}

std::vector<std::uint8_t> WavFile(const std::vector<std::int16_t>& samples, int sampleRate) {
    auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    auto rate = static_cast<std::uint32_t>(sampleRate);
    std::vector<std::uint8_t> wav(kWavHeaderSize + dataBytes);
    std::size_t at = PutTag(wav, 0, "RIFF");
    at = PutLe(wav, at, static_cast<std::uint32_t>(kWavHeaderSize - 8) + dataBytes, 4);
    at = PutTag(wav, at, "WAVE");
    at = PutTag(wav, at, "fmt ");
    at = PutLe(wav, at, 16, 4);
    at = PutLe(wav, at, kPcm, 2);
    at = PutLe(wav, at, kMono, 2);
    at = PutLe(wav, at, rate, 4);
    at = PutLe(wav, at, rate * kMono * kBitsPerSample / 8, 4);  // bytes per second
    at = PutLe(wav, at, kMono * kBitsPerSample / 8, 2);         // bytes per sample frame
    at = PutLe(wav, at, kBitsPerSample, 2);
    at = PutTag(wav, at, "data");
    at = PutLe(wav, at, dataBytes, 4);
    for (std::int16_t sample : samples) at = PutLe(wav, at, static_cast<std::uint16_t>(sample), 2);
    return wav;
}

bool RenderPreviewWav(const std::vector<std::uint8_t>& nsf, std::uint64_t songFrames,
                      std::vector<std::uint8_t>& wav, std::string& error) {
    NsfRender request;
    request.samples = PreviewSamples(songFrames);
    std::vector<std::int16_t> samples;
    if (!RenderNsf(nsf, request, samples, error)) return false;
    wav = WavFile(samples);
    return true;
}

}  // namespace kelvane
