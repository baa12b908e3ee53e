#include <algorithm>

#include "Wav.h"

namespace kelvane {
namespace {

constexpr std::size_t kWavHeaderSize = 44;
constexpr std::uint16_t kPcm = 1;
constexpr std::uint16_t kMono = 1;
constexpr std::uint16_t kBitsPerSample = 16;

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<std::uint8_t>& out, const char (&tag)[5]) {
    out.insert(out.end(), tag, tag + 4);
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
    std::vector<std::uint8_t> wav;
    wav.reserve(kWavHeaderSize + dataBytes);
    PutTag(wav, "RIFF");
    PutLe(wav, static_cast<std::uint32_t>(kWavHeaderSize - 8) + dataBytes, 4);
    PutTag(wav, "WAVE");
    PutTag(wav, "fmt ");
    PutLe(wav, 16, 4);
    PutLe(wav, kPcm, 2);
    PutLe(wav, kMono, 2);
    PutLe(wav, rate, 4);
    PutLe(wav, rate * kMono * kBitsPerSample / 8, 4);  // bytes per second
    PutLe(wav, kMono * kBitsPerSample / 8, 2);         // bytes per sample frame
    PutLe(wav, kBitsPerSample, 2);
    PutTag(wav, "data");
    PutLe(wav, dataBytes, 4);
    for (std::int16_t sample : samples) PutLe(wav, static_cast<std::uint16_t>(sample), 2);
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
