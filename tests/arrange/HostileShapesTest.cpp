// Shapes that once cost the arrangement more than linear time, held to what
// they should do: thousands of notes of no length at one onset, and a track
// that sends all-notes-off again and again. How fast they run is the
// benchmarks' business (bench/ArrangeBench.cpp); these check the results.
#include <gtest/gtest.h>

#include "ArrangedSong.h"
#include "MidiBuilder.h"
#include "SmfReader.h"

namespace kelvane::test {
namespace {

constexpr std::uint32_t kQ = 480;  // one quarter

Track Conductor() { return Track().Tempo(0, 500000).End(0); }

// `count` notes of no length at `key`, all at the track's current tick.
Track& ZeroLengthNotes(Track& track, int key, int count, int channel = 0) {
    for (int i = 0; i < count; ++i) track.NoteOn(0, key, 100, channel).NoteOff(0, key, 0, channel);
    return track;
}

TEST(ArrangeShortNotes, ThousandsOfOneKeyAtOneOnsetMergeIntoEachOtherAndCountAsOneDrop) {
    // Above the one real note, so they are tried first: each merges into the
    // next of its key, the last has none and is dropped; the real note plays.
    Track line;
    ZeroLengthNotes(line, 72, 20000);
    line.NoteOn(0, 60).NoteOff(kQ, 60).End(0);
    auto result = ArrangeAuto(MidiFile().Add(Conductor()).Add(line).Build());
    ASSERT_TRUE(result.ok) << result.error;
    ArrangedSong song = ReadArranged(result.midi);
    EXPECT_EQ(Keys(song.voices[arrange::kSquare1]), std::vector<int>{60});
    ASSERT_EQ(song.voices[arrange::kSquare1].size(), 1u);
    // A quarter note long, on the nearest point of the song's grid.
    EXPECT_NEAR(song.voices[arrange::kSquare1][0].end, 500.0 / result.report.unitMs, 0.5);
    EXPECT_EQ(result.report.voices[arrange::kSquare1].droppedShort, 1u);
    EXPECT_EQ(result.report.voices[arrange::kSquare1].notes, 1u);
}

TEST(ArrangeShortNotes, OnesOfTheSoundingKeyMergeIntoItAndOnlyTheLastOfAnotherKeyIsDropped) {
    // 72 sounds for two quarters on one channel; at its middle, on another
    // channel of the track, 5000 notes of no length at 74 (one drop) and
    // 5000 at 72 (merged into the sounding note, whatever its part).
    Track line;
    line.NoteOn(0, 72);
    for (int i = 0; i < 5000; ++i) {
        line.NoteOn(i == 0 ? kQ : 0, 74, 100, 1).NoteOff(0, 74, 0, 1);
        line.NoteOn(0, 72, 100, 1).NoteOff(0, 72, 0, 1);
    }
    line.NoteOff(kQ, 72).End(0);
    arrange::VoiceAssignment track1;
    std::string error;
    ASSERT_TRUE(arrange::ParseVoiceSpec("square1=t1", track1, error)) << error;
    auto result = arrange::Arrange(MidiFile().Add(Conductor()).Add(line).Build(), track1);
    ASSERT_TRUE(result.ok) << result.error;
    const ArrangedSong song = ReadArranged(result.midi);
    const auto& notes = song.voices[arrange::kSquare1];
    ASSERT_EQ(Keys(notes), std::vector<int>{72});
    EXPECT_EQ(notes[0].start, 0u);
    EXPECT_NEAR(notes[0].end, 1000.0 / result.report.unitMs, 0.5);  // two quarters
    EXPECT_EQ(result.report.voices[arrange::kSquare1].droppedShort, 1u);
}

TEST(ArrangeShortNotes, ANoteOfNoLengthFollowedByNoneOfItsPartAndKeyIsDroppedOncePerPart) {
    // Two parts at one onset, the same key in each: merging looks for the
    // same part, so each part's last note of no length is its own drop.
    Track line, other;
    ZeroLengthNotes(line, 84, 300, 0);
    line.NoteOn(0, 67).NoteOff(kQ, 67).End(0);
    ZeroLengthNotes(other, 84, 300, 1);
    other.NoteOn(0, 64, 100, 1).NoteOff(kQ, 64, 0, 1).End(0);
    arrange::VoiceAssignment both;
    std::string error;
    ASSERT_TRUE(arrange::ParseVoiceSpec("square1=t1+t2,square2=none,triangle=none", both, error)) << error;
    auto result = arrange::Arrange(MidiFile().Add(Conductor()).Add(line).Add(other).Build(), both);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(Keys(ReadArranged(result.midi).voices[arrange::kSquare1]), std::vector<int>{67});
    EXPECT_EQ(result.report.voices[arrange::kSquare1].droppedShort, 2u);
}

struct ReadNote {
    std::uint64_t start, end;
    int channel, key;
};

std::vector<ReadNote> ReadNotes(const Bytes& midi) {
    arrange::Score score;
    std::string error;
    EXPECT_TRUE(arrange::ReadScore(midi.data(), midi.size(), score, error)) << error;
    std::vector<ReadNote> notes;
    for (const arrange::Note& note : score.notes)
        notes.push_back({note.startTick, note.endTick, score.parts[note.part].channel, note.key});
    return notes;
}

TEST(ArrangeReading, AllNotesOffEndsItsChannelsNotesEachTimeAndNoOthers) {
    Track track;
    track.NoteOn(0, 60, 100, 0).NoteOn(0, 62, 100, 0).NoteOn(0, 60, 100, 1);
    track.Controller(kQ, 123, 0, 0);  // ends both notes of channel 1, not channel 2's
    for (int i = 0; i < 10000; ++i) track.Controller(0, 123, 0, 0);
    track.NoteOn(0, 60, 100, 0);  // the same key again: the next one ends it too
    track.Controller(kQ, 120, 0, 0);
    track.NoteOn(0, 62, 100, 0).NoteOn(0, 64, 100, 2);
    track.NoteOff(kQ, 60, 0, 1).End(kQ);  // what is still open ends with the track
    std::vector<ReadNote> notes = ReadNotes(MidiFile().Format(0).Add(track).Build());
    ASSERT_EQ(notes.size(), 6u);
    auto expect = [&](std::size_t i, std::uint64_t start, std::uint64_t end, int channel, int key) {
        SCOPED_TRACE(i);
        EXPECT_EQ(notes[i].start, start);
        EXPECT_EQ(notes[i].end, end);
        EXPECT_EQ(notes[i].channel, channel);
        EXPECT_EQ(notes[i].key, key);
    };
    expect(0, 0, kQ, 0, 60);
    expect(1, 0, kQ, 0, 62);
    expect(2, 0, 3 * kQ, 1, 60);
    expect(3, kQ, 2 * kQ, 0, 60);
    expect(4, 2 * kQ, 4 * kQ, 0, 62);
    expect(5, 2 * kQ, 4 * kQ, 2, 64);
}

TEST(ArrangeShortNotes, ASongOfOnlyNotesShorterThanAUnitIsPlayedNotSilenced) {
    // A tune of one-tick notes, a quarter apart: each would be dropped as
    // shorter than a unit, and the song would play nothing.
    Track tune;
    const int keys[] = {60, 62, 64, 65, 67, 69, 71, 72};
    std::uint32_t wait = 0;
    for (int key : keys) {
        tune.NoteOn(wait, key).NoteOff(1, key);
        wait = kQ - 1;
    }
    auto result = ArrangeAuto(MidiFile().Add(Conductor()).Add(tune.End(0)).Build());
    ASSERT_TRUE(result.ok) << result.error;
    ArrangedSong song = ReadArranged(result.midi);
    EXPECT_EQ(Keys(song.voices[arrange::kSquare1]), std::vector<int>(std::begin(keys), std::end(keys)));
    for (const PlayedNote& note : song.voices[arrange::kSquare1]) EXPECT_EQ(note.end - note.start, 1u);
    bool said = false;
    for (const std::string& warning : result.report.warnings)
        said = said || warning == "音符都短于一个时间单位: 每个按一个单位播放";
    EXPECT_TRUE(said);
}

}  // namespace
}  // namespace kelvane::test
