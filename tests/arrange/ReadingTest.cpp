// Files a common player reads, read as it reads them; tempo folding; lyrics.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "Analyze.h"
#include "ArrangedSong.h"
#include "MidiBuilder.h"
#include "TestSupport.h"

namespace kelvane::test {
namespace {

constexpr std::uint32_t kQ = 480;

std::vector<int> Square1Keys(const Bytes& midi) {
    auto result = ArrangeAuto(midi);
    EXPECT_TRUE(result.ok) << result.error;
    return Keys(ReadArranged(result.midi).voices[arrange::kSquare1]);
}

TEST(ArrangeReading, RunningStatusCarriesAcrossMetaAndSystemExclusiveEvents) {
    Track track;
    track.NoteOn(0, 60).Raw({60, 0}, kQ);  // running status inside a run
    track.Text(0, 0x01, "break");
    track.Raw({62, 100}, 0).Raw({62, 0}, kQ);  // still note-on after the meta event
    track.SysEx(0, {0x7E, 0x7F, 0x09, 0x01, 0xF7});
    track.Raw({64, 100}, 0).Raw({64, 0}, kQ);  // and after the system-exclusive one
    EXPECT_EQ(Square1Keys(MidiFile().Format(0).Add(track.End(0)).Build()), (std::vector<int>{60, 62, 64}));
}

TEST(ArrangeReading, SystemCommonAndRealTimeBytesAreSkippedWithTheirData) {
    Track track;
    track.Raw({0xF1, 0x7F}, 0).Raw({0xF2, 0x7F, 0x7F}, 0).Raw({0xF3, 0x7F}, 0).Raw({0xF6}, 0).Raw({0xF8}, 0)
        .Raw({0xFE}, 0);
    track.NoteOn(0, 67).NoteOff(kQ, 67).End(0);
    EXPECT_EQ(Square1Keys(MidiFile().Format(0).Add(track).Build()), std::vector<int>{67});
}

TEST(ArrangeReading, ACutChunkIsReadUpToTheCut) {
    Track track;
    track.NoteOn(0, 60).NoteOff(kQ, 60).NoteOn(0, 62).NoteOff(kQ, 62).NoteOn(0, 64).NoteOff(kQ, 64);
    // The length claims far more than the file holds, and no end of track.
    Bytes midi = MidiFile().Format(0).AddChunk("MTrk", 100000, track.Events()).Build();
    EXPECT_EQ(Square1Keys(midi), (std::vector<int>{60, 62, 64}));
}

TEST(ArrangeReading, ANoteOffAtTheTickOfANoteOnOfItsKeyComesFirst) {
    // The file writes the next note-on before the note-off that ends the
    // previous note of the same key: two notes, not one cut to nothing.
    Track track;
    track.NoteOn(0, 60).NoteOn(kQ, 60).NoteOff(0, 60).NoteOff(kQ, 60).End(0);
    auto result = ArrangeAuto(MidiFile().Format(0).Add(track).Build());
    ASSERT_TRUE(result.ok);
    ArrangedSong song = ReadArranged(result.midi);
    const auto& notes = song.voices[arrange::kSquare1];
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].end, UnitAt(song, 0.5));
    EXPECT_EQ(notes[1].start, UnitAt(song, 0.5));
    EXPECT_EQ(notes[1].end, UnitAt(song, 1.0));
    EXPECT_EQ(result.report.voices[arrange::kSquare1].droppedShort, 0u);
}

TEST(ArrangeReading, FormatTwoTracksPlayOneAfterAnother) {
    Track first, second;
    first.NoteOn(0, 60).NoteOff(kQ, 60).End(0);
    second.NoteOn(0, 62).NoteOff(kQ, 62).End(0);
    auto result = ArrangeAuto(MidiFile().Format(2).Add(first).Add(second).Build());
    ASSERT_TRUE(result.ok);
    ArrangedSong song = ReadArranged(result.midi);
    std::vector<PlayedNote> all;
    for (int v : {arrange::kSquare1, arrange::kSquare2, arrange::kTriangle})
        all.insert(all.end(), song.voices[v].begin(), song.voices[v].end());
    ASSERT_EQ(all.size(), 2u);
    EXPECT_NE(all[0].start, all[1].start);
    EXPECT_EQ(all[0].start + all[1].start, UnitAt(song, 0.5));  // one at 0, the other after it
}

TEST(ArrangeReading, SmpteDivisionsGoThroughRealTime) {
    // 25 frames of 40 ticks: 1000 ticks a second.
    Track track;
    track.NoteOn(0, 60).NoteOff(1000, 60).NoteOn(500, 64).NoteOff(500, 64).End(0);
    Bytes midi = MidiFile().Format(0).Division(0xE728).Add(track).Build();
    auto result = ArrangeAuto(midi);
    ASSERT_TRUE(result.ok) << result.error;
    ArrangedSong song = ReadArranged(result.midi);
    const auto& notes = song.voices[arrange::kSquare1];
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].end, UnitAt(song, 1.0));
    EXPECT_EQ(notes[1].start, UnitAt(song, 1.5));
    EXPECT_EQ(notes[1].end, UnitAt(song, 2.0));
    EXPECT_EQ(song.rests[arrange::kSquare1], 1u);
}

TEST(ArrangeReading, NonTrackChunksAndARiffWrapperAreSkipped) {
    Track track;
    track.NoteOn(0, 65).NoteOff(kQ, 65).End(0);
    Bytes midi = MidiFile().AddChunk("Junk", 4, {1, 2, 3, 4}).Add(track).Build();
    const std::string wrapper("RIFF\0\0\0\0RMIDdata\0\0\0\0", 20);
    Bytes riff(wrapper.begin(), wrapper.end());
    riff.resize(wrapper.size() + midi.size());
    std::copy(midi.begin(), midi.end(), riff.begin() + static_cast<long>(wrapper.size()));
    EXPECT_EQ(Square1Keys(riff), std::vector<int>{65});
}

TEST(ArrangeReading, BytesThatAreNoSongAreRefusedInWords) {
    auto notMidi = ArrangeAuto(Bytes{'h', 'e', 'l', 'l', 'o'});
    EXPECT_FALSE(notMidi.ok);
    EXPECT_EQ(notMidi.error, "MIDI文件无法识别");
    auto empty = ArrangeAuto(Bytes());
    EXPECT_FALSE(empty.ok);
    EXPECT_EQ(empty.error, "MIDI文件无法识别");
    Track silent;
    silent.Tempo(0, 500000).Text(0, 0x01, "nothing to play").End(kQ);
    auto noNotes = ArrangeAuto(MidiFile().Add(silent).Build());
    EXPECT_FALSE(noNotes.ok);
    EXPECT_EQ(noNotes.error, "MIDI文件中没有音符");
    EXPECT_TRUE(noNotes.midi.empty());
}

TEST(ArrangeTempo, ATempoChangeHalfwayKeepsTheSecondHalfsRealTiming) {
    // Eight quarter notes at 120 beats per minute (4 s), then eight at 60
    // (8 s): one grid for both, each section as long as it was.
    Track conductor;
    conductor.Tempo(0, 500000).Tempo(8 * kQ, 1000000).End(0);
    Track melody;
    for (int i = 0; i < 16; ++i) melody.NoteOn(0, 60 + i).NoteOff(kQ, 60 + i);
    auto result = ArrangeAuto(MidiFile().Add(conductor).Add(melody.End(0)).Build());
    ASSERT_TRUE(result.ok);
    ArrangedSong song = ReadArranged(result.midi);
    const auto& notes = song.voices[arrange::kSquare1];
    ASSERT_EQ(notes.size(), 16u);
    const double unit = SecondsOf(song, 4) / 4;
    for (int i = 0; i < 16; ++i) {
        double real = i < 8 ? 0.5 * i : 4.0 + (i - 8);
        EXPECT_LE(std::abs(SecondsOf(song, notes[static_cast<std::size_t>(i)].start) - real), unit / 2) << i;
    }
    EXPECT_EQ(notes[8].start, UnitAt(song, 4.0));   // the second half starts 4 s in
    EXPECT_EQ(notes[15].end, UnitAt(song, 12.0));   // and lasts 8 s
    ConvertedSong converted = ConvertArranged(result.midi);
    ASSERT_EQ(converted.voices[arrange::kSquare1].size(), 16u);
    for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(converted.voices[arrange::kSquare1][i].start, notes[i].start);
    bool warned = false;
    for (const std::string& warning : result.report.warnings) warned |= warning.find("速度变化") != std::string::npos;
    EXPECT_TRUE(warned);
}

TEST(ArrangeLyrics, SyllablesOfOneUnitJoinTheStartMovesAndQuotesBecomeSingle) {
    Track melody;
    melody.Lyric(0, "Hel").Lyric(0, "lo").NoteOn(0, 60).NoteOff(kQ, 60);
    melody.Lyric(kQ / 4, "say \"hi\"");                       // in the rest
    melody.NoteOn(kQ / 4, 62).Lyric(10, "a").Lyric(10, "b");  // within one unit of the note
    melody.NoteOff(kQ, 62).End(0);
    Track drums;
    drums.NoteOn(0, 36, 100, 9).NoteOff(kQ, 36, 0, 9).End(0);
    Bytes midi = MidiFile().Add(Track().End(0)).Add(drums).Add(melody).Build();
    auto result = ArrangeAuto(midi);
    ASSERT_TRUE(result.ok);
    ArrangedSong song = ReadArranged(result.midi);
    ASSERT_EQ(song.lyrics.size(), 3u);
    EXPECT_EQ(song.lyrics[0].unit, 1u);
    EXPECT_EQ(song.lyrics[0].text, "Hello");
    EXPECT_EQ(song.lyrics[1].unit, UnitAt(song, 0.625));
    EXPECT_EQ(song.lyrics[1].text, "say 'hi'");
    EXPECT_EQ(song.lyrics[2].text, "ab");
    // Through the engine: the lyric in the rest neither ends the first note
    // early nor starts the second one early, and no lyric has a gap of 0.
    ConvertedSong converted = ConvertArranged(result.midi);
    ASSERT_TRUE(converted.converted);
    std::vector<StreamNote> notes;
    for (const StreamNote& note : converted.voices[arrange::kSquare1])
        if (note.volume > 0) notes.push_back(note);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].start, 0u);
    EXPECT_EQ(notes[1].start, UnitAt(song, 0.75));
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(result.midi));
    const std::uint32_t say = song.lyrics[1].unit, ab = song.lyrics[2].unit;
    EXPECT_NE(run.Lrc().find("1,\"Hello\""), std::string::npos) << run.Lrc();
    EXPECT_NE(run.Lrc().find(std::to_string(say - 1) + ",\"say 'hi'\""), std::string::npos) << run.Lrc();
    EXPECT_NE(run.Lrc().find(std::to_string(ab - say) + ",\"ab\""), std::string::npos) << run.Lrc();
}

TEST(ArrangeLyrics, KaraokeTextEventsBecomeLyrics) {
    Track words;
    words.Text(0, 0x01, "@KMIDI KARAOKE FILE").Text(0, 0x01, "@TTitle");
    words.Text(0, 0x01, "\\Twin").Text(kQ, 0x01, "kle ").Text(kQ, 0x01, "/Lit").End(0);
    Track melody;
    for (int key : {60, 60, 67}) melody.NoteOn(0, key).NoteOff(kQ, key);
    auto result = ArrangeAuto(MidiFile().Add(Track().End(0)).Add(words).Add(melody.End(0)).Build());
    ASSERT_TRUE(result.ok);
    ArrangedSong song = ReadArranged(result.midi);
    ASSERT_EQ(song.lyrics.size(), 3u);
    EXPECT_EQ(song.lyrics[0].text, "Twin");
    EXPECT_EQ(song.lyrics[1].text, "kle ");
    EXPECT_EQ(song.lyrics[2].text, "Lit");
}

}  // namespace
}  // namespace kelvane::test
