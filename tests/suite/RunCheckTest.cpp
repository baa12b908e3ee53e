// The judge itself: a run that breaks a rule must not pass for a good one.
#include <gtest/gtest.h>

#include "GeneratedSongs.h"
#include "RunCheck.h"

namespace kelvane::test {
namespace {

TEST(RunCheck, NoticesWhatWentWrong) {
    CheckedRun run;
    const Bytes song = GeneratedSongs()[0].midi;
    ASSERT_EQ(run.ConvertAndCheck(song), "");

    Bytes rom = run.files.Get(kRomPath);
    rom[0x78100] ^= 1;  // one stream byte that the text does not spell
    run.files.Put(kRomPath, rom);
    EXPECT_NE(run.Check(), "");

    run.Convert(song);
    rom = run.files.Get(kRomPath);
    rom[0x1234] ^= 1;  // outside the song block
    run.files.Put(kRomPath, rom);
    EXPECT_NE(run.Check(), "");

    run.Convert(song);
    run.files.Put(CheckedRun::kHPath, run.files.Text(CheckedRun::kHPath) + "song_Noise_nD\t\tequ\t$00\r\n");
    EXPECT_NE(run.Check(), "");

    run.Convert(song);
    run.ui.appended.insert(run.ui.appended.end() - 2, "***错误*** MIDI轨道9数据无法解析\n");
    EXPECT_NE(run.Check(), "");

    run.Convert(song);
    run.files.Put("/prog/ROM.BIN.tmp", Bytes{1});
    EXPECT_NE(run.Check(), "");
}

}  // namespace
}  // namespace kelvane::test
