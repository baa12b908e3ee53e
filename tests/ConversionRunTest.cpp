// Whole runs: the order of steps, the status lines, the message boxes, and
// what each failure leaves on disk.
#include <gtest/gtest.h>

#include "TestSupport.h"

namespace kelvane::test {
namespace {

Track Conductor() { return Track().Tempo(0, 500000).End(0); }
Track Tune(int note = 60) { return Track().NoteOn(0, note).NoteOff(240, note).End(0); }

MidiFile SixTracks() {
    MidiFile file;
    file.Add(Conductor());
    for (int i = 0; i < 5; ++i) file.Add(Tune(60 + i));
    return file;
}

TEST(ConversionRun, CleanSixTrackRunShowsTheSixStatusLines) {
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(SixTracks().Build()));
    EXPECT_TRUE(run.ui.messages.empty());
    EXPECT_EQ(run.ui.statusText,
              "\n\n\nMIDI轨道数:6,MIDI节拍数:480\n输出文件:/music/song.asm\n转换成功!\n");
    EXPECT_EQ(run.ui.progress,
              (std::vector<std::string>{"reset", "range 6", "step 1", "stepit", "stepit", "stepit", "stepit",
                                        "stepit", "stepit"}));
    EXPECT_EQ(run.Pointer(1), 0x800E);
    std::string text = run.Asm();
    EXPECT_EQ(text.find("\t\tdb\t\t4,4,4,4\t\t; Tempo\r\n"
                        "\t\tdw\t\tsong_Square1\r\n\t\tdw\t\tsong_Square2\r\n\t\tdw\t\tsong_Triangle\r\n"
                        "\t\tdw\t\tsong_Noise\r\n\t\tdw\t\tsong_DPCM\r\n"
                        ";...........................................................\r\nsong_Square1:\r\n"),
              0u);
    EXPECT_EQ(run.Rom().size(), kImageSize);
}

TEST(ConversionRun, AnArrangedSongIsDescribedByTheUsersFileAndItsArrangementLine) {
    // The user's file: one track at division 120; the bytes converted are
    // the arrangement's six tracks at 480.
    InMemoryRun run;
    run.files.Put("/music/song.mid", MidiFile().Division(120).Add(Tune()).Build());
    const Bytes arranged = SixTracks().Build();
    const MidiHeader usersFile{1, 120};
    ConversionRequest request = Request("/music/song.mid", "song");
    request.midiData = &arranged;
    request.arrangedFrom = &usersFile;
    const ConversionReport report = run.converter.Run(request);
    ASSERT_TRUE(report.succeeded);
    EXPECT_TRUE(report.arranged);
    EXPECT_EQ(report.trackCount, 1);
    EXPECT_EQ(report.division, 120);
    EXPECT_EQ(run.ui.appended,
              (std::vector<std::string>{"MIDI轨道数:1,MIDI节拍数:120\n",
                                        "编排：方波1 1音，方波2 1音，三角波 1音，噪声 1击，DPCM 1击；歌曲空间 0%\n",
                                        "输出文件:/music/song.asm\n", "转换成功!\n"}));
    EXPECT_EQ(report.midiPath, "/music/song.mid");
    EXPECT_EQ(report.outputs, (std::vector<std::string>{"/music/song.asm", "/music/song.h", kRomPath}));
}

TEST(ConversionRun, ZeroTracksCopyTheTemplate) {
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(MidiFile().Build()));
    EXPECT_EQ(run.ui.appended.front(), "MIDI轨道数:0,MIDI节拍数:480\n");
    EXPECT_EQ(run.ui.progress, (std::vector<std::string>{"reset", "range 0", "step 1"}));
    EXPECT_EQ(run.Asm(), "");
    EXPECT_EQ(run.H(), "");
    EXPECT_EQ(run.Rom(), StandInTemplate());
    EXPECT_EQ(run.ui.appended.back(), "转换成功!\n");
}

TEST(ConversionRun, OneTrackGivesTempoAndNoPointers) {
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(MidiFile().Format(0).Add(Track().Tempo(0, 400000).End(0)).Build()));
    EXPECT_EQ(run.Asm(), "\t\tdb\t\t4,3,4,3\t\t; Tempo\r\n");
    EXPECT_EQ(run.Block(0x8000, 4), (Bytes{4, 3, 4, 3}));
    Bytes untouched = StandInTemplate();
    EXPECT_EQ(run.Block(0x8004, 10), Bytes(untouched.begin() + 0x78004, untouched.begin() + 0x7800E));
}

TEST(ConversionRun, ThreeTracksFillTwoPointersAndKeepTheOthers) {
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(MidiFile().Add(Conductor()).Add(Tune()).Add(Tune()).Build()));
    EXPECT_EQ(run.Pointer(1), 0x800E);
    // Square1: $A0 $1B then $AF $01 $FF.
    EXPECT_EQ(run.Pointer(2), 0x800E + 5);
    Bytes untouched = StandInTemplate();
    EXPECT_EQ(run.Block(0x8008, 6), Bytes(untouched.begin() + 0x78008, untouched.begin() + 0x7800E));
}

TEST(ConversionRun, SevenTracksAreRefusedAndLeaveTheImageAlone) {
    InMemoryRun run;
    run.files.Put(kRomPath, Bytes{1, 2, 3});
    run.ui.statusText = "earlier";
    MidiFile file = SixTracks();
    file.Add(Tune());
    EXPECT_FALSE(run.Convert(file.Build()));
    EXPECT_EQ(run.ui.messages, std::vector<std::string>{"MIDI轨道数太多"});
    EXPECT_TRUE(run.ui.appended.empty());
    // The status speaks of this run only: it was emptied when the run began.
    EXPECT_EQ(run.ui.statusText, "\n\n\n\n\n\n");
    EXPECT_EQ(run.Rom(), (Bytes{1, 2, 3}));
    EXPECT_EQ(run.files.openSinks, 0);
    EXPECT_EQ(run.files.Paths().size(), 3u);  // template, MIDI, ROM.BIN: no empty or temporary file
}

TEST(ConversionRun, ConvertWithoutAFileReportsTheEmptyPath) {
    InMemoryRun run;
    EXPECT_FALSE(run.Run("", ""));
    EXPECT_EQ(run.ui.messages, std::vector<std::string>{"无法打开MIDI文件"});
    EXPECT_EQ(run.ui.appended, (std::vector<std::string>{"输出文件:\n", "转换失败!\n"}));
    EXPECT_FALSE(run.files.Has(kRomPath));
}

TEST(ConversionRun, AFailureBeforeTheOutputsNamesNoPathOfAnEarlierRun) {
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(SixTracks().Build()));
    EXPECT_FALSE(run.Run("/music/missing.mid", "missing"));
    EXPECT_EQ(run.ui.statusText, "\n\n\n\n输出文件:\n转换失败!\n");
}

TEST(ConversionRun, HeaderFailuresShowTheirBoxAndOpenNoOutput) {
    struct Case {
        Bytes midi;
        const char* message;
    };
    Bytes notMidi = {'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 1, 0, 1, 1, 0xE0};
    std::vector<Case> cases = {
        {Bytes{}, "MIDI文件无法识别"},
        {Bytes(13, 'M'), "MIDI文件无法识别"},
        {notMidi, "MIDI文件无法识别"},
        {MidiFile().Format(2).Build(), "不支持的MIDI文件格式"},
        {MidiFile().Division(7).Build(), "不支持的MIDI文件格式"},
        {MidiFile().Division(0).Build(), "不支持的MIDI文件格式"},
    };
    for (const Case& c : cases) {
        InMemoryRun run;
        EXPECT_FALSE(run.Convert(c.midi));
        EXPECT_EQ(run.ui.messages, std::vector<std::string>{c.message});
        EXPECT_EQ(run.ui.appended, (std::vector<std::string>{"输出文件:\n", "转换失败!\n"}));
        EXPECT_FALSE(run.files.Has("/music/song.asm"));
        EXPECT_FALSE(run.files.Has(kRomPath));
    }
}

TEST(ConversionRun, FormatsZeroOneAndThreeAndDivisionEightPass) {
    for (int format : {0, 1, 3, 65535}) {
        InMemoryRun run;
        EXPECT_TRUE(run.Convert(MidiFile().Format(format).Division(8).Add(Conductor()).Build()));
    }
}

TEST(ConversionRun, ANonTrackChunkTakesATrackIndex) {
    InMemoryRun run;
    MidiFile file;
    file.Add(Conductor()).Add(Tune()).AddChunk("XYZW", 3, {1, 2, 3}).Add(Tune(62));
    EXPECT_FALSE(run.Convert(file.Build()));
    EXPECT_EQ(run.ui.statusText, "\n\nMIDI轨道数:4,MIDI节拍数:480\n***错误*** MIDI轨道2格式无法识别\n"
                                 "输出文件:/music/song.asm\n转换失败!\n");
    EXPECT_NE(run.Asm().find("song_Square2:\r\n;....."), std::string::npos);
    EXPECT_EQ(run.Pointer(2), run.Pointer(3));
    EXPECT_NE(run.Asm().find("MPCC_Inside+nD"), std::string::npos);  // the last chunk became Triangle
}

TEST(ConversionRun, MissingTracksAreEachReported) {
    InMemoryRun run;
    EXPECT_FALSE(run.Convert(MidiFile().AnnouncedTracks(3).Add(Conductor()).Build()));
    std::vector<std::string> expected = {"MIDI轨道数:3,MIDI节拍数:480\n", "***错误*** MIDI轨道1格式无法识别\n",
                                         "***错误*** MIDI轨道2格式无法识别\n", "输出文件:/music/song.asm\n",
                                         "转换失败!\n"};
    EXPECT_EQ(run.ui.appended, expected);
    EXPECT_NE(run.Asm().find("song_Square2:"), std::string::npos);
    EXPECT_EQ(run.Pointer(1), 0x800E);
    EXPECT_EQ(run.Pointer(2), 0x800E);
}

TEST(ConversionRun, AHeaderOfTenBytesIsSkippedWhole) {
    Bytes midi = MidiFile().Add(Conductor()).Add(Tune()).Build();
    midi[7] = 10;
    midi.insert(midi.begin() + 14, {0xAA, 0xBB, 0xCC, 0xDD});
    InMemoryRun run;
    EXPECT_TRUE(run.Convert(midi));
}

TEST(ConversionRun, AFailingTrackIsReportedAndTheNextOneStillConverts) {
    Track broken = Track().NoteOn(0, 60).Raw({0x40}, 0);  // a data byte where a status is due
    InMemoryRun run;
    EXPECT_FALSE(run.Convert(MidiFile().Add(Conductor()).Add(broken).Add(Tune(64)).Build()));
    EXPECT_EQ(run.ui.appended[1], "***错误*** MIDI轨道1数据无法解析\n");
    EXPECT_NE(run.Asm().find("song_Square2:\r\n\t\tdb\t\tMPCC_Inside+nE"), std::string::npos);
}

TEST(ConversionRun, ATrackWithoutTempoStartsAt120BeatsPerMinute) {
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(MidiFile().Add(Track().Tempo(0, 250000).End(0)).Build()));
    ASSERT_TRUE(run.Convert(MidiFile().Add(Track().End(0)).Build()));
    EXPECT_EQ(run.Asm(), "\t\tdb\t\t4,4,4,4\t\t; Tempo\r\n");
}

TEST(ConversionRun, TheSecondRunHoldsOnlyItsOwnLabelsAndLyrics) {
    InMemoryRun run;
    MidiFile first;
    first.Add(Conductor()).Add(Track().Program(0, 1).Lyric(8, "one").NoteOn(0, 60).NoteOff(60, 60).End(0));
    ASSERT_TRUE(run.Convert(first.Build()));
    MidiFile second;
    second.Add(Conductor()).Add(Track().Lyric(120, "two").End(0));
    ASSERT_TRUE(run.Convert(second.Build()));
    EXPECT_EQ(run.H(), "");
    EXPECT_EQ(run.Lrc().find("one"), std::string::npos);
    EXPECT_NE(run.Lrc().find("\"two\""), std::string::npos);
}

TEST(ConversionRun, LongPathsAreNeitherCutNorOverflowing) {
    std::string directory = "/" + std::string(600, 'd') + "/";
    std::string name = std::string(300, 'n');
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(MidiFile().Add(Conductor()).Add(Tune()).Build(), directory + name + ".mid"));
    EXPECT_EQ(run.ui.appended[1], "输出文件:" + directory + name + ".asm\n");
    EXPECT_NE(run.Asm(directory + name).find(name + "_Square1:"), std::string::npos);
}

TEST(ConversionRun, TheSongNameIsWrittenInGbk) {
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(MidiFile().Add(Conductor()).Add(Tune()).Build(), "/music/歌.mid"));
    EXPECT_NE(run.Asm("/music/歌").find("\xB8\xE8_Square1:\r\n"), std::string::npos);
    EXPECT_EQ(run.ui.appended[1], "输出文件:/music/歌.asm\n");
}

}  // namespace
}  // namespace kelvane::test
