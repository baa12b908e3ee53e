// The driver commands as text and bytes: waits, tonal and percussion notes,
// volumes, timbres and the end of each channel.
#include <gtest/gtest.h>

#include "StreamFixture.h"

namespace kelvane::test {
namespace {

constexpr int kUnit = 60;  // ticks per time unit at division 480

// A rest of `units` before the first note, which the note-on writes as waits.
Bytes WaitBytes(std::uint32_t units) {
    ChannelRun c(1, Track().NoteOn(units * kUnit, 60).End(0));
    EXPECT_TRUE(c.converted);
    Bytes stream = c.Stream(8);
    auto end = std::find(stream.begin(), stream.end(), 0xAF);  // the closing pair follows the waits
    return Bytes(stream.begin(), end);
}

TEST(Waits, OneByteCoversUpTo128Units) {
    EXPECT_EQ(WaitBytes(0), Bytes{});
    EXPECT_EQ(WaitBytes(1), Bytes{0x00});
    EXPECT_EQ(WaitBytes(127), Bytes{0x7E});
    EXPECT_EQ(WaitBytes(128), Bytes{0x7F});
    EXPECT_EQ(WaitBytes(129), (Bytes{0x7F, 0x00}));
    EXPECT_EQ(WaitBytes(256), (Bytes{0x7F, 0x7F}));
    EXPECT_EQ(WaitBytes(300), (Bytes{0x7F, 0x7F, 0x2B}));
}

TEST(Waits, TextLines) {
    ChannelRun c(1, Track().NoteOn(129 * kUnit, 60).End(0));
    EXPECT_EQ(c.Text(), "\t\tdb\t\tMPCC_Wait+127\n\t\tdb\t\tMPCC_Wait+0\n"
                        "\t\tdb\t\tMPCC_Inside+$0f,1\n\t\tdb\t\tMPCC_End\n");
}

// A note of `units` on Square1, followed by the end of the track.
ChannelRun Note(int channel, int note, std::uint32_t units) {
    return ChannelRun(channel, Track().NoteOn(0, note).NoteOff(units * kUnit, note).End(0));
}

TEST(TonalNotes, ShortAndLongForms) {
    struct Case {
        std::uint32_t units;
        const char* line;
        Bytes bytes;
    };
    std::vector<Case> cases = {
        {1, "\t\tdb\t\tMPCC_Inside+nC,$00+3\n", {0xA0, 0x03, 0xAF}},
        {4, "\t\tdb\t\tMPCC_Inside+nC,$18+3\n", {0xA0, 0x1B, 0xAF}},
        {32, "\t\tdb\t\tMPCC_Inside+nC,$F8+3\n", {0xA0, 0xFB, 0xAF}},
        {33, "\t\tdb\t\tMPCC_Inside+nC,$F8+$3\n\t\tdb\t\tMPCC_Wait+0\n", {0xA0, 0xFB, 0x00, 0xAF}},
        {160, "\t\tdb\t\tMPCC_Inside+nC,$F8+$3\n\t\tdb\t\tMPCC_Wait+127\n", {0xA0, 0xFB, 0x7F, 0xAF}},
        {161, "\t\tdb\t\tMPCC_Inside+nC,$F8+$3\n\t\tdb\t\tMPCC_Wait+127\n\t\tdb\t\tMPCC_Wait+0\n",
         {0xA0, 0xFB, 0x7F, 0x00, 0xAF}},
    };
    for (const Case& k : cases) {
        ChannelRun c = Note(1, 60, k.units);
        EXPECT_EQ(c.Text(), std::string(k.line) + "\t\tdb\t\tMPCC_Inside+$0f,1\n\t\tdb\t\tMPCC_End\n") << k.units;
        EXPECT_EQ(c.Stream(k.bytes.size()), k.bytes) << k.units;
    }
}

TEST(TonalNotes, OctaveEdges) {
    struct Case {
        int note;
        std::uint8_t pitch;
        std::uint8_t operand;  // length 4 and the octave
    };
    for (const Case& k : {Case{0, 0xA0, 0x18}, Case{35, 0xAB, 0x18}, Case{36, 0xA0, 0x19},
                          Case{59, 0xAB, 0x1A}, Case{83, 0xAB, 0x1C}, Case{84, 0xA0, 0x1D},
                          Case{127, 0xA7, 0x1D}}) {
        EXPECT_EQ(Note(2, k.note, 4).Stream(2), (Bytes{k.pitch, k.operand})) << k.note;
    }
}

TEST(TonalNotes, PitchNamesOfEveryClass) {
    const char* names[] = {"nC", "nCb", "nD", "nDb", "nE", "nF", "nFb", "nG", "nGb", "nA", "nAb", "nB"};
    for (int pitch = 0; pitch < 12; ++pitch) {
        ChannelRun c = Note(1, 60 + pitch, 2);
        std::string line = std::string("\t\tdb\t\tMPCC_Inside+") + names[pitch] + ",$08+3\n";
        EXPECT_EQ(c.Text().substr(0, line.size()), line);
        EXPECT_EQ(c.Stream(1), Bytes{static_cast<std::uint8_t>(0xA0 + pitch)});
    }
}

TEST(TonalNotes, TheTriangleNamesTheNoteTwoOctavesUp) {
    ChannelRun square = Note(1, 60, 4);
    ChannelRun triangle = Note(3, 60, 4);
    EXPECT_EQ(square.Stream(2), (Bytes{0xA0, 0x1B}));
    EXPECT_EQ(triangle.Stream(2), (Bytes{0xA0, 0x1D}));
    EXPECT_EQ(Note(3, 35, 4).Stream(2), (Bytes{0xAB, 0x1A}));  // looked up as 59
    EXPECT_EQ(Note(3, 103, 4).Stream(2), (Bytes{0xA7, 0x1D}));
    // Above 103 the lookup passes the table: pitch class of the note, octave 5.
    EXPECT_EQ(Note(3, 110, 4).Stream(2), (Bytes{0xA2, 0x1D}));
    EXPECT_EQ(Note(3, 127, 4).Stream(2), (Bytes{0xA7, 0x1D}));
}

TEST(TonalNotes, ALongNoteOnSquare2) {
    EXPECT_EQ(Note(2, 61, 40).Stream(4), (Bytes{0xA1, 0xFB, 0x07, 0xAF}));
}

TEST(TonalNotes, ANoteOfNoTimeIsLeftOut) {
    ChannelRun c(1, Track().NoteOn(0, 60).NoteOff(30, 60).NoteOn(0, 62).NoteOff(kUnit * 2 - 30, 62).End(0));
    // 30 + 90 ticks: one unit, with a remainder equal to a unit carried.
    EXPECT_EQ(c.Text(), "\t\tdb\t\tMPCC_Inside+nD,$00+3\n\t\tdb\t\tMPCC_Inside+$0f,1\n\t\tdb\t\tMPCC_End\n");
    EXPECT_EQ(c.Stream(5), (Bytes{0xA2, 0x03, 0xAF, 0x01, 0xFF}));
}

TEST(PercussionNotes, LengthsAreWaits) {
    ChannelRun zero(4, Track().NoteOn(0, 38).NoteOff(0, 38).End(0));
    EXPECT_EQ(zero.Text(), "\t\tdb\t\tMPCC_Inside+song_Noise_nD\n\t\tdb\t\tMPCC_End\n");
    EXPECT_EQ(zero.Stream(2), (Bytes{0xA0, 0xFF}));
    ChannelRun long_(5, Track().NoteOn(0, 38).NoteOff(300 * kUnit, 38).End(0));
    EXPECT_EQ(long_.Stream(5), (Bytes{0xA0, 0x7F, 0x7F, 0x2B, 0xFF}));
}

TEST(PercussionNotes, EachLabelIsDefinedOncePerRun) {
    Track noise = Track().NoteOn(0, 38).NoteOff(kUnit, 38).NoteOn(0, 38).NoteOff(kUnit, 38)
                      .NoteOn(0, 50).NoteOff(kUnit, 50).NoteOn(0, 39).NoteOff(kUnit, 39).End(0);
    Track dpcm = Track().NoteOn(0, 38).NoteOff(kUnit, 38).End(0);
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(MidiFile().Add(Track().End(0)).Add(Track().End(0)).Add(Track().End(0))
                                .Add(Track().End(0)).Add(noise).Add(dpcm).Build()));
    // Notes 38 and 50 share the label of their pitch class.
    EXPECT_EQ(run.H(), Crlf("song_Noise_nD\t\tequ\t$00\nsong_Noise_nDb\t\tequ\t$00\nsong_DPCM_nD\t\tequ\t$00\n"));
    std::string text = run.Asm();
    std::size_t count = 0;
    for (std::size_t at = text.find("MPCC_Inside+song_Noise_nD\r\n"); at != std::string::npos;
         at = text.find("MPCC_Inside+song_Noise_nD\r\n", at + 1))
        ++count;
    EXPECT_EQ(count, 3u);
}

TEST(Commands, VolumeControllers) {
    ChannelRun c(1, Track().Controller(0, 7, 127).Controller(0, 11, 7).Controller(0, 39, 64)
                        .Controller(0, 43, 8).Controller(0, 10, 127).Controller(0, 8, 127).End(0));
    EXPECT_EQ(c.Text(), "\t\tdb\t\tMPCC_Volume+15\n\t\tdb\t\tMPCC_Volume+0\n\t\tdb\t\tMPCC_Volume+8\n"
                        "\t\tdb\t\tMPCC_Volume+1\n\t\tdb\t\tMPCC_Inside+$0f,1\n\t\tdb\t\tMPCC_End\n");
    EXPECT_EQ(c.Stream(4), (Bytes{0x9F, 0x90, 0x98, 0x91}));
}

TEST(Commands, TimbresAreNumberedPerTrack) {
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(MidiFile().Add(Track().End(0)).Add(Track().Program(0, 5).Program(0, 6).End(0))
                                .Add(Track().Program(0, 7).End(0)).Build()));
    EXPECT_EQ(run.H(), Crlf("song_Square1_Timbre0\t\tequ\t$00\nsong_Square1_Timbre1\t\tequ\t$00\n"
                            "song_Square2_Timbre0\t\tequ\t$00\n"));
    EXPECT_NE(run.Asm().find("song_Square1:\r\n\t\tdb\t\tMPCC_Timbre+song_Square1_Timbre0\r\n"
                             "\t\tdb\t\tMPCC_Timbre+song_Square1_Timbre1\r\n"),
              std::string::npos);
    EXPECT_EQ(run.Block(0x800E, 2), (Bytes{0x80, 0x80}));
}

TEST(Commands, TheEndOfEachChannel) {
    EXPECT_EQ(ChannelRun(1, Track().End(0)).Stream(3), (Bytes{0xAF, 0x01, 0xFF}));
    EXPECT_EQ(ChannelRun(3, Track().End(0)).Stream(3), (Bytes{0xAF, 0x01, 0xFF}));
    EXPECT_EQ(ChannelRun(4, Track().End(0)).Text(), "\t\tdb\t\tMPCC_End\n");
    EXPECT_EQ(ChannelRun(5, Track().End(0)).Stream(1), Bytes{0xFF});
}

}  // namespace
}  // namespace kelvane::test
