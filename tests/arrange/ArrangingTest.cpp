// The command line's arrangement step over files: reading, the spec, and
// saving the arranged file without ever leaving half of one.
#include <gtest/gtest.h>

#include "Arranging.h"
#include "MemoryFileSystem.h"
#include "MidiBuilder.h"
#include "TestSupport.h"

namespace kelvane::test {
namespace {

constexpr char kSong[] = "/music/song.mid";
constexpr char kSaved[] = "/music/song.arranged.mid";

struct Folder {
    MemoryFileSystem files;
    Folder() {
        Track melody;
        melody.NoteOn(0, 72).NoteOff(480, 72).NoteOn(0, 74).NoteOff(480, 74).End(0);
        files.Put(kSong, MidiFile().Add(Track().End(0)).Add(melody).Build());
        files.Put(kSaved, std::string("old"));
    }
};

TEST(Arranging, ArrangesAndSavesTheArrangedFileWhole) {
    Folder folder;
    ArrangedFile result = ArrangeMidiFile(folder.files, kSong, "triangle=t1", kSaved);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(folder.files.Get(kSaved), result.midi);
    EXPECT_EQ(result.report.voices[arrange::kTriangle].notes, 2u);
    EXPECT_EQ(folder.files.Paths().size(), 2u);  // no temporary file left
    EXPECT_EQ(folder.files.openSinks, 0);

    ArrangedFile unsaved = ArrangeMidiFile(folder.files, kSong, "", "");
    ASSERT_TRUE(unsaved.ok);
    EXPECT_EQ(unsaved.report.voices[arrange::kSquare1].notes, 2u);
}

TEST(Arranging, TheUsersHeaderIsKeptForTheStatusLineAlsoInsideARiffWrapper) {
    Folder folder;
    ArrangedFile plain = ArrangeMidiFile(folder.files, kSong, "", "");
    ASSERT_TRUE(plain.ok);
    EXPECT_EQ(plain.source.trackCount, 2);
    EXPECT_EQ(plain.source.division, 480);
    // The arranged file has six tracks of its own; the request names the user's.
    ConversionRequest request;
    plain.Into(request);
    EXPECT_EQ(request.midiData, &plain.midi);
    EXPECT_EQ(request.arrangedFrom, &plain.source);

    Track melody;
    melody.NoteOn(0, 72).NoteOff(96, 72).End(0);
    Bytes smf = MidiFile().Division(96).Add(melody).Build();
    Bytes riff = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'd', 'a', 't', 'a', 0, 0, 0, 0};
    riff.insert(riff.end(), smf.begin(), smf.end());
    folder.files.Put("/music/riff.mid", riff);
    ArrangedFile wrapped = ArrangeMidiFile(folder.files, "/music/riff.mid", "", "");
    ASSERT_TRUE(wrapped.ok) << wrapped.error;
    EXPECT_EQ(wrapped.source.trackCount, 1);
    EXPECT_EQ(wrapped.source.division, 96);
}

TEST(Arranging, TheStatusLineCountsTheSongsNotesNotTheRestsWrittenAsNotes) {
    // Two notes with a rest of a quarter between them: the arranged stream
    // holds three note commands, the rest one of them at volume 0.
    InMemoryRun run;
    Track melody;
    melody.NoteOn(0, 72).NoteOff(480, 72).NoteOn(480, 74).NoteOff(480, 74).End(0);
    run.files.Put(kSong, MidiFile().Add(Track().End(0)).Add(melody).Build());
    ArrangedFile arranged = ArrangeMidiFile(run.files, kSong, "", "");
    ASSERT_TRUE(arranged.ok) << arranged.error;
    EXPECT_EQ(arranged.report.restsKept[arrange::kSquare1], 1u);
    ConversionRequest request = Request(kSong, "song");
    arranged.Into(request);
    ConversionReport report = run.converter.Run(request);
    ASSERT_TRUE(report.succeeded);
    EXPECT_EQ(report.voices[arrange::kSquare1].notes, 2u);
    EXPECT_EQ(report.voices[arrange::kSquare1].rests, 1u);
    ASSERT_GE(run.ui.appended.size(), 2u);
    EXPECT_EQ(run.ui.appended[1].rfind("编排：方波1 2音，", 0), 0u) << run.ui.appended[1];
    // The arrangement's share of the report leaves the engine's count alone.
    arranged.report.ApplyTo(report);
    EXPECT_EQ(report.voices[arrange::kSquare1].notes, 2u);
}

TEST(Arranging, ReportsEachFailureInWordsAndLeavesTheOldFile) {
    Folder folder;
    ArrangedFile missing = ArrangeMidiFile(folder.files, "/music/none.mid", "", kSaved);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, "无法打开MIDI文件");

    ArrangedFile badSpec = ArrangeMidiFile(folder.files, kSong, "bass=t1", kSaved);
    EXPECT_FALSE(badSpec.ok);
    EXPECT_EQ(badSpec.error.rfind("无法识别的声道设置: bass=t1", 0), 0u);

    folder.files.Put("/music/text.mid", std::string("not a song"));
    ArrangedFile notMidi = ArrangeMidiFile(folder.files, "/music/text.mid", "", kSaved);
    EXPECT_EQ(notMidi.error, "MIDI文件无法识别");

    folder.files.failClose.insert(kSaved);
    ArrangedFile unwritable = ArrangeMidiFile(folder.files, kSong, "", kSaved);
    EXPECT_FALSE(unwritable.ok);
    EXPECT_EQ(unwritable.error, std::string("无法写入编排后的MIDI文件: ") + kSaved);
    EXPECT_FALSE(unwritable.midi.empty());
    folder.files.uncreatable.insert(kSaved);
    EXPECT_FALSE(ArrangeMidiFile(folder.files, kSong, "", kSaved).ok);

    EXPECT_EQ(folder.files.Text(kSaved), "old");
    EXPECT_EQ(folder.files.openSinks, 0);
}

}  // namespace
}  // namespace kelvane::test
