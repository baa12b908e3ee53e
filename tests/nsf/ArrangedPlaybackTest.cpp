// Arranged songs as a listener hears them: the NSF of the arranged file
// rendered with libgme, its note onsets, rests and length measured against
// the real times of the MIDI file, at many tempos.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Arrange.h"
#include "Nsf.h"
#include "NsfTestSupport.h"
#include "TestSupport.h"
#include "TimedSong.h"
#include "TrackTranslator.h"
#include "Wav.h"

namespace kelvane::test {
namespace {

constexpr std::uint32_t kQ = 480;
constexpr std::size_t kWindow = 44;  // samples: one millisecond

struct Heard {
    std::vector<double> onsets;        // seconds after the song's start
    std::vector<bool> quiet;           // by millisecond
    double seconds = 0;                // to the end of the sound
};

// A square wave is heard by its edges: a step between two samples of more
// than a third of the largest step. An onset is an edge after 8 ms without
// one; a millisecond is quiet when no edge lies within 2.5 ms of it (the
// melodies here lie above 200 Hz, so a sounding note has an edge every
// 2.5 ms). The tail of libgme's filters after a note has no edges.
Heard Listen(const Samples& samples) {
    Heard heard;
    const double start = kGmeFirstPlayFrames * kSamplesPerFrame;
    int largest = 0;
    for (std::size_t i = 1; i < samples.size(); ++i)
        largest = std::max(largest, std::abs(samples[i] - samples[i - 1]));
    std::vector<double> edges;
    for (std::size_t i = static_cast<std::size_t>(start) + 1; i < samples.size(); ++i)
        if (3 * std::abs(samples[i] - samples[i - 1]) > largest) edges.push_back((double(i) - start) / 44100.0);
    for (std::size_t k = 0; k < edges.size(); ++k)
        if (k == 0 || edges[k] - edges[k - 1] >= 0.008) heard.onsets.push_back(edges[k]);
    const auto milliseconds = static_cast<std::size_t>((double(samples.size()) - start) / 44.1);
    heard.quiet.assign(milliseconds, true);
    for (double edge : edges) {
        auto from = static_cast<std::size_t>(std::max(0.0, edge * 1000 - 2.5));
        auto to = std::min(milliseconds, static_cast<std::size_t>(edge * 1000 + 2.5) + 1);
        for (std::size_t ms = from; ms < to; ++ms) heard.quiet[ms] = false;
    }
    heard.seconds = (double(EndOfSound(samples)) - start) / 44100.0;
    return heard;
}

// Where the arrangement puts a real time: the nearest point of the grid the
// tempo bytes make.
double OnGrid(double seconds, const std::array<int, 4>& tempo) {
    int bytes[4] = {tempo[0], tempo[1], tempo[2], tempo[3]};
    std::uint64_t unit = 0;
    while (SongSeconds(unit + 1, bytes) <= seconds) ++unit;
    double before = SongSeconds(unit, bytes), after = SongSeconds(unit + 1, bytes);
    return seconds - before < after - seconds - 1e-9 ? before : after;  // a tie goes up, as in the arrangement
}

struct Figures {
    double lengthError = 0;  // seconds, heard against the MIDI file
    double allowed = 0;
    double p95 = 0;
    double worst = 0;
    double restQuiet = 1;    // the least quiet share of any rest
    double moved = 0;
};

Figures Render(const TimedSong& song, const char* name, bool checkOnsets = true) {
    Figures figures;
    arrange::ArrangeResult result = arrange::Arrange(song.midi, arrange::VoiceAssignment());
    EXPECT_TRUE(result.ok) << result.error;
    InMemoryRun run;
    EXPECT_TRUE(run.Convert(result.midi));
    if (!result.ok || !run.report.succeeded) return figures;
    Bytes block = run.Block(0x8000, kSongBlockSize);
    Samples samples = Play(block, song.seconds * 50 + 50);
    Heard heard = Listen(samples);

    const double unit = run.report.unitMs / 1000;
    figures.lengthError = heard.seconds - song.seconds;
    figures.allowed = std::max(unit, 0.005 * song.seconds);
    figures.moved = result.report.movedShare;
    if (checkOnsets) {
        EXPECT_EQ(heard.onsets.size(), song.onsets.size()) << name;
        std::vector<double> errors;
        for (std::size_t i = 0; i < std::min(heard.onsets.size(), song.onsets.size()); ++i)
            errors.push_back(std::abs(heard.onsets[i] - song.onsets[i]));
        figures.p95 = Percentile(errors, 0.95);
        figures.worst = errors.empty() ? 0 : *std::max_element(errors.begin(), errors.end());
        // Each rest, a note's end to the next onset on the grid, is quiet.
        for (std::size_t i = 0; i + 1 < song.onsets.size(); ++i) {
            auto from = static_cast<std::size_t>(OnGrid(song.ends[i], run.report.tempo) * 1000 + 0.5);
            auto to = static_cast<std::size_t>(OnGrid(song.onsets[i + 1], run.report.tempo) * 1000 + 0.5);
            if (to <= from + 1 || to > heard.quiet.size()) continue;
            auto quiet = std::count(heard.quiet.begin() + static_cast<std::ptrdiff_t>(from),
                                    heard.quiet.begin() + static_cast<std::ptrdiff_t>(to), true);
            figures.restQuiet = std::min(figures.restQuiet, double(quiet) / double(to - from));
            EXPECT_GE(double(quiet) / double(to - from), 0.8) << name << ": the rest from " << from << " ms to " << to << " ms";
        }
    }
    std::printf("[ heard  ] %-22s unit %6.2f ms  sound %8.3f s of %8.3f s (%+6.1f ms, allowed %5.1f)  "
                "onsets p95 %5.1f ms, worst %5.1f ms  rests quiet >= %3.0f%%  moved >30 ms %.1f%%\n",
                name, unit * 1000, heard.seconds, song.seconds, figures.lengthError * 1000, figures.allowed * 1000,
                figures.p95 * 1000, figures.worst * 1000, figures.restQuiet * 100, figures.moved * 100);
    EXPECT_LE(std::abs(figures.lengthError), figures.allowed) << name;
    EXPECT_LE(figures.p95, 0.025) << name;
    EXPECT_GE(figures.restQuiet, 0.8) << name;
    return figures;
}

TEST(ArrangedPlayback, SongsAtManyTemposSoundAsLongAsTheirFileAndKeepTheirOnsets) {
    struct Case {
        const char* name;
        std::uint32_t tempo;
        std::uint32_t slot;
    };
    const Case cases[] = {
        {"60 BPM eighths", 1000000, kQ / 2},   {"100 BPM eighths", 600000, kQ / 2},
        {"120 BPM eighths", 500000, kQ / 2},   {"120 BPM triplets", 500000, kQ / 3},
        {"150 BPM eighths", 400000, kQ / 2},   {"400 BPM eighths", 150000, kQ / 2},
    };
    // Staccato, so that every onset follows a rest.
    for (const Case& c : cases) Render(TimedMelody({{0, c.tempo}}, 48, c.slot, 0.5), c.name);
}

TEST(ArrangedPlayback, ASongWithTempoChangesKeepsEverySectionsTime) {
    // 60 BPM, a 150 BPM passage, then 100 BPM.
    TimedSong song = TimedMelody({{0, 1000000}, {8 * kQ, 400000}, {24 * kQ, 600000}}, 64, kQ / 2, 0.5);
    Render(song, "60, 150, 100 BPM");
}

TEST(ArrangedPlayback, ASongAt2000BpmIsHeard) {
    // Twelve quarter notes of 30 ms, one after another: 0.36 s of sound.
    TimedSong song = TimedMelody({{0, 30000}}, 12, kQ, 1.0);
    Figures figures = Render(song, "2000 BPM quarters", false);
    EXPECT_LE(std::abs(figures.lengthError), figures.allowed);
}

}  // namespace
}  // namespace kelvane::test
