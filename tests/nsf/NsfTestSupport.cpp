#include "NsfTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "Nsf.h"
#include "Wav.h"

namespace kelvane::test {

Bytes Note(int pitchClass, int octave, int units) {
    return {static_cast<std::uint8_t>(0xA0 + pitchClass),
            static_cast<std::uint8_t>(8 * (units - 1) + octave)};
}

Bytes Waits(int units) {
    Bytes out;
    for (; units > 128; units -= 128) out.push_back(0x7F);
    if (units > 0) out.push_back(static_cast<std::uint8_t>(units - 1));
    return out;
}

Bytes Closing() { return {0xAF, 0x01}; }

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes SongBlock(const std::array<std::uint8_t, 4>& tempo, const std::vector<Bytes>& streams,
                const std::array<int, 5>& order) {
    Bytes block(kSongBlockSize, 0x00);
    std::copy(tempo.begin(), tempo.end(), block.begin());
    std::size_t at = 0x0E;
    for (int channel : order) {
        Bytes stream = channel >= static_cast<int>(streams.size()) || streams[channel].empty()
                           ? Bytes{kEnd}
                           : streams[channel];
        EXPECT_LE(at + stream.size(), block.size()) << "the streams overfill the block";
        if (at + stream.size() > block.size()) break;
        auto address = static_cast<std::uint16_t>(0x8000 + at);
        block[4 + 2 * channel] = static_cast<std::uint8_t>(address);
        block[5 + 2 * channel] = static_cast<std::uint8_t>(address >> 8);
        std::copy(stream.begin(), stream.end(), block.begin() + static_cast<std::ptrdiff_t>(at));
        at += stream.size();
    }
    return block;
}

Samples Play(const Bytes& block, double frames, int muted) {
    NsfRender request;
    request.samples = static_cast<std::size_t>((frames + kGmeFirstPlayFrames) * kSamplesPerFrame);
    request.mutedVoices = muted;
    Samples samples;
    std::string error;
    bool rendered = RenderNsf(BuildNsf(block, "test"), request, samples, error);
    EXPECT_TRUE(rendered) << error;
    return samples;
}

std::size_t FirstSound(const Samples& samples) {
    auto loud = std::find_if(samples.begin(), samples.end(),
                             [](std::int16_t s) { return std::abs(s) > kSilence; });
    return static_cast<std::size_t>(loud - samples.begin());
}

std::size_t EndOfSound(const Samples& samples) {
    auto loud = std::find_if(samples.rbegin(), samples.rend(),
                             [](std::int16_t s) { return std::abs(s) > kSilence; });
    return static_cast<std::size_t>(samples.rend() - loud);
}

double Frequency(const Samples& samples, std::size_t from, std::size_t to) {
    to = std::min(to, samples.size());
    if (to <= from + 1) return 0;
    int peak = 0;
    for (std::size_t i = from; i < to; ++i) peak = std::max(peak, std::abs(int{samples[i]}));
    const double hysteresis = 0.25 * peak;
    bool armed = false;
    std::vector<double> crossings;
    for (std::size_t i = from + 1; i < to; ++i) {
        double before = samples[i - 1];
        double now = samples[i];
        if (now < -hysteresis) armed = true;
        if (armed && before < 0 && now >= 0) {
            crossings.push_back(static_cast<double>(i - 1) + before / (before - now));
            armed = false;
        }
    }
    if (crossings.size() < 4) return 0;
    double span = crossings.back() - crossings.front();
    return static_cast<double>(crossings.size() - 1) * 44100.0 / span;
}

double Rms(const Samples& samples, std::size_t from, std::size_t to) {
    to = std::min(to, samples.size());
    if (to <= from) return 0;
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

std::size_t At(std::size_t start, double frames) {
    return start + static_cast<std::size_t>(frames * kSamplesPerFrame);
}

}  // namespace kelvane::test
