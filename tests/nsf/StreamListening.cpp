#include "StreamListening.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "SongLength.h"
#include "Wav.h"

namespace kelvane::test {
namespace {

constexpr int kChannels = 5;
constexpr int kTriangle = 2;
constexpr int kFirstPercussion = 3;
constexpr int kDpcm = 4;
// A frame as libgme's samples count it. libgme calls PLAY every 33247 cycles
// of its 1662607.125 Hz PAL clock, as the console's frame runs, not every
// 20000 µs that the header names; and its resampler rounds the ratio of
// sample rate to clock rate to 16 bits (1738 / 65536), which puts an event
// 0.018 % early: 55 ms after five minutes.
constexpr double kPalClock = 1662607.125;
constexpr double kResampleRounding = 1738.0 / (kMeasureRate / kPalClock * 65536.0);
constexpr double kFrameMs = 1000.0 * 33247 / kPalClock * kResampleRounding;
constexpr std::size_t kFaultsKept = 5;

// The presets DPCM plays as samples on the DMC (nsf/driver/Tables.s).
bool HasSample(int preset) {
    return (preset >= 0 && preset <= 5) || preset == 12 || preset == 13;
}

int Byte(const std::vector<std::uint8_t>& block, std::uint32_t address) {
    if (address < 0x8000 || address - 0x8000 >= block.size()) return -1;
    return block[address - 0x8000];
}

std::vector<StreamEvent> ChannelEvents(const std::vector<std::uint8_t>& block, int channel) {
    std::vector<StreamEvent> events;
    if (block.size() < 0x0E) return events;
    auto ms = [&](std::uint64_t unit) { return kFrameMs * static_cast<double>(FramesBeforeUnit(block.data(), unit)); };
    std::uint32_t address = static_cast<std::uint32_t>(block[4 + 2 * channel] | block[5 + 2 * channel] << 8);
    std::uint64_t units = 0;
    int volume = 15;
    events.push_back({0, 0, -1, volume, false, -1});  // silence until the first command
    auto extend = [&] { events.back().endMs = ms(units); };
    for (;;) {
        int byte = Byte(block, address++);
        if (byte < 0 || byte >= 0xB0) break;
        if (byte < 0x80) {
            units += static_cast<std::uint64_t>(byte) + 1;
            extend();
        } else if (byte < 0x90) {
            // a timbre: no time, no change of note
        } else if (byte < 0xA0) {
            volume = byte & 0x0F;
            StreamEvent& last = events.back();
            if (channel < kFirstPercussion && last.note >= 0 && last.volume != volume) {
                StreamEvent more = last;
                more.startMs = more.endMs = ms(units);
                more.volume = volume;
                more.start = false;
                events.push_back(more);
            }
        } else if (channel >= kFirstPercussion) {
            int preset = byte & 0x0F;
            if (preset == 0x0F) {
                if (Byte(block, address++) < 0) break;
                events.push_back({ms(units), ms(units), -1, volume, false, -1});
                continue;
            }
            events.push_back({ms(units), ms(units), -1, volume, true, preset});
        } else {
            int operand = Byte(block, address++);
            if (operand < 0) break;
            int pitchClass = byte & 0x0F;
            double start = ms(units);
            if (pitchClass != 0x0F) units += static_cast<std::uint64_t>(operand >> 3) + 1;
            int note = 12 * (operand & 0x07) + pitchClass + (channel == kTriangle ? 0 : 24);
            bool soundable = pitchClass < 12 && note >= (channel == kTriangle ? kLowestTriangleNote : kLowestSquareNote);
            events.push_back({start, ms(units), soundable ? note : -1, volume, pitchClass < 12, -1});
        }
    }
    return events;
}

// The events that start before `untilMs`, and the time to render them.
double HearingWindowEnd(std::vector<std::vector<StreamEvent>>& events, double untilMs) {
    double end = 0;
    for (auto& channel : events) {
        channel.erase(std::remove_if(channel.begin(), channel.end(),
                                     [&](const StreamEvent& e) { return e.startMs >= untilMs; }),
                      channel.end());
        for (const StreamEvent& e : channel) end = std::max(end, e.endMs);
    }
    return std::min(end, untilMs) + 500;
}

bool OnsetNear(const std::vector<double>& onsets, double ms, double before, double after) {
    return std::any_of(onsets.begin(), onsets.end(), [&](double t) { return t >= ms - before && t <= ms + after; });
}

void Fault(VoiceVerdict& verdict, const std::string& text) {
    if (verdict.faults.size() < kFaultsKept) verdict.faults.push_back(text);
}

std::string At(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f ms", ms);
    return text;
}

void ListenToTones(const std::vector<StreamEvent>& events, const VoiceSound& sound, VoiceVerdict& verdict) {
    std::vector<double> onsets = OnsetsMs(sound);
    for (std::size_t i = 0; i < events.size(); ++i) {
        const StreamEvent& e = events[i];
        bool sounding = e.note >= 0 && e.volume > 0;
        if (!sounding) {
            // A rest: silent for 80 % of it, from one unit on.
            if (e.endMs - e.startMs < 3 * kFrameMs) continue;
            ++verdict.rests;
            if (SilentShare(sound, e.startMs, e.endMs) >= 0.8)
                ++verdict.restsSilent;
            else
                Fault(verdict, "rest at " + At(e.startMs) + " not silent");
            continue;
        }
        if (!e.start) continue;
        ++verdict.notes;
        // Pitch, where the note holds four periods after its attack and
        // before a cut for a repeat.
        double hz = 440.0 * std::pow(2.0, (e.note - 69) / 12.0);
        double from = e.startMs + 40;
        double to = e.endMs - 25;
        if (to - from >= std::max(40.0, 4000.0 / hz)) {
            ++verdict.pitched;
            double cents = CentsOff(sound, from, to, e.note);
            if (!(std::abs(cents) <= 50)) {
                ++verdict.pitchOff;
                Fault(verdict, "MIDI " + std::to_string(e.note) + " at " + At(e.startMs) + ": " +
                                   (std::isnan(cents) ? std::string("no pitch") : std::to_string(cents) + " cents"));
            }
            if (!std::isnan(cents)) verdict.worstCents = std::max(verdict.worstCents, std::abs(cents));
        }
        // A repeat: the same note, sounding, up to this note's start.
        if (i > 0) {
            const StreamEvent& before = events[i - 1];
            if (before.note == e.note && before.volume > 0 && before.endMs == e.startMs &&
                before.endMs - before.startMs >= 2 * kFrameMs) {
                ++verdict.repeats;
                if (OnsetNear(onsets, e.startMs, 10, 25))
                    ++verdict.repeatsHeard;
                else
                    Fault(verdict, "repeat of MIDI " + std::to_string(e.note) + " at " + At(e.startMs) + " not heard");
            }
        }
    }
}

// Hits heard as onsets. Hits closer than `apart` to the voice's previous
// hit count as one sound.
void ListenToHits(const std::vector<double>& hits, const VoiceSound& sound, const OnsetOptions& options,
                  double apart, VoiceVerdict& verdict) {
    std::vector<double> onsets = OnsetsMs(sound, options);
    double previous = -1e9;
    for (double hit : hits) {
        if (hit - previous >= apart) {
            ++verdict.hits;
            if (OnsetNear(onsets, hit, 5, 10))
                ++verdict.hitsHeard;
            else
                Fault(verdict, "hit at " + At(hit) + " not heard");
        }
        previous = hit;
    }
}

}  // namespace

std::vector<std::vector<StreamEvent>> StreamEvents(const std::vector<std::uint8_t>& block) {
    std::vector<std::vector<StreamEvent>> events;
    for (int channel = 0; channel < kChannels; ++channel) events.push_back(ChannelEvents(block, channel));
    return events;
}

std::vector<VoiceVerdict> ListenToSong(const std::vector<std::uint8_t>& nsf, const std::vector<std::uint8_t>& block,
                                       double untilMs) {
    std::vector<std::vector<StreamEvent>> events = StreamEvents(block);
    const double length = HearingWindowEnd(events, untilMs);
    std::vector<VoiceVerdict> verdicts(kChannels);
    const int masks[kChannels] = {kVoiceSquare1, kVoiceSquare2, kVoiceTriangle, kVoiceNoise, kVoiceDmc};
    for (int channel = 0; channel < kFirstPercussion; ++channel)
        ListenToTones(events[static_cast<std::size_t>(channel)], RenderVoice(nsf, masks[channel], length),
                      verdicts[static_cast<std::size_t>(channel)]);

    // The noise voice plays Noise's hits and DPCM's hits without a sample;
    // the DMC the others.
    std::vector<double> noiseHits;
    std::vector<double> dmcHits;
    for (int channel = kFirstPercussion; channel < kChannels; ++channel)
        for (const StreamEvent& e : events[static_cast<std::size_t>(channel)]) {
            if (!e.start || e.volume == 0) continue;
            (channel == kDpcm && HasSample(e.preset) ? dmcHits : noiseHits).push_back(e.startMs);
        }
    std::sort(noiseHits.begin(), noiseHits.end());
    std::sort(dmcHits.begin(), dmcHits.end());
    ListenToHits(noiseHits, RenderVoice(nsf, kVoiceNoise, length), OnsetOptions{2.0, 8, true}, 30, verdicts[3]);
    ListenToHits(dmcHits, RenderVoice(nsf, kVoiceDmc, length), OnsetOptions{2.0, 20, false}, 100, verdicts[4]);
    return verdicts;
}

std::string VoiceVerdict::Summary(const std::string& voice) const {
    char text[256];
    if (hits > 0 || notes == 0)
        std::snprintf(text, sizeof text, "%s: %d of %d hits heard", voice.c_str(), hitsHeard, hits);
    else
        std::snprintf(text, sizeof text,
                      "%s: %d notes, %d of %d pitched within 50 cents (worst %.1f), %d of %d repeats heard, "
                      "%d of %d rests silent",
                      voice.c_str(), notes, pitched - pitchOff, pitched, worstCents, repeatsHeard, repeats,
                      restsSilent, rests);
    std::string line = text;
    for (const std::string& fault : faults) line += "\n    " + fault;
    return line;
}

}  // namespace kelvane::test
