// The song block's limits and the agreement between the .asm text and the
// bytes in the image.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "StreamFixture.h"

namespace kelvane::test {
namespace {

constexpr std::uint32_t kUnit = 60;

// Square1 with a rest of `waits` bytes of $7F before its only note.
ChannelRun RestOfWaitBytes(std::uint32_t waits) {
    return ChannelRun(1, Track().NoteOn(waits * 128 * kUnit, 60).End(0));
}

TEST(SongBlock, AStreamThatEndsAtFFFFFits) {
    // $800E to $FFFF holds 32754 bytes: the waits and $AF $01 $FF.
    ChannelRun c = RestOfWaitBytes(32751);
    EXPECT_TRUE(c.converted);
    EXPECT_EQ(c.run.Block(0xFFFD, 3), (Bytes{0xAF, 0x01, 0xFF}));
}

TEST(SongBlock, OneByteMoreIsReportedAndStaysOutOfTheImage) {
    ChannelRun c = RestOfWaitBytes(32752);
    EXPECT_FALSE(c.converted);
    std::vector<std::string> expected = {"MIDI轨道数:2,MIDI节拍数:480\n", "***错误*** MIDI轨道1数据超出歌曲空间\n",
                                         "输出文件:/music/song.asm\n", "转换失败!\n"};
    EXPECT_EQ(c.run.ui.appended, expected);
    EXPECT_EQ(c.run.Block(0xFFFE, 2), (Bytes{0xAF, 0x01}));
    // A song that does not fit never reaches the device: the old image stays.
    EXPECT_FALSE(c.run.files.Has(kRomPath));
    // The text is still whole.
    EXPECT_NE(c.run.Asm().find("\t\tdb\t\tMPCC_End\r\n"), std::string::npos);
}

TEST(SongBlock, LaterChannelsTakeTheWrappedCursorAsTheirPointer) {
    InMemoryRun run;
    MidiFile file;
    file.Add(Track().End(0)).Add(Track().NoteOn(32752 * 128 * kUnit, 60).End(0)).Add(Track().End(0));
    EXPECT_FALSE(run.Convert(file.Build()));
    EXPECT_EQ(run.Pointer(2), 0x0001);
    EXPECT_EQ(run.ui.appended[1], "***错误*** MIDI轨道1数据超出歌曲空间\n");
    EXPECT_EQ(run.ui.appended.size(), 4u);  // reported once
}

void ExpectTextSpellsTheBlock(const InMemoryRun& run, int tracks) {
    Assembly assembly = Assemble(run.Asm(), 0x8000);
    if (tracks == 6) {
        EXPECT_EQ(run.Block(0x8000, assembly.bytes.size()), assembly.bytes);
        return;
    }
    // With fewer tracks the pointer table is partly the template's: compare
    // each channel's stream from its label on.
    Assembly streams = Assemble(run.Asm().substr(run.Asm().find(";....")), 0x800E);
    static const char* kNames[] = {"", "Square1", "Square2", "Triangle", "Noise", "DPCM"};
    for (int channel = 1; channel < tracks; ++channel) {
        std::uint16_t label = streams.labels.at(std::string("song_") + kNames[channel]);
        EXPECT_EQ(run.Pointer(channel), label);
    }
    EXPECT_EQ(run.Block(0x800E, streams.bytes.size()), streams.bytes);
}

TEST(Agreement, TheExampleSong) {
    std::ifstream in(KELVANE_SOURCE_DIR "/examples/example.mid", std::ios::binary);
    ASSERT_TRUE(in);
    Bytes midi((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(midi));
    ExpectTextSpellsTheBlock(run, 6);
}

// A random song: notes, rests, volumes, timbres, text events and lyrics.
Bytes RandomSong(std::mt19937& random, int tracks) {
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    MidiFile file;
    file.Division(pick(1, 8) * 96);
    file.Add(Track().Tempo(0, static_cast<std::uint32_t>(pick(200000, 900000))).End(0));
    for (int channel = 1; channel < tracks; ++channel) {
        Track t;
        for (int event = pick(0, 60); event > 0; --event) {
            int note = pick(0, 127);
            switch (pick(0, 5)) {
                case 0: t.Program(static_cast<std::uint32_t>(pick(0, 100)), pick(0, 127)); break;
                case 1: t.Controller(static_cast<std::uint32_t>(pick(0, 100)), pick(0, 1) ? 7 : 11, pick(0, 127)); break;
                case 2: t.Lyric(static_cast<std::uint32_t>(pick(0, 500)), "la"); break;
                default:
                    t.NoteOn(static_cast<std::uint32_t>(pick(0, 300)), note)
                        .NoteOff(static_cast<std::uint32_t>(pick(0, 9000)), note);
            }
        }
        file.Add(t.End(static_cast<std::uint32_t>(pick(0, 100))));
    }
    return file.Build();
}

TEST(Agreement, GeneratedSongs) {
    std::mt19937 random(20261207);
    for (int song = 0; song < 60; ++song) {
        int tracks = song % 2 == 0 ? 6 : 2 + song % 4;
        InMemoryRun run;
        ASSERT_TRUE(run.Convert(RandomSong(random, tracks))) << song;
        ExpectTextSpellsTheBlock(run, tracks);
    }
}

}  // namespace
}  // namespace kelvane::test
