// Damaged, hostile and limit inputs, grouped by kind. Every conversion must
// keep the rules of CheckedRun (the right words, nothing left open, an image
// that agrees with the .asm text); some kinds also have words of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "GeneratedSongs.h"
#include "RunCheck.h"

namespace kelvane::test {
namespace {

constexpr int kUnit = 60;  // ticks of one time unit at division 480

Bytes ExampleSong() {
    std::ifstream in(KELVANE_EXAMPLE_SONG, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<GeneratedSong> AllSongs() {
    std::vector<GeneratedSong> songs = GeneratedSongs();
    songs.push_back({"example", ExampleSong()});
    return songs;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

void SetBE32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// Offsets of the length fields of every chunk, the header's first.
std::vector<std::size_t> ChunkLengthOffsets(const Bytes& midi) {
    std::vector<std::size_t> offsets;
    std::size_t at = 0;
    while (at + 8 <= midi.size()) {
        offsets.push_back(at + 4);
        std::uint32_t length = static_cast<std::uint32_t>(midi[at + 4] << 24 | midi[at + 5] << 16 |
                                                          midi[at + 6] << 8 | midi[at + 7]);
        at += 8 + length;
    }
    return offsets;
}

Bytes ThreeTracks() {
    return MidiFile()
        .Add(Track().Tempo(0, 400000).End(0))
        .Add(Track().NoteOn(0, 60).NoteOff(4 * kUnit, 60).End(0))
        .Add(Track().NoteOn(0, 62).NoteOff(2 * kUnit, 62).End(0))
        .Build();
}

TEST(Prefixes, EveryPrefixOfEachGeneratedSong) {
    CheckedRun run;
    for (const GeneratedSong& song : AllSongs()) {
        ASSERT_GT(song.midi.size(), 14u) << song.name;
        for (std::size_t size = 0; size <= song.midi.size(); ++size) {
            Bytes prefix(song.midi.begin(), song.midi.begin() + static_cast<long>(size));
            ASSERT_EQ(run.ConvertAndCheck(prefix), "") << song.name << " cut at " << size;
            // A cut file never passes for a whole one.
            if (size < song.midi.size()) {
                ASSERT_FALSE(run.result) << song.name << " cut at " << size;
            }
        }
        // A division with its top bit set counts SMPTE frames, which the
        // driver's time units cannot follow.
        EXPECT_EQ(run.result, song.name != "failing_tracks" && song.name != "top_bit_division") << song.name;
    }
}

TEST(Corruptions, EverySingleByteOfASmallSong) {
    CheckedRun run;
    const Bytes song = SmallSong();
    for (std::size_t offset = 0; offset < song.size(); ++offset) {
        const std::uint8_t original = song[offset];
        for (int value : {0x00, 0x01, 0x7F, 0x80, 0xFF, original ^ 0xFF, (original + 1) & 0xFF}) {
            Bytes damaged = song;
            damaged[offset] = static_cast<std::uint8_t>(value);
            ASSERT_EQ(run.ConvertAndCheck(damaged), "") << "offset " << offset << " value " << value;
        }
    }
}

TEST(ChunkLengths, ZeroOneAndAllOnesInEveryChunk) {
    CheckedRun run;
    const Bytes song = ThreeTracks();
    for (std::size_t at : ChunkLengthOffsets(song)) {
        for (std::uint32_t length : {0u, 1u, 0xFFFFFFFFu}) {
            Bytes damaged = song;
            SetBE32(damaged, at, length);
            ASSERT_EQ(run.ConvertAndCheck(damaged), "") << "length field at " << at << " = " << length;
        }
    }
}

TEST(ChunkLengths, WhatEachLengthDoesToATrack) {
    const Bytes song = ThreeTracks();
    const std::vector<std::size_t> at = ChunkLengthOffsets(song);
    ASSERT_EQ(at.size(), 4u);
    CheckedRun run;

    // Too short to hold a delta time and a status byte: the track cannot be read.
    for (std::uint32_t length : {0u, 1u}) {
        Bytes damaged = song;
        SetBE32(damaged, at[2], length);
        run.Convert(damaged);
        EXPECT_TRUE(Has(run.ui.appended, "***错误*** MIDI轨道1数据无法解析\n")) << length;
    }

    // The last chunk claiming everything is cut at the end of the file, where
    // its whole track lies.
    Bytes last = song;
    SetBE32(last, at[3], 0xFFFFFFFFu);
    EXPECT_TRUE(run.Convert(last));

    // A middle chunk claiming everything swallows the tracks after it.
    Bytes middle = song;
    SetBE32(middle, at[2], 0xFFFFFFFFu);
    run.Convert(middle);
    EXPECT_EQ(run.ui.appended, (std::vector<std::string>{"MIDI轨道数:3,MIDI节拍数:480\n",
                                                         "***错误*** MIDI轨道2格式无法识别\n",
                                                         "输出文件:/music/song.asm\n", "转换失败!\n"}));

    // A header claiming everything leaves no track chunk.
    Bytes header = song;
    SetBE32(header, at[0], 0xFFFFFFFFu);
    run.Convert(header);
    EXPECT_EQ(run.ui.appended, (std::vector<std::string>{"MIDI轨道数:3,MIDI节拍数:480\n",
                                                         "***错误*** MIDI轨道0格式无法识别\n",
                                                         "***错误*** MIDI轨道1格式无法识别\n",
                                                         "***错误*** MIDI轨道2格式无法识别\n",
                                                         "输出文件:/music/song.asm\n", "转换失败!\n"}));
    EXPECT_EQ(run.Check(), "");
}

TEST(TrackCounts, AHeaderAnnouncing65535TracksIsRefused) {
    CheckedRun run;
    EXPECT_FALSE(run.Convert(MidiFile().AnnouncedTracks(65535).Add(Track().End(0)).Build()));
    EXPECT_EQ(run.ui.messages, std::vector<std::string>{"MIDI轨道数太多"});
    EXPECT_EQ(run.Check(), "");
}

TEST(TrackCounts, FewerAnnouncedThanHeldReadsOnlyThose) {
    CheckedRun run;
    Bytes midi = MidiFile().AnnouncedTracks(2).Add(Track().End(0))
                     .Add(Track().NoteOn(0, 60).NoteOff(kUnit, 60).End(0))
                     .Add(Track().Raw({0x40}, 0)).Build();  // never read
    EXPECT_TRUE(run.Convert(midi));
    EXPECT_EQ(run.Check(), "");
}

TEST(VarLens, FiveAndMoreBytesKeepTheirLow32Bits) {
    CheckedRun plain;
    ASSERT_TRUE(plain.Convert(ThreeTracks()));
    const std::string plainAsm = plain.files.Text(CheckedRun::kAsmPath);

    // The delta time before the first note of track 1 spelled in 5, 6 and 100 bytes.
    for (std::size_t length : {5u, 6u, 100u}) {
        Bytes zero(length - 1, 0x80);
        zero.push_back(0x00);
        Track track = Track().Raw(zero).Raw({0x90, 60, 100}).NoteOff(4 * kUnit, 60).End(0);
        CheckedRun run;
        EXPECT_TRUE(run.Convert(MidiFile().Add(Track().Tempo(0, 400000).End(0)).Add(track)
                                    .Add(Track().NoteOn(0, 62).NoteOff(2 * kUnit, 62).End(0)).Build()))
            << length;
        EXPECT_EQ(run.files.Text(CheckedRun::kAsmPath), plainAsm) << length;
        EXPECT_EQ(run.Check(), "");
    }

    // 0xFFFFFFFF ticks pass the track length limit at once.
    CheckedRun run;
    Track huge = Track().Raw({0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 60, 100}).End(0);
    EXPECT_FALSE(run.Convert(MidiFile().Add(Track().End(0)).Add(huge).Build()));
    EXPECT_TRUE(Has(run.ui.appended, "***错误*** MIDI轨道1数据无法解析\n"));
    EXPECT_EQ(run.Check(), "");
}

TEST(VarLens, LongLengthsOfMetaAndSystemExclusiveEvents) {
    CheckedRun run;
    // Tempo 400000 behind a five-byte length of 3, a system-exclusive event
    // with a six-byte length of 0.
    Track conductor = Track().Raw({0xFF, 0x51, 0x80, 0x80, 0x80, 0x80, 0x03, 0x06, 0x1A, 0x80}, 0)
                          .Raw({0xF0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x00}, 0).End(0);
    EXPECT_TRUE(run.Convert(MidiFile().Add(conductor).Build()));
    EXPECT_EQ(run.files.Text(CheckedRun::kAsmPath), "\t\tdb\t\t4,3,4,3\t\t; Tempo\r\n");
    EXPECT_EQ(run.Check(), "");
}

TEST(VarLens, AQuantityRunningToTheChunkEndStopsThere) {
    // The chunk ends inside a quantity whose continuation bits run on into the
    // next chunk: the track fails, and the next one converts as usual.
    CheckedRun run;
    MidiFile file;
    file.Add(Track().End(0)).Add(Track().Raw({0xFF, 0xFF, 0xFF}))
        .Add(Track().NoteOn(0, 62).NoteOff(2 * kUnit, 62).End(0));
    EXPECT_FALSE(run.Convert(file.Build()));
    EXPECT_EQ(run.ui.appended[1], "***错误*** MIDI轨道1数据无法解析\n");
    EXPECT_EQ(run.ui.appended.size(), 4u);
    EXPECT_EQ(run.Check(), "");
}

TEST(LengthsPastTheChunk, EventsThatRunPastTheirChunkHaveNoEffect) {
    struct Case {
        const char* what;
        Bytes event;  // the last event of track 1, its length running on
    };
    const std::vector<Case> cases = {
        {"tempo", {0xFF, 0x51, 0x03, 0x06, 0x1A}},
        {"tempo with a long length", {0xFF, 0x51, 0x81, 0x00, 0x06, 0x1A, 0x80}},
        {"device name", {0xFF, 0x09, 0x10, 'd', 'e', 'v'}},
        {"lyric", {0xFF, 0x05, 0x7F, 'l', 'a'}},
        {"unknown meta", {0xFF, 0x60, 0x05, 0x00}},
        {"system exclusive", {0xF0, 0x05, 0x7E}},
        {"escape", {0xF7, 0x83, 0x00, 0x01}},
        {"note without its data", {0x90, 0x3C}},
    };
    for (const Case& c : cases) {
        // Track 1 is Square1, so a lyric there would be captured.
        MidiFile file;
        file.Add(Track().End(0)).Add(Track().NoteOn(0, 60).NoteOff(kUnit, 60).Raw(c.event, 0))
            .Add(Track().NoteOn(0, 62).NoteOff(2 * kUnit, 62).End(0));
        CheckedRun run;
        EXPECT_FALSE(run.Convert(file.Build())) << c.what;
        EXPECT_EQ(run.ui.appended[1], "***错误*** MIDI轨道1数据无法解析\n") << c.what;
        EXPECT_EQ(run.ui.appended.size(), 4u) << c.what;
        std::string text = run.files.Text(CheckedRun::kAsmPath);
        EXPECT_EQ(text.find("\t\tdb\t\t4,4,4,4\t\t; Tempo\r\n"), 0u) << c.what;
        EXPECT_EQ(text.find(";\xC9\xE8\xB1\xB8"), std::string::npos) << c.what;
        EXPECT_EQ(run.files.Text(CheckedRun::kLrcPath), CheckedRun::OldText(CheckedRun::kLrcPath)) << c.what;
        EXPECT_EQ(run.Check(), "") << c.what;
    }

    // On the conductor track, a tempo cut by its chunk leaves the default tempo.
    CheckedRun run;
    MidiFile file;
    file.Add(Track().Raw({0xFF, 0x51, 0x03, 0x06, 0x1A}, 0)).Add(Track().NoteOn(0, 60).NoteOff(kUnit, 60).End(0));
    EXPECT_FALSE(run.Convert(file.Build()));
    EXPECT_EQ(run.files.Text(CheckedRun::kAsmPath).find("\t\tdb\t\t4,4,4,4\t\t; Tempo\r\n"), 0u);
    EXPECT_EQ(run.Check(), "");
}

// Bytes that a formatted print would treat as directives, a NUL, line ends
// and bytes that are not GBK.
const std::string kHostileText = std::string("%s%n%d%%\x81\x20\xFF\x80\r\n", 14) + '\0' + "after the NUL";
const std::string kHostileWritten = "%s%n%d%%\x81\x20\xFF\x80  ";

TEST(Texts, ADeviceNameIsCopiedByteForByte) {
    CheckedRun run;
    MidiFile file;
    file.Add(Track().DeviceName(0, kHostileText).End(0))
        .Add(Track().DeviceName(0, kHostileText).NoteOn(0, 60).NoteOff(kUnit, 60).End(0));
    EXPECT_TRUE(run.Convert(file.Build()));
    std::string comment = "\t;\xC9\xE8\xB1\xB8: " + kHostileWritten + "\r\n";
    std::string text = run.files.Text(CheckedRun::kAsmPath);
    EXPECT_EQ(text.find(comment), 0u);
    EXPECT_NE(text.find("song_Square1:\r\n" + comment), std::string::npos);
    EXPECT_EQ(run.Check(), "");
}

TEST(Texts, ALyricIsCopiedByteForByte) {
    CheckedRun run;
    MidiFile file;
    file.Add(Track().End(0)).Add(Track().Lyric(kUnit, kHostileText).Lyric(kUnit, "\"\\%%%").End(0));
    EXPECT_TRUE(run.Convert(file.Build()));
    EXPECT_EQ(run.files.Text(CheckedRun::kLrcPath),
              ";...........................................................\r\nsong_Lyric:\r\n"
              "\t\tdb\t\t1,\"" + kHostileWritten + "\"\r\n"
              "\t\tdb\t\t1,\"\"\\%%%\"\r\n"
              "\t\tdb\t\t127\r\n\t\tdb\t\t0\r\n");
    EXPECT_EQ(run.Check(), "");
}

TEST(Texts, APathWithPercentSignsAndBytesThatAreNotUtf8) {
    InMemoryRun run;
    const std::string path = "/music/%s%n%d\xFF.mid";
    ASSERT_TRUE(run.Convert(ThreeTracks(), path));
    EXPECT_EQ(run.ui.appended[1], "输出文件:/music/%s%n%d\xFF.asm\n");
    // In the files the name is GBK, and a byte that is no character becomes '?'.
    EXPECT_NE(run.Asm("/music/%s%n%d\xFF").find("\r\n%s%n%d?_Square1:\r\n"), std::string::npos);
}

// A Square1 stream of `volumes` volume commands and its three closing bytes,
// written with running status to keep the file small.
Bytes VolumeSong(std::size_t volumes) {
    Track square1 = Track().Controller(0, 7, 127);
    for (std::size_t i = 1; i < volumes; ++i) square1.Raw({0x07, 0x7F}, 0);
    return MidiFile().Add(Track().End(0)).Add(square1.End(0)).Build();
}

constexpr std::size_t kStreamRoom = 0x10000 - 0x800E;  // 32754 bytes

TEST(SongBlock, AStreamThatEndsExactlyAtFFFF) {
    CheckedRun run;
    EXPECT_TRUE(run.Convert(VolumeSong(kStreamRoom - 3)));
    const Bytes& rom = run.files.Get(kRomPath);
    EXPECT_EQ(rom[0x7FFFF], 0xFF);
    EXPECT_EQ(rom[0x7FFFD], 0xAF);
    EXPECT_EQ(run.Check(), "");
}

TEST(SongBlock, OneBytePastFFFFIsReportedAndStoredNowhere) {
    CheckedRun run;
    EXPECT_FALSE(run.Convert(VolumeSong(kStreamRoom - 2)));
    EXPECT_EQ(run.ui.appended, (std::vector<std::string>{"MIDI轨道数:2,MIDI节拍数:480\n",
                                                         "***错误*** MIDI轨道1数据超出歌曲空间\n",
                                                         "输出文件:/music/song.asm\n", "转换失败!\n"}));
    // The image stays as it was; the block the run made ends in the byte that fit.
    EXPECT_EQ(run.files.Get(kRomPath), CheckedRun::OldImage());
    EXPECT_EQ(run.EmittedBlock()[0x7FFF], 0x01);
    // The text is written in full all the same.
    std::string text = run.files.Text(CheckedRun::kAsmPath);
    EXPECT_EQ(text.substr(text.size() - 41), "\t\tdb\t\tMPCC_Inside+$0f,1\r\n\t\tdb\t\tMPCC_End\r\n");
    EXPECT_EQ(run.Check(), "");
}

TEST(SongBlock, StreamsThatWrapAllTheWayRoundStoreNothingMore) {
    // Each channel rests for the longest time a track may hold, 2^22 units,
    // which is 32768 wait bytes: the cursor passes $FFFF in Square1 and comes
    // back into the song block during Square2.
    const std::uint32_t longest = 4194304u * kUnit;
    MidiFile file;
    file.Add(Track().End(0));
    for (int channel = 1; channel <= 5; ++channel) file.Add(Track().NoteOn(longest, 60).NoteOff(0, 60).End(0));
    CheckedRun run;
    EXPECT_FALSE(run.Convert(file.Build()));
    EXPECT_EQ(run.ui.appended[1], "***错误*** MIDI轨道1数据超出歌曲空间\n");
    EXPECT_EQ(run.ui.appended.size(), 4u);
    const Bytes block = run.EmittedBlock();
    // Square1: 32768 waits and the closing three bytes; Square2 starts after them.
    std::uint16_t square2 = static_cast<std::uint16_t>(block[6] | block[7] << 8);
    EXPECT_EQ(square2, static_cast<std::uint16_t>(0x800E + 32768 + 3));
    std::uint16_t triangle = static_cast<std::uint16_t>(block[8] | block[9] << 8);
    EXPECT_EQ(triangle, static_cast<std::uint16_t>(square2 + 32768 + 3));
    EXPECT_GE(triangle, 0x8000);
    EXPECT_EQ(run.Check(), "");
}

// A Square1 track holding `count` lyrics, one unit apart.
Bytes LyricSong(int count) {
    Track square1;
    for (int i = 0; i < count; ++i) square1.Lyric(kUnit, "w" + std::to_string(i));
    return MidiFile().Add(Track().End(0)).Add(square1.End(0)).Build();
}

TEST(Lyrics, TheListHolds2048AndDropsTheRest) {
    for (int count : {2048, 2049}) {
        CheckedRun run;
        EXPECT_TRUE(run.Convert(LyricSong(count))) << count;
        std::string lrc = run.files.Text(CheckedRun::kLrcPath);
        EXPECT_EQ(std::count(lrc.begin(), lrc.end(), '\n'), 2 + 2048 + 2) << count;
        EXPECT_NE(lrc.find("\t\tdb\t\t1,\"w2047\"\r\n\t\tdb\t\t127\r\n"), std::string::npos) << count;
        EXPECT_EQ(lrc.find("w2048"), std::string::npos) << count;
        EXPECT_EQ(run.Check(), "");
    }
}

TEST(EmptyInputs, AnEmptyFileAndAHeaderAlone) {
    CheckedRun run;
    EXPECT_FALSE(run.Convert(Bytes{}));
    EXPECT_EQ(run.ui.messages, std::vector<std::string>{"MIDI文件无法识别"});
    EXPECT_EQ(run.Check(), "");

    // Fourteen bytes of header and nothing else: no tracks, the template unchanged.
    EXPECT_TRUE(run.Convert(MidiFile().Build()));
    EXPECT_EQ(run.files.Get(kRomPath), StandInTemplate());
    EXPECT_EQ(run.Check(), "");
}

TEST(EmptyInputs, AMidiFileThatCannotBeRead) {
    CheckedRun run;
    run.files.unreadable.insert(CheckedRun::kMidiPath);
    EXPECT_FALSE(run.Convert(ThreeTracks()));
    EXPECT_EQ(run.ui.messages, std::vector<std::string>{"无法打开MIDI文件"});
    EXPECT_EQ(run.Check(), "");
}

TEST(Templates, ZeroBytesOneByteShortAndOneMegabyte) {
    for (std::size_t size : {std::size_t{0}, kImageSize - 1, kImageSize, std::size_t{1} << 20}) {
        CheckedRun run(size);
        EXPECT_EQ(run.Convert(ThreeTracks()), size >= kImageSize) << size;
        if (size < kImageSize) {
            EXPECT_EQ(run.ui.messages, std::vector<std::string>{"无法打开RZ31ST.bin文件"});
        }
        EXPECT_EQ(run.Check(), "") << size;
    }
}

}  // namespace
}  // namespace kelvane::test
