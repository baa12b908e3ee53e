// Events to commands: timing with the carried remainder, running status,
// meta and system-exclusive events, tempo, and tracks that end early.
#include <gtest/gtest.h>

#include "StreamFixture.h"

namespace kelvane::test {
namespace {

constexpr int kUnit = 60;

TEST(Timing, TheWorkedExample) {
    ChannelRun c(1, Track().NoteOn(0, 60).NoteOff(240, 60).NoteOn(0, 62).NoteOff(480, 62).End(240));
    EXPECT_EQ(c.Stream(7), (Bytes{0xA0, 0x1B, 0xA2, 0x5B, 0xAF, 0x01, 0xFF}));
}

TEST(Timing, ARemainderEqualToAUnitIsCarried) {
    // 59 ticks, then 1 (60 carried, still 0 units), then 1 more: one unit.
    ChannelRun c(1, Track().NoteOn(0, 60).Controller(59, 10, 0).Controller(1, 10, 0).NoteOff(1, 60).End(0));
    EXPECT_EQ(c.Stream(2), (Bytes{0xA0, 0x03}));
    ChannelRun carried(1, Track().NoteOn(0, 60).Controller(59, 10, 0).NoteOff(1, 60).End(0));
    EXPECT_EQ(carried.Stream(1), Bytes{0xAF});  // no unit yet: the note is left out
}

TEST(Timing, DivisionsThatDoNotDivideByEight) {
    // Division 100: a unit is 12 ticks, a quarter note 8 units and 4 ticks.
    ChannelRun c(1, Track().NoteOn(0, 60).NoteOff(100, 60).NoteOn(0, 62).NoteOff(100, 62).End(0), 100);
    EXPECT_EQ(c.Stream(4), (Bytes{0xA0, 0x3B, 0xA2, 0x3B}));
    ChannelRun d96(1, Track().NoteOn(0, 60).NoteOff(96, 60).End(0), 96);
    EXPECT_EQ(d96.Stream(2), (Bytes{0xA0, 0x3B}));
}

TEST(Timing, ARestAfterANoteGrowsThatNote) {
    ChannelRun c(1, Track().NoteOn(0, 60).NoteOff(2 * kUnit, 60).NoteOn(3 * kUnit, 62).NoteOff(kUnit, 62).End(0));
    EXPECT_EQ(c.Stream(4), (Bytes{0xA0, 0x23, 0xA2, 0x03}));
}

TEST(Timing, ARestBeforeTheFirstNoteIsWritten) {
    ChannelRun c(1, Track().Controller(0, 7, 127).NoteOn(20 * kUnit, 60).NoteOff(kUnit, 60).End(0));
    EXPECT_EQ(c.Stream(4), (Bytes{0x9F, 0x13, 0xA0, 0x03}));
}

TEST(Timing, CommandsWithinANoteComeBeforeIt) {
    ChannelRun c(1, Track().NoteOn(0, 60).Controller(kUnit, 7, 64).NoteOff(kUnit, 60).End(0));
    EXPECT_EQ(c.Stream(3), (Bytes{0x98, 0xA0, 0x0B}));
}

TEST(Events, RunningStatusInsideChannelMessages) {
    // 90 3C 40, 3C 00, 3E 40: three note-ons; the second ends note 3C.
    Track t = Track().Raw({0x90, 0x3C, 0x40}, 0).Raw({0x3C, 0x00}, 4 * kUnit).Raw({0x3E, 0x40}, 0)
                  .Raw({0x3E, 0x00}, 2 * kUnit).End(0);
    ChannelRun c(1, t);
    EXPECT_TRUE(c.converted);
    EXPECT_EQ(c.Stream(4), (Bytes{0xA0, 0x1B, 0xA2, 0x0B}));
}

TEST(Events, NotesThatAreNotHeldChangeNothing) {
    ChannelRun c(1, Track().NoteOn(0, 60).NoteOff(kUnit, 61).NoteOn(0, 62, 0).NoteOff(kUnit, 60).End(0));
    EXPECT_EQ(c.Stream(2), (Bytes{0xA0, 0x0B}));
}

TEST(Events, OverlappingNotesGiveTheLastOne) {
    ChannelRun c(1, Track().NoteOn(0, 60).NoteOn(kUnit, 64).NoteOff(kUnit, 60).NoteOff(kUnit, 64).End(0));
    EXPECT_EQ(c.Text(), "\t\tdb\t\tMPCC_Inside+nE,$10+3\n\t\tdb\t\tMPCC_Inside+$0f,1\n\t\tdb\t\tMPCC_End\n");
}

TEST(Events, AStatusWithoutDataIsDropped) {
    ChannelRun c(1, Track().Raw({0xC0}, 0).Raw({0xB0, 7, 127}).NoteOn(0, 60).NoteOff(kUnit, 60).End(0));
    EXPECT_TRUE(c.converted);
    EXPECT_EQ(c.Stream(3), (Bytes{0x9F, 0xA0, 0x03}));
}

TEST(Events, ChannelNumbersAreIgnored) {
    ChannelRun c(2, Track().NoteOn(0, 60, 100, 9).NoteOff(kUnit, 60, 0, 3).End(0));
    EXPECT_EQ(c.Stream(2), (Bytes{0xA0, 0x03}));
}

TEST(Events, AftertouchPressureAndBendLeaveOnlyAComment) {
    ChannelRun c(1, Track().Aftertouch(0, 60, 10).Raw({0xD0, 5}, 0).Raw({0xE0, 0, 64}, 0).End(0));
    EXPECT_EQ(c.Text(), "\t;\xBA\xF6\xC2\xD4: After_touch\n\t\tdb\t\tMPCC_Inside+$0f,1\n\t\tdb\t\tMPCC_End\n");
}

TEST(Events, ADataByteWhereAStatusIsDueFails) {
    ChannelRun afterMeta(1, Track().Text(0, 1, "x").Raw({0x3C, 0x40}, 0).End(0));
    EXPECT_FALSE(afterMeta.converted);
    EXPECT_EQ(afterMeta.run.ui.appended[1], "***错误*** MIDI轨道1数据无法解析\n");
}

TEST(Events, SystemExclusiveAndEscapesAreSkipped) {
    Bytes big(200, 0x11);
    ChannelRun c(1, Track().SysEx(0, {0x7E, 0x7F, 0x09, 0x01, 0xF7}).SysEx(0, big).Raw({0xF7, 0x01, 0x22}, 0)
                        .Raw({0xF1, 0x00}, 0).NoteOn(0, 60).NoteOff(kUnit, 60).End(0));
    EXPECT_TRUE(c.converted);
    EXPECT_EQ(c.Stream(2), (Bytes{0xA0, 0x03}));
}

TEST(MetaEvents, UnknownAndLongOnesAreSkipped) {
    std::string longText(300, 'y');
    Track t = Track().Meta(0, 0x08, "program").Meta(0, 0x0A, "x").Meta(0, 0x4B, "tag").Meta(0, 0x60, "")
                  .Meta(0, 0x7F, longText).Meta(0, 0x00, "\x00\x01").Meta(0, 0x20, "\x00").Meta(0, 0x58, "abcd")
                  .Meta(0, 0xF8, "").NoteOn(0, 60).NoteOff(kUnit, 60).End(0);
    ChannelRun c(1, t);
    EXPECT_TRUE(c.converted);
    EXPECT_EQ(c.Stream(2), (Bytes{0xA0, 0x03}));
}

TEST(MetaEvents, EndOfTrackLength) {
    EXPECT_FALSE(ChannelRun(1, Track().Raw({0xFF, 0x2F, 0x01, 0x00}, 0)).converted);
    EXPECT_TRUE(ChannelRun(1, Track().Raw({0xFF, 0x2F, 0x80, 0x00}, 0)).converted);
}

TEST(MetaEvents, DeviceNamesBecomeCommentsBeforeTheTempoLine) {
    Track conductor = Track().DeviceName(0, "Synth\r\nA%s").Tempo(0, 500000).End(0);
    ChannelRun c(1, Track().DeviceName(0, "dev").End(0), 480, conductor);
    std::string text = c.run.Asm();
    EXPECT_EQ(text.find("\t;\xC9\xE8\xB1\xB8: Synth  A%s\r\n\t\tdb\t\t4,4,4,4\t\t; Tempo\r\n"), 0u);
    EXPECT_EQ(c.Text(), "\t;\xC9\xE8\xB1\xB8: dev\n\t\tdb\t\tMPCC_Inside+$0f,1\n\t\tdb\t\tMPCC_End\n");
}

TEST(MetaEvents, DeviceNameBytesAreCopiedUnchangedUpToANul) {
    ChannelRun c(1, Track().DeviceName(0, std::string("\xB8\xE8\xFF\x80", 4) + std::string("\0tail", 5)).End(0));
    EXPECT_EQ(c.Text().substr(0, 13), "\t;\xC9\xE8\xB1\xB8: \xB8\xE8\xFF\x80\n");
}

std::vector<int> TempoOf(const Bytes& tempoEvent) {
    Track conductor = Track().Raw(tempoEvent, 0).End(0);
    InMemoryRun run;
    EXPECT_TRUE(run.Convert(MidiFile().Add(conductor).Build()));
    Bytes block = run.Block(0x8000, 4);
    std::string line = run.Asm();
    return {block[0], block[1], block[2], block[3]};
}

std::vector<int> TempoOf(std::uint32_t t) {
    return TempoOf(Bytes{0xFF, 0x51, 0x03, static_cast<std::uint8_t>(t >> 16), static_cast<std::uint8_t>(t >> 8),
                         static_cast<std::uint8_t>(t)});
}

TEST(Tempo, EveryListedValue) {
    EXPECT_EQ(TempoOf(500000), (std::vector<int>{4, 4, 4, 4}));
    EXPECT_EQ(TempoOf(400000), (std::vector<int>{4, 3, 4, 3}));
    EXPECT_EQ(TempoOf(600000), (std::vector<int>{5, 5, 5, 4}));
    EXPECT_EQ(TempoOf(250000), (std::vector<int>{3, 2, 3, 2}));
    EXPECT_EQ(TempoOf(1000000), (std::vector<int>{8, 7, 7, 7}));
    EXPECT_EQ(TempoOf(0), (std::vector<int>{1, 1, 1, 1}));
    EXPECT_EQ(TempoOf(0xFFFFFF), (std::vector<int>{106, 106, 106, 105}));
    EXPECT_EQ(TempoOf(440000), (std::vector<int>{4, 3, 4, 3}));
}

TEST(Tempo, LengthsOtherThanThree) {
    EXPECT_EQ(TempoOf(Bytes{0xFF, 0x51, 0x04, 0x0F, 0x42, 0x40, 0x99}), (std::vector<int>{8, 7, 7, 7}));
    EXPECT_EQ(TempoOf(Bytes{0xFF, 0x51, 0x02, 0x0F, 0x42}), (std::vector<int>{4, 4, 4, 4}));
}

TEST(Tempo, TheLastEventOfTheConductorCountsAndOtherTracksDoNot) {
    Track conductor = Track().Tempo(0, 250000).Tempo(kUnit, 1000000).End(0);
    ChannelRun c(1, Track().Tempo(0, 400000).End(0), 480, conductor);
    EXPECT_EQ(c.run.Block(0x8000, 4), (Bytes{8, 7, 7, 7}));
    EXPECT_EQ(c.run.Asm().find("\t\tdb\t\t8,7,7,7\t\t; Tempo\r\n"), 0u);
}

TEST(Conductor, ChannelMessagesWriteNothing) {
    Track conductor = Track().Program(0, 3).Controller(0, 7, 100).NoteOn(5 * kUnit, 60).NoteOff(kUnit, 60)
                          .Aftertouch(0, 60, 1).End(0);
    ChannelRun c(1, Track().End(0), 480, conductor);
    EXPECT_TRUE(c.converted);
    EXPECT_EQ(c.run.H(), "");
    EXPECT_EQ(c.run.Asm().find("\t;\xBA\xF6\xC2\xD4: After_touch\r\n\t\tdb\t\t4,4,4,4"), 0u);
    EXPECT_EQ(c.Stream(3), (Bytes{0xAF, 0x01, 0xFF}));
}

TEST(EndOfData, ATrackCutAfterANoteOffLosesThatNote) {
    Track t = Track().NoteOn(0, 60).NoteOff(kUnit, 60).NoteOn(0, 62).NoteOff(kUnit, 62);
    ChannelRun c(1, t);
    EXPECT_FALSE(c.converted);
    EXPECT_EQ(c.Text(), "\t\tdb\t\tMPCC_Inside+nC,$00+3\n");
}

TEST(EndOfData, AnEventPastTheChunkHasNoEffect) {
    Bytes cut = {0xFF, 0x09, 0x05, 'a', 'b'};  // announces five bytes, holds two
    ChannelRun c(1, Track().Controller(0, 7, 127).Raw(cut, 0));
    EXPECT_FALSE(c.converted);
    EXPECT_EQ(c.Text(), "\t\tdb\t\tMPCC_Volume+15\n");
    Track conductor = Track().Raw({0xFF, 0x51, 0x03, 0x0F}, 0);
    ChannelRun tempo(1, Track().End(0), 480, conductor);
    EXPECT_EQ(tempo.run.Block(0x8000, 4), (Bytes{4, 4, 4, 4}));
}

TEST(EndOfData, ATrackLongerThanTheLimitFails) {
    std::uint32_t limit = 4194304;
    // On the conductor track, whose notes write nothing, so the song block does not fill.
    ChannelRun within(1, Track().End(0), 64, Track().NoteOn(0, 60).NoteOff((limit - 1) * 8, 60).End(8));
    EXPECT_TRUE(within.converted);
    ChannelRun past(1, Track().End(0), 64, Track().NoteOn(0, 60).NoteOff((limit - 1) * 8, 60).End(16));
    EXPECT_FALSE(past.converted);
    ChannelRun beyond(1, Track().NoteOn(0, 60).NoteOff(limit * 8, 60).End(8), 64);
    EXPECT_FALSE(beyond.converted);
    EXPECT_EQ(beyond.run.ui.appended[1], "***错误*** MIDI轨道1数据无法解析\n");
    EXPECT_EQ(beyond.Text(), "");  // the pending note was not written either
    // A huge first delta on the conductor track.
    ChannelRun conductor(1, Track().End(0), 8, Track().End(0xFFFFFFF));
    EXPECT_FALSE(conductor.converted);
    EXPECT_EQ(conductor.run.ui.appended[1], "***错误*** MIDI轨道0数据无法解析\n");
}

}  // namespace
}  // namespace kelvane::test
