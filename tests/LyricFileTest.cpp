// The lyric table: gaps, trimming, which lyrics are taken, and when no file
// is written.
#include <gtest/gtest.h>

#include "StreamFixture.h"

namespace kelvane::test {
namespace {

constexpr int kUnit = 60;
const std::string kHead = ";...........................................................\nsong_Lyric:\n";
const std::string kTail = "\t\tdb\t\t127\n\t\tdb\t\t0\n";

std::string LyricText(const Track& square1) {
    ChannelRun c(1, square1);
    EXPECT_TRUE(c.converted);
    std::string text = c.run.Lrc();
    std::string plain;
    for (char ch : text)
        if (ch != '\r') plain += ch;
    return plain;
}

TEST(LyricFile, GapsAreSplitIntoStepsOf127) {
    Track t;
    for (std::uint32_t gap : {1u, 127u, 128u, 254u, 255u, 300u}) t.Lyric(gap * kUnit, "x");
    t.End(0);
    EXPECT_EQ(LyricText(t), kHead +
                                "\t\tdb\t\t1,\"x\"\n\t\tdb\t\t127,\"x\"\n\t\tdb\t\t127,1,\"x\"\n"
                                "\t\tdb\t\t127,127,\"x\"\n\t\tdb\t\t127,127,1,\"x\"\n\t\tdb\t\t127,127,46,\"x\"\n" +
                                kTail);
}

TEST(LyricFile, GapsCountFromThePreviousLyricAndIncludeNotes) {
    Track t = Track().NoteOn(0, 60).NoteOff(40 * kUnit, 60).Lyric(8 * kUnit, "a").Lyric(30, "same unit")
                  .Lyric(31, "b").End(0);
    EXPECT_EQ(LyricText(t), kHead + "\t\tdb\t\t48,\"a\"\n\t\tdb\t\t1,\"b\"\n" + kTail);
}

TEST(LyricFile, Trimming) {
    Track t;
    for (const char* text : {"Hi.  ", "Hi  ", "   ", "ok?  ", "yes! ", "world!  ", "a", "", " .", "!  "})
        t.Lyric(kUnit, text);
    t.End(0);
    EXPECT_EQ(LyricText(t), kHead +
                                "\t\tdb\t\t1,\"Hi.\"\n\t\tdb\t\t1,\"Hi  \"\n\t\tdb\t\t1,\"   \"\n"
                                "\t\tdb\t\t1,\"ok?\"\n\t\tdb\t\t1,\"yes!\"\n\t\tdb\t\t1,\"world!\"\n"
                                "\t\tdb\t\t1,\"a\"\n\t\tdb\t\t1,\"\"\n\t\tdb\t\t1,\" .\"\n\t\tdb\t\t1,\"!  \"\n" +
                                kTail);
}

TEST(LyricFile, TextsAreCopiedByteForByte) {
    std::string gbk = "\xC4\xE3\xBA\xC3";  // GBK text as the file holds it
    Track t = Track().Lyric(kUnit, gbk + "\"q\"%d").Lyric(kUnit, "line\r\nend").End(0);
    EXPECT_EQ(LyricText(t), kHead + "\t\tdb\t\t1,\"" + gbk + "\"q\"%d\"\n\t\tdb\t\t1,\"line  end\"\n" + kTail);
}

TEST(LyricFile, OnlyGapZeroLyricsGiveAnEmptyTable) {
    EXPECT_EQ(LyricText(Track().Lyric(0, "a").Lyric(0, "b").End(0)), kHead + kTail);
}

TEST(LyricFile, LyricsOnOtherTracksWriteNoFile) {
    ChannelRun c(2, Track().Lyric(kUnit, "x").End(0), 480, Track().Lyric(kUnit, "y").End(0));
    EXPECT_TRUE(c.converted);
    EXPECT_FALSE(c.run.files.Has("/music/song.lrc"));
}

TEST(LyricFile, AnEarlierFileStaysWhenTheSongHasNoLyrics) {
    InMemoryRun run;
    run.files.Put("/music/song.lrc", std::string("old"));
    ASSERT_TRUE(run.Convert(MidiFile().Add(Track().End(0)).Add(Track().End(0)).Build()));
    EXPECT_EQ(run.Lrc(), "old");
}

TEST(LyricFile, LyricsBeyond2048AreDropped) {
    Track t;
    for (int i = 0; i < 2049; ++i) t.Lyric(kUnit, "w");
    t.End(0);
    std::string text = LyricText(t);
    std::size_t records = 0;
    for (std::size_t at = text.find("\"w\""); at != std::string::npos; at = text.find("\"w\"", at + 1)) ++records;
    EXPECT_EQ(records, 2048u);
}

}  // namespace
}  // namespace kelvane::test
