// The output paths, the template and the image, and outputs that cannot be
// created or written.
#include <gtest/gtest.h>

#include "SongName.h"
#include "TestSupport.h"

namespace kelvane::test {
namespace {

Bytes SmallSong() {
    return MidiFile()
        .Add(Track().Tempo(0, 500000).End(0))
        .Add(Track().Lyric(48, "hi").NoteOn(0, 60).NoteOff(240, 60).End(0))
        .Build();
}

TEST(OutputSet, OutputsGoBesideTheMidiFile) {
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(SmallSong(), "/music/song.live.mid"));
    EXPECT_TRUE(run.files.Has("/music/song.live.asm"));
    EXPECT_TRUE(run.files.Has("/music/song.live.h"));
    EXPECT_TRUE(run.files.Has("/music/song.live.lrc"));
    EXPECT_NE(run.Asm("/music/song.live").find("song.live_Square1:"), std::string::npos);
}

TEST(OutputSet, AFileNameWithoutExtensionStaysInItsFolder) {
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(SmallSong(), "/music.old/song"));
    EXPECT_TRUE(run.files.Has("/music.old/song.asm"));
    EXPECT_FALSE(run.files.Has("/music.asm"));
    EXPECT_NE(run.Asm("/music.old/song").find("\r\nsong_Square1:"), std::string::npos);
}

TEST(OutputSet, TheImageDiffersFromTheTemplateOnlyInTheSongBlock) {
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(SmallSong()));
    Bytes expected = StandInTemplate();
    const Bytes& rom = run.Rom();
    ASSERT_EQ(rom.size(), kImageSize);
    EXPECT_TRUE(std::equal(rom.begin(), rom.begin() + kSongBlock, expected.begin()));
    // Tempo, the first pointer, and Square1's five bytes; the rest is the template's.
    std::size_t written = 0x800E + 5 - 0x8000;
    EXPECT_TRUE(std::equal(rom.begin() + static_cast<long>(kSongBlock + written), rom.end(),
                           expected.begin() + static_cast<long>(kSongBlock + written)));
    EXPECT_EQ(run.Block(0x8000, 6), (Bytes{4, 4, 4, 4, 0x0E, 0x80}));
}

TEST(OutputSet, ALongerTemplateGivesItsFirst512K) {
    InMemoryRun run;
    run.files.Put(kTemplatePath, StandInTemplate(1 << 20));
    ASSERT_TRUE(run.Convert(SmallSong()));
    EXPECT_EQ(run.Rom().size(), kImageSize);
}

TEST(OutputSet, AMissingOrShortTemplateIsRefused) {
    for (std::size_t size : {std::size_t{0}, kImageSize - 1, std::size_t{1}}) {
        InMemoryRun run;
        run.files.Put(kRomPath, Bytes{9});
        if (size == 1) run.files.Remove(kTemplatePath);
        else run.files.Put(kTemplatePath, StandInTemplate(size));
        EXPECT_FALSE(run.Convert(SmallSong()));
        EXPECT_EQ(run.ui.messages, std::vector<std::string>{"无法打开RZ31ST.bin文件"});
        EXPECT_TRUE(run.ui.appended.empty());
        EXPECT_FALSE(run.files.Has("/music/song.asm"));
        EXPECT_FALSE(run.files.Has("/music/song.h"));
        EXPECT_EQ(run.Rom(), Bytes{9});
    }
}

TEST(OutputSet, AnOutputThatCannotBeCreatedLeavesEveryOutputAsItWas) {
    for (const std::string& uncreatable : {std::string("/music/song.asm"), std::string("/music/song.h"),
                                           std::string(kRomPath)}) {
        InMemoryRun run;
        run.files.Put("/music/song.asm", std::string("old asm"));
        run.files.Put(kRomPath, Bytes{9});
        run.files.uncreatable.insert(uncreatable);
        EXPECT_FALSE(run.Convert(SmallSong()));
        EXPECT_EQ(run.ui.messages, std::vector<std::string>{"无法创建输出文件"});
        EXPECT_TRUE(run.ui.appended.empty());
        EXPECT_EQ(run.files.Text("/music/song.asm"), "old asm");
        EXPECT_FALSE(run.files.Has("/music/song.h"));
        EXPECT_EQ(run.Rom(), Bytes{9});
        EXPECT_EQ(run.files.Paths().size(), 4u);  // no temporary file left
        EXPECT_EQ(run.files.openSinks, 0);
    }
}

TEST(OutputSet, AMidiFileNamedLikeAnOutputIsNeverOverwritten) {
    for (const std::string& path : {std::string("/music/tune.asm"), std::string("/music/tune.h"),
                                    std::string("/music/tune.lrc"), std::string(kRomPath)}) {
        InMemoryRun run;
        Bytes song = SmallSong();
        EXPECT_FALSE(run.Convert(song, path)) << path;
        EXPECT_EQ(run.ui.messages, std::vector<std::string>{"无法创建输出文件"});
        EXPECT_TRUE(run.ui.appended.empty());
        EXPECT_EQ(run.files.Get(path), song) << path;
        EXPECT_EQ(run.files.openSinks, 0);
    }
}

TEST(OutputSet, TheCommandLineCanNameTheTemplateAndTheImage) {
    InMemoryRun run;
    run.files.Put("/elsewhere/t.bin", StandInTemplate());
    run.files.Remove(kTemplatePath);
    run.templatePath = "/elsewhere/t.bin";
    run.romPath = "/out/image.bin";
    ASSERT_TRUE(run.Convert(SmallSong()));
    EXPECT_TRUE(run.files.Has("/out/image.bin"));
    EXPECT_FALSE(run.files.Has(kRomPath));
}

TEST(OutputSet, WriteFailuresAreReportedAndKeepTheOldImage) {
    for (const std::string& path : {std::string("/music/song.asm"), std::string("/music/song.h"),
                                    std::string(kRomPath)}) {
        for (bool atClose : {false, true}) {
            InMemoryRun run;
            run.files.Put(kRomPath, Bytes{7, 7});
            if (atClose) {
                run.files.failClose.insert(path);
            } else {
                run.files.failWriteAt[path] = 0;
            }
            Bytes song = MidiFile().Add(Track().End(0)).Add(Track().Program(0, 1).End(0)).Build();
            EXPECT_FALSE(run.Convert(song)) << path;
            std::vector<std::string> tail(run.ui.appended.end() - 3, run.ui.appended.end());
            EXPECT_EQ(tail, (std::vector<std::string>{"***错误*** 无法写入输出文件\n",
                                                      "输出文件:/music/song.asm\n", "转换失败!\n"}))
                << path;
            if (path == kRomPath) {
                EXPECT_EQ(run.Rom(), (Bytes{7, 7}));
            }
            EXPECT_EQ(run.files.openSinks, 0);
            EXPECT_EQ(run.files.Has(std::string(kRomPath) + ".tmp"), false);
        }
    }
}

TEST(OutputSet, ALyricFileThatCannotBeWrittenIsALostOutput) {
    for (int fault = 0; fault < 3; ++fault) {
        InMemoryRun run;
        run.files.Put("/music/song.lrc", std::string("old lyrics"));
        if (fault == 0) run.files.uncreatable.insert("/music/song.lrc");
        if (fault == 1) run.files.failWriteAt["/music/song.lrc"] = 0;
        if (fault == 2) run.files.failClose.insert("/music/song.lrc");
        EXPECT_FALSE(run.Convert(SmallSong()));
        const std::vector<std::string>& lines = run.ui.appended;
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[lines.size() - 3], "***错误*** 无法创建歌词文件\n");
        EXPECT_EQ(lines.back(), "转换失败!\n");
        EXPECT_EQ(run.files.Text("/music/song.lrc"), "old lyrics");
        // The image holds the whole song all the same.
        EXPECT_TRUE(run.report.romReplaced);
    }
}

}  // namespace
}  // namespace kelvane::test
