#include <gtest/gtest.h>

#include "SongName.h"

namespace kelvane {
namespace {

TEST(SongName, FromThePathsFileName) {
    EXPECT_EQ(SongNameOfPath("/music/song.mid"), "song");
    EXPECT_EQ(SongNameOfPath("/a.b/tune.mid"), "tune");
    EXPECT_EQ(SongNameOfPath("/music/song"), "song");
    EXPECT_EQ(SongNameOfPath("/a.b/tune"), "tune");
    EXPECT_EQ(SongNameOfPath("/music/song.live.mid"), "song.live");
    EXPECT_EQ(SongNameOfPath("/music/.mid"), "");
    EXPECT_EQ(SongNameOfPath("song.mid"), "song");
    EXPECT_EQ(SongNameOfPath(""), "");
}

TEST(SongName, BasePathKeepsTheFolder) {
    EXPECT_EQ(BasePathOfPath("/music/song.mid"), "/music/song");
    EXPECT_EQ(BasePathOfPath("/music/song.live.mid"), "/music/song.live");
    EXPECT_EQ(BasePathOfPath("/music.old/song"), "/music.old/song");
    EXPECT_EQ(BasePathOfPath("song"), "song");
    EXPECT_EQ(BasePathOfPath("/music/.mid"), "/music/");
}

TEST(SongName, FoldedFileNamesCompareTheLastPartWithoutCase) {
    EXPECT_EQ(FoldedFileName("/Music/Song.ASM"), "song.asm");
    EXPECT_EQ(FoldedFileName("ROM.BIN"), "rom.bin");
    EXPECT_EQ(FoldedFileName("/music/"), "");
    EXPECT_EQ(FoldedFileName("/音乐/歌.MID"), "歌.mid");  // bytes past ASCII stay as they are
}

TEST(SongName, PlainIdentifiersAreWhatAssemblersTakeAsLabels) {
    for (const char* plain : {"song", "_", "_x9", "Song_2", "a", "Z"})
        EXPECT_TRUE(IsPlainIdentifier(plain)) << plain;
    for (const char* other : {"", "9lives", "my song", "song-1", "a.b", "卡拉OK", "caf\xC3\xA9", "$x", "a\tb"})
        EXPECT_FALSE(IsPlainIdentifier(other)) << other;
    // A letter beyond ASCII is not a letter here, in any locale.
    EXPECT_FALSE(IsPlainIdentifier(std::string("\xE9t\xE9")));
}

TEST(SongName, SeparatorsOfThePlatform) {
#ifdef _WIN32
    EXPECT_EQ(SongNameOfPath("C:\\music.old\\song"), "song");
    EXPECT_EQ(BasePathOfPath("C:\\music.old\\song"), "C:\\music.old\\song");
    EXPECT_EQ(SongNameOfPath("C:/a.b/tune.mid"), "tune");
#else
    // A backslash is an ordinary character in a file name here.
    EXPECT_EQ(SongNameOfPath("/x/a.b\\tune"), "a");
#endif
}

}  // namespace
}  // namespace kelvane
