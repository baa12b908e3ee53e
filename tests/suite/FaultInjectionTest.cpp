// Outputs that fail part-way: each write and each close of the .asm, .h,
// .lrc and image outputs fails in turn, in a song big enough that every text
// output is written in several pieces.
#include <gtest/gtest.h>

#include "RunCheck.h"

namespace kelvane::test {
namespace {

const std::vector<std::string> kWriteFailureTail = {"***错误*** 无法写入输出文件\n", "输出文件:/music/song.asm\n",
                                                    "转换失败!\n"};
const std::vector<std::string> kLyricFailureTail = {"***错误*** 无法创建歌词文件\n", "输出文件:/music/song.asm\n",
                                                    "转换失败!\n"};

// Over 64 KB of .asm, .h and .lrc text each.
Bytes BigSong() {
    Track square1;
    const std::string words(100, 'w');
    for (int i = 0; i < 1000; ++i) square1.Program(0, i & 0x7F).Lyric(60, words).NoteOn(0, 60).NoteOff(60, 60);
    Track square2;
    for (int i = 0; i < 2000; ++i) square2.Program(0, 1).Controller(0, 7, i & 0x7F);
    return MidiFile().Add(Track().Tempo(0, 600000).End(0)).Add(square1.End(0)).Add(square2.End(0)).Build();
}

std::vector<std::string> Tail(const CheckedRun& run) {
    const auto& lines = run.ui.appended;
    return std::vector<std::string>(lines.end() - std::min<long>(3, static_cast<long>(lines.size())), lines.end());
}

std::string Name(const std::string& path) { return path.substr(path.rfind('/') + 1); }

TEST(FaultInjection, EachWriteOfEachOutputFailsInTurn) {
    const Bytes song = BigSong();
    CheckedRun run;
    for (const std::string path : {CheckedRun::kAsmPath, CheckedRun::kHPath, CheckedRun::kLrcPath, kRomPath}) {
        int writes = 0;
        for (;; ++writes) {
            run.files.failWriteAt = {{path, writes}};
            run.Convert(song);
            ASSERT_EQ(run.Check(), "") << Name(path) << " write " << writes;
            if (run.files.failWriteAt[path] >= 0) break;  // there was no such write
            if (path == CheckedRun::kLrcPath) {
                // A lost lyric file is a lost output: the run fails, the old one stays.
                EXPECT_FALSE(run.result);
                EXPECT_EQ(Tail(run), kLyricFailureTail);
                EXPECT_EQ(run.files.Text(path), CheckedRun::OldText(path));
            } else {
                EXPECT_EQ(Tail(run), kWriteFailureTail) << Name(path) << " write " << writes;
            }
            if (path == kRomPath) {
                EXPECT_EQ(run.files.Get(kRomPath), CheckedRun::OldImage());
            } else {
                EXPECT_EQ(run.files.Text(path), CheckedRun::OldText(path));
            }
        }
        // The image goes out in one write; the texts in pieces, each of which failed once.
        if (path == kRomPath) {
            EXPECT_EQ(writes, 1);
        } else {
            EXPECT_GE(writes, 2) << Name(path);
        }
    }
}

TEST(FaultInjection, EachCloseOfEachOutputFails) {
    const Bytes song = BigSong();
    CheckedRun run;
    for (const std::string path : {CheckedRun::kAsmPath, CheckedRun::kHPath, CheckedRun::kLrcPath, kRomPath}) {
        run.files.failClose = {path};
        run.Convert(song);
        EXPECT_EQ(run.Check(), "") << Name(path);
        if (path == CheckedRun::kLrcPath) {
            EXPECT_FALSE(run.result);
            EXPECT_EQ(Tail(run), kLyricFailureTail);
        } else {
            EXPECT_EQ(Tail(run), kWriteFailureTail) << Name(path);
        }
        // A replacement that could not be finished leaves the old image whole.
        if (path == kRomPath) {
            EXPECT_EQ(run.files.Get(kRomPath), CheckedRun::OldImage());
        } else {
            EXPECT_EQ(run.files.Get(kRomPath).size(), kImageSize);
        }
    }
}

TEST(FaultInjection, EveryOutputFailingAtOnceIsReportedOnce) {
    CheckedRun run;
    for (const std::string path : {CheckedRun::kAsmPath, CheckedRun::kHPath, CheckedRun::kLrcPath, kRomPath}) {
        run.files.failWriteAt[path] = 0;
        run.files.failClose.insert(path);
    }
    EXPECT_FALSE(run.Convert(BigSong()));
    EXPECT_EQ(run.Check(), "");
    EXPECT_EQ(run.ui.appended, (std::vector<std::string>{"MIDI轨道数:3,MIDI节拍数:480\n",
                                                         "***错误*** 无法创建歌词文件\n",
                                                         "***错误*** 无法写入输出文件\n",
                                                         "输出文件:/music/song.asm\n", "转换失败!\n"}));
    EXPECT_EQ(run.files.Get(kRomPath), CheckedRun::OldImage());
}

TEST(FaultInjection, AWriteFailureDoesNotHideATrackFailure) {
    CheckedRun run;
    run.files.failWriteAt[CheckedRun::kHPath] = 0;
    Bytes song = MidiFile().Add(Track().End(0)).Add(Track().Program(0, 1).Raw({0x40}, 0)).Build();
    EXPECT_FALSE(run.Convert(song));
    EXPECT_EQ(run.ui.appended, (std::vector<std::string>{"MIDI轨道数:2,MIDI节拍数:480\n",
                                                         "***错误*** MIDI轨道1数据无法解析\n",
                                                         "***错误*** 无法写入输出文件\n",
                                                         "输出文件:/music/song.asm\n", "转换失败!\n"}));
    EXPECT_EQ(run.Check(), "");
}

}  // namespace
}  // namespace kelvane::test
