// The arrangement prices the song block with its own model of the engine's
// byte rules (arrange/SongCost.cpp), and fits the song by it without asking
// the engine again. So the model must equal the engine on everything the
// arrangement writes: each voice's stream, byte for byte, over the outside
// suite, our generated songs, the benchmarks' worst shapes and random songs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "ArrangedSong.h"
#include "GeneratedSongs.h"
#include "MidiBuilder.h"
#include "WorstShapes.h"

namespace kelvane::test {
namespace {

namespace fs = std::filesystem;

// Empty when the model and the engine agree, else what differs.
std::string ModelAgainstEngine(const Bytes& midi, const char* spec) {
    arrange::VoiceAssignment assignment;
    std::string error;
    if (!arrange::ParseVoiceSpec(spec, assignment, error)) return "spec: " + error;
    arrange::ArrangeResult result = arrange::Arrange(midi, assignment);
    if (!result.ok) return "";
    ConvertedSong converted = ConvertArranged(result.midi);
    if (!converted.converted) return "the arranged song did not convert";
    std::string differs;
    std::size_t total = 14;
    for (int v = 0; v < arrange::kVoiceCount; ++v) {
        const std::size_t model = result.report.voices[static_cast<std::size_t>(v)].bytes;
        const std::size_t engine = converted.bytes[static_cast<std::size_t>(v)];
        if (model != engine)
            differs += std::string(arrange::VoiceName(v)) + ": model " + std::to_string(model) + ", engine " +
                       std::to_string(engine) + "; ";
        total += engine;
    }
    if (result.report.songBlockUsed != total)
        differs += "song block: " + std::to_string(result.report.songBlockUsed) + " against " + std::to_string(total);
    return differs;
}

void ExpectAgreement(const std::string& name, const Bytes& midi) {
    for (const char* spec : {"", "dpcm=none,square2=none"}) {
        std::string differs = ModelAgainstEngine(midi, spec);
        EXPECT_TRUE(differs.empty()) << name << " [" << spec << "]: " << differs;
    }
}

// Random songs of every kind of event the model prices: notes short and
// long (past 32 and 128 units), rests, chords, notes of no length, drums,
// volume and expression, programs, lyrics in rests and on notes, tempo
// changes; from a few notes to more than the song block holds.
Bytes RandomSong(std::mt19937& random) {
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    static const std::uint32_t kLengths[] = {0, 1, 15, 30, 60, 120, 240, 480, 1000, 2000, 4000, 9000};
    MidiFile file;
    file.Division(pick(0, 3) == 0 ? 96 : 480);
    Track conductor;
    conductor.Tempo(0, 500000);
    for (int i = pick(0, 5); i > 0; --i)
        conductor.Tempo(static_cast<std::uint32_t>(pick(100, 20000)),
                        300000 + 50000u * static_cast<std::uint32_t>(pick(0, 8)));
    file.Add(conductor.End(0));
    const int tracks = pick(1, 6), notes = pick(1, 3) == 1 ? pick(2000, 9000) : pick(1, 400);
    for (int t = 0; t < tracks; ++t) {
        Track track;
        const int channel = pick(0, 4) == 0 ? 9 : pick(0, 15);
        track.Program(0, pick(0, 127), channel);
        for (int n = 0; n < notes; ++n) {
            std::uint32_t gap = pick(0, 3) == 0 ? kLengths[pick(0, 11)] : 0;
            if (pick(0, 9) == 0) track.Controller(gap, pick(0, 1) == 0 ? 7 : 11, pick(0, 127), channel), gap = 0;
            if (t == 0 && pick(0, 3) == 0) track.Lyric(gap, pick(0, 1) ? "la" : "\"x\""), gap = 0;
            const int key = channel == 9 ? pick(35, 81) : pick(0, 127);
            const int chord = pick(0, 4) == 0 ? 2 : 0;  // a second key above, held as long
            track.NoteOn(gap, key, pick(1, 127), channel);
            if (chord) track.NoteOn(0, std::min(key + 4, 127), 90, channel);
            const std::uint32_t length = kLengths[pick(0, 11)];
            if (t == 0 && pick(0, 5) == 0)
                track.Lyric(length / 2, "mid").NoteOff(length - length / 2, key, 0, channel);
            else
                track.NoteOff(length, key, 0, channel);
            if (chord) track.NoteOff(0, std::min(key + 4, 127), 0, channel);
        }
        file.Add(track.End(0));
    }
    return file.Build();
}

TEST(ArrangeCostModel, EqualsTheEngineOnTheOutsideSuite) {
    const fs::path folder = KELVANE_MIDI_SUITE;
    if (!fs::is_directory(folder)) GTEST_SKIP() << "no outside suite at " << folder;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".mid") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        ExpectAgreement(entry.path().filename().string(),
                        Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
        ++files;
    }
    EXPECT_GT(files, 0);
}

TEST(ArrangeCostModel, EqualsTheEngineOnGeneratedSongsAndTheWorstShapes) {
    for (const GeneratedSong& song : GeneratedSongs()) ExpectAgreement(song.name, song.midi);
    ExpectAgreement("small", SmallSong());
    for (bench::Shape shape : bench::kShapes)
        ExpectAgreement(bench::ShapeFileName(shape), bench::WorstShapeSong(shape, 64 * 1024));
}

TEST(ArrangeCostModel, EqualsTheEngineOnRandomSongs) {
    std::mt19937 random(20261207);
    for (int i = 0; i < 60; ++i) ExpectAgreement("random song " + std::to_string(i), RandomSong(random));
}

}  // namespace
}  // namespace kelvane::test
