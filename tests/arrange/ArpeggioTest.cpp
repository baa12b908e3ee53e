// Chords as fast arpeggios on Square2 where it has nothing of its own.
#include <gtest/gtest.h>

#include <set>

#include "Analyze.h"
#include "ArrangedSong.h"
#include "MidiBuilder.h"

namespace kelvane::test {
namespace {

constexpr std::uint32_t kQ = 480;  // a quarter note

// A piano plays the tune over whole-note triads; a horn answers in the first
// `hornBars` bars only; a bass holds the roots.
Bytes ChordSong(std::uint32_t tempo, int bars, int hornBars) {
    Track conductor, piano, horn, bass;
    conductor.Tempo(0, tempo).End(0);
    horn.Program(0, 60, 1);
    bass.Program(0, 33, 2);
    const int roots[] = {60, 65, 67, 60};
    const int tune[] = {76, 79, 77, 74};
    for (int bar = 0; bar < bars; ++bar) {
        int root = roots[bar % 4];
        piano.NoteOn(0, root).NoteOn(0, root + 4).NoteOn(0, root + 7);
        for (int beat = 0; beat < 4; ++beat) {
            int key = tune[(bar + beat) % 4] + (beat == 3 ? 5 : 0);
            piano.NoteOn(0, key).NoteOff(kQ, key);
        }
        piano.NoteOff(0, root).NoteOff(0, root + 4).NoteOff(0, root + 7);
        if (bar < hornBars) horn.NoteOn(0, 67, 90, 1).NoteOff(4 * kQ, 67, 0, 1);
        bass.NoteOn(0, root - 24, 90, 2).NoteOff(4 * kQ, root - 24, 0, 2);
    }
    return MidiFile().Add(conductor).Add(piano.End(0)).Add(horn.End(0)).Add(bass.End(0)).Build();
}

arrange::ArrangeResult WithArpeggios(const Bytes& midi) {
    arrange::ArrangeOptions options;
    options.chordArpeggios = true;
    return arrange::Arrange(midi, arrange::VoiceAssignment(), options);
}

TEST(ArrangeArpeggios, Square2ArpeggiatesTheChordWhereItsOwnPartRests) {
    const Bytes midi = ChordSong(375000, 8, 4);  // 160 BPM
    auto plain = ArrangeAuto(midi);
    auto arpeggiated = WithArpeggios(midi);
    ASSERT_TRUE(plain.ok && arpeggiated.ok);
    ArrangedSong before = ReadArranged(plain.midi), after = ReadArranged(arpeggiated.midi);
    // The other voices play the same notes, on a finer grid.
    EXPECT_EQ(Keys(before.voices[arrange::kSquare1]), Keys(after.voices[arrange::kSquare1]));
    EXPECT_EQ(Keys(before.voices[arrange::kTriangle]), Keys(after.voices[arrange::kTriangle]));

    // Units of at most three frames, whatever grid the song alone would get.
    EXPECT_LE(arpeggiated.report.unitMs, 60.0);
    // The horn's bars stay; after them one unit per chord tone, in turn.
    const double bar = 4 * 375.0 / arpeggiated.report.unitMs;  // units
    std::set<int> tones;
    for (const PlayedNote& note : after.voices[arrange::kSquare2]) {
        if (note.start + 0.5 < 4 * bar) {
            EXPECT_EQ(note.key, 67);
            continue;
        }
        EXPECT_EQ(note.end - note.start, 1u);
        if (note.start + 0.5 < 5 * bar) tones.insert(note.key);
    }
    EXPECT_EQ(tones, (std::set<int>{60, 64, 67}));
    EXPECT_EQ(after.voices[arrange::kSquare2][4 + 0].key, 60);  // after the horn's four notes: 60 64 67 60 ...
    EXPECT_EQ(after.voices[arrange::kSquare2][4 + 1].key, 64);
    EXPECT_EQ(after.voices[arrange::kSquare2][4 + 2].key, 67);
    EXPECT_GT(arpeggiated.report.chordNotesKept, 0u);
    EXPECT_LT(arpeggiated.report.voices[arrange::kSquare1].hidden, plain.report.voices[arrange::kSquare1].hidden);
    bool said = false;
    for (const std::string& warning : arpeggiated.report.warnings)
        said = said || warning == "方波2以琶音奏出和弦, 保留了" + std::to_string(arpeggiated.report.chordNotesKept) + "个和弦音";
    EXPECT_TRUE(said);
    EXPECT_FALSE(after.overlapping);
    EXPECT_TRUE(AnalyzeSong(arpeggiated.midi).succeeded);
}

TEST(ArrangeArpeggios, OnAGridOfAtMostThreeFramesAndAsFarAsTheSongBlockHolds) {
    // 100 BPM: the song alone gets units of a sixteenth note (7.5 frames),
    // too long to hear a chord; the arpeggios split them.
    const Bytes slow = ChordSong(600000, 8, 4);
    const auto alone = ArrangeAuto(slow), split = WithArpeggios(slow);
    EXPECT_GT(alone.report.unitMs, 60.0);
    EXPECT_LE(split.report.unitMs, 60.0);
    EXPECT_GT(split.report.chordNotesKept, 0u);
    EXPECT_EQ(ArrangeAuto(slow).report.chordNotesKept, 0u);

    // A long song: the arpeggios stop where the block would overflow, and
    // everything else stays as it was.
    const Bytes longSong = ChordSong(375000, 600, 1);
    auto plain = ArrangeAuto(longSong);
    auto arpeggiated = WithArpeggios(longSong);
    ASSERT_TRUE(plain.ok && arpeggiated.ok);
    EXPECT_EQ(plain.report.bars, 0u);
    EXPECT_EQ(arpeggiated.report.bars, 0u);
    ArrangedSong before = ReadArranged(plain.midi), after = ReadArranged(arpeggiated.midi);
    EXPECT_EQ(Keys(before.voices[arrange::kSquare1]), Keys(after.voices[arrange::kSquare1]));
    EXPECT_GT(after.voices[arrange::kSquare2].size(), before.voices[arrange::kSquare2].size());
    // Past the arpeggios Square2 holds the horn's note as before, for as long (in ms, to a unit).
    const auto length = [](const arrange::ArrangeResult& result, const ArrangedSong& song) {
        const PlayedNote& last = song.voices[arrange::kSquare2].back();
        return (last.end - last.start) * result.report.unitMs;
    };
    EXPECT_EQ(after.voices[arrange::kSquare2].back().key, before.voices[arrange::kSquare2].back().key);
    EXPECT_NEAR(length(arpeggiated, after), length(plain, before), plain.report.unitMs);
    EXPECT_GT(arpeggiated.report.songBlockUsed, 30000u);
    EXPECT_TRUE(AnalyzeSong(arpeggiated.midi).succeeded);
    bool cut = false;
    for (const std::string& warning : arpeggiated.report.warnings)
        cut = cut || warning.find("后段因歌曲空间不足未加琶音") != std::string::npos;
    EXPECT_TRUE(cut);
}

}  // namespace
}  // namespace kelvane::test
