// Every file of the outside suite arranges, and the arranged song converts
// through the real engine: never refused, never past the song block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "Analyze.h"
#include "ArrangedSong.h"
#include "GroundTruth.h"
#include "SmfReader.h"
#include "Timing.h"

namespace kelvane::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The file's own pitched notes, timed as the arrangement times them, up to
// the arranged song's end, against the arranged Triangle.
double LowBassSilence(const std::vector<std::uint8_t>& midi, const ArrangedSong& song) {
    arrange::Score score;
    std::string error;
    if (!arrange::ReadScore(midi.data(), midi.size(), score, error)) return 0;
    arrange::Timing timing(score);
    arrange::ApplyTiming(score, timing);
    std::uint32_t end = 0;
    for (const auto& voice : song.voices)
        if (!voice.empty()) end = std::max(end, voice.back().end);
    std::vector<PlayedNote> low;
    for (const arrange::Note& note : score.notes)
        if (!score.parts[note.part].drums && note.start < end)
            low.push_back({note.start, std::min(note.end, end), note.key});
    return LowWithoutTriangle(low, song);
}

TEST(ArrangeOutsideSuite, EveryFileArrangesAndConvertsOrHoldsNoNotes) {
    const fs::path folder = KELVANE_MIDI_SUITE;
    if (!fs::is_directory(folder)) GTEST_SKIP() << "no outside suite at " << folder;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".mid") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());

    // The files without a note: not MIDI at all, or tracks of meta events,
    // controllers and system-exclusive messages only.
    const std::vector<std::string> noteless = {
        "test-empty-file.mid", "test-not-a-midi-file.mid", "test-empty.mid",
        "test-control-7c-omni-mode-off.mid", "test-control-7d-omni-mode-on.mid",
        "test-control-7e-mono-mode-on.mid", "test-control-7f-poly-mode-on.mid",
        "test-silence-all-notes-off.mid", "test-silence-end-of-track.mid", "test-silence-text-metaevent.mid",
        "test-sysex-7e-06-01-id-request.mid", "test-sysex-7e-09-01-gm1-enable.mid",
        "test-sysex-7e-09-02-gm-disable.mid", "test-sysex-7e-09-03-gm2-enable.mid"};
    int arranged = 0;
    double lowWithoutTriangle = 0;
    for (const fs::path& file : files) {
        const std::string name = file.filename().string();
        SCOPED_TRACE(name);
        arrange::ArrangeResult result = ArrangeAuto(ReadFile(file));
        bool expectNotes = std::find(noteless.begin(), noteless.end(), name) == noteless.end();
        EXPECT_EQ(result.ok, expectNotes) << result.error;
        if (!result.ok) {
            EXPECT_TRUE(result.error == "MIDI文件中没有音符" || result.error == "MIDI文件无法识别") << result.error;
            continue;
        }
        ++arranged;
        kelvane::ConversionReport check = kelvane::AnalyzeSong(result.midi);
        EXPECT_FALSE(check.refused) << check.message;
        EXPECT_FALSE(check.songBlockFull);
        EXPECT_TRUE(check.succeeded);
        EXPECT_EQ(check.songBlockUsed, result.report.songBlockUsed);
        std::size_t predicted = 14;
        for (const auto& voice : result.report.voices) predicted += voice.bytes;
        EXPECT_EQ(predicted, check.songBlockUsed);
        ArrangedSong song = ReadArranged(result.midi);
        EXPECT_FALSE(song.overlapping);
        std::size_t notes = 0;
        for (const auto& voice : song.voices) notes += voice.size();
        EXPECT_GT(notes, 0u);
        double silence = LowBassSilence(ReadFile(file), song);
        if (silence > 0.02) std::printf("  %s: low notes without Triangle %.1f %%\n", name.c_str(), 100 * silence);
        lowWithoutTriangle += silence;

        // Its time: as long as the file, its notes near their real time.
        const double real = result.report.sourceSeconds, error = check.seconds - real;
        const double allowed = std::max(result.report.unitMs / 1000, 0.005 * real);
        std::printf("[ timing ] %-48s unit %6.2f ms  %8.3f s of %8.3f s (%+7.1f ms)  onsets p95 %5.1f ms  "
                    "moved >30 ms %5.1f%%  rests %u\n",
                    name.c_str(), result.report.unitMs, check.seconds, real, error * 1000,
                    result.report.onsetP95Ms, 100 * result.report.movedShare, result.report.rests);
        for (int steps : check.tempo) EXPECT_GE(steps, 2);
        EXPECT_LE(std::abs(error), allowed);
        EXPECT_LE(result.report.onsetP95Ms, 25.0);
    }
    EXPECT_EQ(arranged, static_cast<int>(files.size() - noteless.size()));
    // The bass under the whole song: of the time some part sounds at or
    // below G3, the share in which the Triangle is silent.
    std::printf("outside suite: %d files, low notes without Triangle %.2f %%\n", arranged,
                100 * lowWithoutTriangle / arranged);
    EXPECT_LT(lowWithoutTriangle / arranged, 0.02);
}

// Inputs that once broke a fuzz target, the arrangement's among them: each
// arranges into a song that converts, or is refused in words.
TEST(ArrangeRegressions, EveryInputThatOnceBrokeAFuzzTarget) {
    for (const auto& entry : fs::directory_iterator(KELVANE_REGRESS_DIR)) {
        const std::string name = entry.path().filename().string();
        if (name == "README.md") continue;
        SCOPED_TRACE(name);
        arrange::ArrangeResult result = ArrangeAuto(ReadFile(entry.path()));
        if (!result.ok) {
            EXPECT_TRUE(result.error == "MIDI文件中没有音符" || result.error == "MIDI文件无法识别") << result.error;
            continue;
        }
        kelvane::ConversionReport check = kelvane::AnalyzeSong(result.midi);
        EXPECT_TRUE(check.succeeded) << check.message;
        EXPECT_FALSE(check.songBlockFull);
        EXPECT_EQ(check.songBlockUsed, result.report.songBlockUsed);
        EXPECT_LT(check.songBlockUsed, 32768u);
    }
}

}  // namespace
}  // namespace kelvane::test
