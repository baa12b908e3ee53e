// Which part lands on which voice, and how each voice becomes one line.
#include <gtest/gtest.h>

#include <algorithm>

#include "ArrangedSong.h"
#include "MidiBuilder.h"

namespace kelvane::test {
namespace {

constexpr std::uint32_t kQ = 480;  // a quarter note: half a second
constexpr int kDrums = 9;

Track Conductor() { return Track().Tempo(0, 500000).End(0); }

// `count` notes of `length` ticks, cycling through `keys`.
Track Line(const std::vector<int>& keys, int count, std::uint32_t length, int channel, int program = -1,
           const std::string& name = "") {
    Track track;
    if (!name.empty()) track.Text(0, 0x03, name);
    if (program >= 0) track.Program(0, program, channel);
    for (int i = 0; i < count; ++i) {
        int key = keys[static_cast<std::size_t>(i) % keys.size()];
        track.NoteOn(0, key, 100, channel).NoteOff(length, key, 64, channel);
    }
    return track.End(0);
}

bool HasSource(const arrange::ArrangeResult& result, int voice, const std::string& source) {
    const auto& sources = result.report.voices[static_cast<std::size_t>(voice)].sources;
    return std::any_of(sources.begin(), sources.end(),
                       [&](const std::string& s) { return s.find(source) != std::string::npos; });
}

TEST(ArrangeRoles, FormatZeroMelodyBassAndDrumsEachOnTheirVoice) {
    // One track, three channels, events interleaved as a format-0 file has them.
    Track all;
    all.Program(0, 73, 0).Program(0, 33, 1);
    const int melody[] = {72, 74, 76, 77, 79, 77, 76, 74};
    const int bass[] = {36, 43};
    for (int i = 0; i < 8; ++i) {
        int m = melody[i], b = bass[i % 2], drum = i % 2 == 0 ? 36 : 38;
        all.NoteOn(0, m, 100, 0).NoteOn(0, b, 100, 1).NoteOn(0, drum, 100, kDrums).NoteOn(0, 42, 80, kDrums);
        all.NoteOff(kQ, m, 64, 0).NoteOff(0, b, 64, 1).NoteOff(0, drum, 64, kDrums).NoteOff(0, 42, 64, kDrums);
    }
    auto result = ArrangeAuto(MidiFile().Format(0).Add(all.End(0)).Build());
    ASSERT_TRUE(result.ok) << result.error;
    ArrangedSong song = ReadArranged(result.midi);
    EXPECT_EQ(song.format, 1);
    EXPECT_EQ(song.tracks, 6);
    EXPECT_EQ(Keys(song.voices[arrange::kSquare1]), std::vector<int>(melody, melody + 8));
    EXPECT_EQ(Keys(song.voices[arrange::kTriangle]), (std::vector<int>{36, 43, 36, 43, 36, 43, 36, 43}));
    EXPECT_TRUE(song.voices[arrange::kSquare2].empty());
    // Noise: the snare outranks the hat; DPCM: the kick.
    EXPECT_EQ(Keys(song.voices[arrange::kNoise]), (std::vector<int>{42, 38, 42, 38, 42, 38, 42, 38}));
    EXPECT_EQ(Keys(song.voices[arrange::kDpcm]), (std::vector<int>{36, 36, 36, 36}));
    EXPECT_TRUE(HasSource(result, arrange::kSquare1, "track 0, channel 1: Flute"));
    EXPECT_TRUE(HasSource(result, arrange::kTriangle, "track 0, channel 2: Electric Bass (finger)"));
    EXPECT_TRUE(HasSource(result, arrange::kNoise, "track 0, channel 10: Standard Kit"));
    for (int start = 0; start < 8; ++start)
        EXPECT_EQ(song.voices[arrange::kSquare1][static_cast<std::size_t>(start)].start, UnitAt(song, 0.5 * start));
}

TEST(ArrangeRoles, NineTracksTheMelodyBassAndDrumsWin) {
    MidiFile file;
    file.Add(Conductor());
    file.Add(Line({60, 64, 67}, 16, kQ, 0, 48, "Strings"));          // track 1: a pad of long notes
    file.Add(Line({48, 52, 55, 60}, 32, kQ / 2, 1, 0, "Piano"));     // 2: arpeggios in the middle
    file.Add(Line({76, 79, 81, 79, 76, 74}, 32, kQ / 2, 2, 80, "Lead"));  // 3: the melody
    file.Add(Line({28, 35}, 16, kQ, 3, 34, "Bass"));                 // 4: the bass
    file.Add(Line({42, 38}, 32, kQ / 2, kDrums, 0, "Drums"));        // 5: drums
    file.Add(Line({67, 69}, 8, 2 * kQ, 5, 56, "Trumpet"));           // 6
    file.Add(Line({55, 57}, 8, 2 * kQ, 6, 24, "Guitar"));            // 7
    file.Add(Line({84}, 4, kQ / 4, 7, 9, "Glockenspiel"));           // 8: rare, high
    auto result = ArrangeAuto(file.Build());
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.report.voices[arrange::kSquare1].sources.front(), "track 3, channel 3: Lead 1 (square)");
    EXPECT_EQ(result.report.voices[arrange::kTriangle].sources.front(), "track 4, channel 4: Electric Bass (pick)");
    EXPECT_EQ(result.report.voices[arrange::kNoise].sources.front(), "track 5, channel 10: Standard Kit");
    ArrangedSong song = ReadArranged(result.midi);
    // The melody, every note of it, in the square's range.
    std::vector<int> melody = Keys(song.voices[arrange::kSquare1]);
    EXPECT_EQ(std::vector<int>(melody.begin(), melody.begin() + 6), (std::vector<int>{76, 79, 81, 79, 76, 74}));
    // The bass below the triangle's limit, untouched.
    EXPECT_EQ(Keys(song.voices[arrange::kTriangle]).front(), 28);
    EXPECT_FALSE(song.voices[arrange::kSquare2].empty());
}

TEST(ArrangeRoles, ChordsGiveTheSkylineAndTheBottomLine) {
    // Overlapping chords on one part: C-E-G, then F-A-C' starting while the
    // first still sounds, then a long G-B-D with a melody note above it.
    Track piano;
    piano.NoteOn(0, 60).NoteOn(0, 64).NoteOn(0, 67);
    piano.NoteOn(2 * kQ, 65).NoteOn(0, 69).NoteOn(0, 72);
    piano.NoteOff(kQ / 2, 60).NoteOff(0, 64).NoteOff(0, 67);
    piano.NoteOff(3 * kQ / 2, 65).NoteOff(0, 69).NoteOff(0, 72);
    piano.NoteOn(0, 55).NoteOn(0, 59).NoteOn(0, 62).NoteOn(0, 79);
    piano.NoteOff(kQ, 79).NoteOff(kQ, 55).NoteOff(0, 59).NoteOff(0, 62);
    auto result = ArrangeAuto(MidiFile().Add(Conductor()).Add(piano.End(0)).Build());
    ASSERT_TRUE(result.ok) << result.error;
    ArrangedSong song = ReadArranged(result.midi);
    EXPECT_EQ(Keys(song.voices[arrange::kSquare1]), (std::vector<int>{67, 72, 79, 62}));
    EXPECT_EQ(Keys(song.voices[arrange::kTriangle]), (std::vector<int>{60, 65, 55}));
    EXPECT_EQ(Keys(song.voices[arrange::kSquare2]), (std::vector<int>{64, 69, 59}));
    // The skyline: the higher chord takes over at its onset.
    EXPECT_EQ(song.voices[arrange::kSquare1][1].start, UnitAt(song, 1.0));
    EXPECT_EQ(song.voices[arrange::kSquare1][0].end, UnitAt(song, 1.0));
    // Under the melody note the top of the chord waits, then sounds on.
    EXPECT_EQ(song.voices[arrange::kSquare1][3].start, UnitAt(song, 2.5));
}

TEST(ArrangeRoles, IdleVoicesFillFromOtherPartsAndSquaresDoNotDouble) {
    // The melody rests for a bar, where a horn plays; a clarinet doubles the
    // melody's first note in unison and must not sound it twice.
    Track melody, unison, bass, horn;
    melody.Program(0, 73).NoteOn(0, 76).NoteOff(4 * kQ, 76).NoteOn(4 * kQ, 79).NoteOff(4 * kQ, 79).End(0);
    unison.Program(0, 71, 2).NoteOn(0, 76, 90, 2).NoteOff(4 * kQ, 76, 0, 2).End(0);
    bass.Program(0, 33, 1).NoteOn(0, 36, 90, 1).NoteOff(12 * kQ, 36, 0, 1).End(0);
    horn.Program(0, 60, 3).NoteOn(4 * kQ, 67, 90, 3).NoteOff(4 * kQ, 67, 0, 3).End(0);
    auto result = ArrangeAuto(MidiFile().Add(Conductor()).Add(melody).Add(unison).Add(bass).Add(horn).Build());
    ASSERT_TRUE(result.ok) << result.error;
    ArrangedSong song = ReadArranged(result.midi);
    EXPECT_EQ(Keys(song.voices[arrange::kSquare1]), (std::vector<int>{76, 67, 79}));
    EXPECT_EQ(song.voices[arrange::kSquare1][1].start, UnitAt(song, 2.0));
    for (const PlayedNote& second : song.voices[arrange::kSquare2])
        for (const PlayedNote& first : song.voices[arrange::kSquare1])
            EXPECT_FALSE(first.key == second.key && first.start < second.end && second.start < first.end)
                << "doubled " << first.key << " at " << second.start;
    EXPECT_EQ(result.report.voices[arrange::kSquare1].sources,
              (std::vector<std::string>{"track 1, channel 1: Flute", "track 4, channel 4: French Horn"}));
}

TEST(ArrangeRoles, TheBassRestsOfADetachedLineStayButLongRestsAreFilledFromBelow) {
    // A tune, a piano holding low notes, and a bass of detached eighth notes
    // (a sixteenth sounding, a sixteenth rest) that rests for its third bar.
    Track tune, piano, bass;
    tune.Program(0, 73).NoteOn(0, 76).NoteOff(16 * kQ, 76).End(0);
    piano.NoteOn(0, 52, 90, 1).NoteOff(8 * kQ, 52, 0, 1).NoteOn(0, 50, 90, 1).NoteOff(8 * kQ, 50, 0, 1).End(0);
    bass.Program(0, 33, 2);
    std::uint32_t rest = 0;
    for (int i = 0; i < 32; ++i) {
        if (i >= 16 && i < 24) {
            rest += kQ / 2;
            continue;
        }
        bass.NoteOn(rest, 36, 100, 2).NoteOff(kQ / 4, 36, 0, 2);
        rest = kQ / 4;
    }
    auto result = ArrangeAuto(MidiFile().Add(Conductor()).Add(tune).Add(piano.End(0)).Add(bass.End(0)).Build());
    ASSERT_TRUE(result.ok) << result.error;
    ArrangedSong song = ReadArranged(result.midi);
    std::vector<PlayedNote> filled;
    for (const PlayedNote& note : song.voices[arrange::kTriangle])
        if (note.key != 36) filled.push_back(note);
    // Only the rest of a bar and more: the piano's low notes from the last
    // bass note's end (7.75 quarters) to the bass's return (12 quarters), in
    // units of the grid the song was given.
    const double q = 500.0 / result.report.unitMs;
    ASSERT_EQ(filled.size(), 2u);
    EXPECT_EQ(filled[0].key, 52);
    EXPECT_DOUBLE_EQ(filled[0].start, 7.75 * q);
    EXPECT_EQ(filled[1].key, 50);
    EXPECT_DOUBLE_EQ(filled[1].start, 8 * q);
    EXPECT_DOUBLE_EQ(filled[1].end, 12 * q);
    EXPECT_EQ(song.voices[arrange::kTriangle].size(), 24u + 2u);
}

TEST(ArrangeRoles, ShortNotesMergeOrDropAndOutOfRangeNotesMoveByOctaves) {
    Track line;
    // Notes of 4 ms: shorter than any unit.
    line.NoteOn(0, 72).NoteOn(476, 78).NoteOff(4, 72).NoteOff(0, 78);  // a grace note above: dropped
    line.NoteOn(0, 76).NoteOff(480, 76);
    line.NoteOn(0, 76).NoteOff(4, 76);              // a short repeat of the key just ended: merged
    line.NoteOn(16, 76).NoteOff(480, 76);
    line.NoteOn(0, 100).NoteOff(480, 100);          // above the octave table: moved down
    line.End(0);
    // A bass note above the triangle's table, under the melody but for its first note.
    Track bass;
    bass.Program(0, 33, 1).NoteOn(0, 74, 100, 1).NoteOff(4 * kQ, 74, 0, 1).NoteOn(0, 40, 100, 1)
        .NoteOff(kQ, 40, 0, 1).End(0);
    auto result = ArrangeAuto(MidiFile().Add(Conductor()).Add(line).Add(bass).Build());
    ASSERT_TRUE(result.ok) << result.error;
    ArrangedSong song = ReadArranged(result.midi);
    EXPECT_EQ(Keys(song.voices[arrange::kSquare1]), (std::vector<int>{72, 76, 76, 88}));
    EXPECT_EQ(result.report.voices[arrange::kSquare1].droppedShort, 1u);
    EXPECT_EQ(result.report.voices[arrange::kSquare1].movedOctave, 1u);
    EXPECT_EQ(Keys(song.voices[arrange::kTriangle]), (std::vector<int>{62, 40}));
    EXPECT_EQ(result.report.voices[arrange::kTriangle].movedOctave, 1u);
}

TEST(ArrangeRoles, DrumHitsCollideByPriorityAndTheSnareGoesToDpcmWhereNoiseIsBusy) {
    Track drums;
    // unit 0: crash + snare (no kick): Noise the crash, DPCM the snare.
    drums.NoteOn(0, 49, 100, kDrums).NoteOn(0, 38, 100, kDrums);
    // unit 8: kick + snare + hat: Noise the snare, DPCM the kick, the hat is lost.
    drums.NoteOn(kQ, 36, 100, kDrums).NoteOn(0, 40, 100, kDrums).NoteOn(0, 42, 100, kDrums);
    // unit 16: a tom and a ride: the tom.
    drums.NoteOn(kQ, 45, 100, kDrums).NoteOn(0, 51, 100, kDrums);
    drums.NoteOn(kQ, 46, 100, kDrums);
    drums.End(kQ);
    auto result = ArrangeAuto(MidiFile().Add(Conductor()).Add(drums).Build());
    ASSERT_TRUE(result.ok) << result.error;
    ArrangedSong song = ReadArranged(result.midi);
    EXPECT_EQ(Keys(song.voices[arrange::kNoise]), (std::vector<int>{49, 40, 45, 46}));
    EXPECT_EQ(Keys(song.voices[arrange::kDpcm]), (std::vector<int>{38, 36}));
    EXPECT_EQ(result.report.voices[arrange::kNoise].hidden, 2u);
}

TEST(ArrangeRoles, AFileInTheDriversLayoutKeepsItsTracksAndKeys) {
    // Everything on channel 1, one line per track, percussion keys chosen
    // for their labels (a hit shorter than a unit among them).
    MidiFile file;
    file.Add(Conductor());
    file.Add(Line({72, 74}, 8, kQ, 0, 80));
    file.Add(Line({64, 65}, 8, kQ, 0, 81));
    file.Add(Line({40, 43}, 4, 2 * kQ, 0));
    Track noise;
    std::uint32_t rest = 0;
    for (int i = 0; i < 8; ++i) {
        int key = i % 2 ? 61 : 42;
        std::uint32_t length = i == 3 ? 10 : kQ;
        noise.NoteOn(rest, key).NoteOff(length, key);
        rest = kQ - length;
    }
    file.Add(noise.End(0));
    file.Add(Line({60, 62}, 4, 2 * kQ, 0));
    auto result = ArrangeAuto(file.Build());
    ASSERT_TRUE(result.ok) << result.error;
    ArrangedSong song = ReadArranged(result.midi);
    EXPECT_EQ(Keys(song.voices[arrange::kSquare1]), (std::vector<int>{72, 74, 72, 74, 72, 74, 72, 74}));
    EXPECT_EQ(Keys(song.voices[arrange::kSquare2]), (std::vector<int>{64, 65, 64, 65, 64, 65, 64, 65}));
    EXPECT_EQ(Keys(song.voices[arrange::kTriangle]), (std::vector<int>{40, 43, 40, 43}));
    EXPECT_EQ(Keys(song.voices[arrange::kNoise]), (std::vector<int>{42, 61, 42, 61, 42, 61, 42, 61}));
    EXPECT_EQ(Keys(song.voices[arrange::kDpcm]), (std::vector<int>{60, 62, 60, 62}));
    EXPECT_EQ(result.report.voices[arrange::kNoise].droppedShort, 0u);

    // The same tracks on channels of their own are a General MIDI file.
    MidiFile general;
    general.Add(Conductor()).Add(Line({72, 74}, 8, kQ, 0, 80)).Add(Line({64, 65}, 8, kQ, 1, 81))
        .Add(Line({40, 43}, 4, 2 * kQ, 2)).Add(Line({50, 52}, 4, 2 * kQ, 3));
    auto arranged = ArrangeAuto(general.Build());
    ASSERT_TRUE(arranged.ok);
    EXPECT_TRUE(ReadArranged(arranged.midi).voices[arrange::kNoise].empty());
}

}  // namespace
}  // namespace kelvane::test
