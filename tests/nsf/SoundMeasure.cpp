#include "SoundMeasure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "Wav.h"

namespace kelvane::test {
namespace {

constexpr std::size_t kBlock = 44;  // samples: one millisecond, near enough
constexpr std::size_t kRefractory = 15;
constexpr double kTimbreStep = 1.6;
constexpr double kTimbreKeeps = 0.3;
constexpr double kTimbreFloor = 12.0 * kNoiseFloor;
constexpr int kAllVoices = kVoiceSquare1 | kVoiceSquare2 | kVoiceTriangle | kVoiceNoise | kVoiceDmc;

double BlockMs(std::size_t block) { return 1000.0 * static_cast<double>(block * kBlock) / kMeasureRate; }

// Sums of squares per block, and prefix sums over them, so that the RMS of
// any run of blocks is two look-ups.
struct Energy {
    std::vector<double> level;   // prefix sums of the samples' squares
    std::vector<double> bright;  // of the first differences' squares

    explicit Energy(const Samples& samples) {
        std::size_t blocks = samples.size() / kBlock;
        level.assign(blocks + 1, 0);
        bright.assign(blocks + 1, 0);
        for (std::size_t b = 0; b < blocks; ++b) {
            double sum = 0;
            double diff = 0;
            for (std::size_t i = b * kBlock; i < (b + 1) * kBlock; ++i) {
                double s = samples[i];
                double d = i > 0 ? s - samples[i - 1] : 0;
                sum += s * s;
                diff += d * d;
            }
            level[b + 1] = level[b] + sum;
            bright[b + 1] = bright[b] + diff;
        }
    }
    std::size_t Blocks() const { return level.size() - 1; }
    static double Rms(const std::vector<double>& prefix, std::size_t from, std::size_t to) {
        return std::sqrt((prefix[to] - prefix[from]) / static_cast<double>((to - from) * kBlock));
    }
};

}  // namespace

std::size_t VoiceSound::Index(double ms) const {
    if (ms <= 0) return 0;
    auto index = static_cast<std::size_t>(ms * kMeasureRate / 1000.0);
    return std::min(index, samples.size());
}

VoiceSound RenderVoice(const std::vector<std::uint8_t>& nsf, int voice, double ms) {
    constexpr double kSamplesPerFrame = kMeasureRate / kFramesPerSecond;
    const auto skipped = static_cast<std::size_t>(kGmeFirstPlayFrames * kSamplesPerFrame);
    NsfRender request;
    request.samples = skipped + static_cast<std::size_t>(ms * kMeasureRate / 1000.0);
    request.mutedVoices = kAllVoices & ~voice;
    VoiceSound sound;
    std::string error;
    EXPECT_TRUE(RenderNsf(nsf, request, sound.samples, error)) << error;
    sound.samples.erase(sound.samples.begin(),
                        sound.samples.begin() + static_cast<std::ptrdiff_t>(std::min(skipped, sound.samples.size())));
    return sound;
}

std::vector<double> OnsetsMs(const VoiceSound& sound, const OnsetOptions& options) {
    // Blocks either side of a step.
    const auto window = static_cast<std::size_t>(std::max(1.0, std::round(options.windowMs)));
    const double ratio = options.ratio;
    Energy energy(sound.samples);
    std::vector<double> onsets;
    if (energy.Blocks() < 2 * window) return onsets;
    // Three measures of a window of blocks: its level, its brightness, and
    // its brightness against its level (its timbre).
    enum Measure { kLevel, kBright, kTimbre };
    auto value = [&](Measure measure, std::size_t from, std::size_t to) {
        if (to <= from) return 0.0;
        double level = Energy::Rms(energy.level, from, to);
        if (measure == kLevel) return level;
        double bright = Energy::Rms(energy.bright, from, to);
        if (measure == kBright) return bright;
        return level > kNoiseFloor ? bright / level : 0.0;
    };
    auto step = [&](Measure measure, std::size_t b) {
        std::size_t from = b >= window ? b - window : 0;
        return std::make_pair(value(measure, from, b), value(measure, b, b + window));
    };
    auto rises = [&](Measure measure, std::size_t b) {
        auto [before, after] = step(measure, b);
        if (measure == kTimbre) {
            // Only a sound that keeps a good part of the level: the timbre
            // of a dying tail wavers.
            double levelBefore = value(kLevel, b >= window ? b - window : 0, b);
            double levelAfter = value(kLevel, b, b + window);
            return before > 0 && after >= kTimbreStep * before &&
                   levelAfter >= std::max(kTimbreKeeps * levelBefore, kTimbreFloor);
        }
        return value(kLevel, b, b + window) > kNoiseFloor && after >= ratio * before;
    };
    std::size_t b = 0;
    const std::size_t last = energy.Blocks() - window;
    while (b <= last) {
        int found = -1;
        for (Measure measure : {kLevel, kBright, kTimbre})
            if (found < 0 && (measure != kTimbre || options.timbre) && rises(measure, b)) found = measure;
        if (found < 0) {
            ++b;
            continue;
        }
        // The step is where the measure after gains most over the measure
        // before: the window first meets the new sound some blocks ahead of it.
        std::size_t best = b;
        double bestGain = -1;
        for (std::size_t c = b; c <= std::min(last, b + window); ++c) {
            auto [before, after] = step(static_cast<Measure>(found), c);
            if (after - before > bestGain) {
                bestGain = after - before;
                best = c;
            }
        }
        onsets.push_back(BlockMs(best));
        b = best + std::max(kRefractory, window);
    }
    return onsets;
}

double MidiPitch(const VoiceSound& sound, double fromMs, double toMs) {
    const Samples& s = sound.samples;
    std::size_t from = sound.Index(fromMs);
    std::size_t to = sound.Index(toMs);
    constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    if (to <= from + 1) return kNone;
    int peak = 0;
    for (std::size_t i = from; i < to; ++i) peak = std::max(peak, std::abs(int{s[i]}));
    // Hysteresis: libgme's bass filter bends a low square's flat tops, which
    // must not count as crossings.
    const double hysteresis = 0.25 * peak;
    bool armed = false;
    std::vector<double> crossings;
    for (std::size_t i = from + 1; i < to; ++i) {
        double before = s[i - 1];
        double now = s[i];
        if (now < -hysteresis) armed = true;
        if (armed && before < 0 && now >= 0) {
            crossings.push_back(static_cast<double>(i - 1) + before / (before - now));
            armed = false;
        }
    }
    if (crossings.size() < 4) return kNone;
    double hz = static_cast<double>(crossings.size() - 1) * kMeasureRate / (crossings.back() - crossings.front());
    return 69 + 12 * std::log2(hz / 440.0);
}

double CentsOff(const VoiceSound& sound, double fromMs, double toMs, double note) {
    return 100 * (MidiPitch(sound, fromMs, toMs) - note);
}

double SilentShare(const VoiceSound& sound, double fromMs, double toMs) {
    std::size_t from = sound.Index(fromMs);
    std::size_t to = sound.Index(toMs);
    std::size_t blocks = 0;
    std::size_t silent = 0;
    for (std::size_t b = from; b + kBlock <= to; b += kBlock) {
        ++blocks;
        bool quiet = std::all_of(sound.samples.begin() + static_cast<std::ptrdiff_t>(b),
                                 sound.samples.begin() + static_cast<std::ptrdiff_t>(b + kBlock),
                                 [](std::int16_t v) { return std::abs(int{v}) < kNoiseFloor; });
        silent += quiet ? 1 : 0;
    }
    return blocks == 0 ? 1.0 : static_cast<double>(silent) / static_cast<double>(blocks);
}

double FirstSoundMs(const VoiceSound& sound) {
    auto loud = std::find_if(sound.samples.begin(), sound.samples.end(),
                             [](std::int16_t v) { return std::abs(int{v}) >= kNoiseFloor; });
    return sound.Ms(static_cast<std::size_t>(loud - sound.samples.begin()));
}

double SoundLengthMs(const VoiceSound& sound) {
    auto first = std::find_if(sound.samples.begin(), sound.samples.end(),
                              [](std::int16_t v) { return std::abs(int{v}) >= kNoiseFloor; });
    if (first == sound.samples.end()) return 0;
    auto last = std::find_if(sound.samples.rbegin(), sound.samples.rend(),
                             [](std::int16_t v) { return std::abs(int{v}) >= kNoiseFloor; });
    return sound.Ms(static_cast<std::size_t>(sound.samples.rend() - last) -
                    static_cast<std::size_t>(first - sound.samples.begin()));
}

double RmsBetween(const VoiceSound& sound, double fromMs, double toMs) {
    std::size_t from = sound.Index(fromMs);
    std::size_t to = sound.Index(toMs);
    if (to <= from) return 0;
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(sound.samples[i]) * sound.samples[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

std::string Figures(const std::string& name, const std::vector<double>& values) {
    std::string line = name + ":";
    char number[32];
    for (double v : values) {
        std::snprintf(number, sizeof number, " %.1f", v);
        line += number;
    }
    return line;
}

}  // namespace kelvane::test
