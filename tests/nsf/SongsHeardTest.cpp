// Whole songs heard against their streams: our generated songs as the plain
// conversion writes them, and the outside suite as the arrangement writes
// it. What the driver makes of every note, rest and hit, with the figures
// in the test output.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "Arrange.h"
#include "GeneratedSongs.h"
#include "Nsf.h"
#include "SongLength.h"
#include "StreamListening.h"
#include "TestSupport.h"

namespace kelvane::test {
namespace {

namespace fs = std::filesystem;

const char* const kVoiceNames[] = {"Square1", "Square2", "Triangle", "Noise", "DMC"};

// Totals over songs.
struct Tally {
    VoiceVerdict voices[5];
    void Add(const std::vector<VoiceVerdict>& verdicts) {
        for (std::size_t v = 0; v < 5; ++v) {
            VoiceVerdict& t = voices[v];
            const VoiceVerdict& s = verdicts[v];
            t.notes += s.notes;
            t.pitched += s.pitched;
            t.pitchOff += s.pitchOff;
            t.repeats += s.repeats;
            t.repeatsHeard += s.repeatsHeard;
            t.rests += s.rests;
            t.restsSilent += s.restsSilent;
            t.hits += s.hits;
            t.hitsHeard += s.hitsHeard;
            t.worstCents = std::max(t.worstCents, s.worstCents);
        }
    }
    void Print(const std::string& what) const {
        std::cout << what << "\n";
        for (std::size_t v = 0; v < 5; ++v) std::cout << "  " << voices[v].Summary(kVoiceNames[v]) << "\n";
    }
};

// Every note at its pitch, every repeat and every rest heard as such; of the
// hits, `hitShare` at least.
void ExpectHeard(const std::string& song, const std::vector<VoiceVerdict>& verdicts, double hitShare) {
    for (std::size_t v = 0; v < 5; ++v) {
        const VoiceVerdict& verdict = verdicts[v];
        std::string where = song + " " + verdict.Summary(kVoiceNames[v]);
        EXPECT_EQ(verdict.pitchOff, 0) << where;
        EXPECT_EQ(verdict.repeatsHeard, verdict.repeats) << where;
        EXPECT_EQ(verdict.restsSilent, verdict.rests) << where;
        EXPECT_GE(verdict.hitsHeard, hitShare * verdict.hits) << where;
    }
}

TEST(SongsHeard, GeneratedSongsSoundAsTheirStreamsSay) {
    Tally tally;
    for (const GeneratedSong& song : GeneratedSongs()) {
        InMemoryRun run;
        if (!run.Convert(song.midi, "/music/" + song.name + ".mid")) continue;
        Bytes block = EmittedBlock(run.converter, NsfLabelValues());
        std::vector<VoiceVerdict> verdicts = ListenToSong(BuildNsf(block, song.name), block);
        ExpectHeard(song.name, verdicts, 0.95);
        tally.Add(verdicts);
    }
    tally.Print("Generated songs, plain conversion:");
}

// Three parts from MIDI 24 up, each below what a square sounds for a while.
Bytes LowParts() {
    MidiFile file;
    file.Add(Track().Tempo(0, 500000).End(0));
    for (int part = 0; part < 3; ++part) {
        Track track;
        track.Program(0, part == 0 ? 33 : 80);  // a bass, two leads
        for (int i = 0; i < 24; ++i) {
            int note = 24 + part * 4 + (i * 5) % 19;
            track.NoteOn(0, note).NoteOff(240, note);
        }
        file.Add(track.End(0));
    }
    return file.Build();
}

Bytes ArrangedBlock(const Bytes& midi) {
    arrange::ArrangeResult arranged = arrange::Arrange(midi, arrange::VoiceAssignment());
    EXPECT_TRUE(arranged.ok) << arranged.error;
    InMemoryRun run;
    EXPECT_TRUE(run.Convert(arranged.midi));
    return EmittedBlock(run.converter, NsfLabelValues());
}

TEST(SongsHeard, AnArrangedSongWithLowPartsSoundsEveryNoteTheChipCanSound) {
    Bytes block = ArrangedBlock(LowParts());
    SongLength length = MeasureSong(block);
    std::cout << "notes below the chip's range, Square1 Square2 Triangle: " << length.unsoundableNotes[0] << " "
              << length.unsoundableNotes[1] << " " << length.unsoundableNotes[2] << "\n";
    std::vector<VoiceVerdict> verdicts = ListenToSong(BuildNsf(block, "low"), block);
    for (std::size_t v = 0; v < 3; ++v) std::cout << verdicts[v].Summary(kVoiceNames[v]) << "\n";
    ExpectHeard("low parts", verdicts, 0.95);
}

// The arrangement's side of the same: it moves notes into the chip's range
// (squares from G#1, MIDI 32), so that the driver, which moves none, rests on
// none.
TEST(SongsHeard, AnArrangedSongKeepsEveryNoteWithinTheChipsRange) {
    EXPECT_EQ(MeasureSong(ArrangedBlock(LowParts())).unsoundableNotes, (std::array<std::uint64_t, 3>{0, 0, 0}));
}

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The first minute of each: the suite's longest files last minutes, each
// note alike.
constexpr double kSuiteListenMs = 60000;

TEST(SongsHeard, TheOutsideSuiteArrangedSoundsAsItsStreamsSay) {
    const fs::path folder = KELVANE_MIDI_SUITE;
    if (!fs::is_directory(folder)) GTEST_SKIP() << "no outside suite at " << folder;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".mid") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    Tally tally;
    int songs = 0;
    std::uint64_t unsoundable = 0;
    for (const fs::path& file : files) {
        arrange::ArrangeResult arranged = arrange::Arrange(ReadFile(file), arrange::VoiceAssignment());
        if (!arranged.ok) continue;
        InMemoryRun run;
        if (!run.Convert(arranged.midi, "/music/song.mid")) continue;
        Bytes block = EmittedBlock(run.converter, NsfLabelValues());
        for (std::uint64_t count : MeasureSong(block).unsoundableNotes) unsoundable += count;
        std::vector<VoiceVerdict> verdicts = ListenToSong(BuildNsf(block, "song"), block, kSuiteListenMs);
        ExpectHeard(file.filename().string(), verdicts, 0.95);
        tally.Add(verdicts);
        ++songs;
    }
    tally.Print("Outside suite, arranged (" + std::to_string(songs) + " songs):");
    std::cout << "  notes below what the chip sounds: " << unsoundable << "\n";
    EXPECT_EQ(unsoundable, 0u);
}

}  // namespace
}  // namespace kelvane::test
