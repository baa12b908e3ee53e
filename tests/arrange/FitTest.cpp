// Songs too large for the song block, and the report against the streams.
#include <gtest/gtest.h>

#include "Analyze.h"
#include "ArrangedSong.h"
#include "MidiBuilder.h"

namespace kelvane::test {
namespace {

constexpr std::uint32_t kSixteenth = 120;  // at division 480: two units

// `bars` bars of sixteenth notes on every voice: a melody, a second part and
// a bass, hats on every sixteenth, the kick on the beat, the snare on 2 and 4.
Bytes BusySong(int bars, bool drums, bool bass) {
    Track melody, second, low, kit;
    melody.Program(0, 80);
    second.Program(0, 48, 1);
    low.Program(0, 33, 2);
    for (int i = 0; i < bars * 16; ++i) {
        int m = 72 + (i * 5) % 12, s = 60 + (i * 7) % 12, b = 36 + (i * 3) % 12;
        melody.NoteOn(0, m).NoteOff(kSixteenth, m);
        second.NoteOn(0, s, 80, 1).NoteOff(kSixteenth, s, 0, 1);
        low.NoteOn(0, b, 90, 2).NoteOff(kSixteenth, b, 0, 2);
        kit.NoteOn(0, 42, 70, 9);
        if (i % 4 == 0) kit.NoteOn(0, 36, 110, 9);
        if (i % 8 == 4) kit.NoteOn(0, 38, 100, 9);
        kit.NoteOff(kSixteenth, 42, 0, 9);
        if (i % 4 == 0) kit.NoteOff(0, 36, 0, 9);
        if (i % 8 == 4) kit.NoteOff(0, 38, 0, 9);
    }
    MidiFile file;
    file.Add(Track().Tempo(0, 500000).End(0)).Add(melody.End(0)).Add(second.End(0));
    if (bass) file.Add(low.End(0));
    if (drums) file.Add(kit.End(0));
    return file.Build();
}

std::vector<std::string> FitWarnings(const arrange::ArrangeResult& result) {
    std::vector<std::string> steps;
    for (const std::string& warning : result.report.warnings)
        if (warning.find("为放入歌曲空间") == 0 || warning.find("歌曲太长") == 0) steps.push_back(warning);
    return steps;
}

TEST(ArrangeFit, DetailGoesInAFixedOrderAndTheSongEndsAtTheLastBarThatFits) {
    auto result = ArrangeAuto(BusySong(600, true, true));
    ASSERT_TRUE(result.ok) << result.error;
    std::vector<std::string> steps = FitWarnings(result);
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[0], "为放入歌曲空间, 去掉了方波2 (9600音)");
    EXPECT_EQ(steps[1], "为放入歌曲空间, 去掉了DPCM (2400击)");
    EXPECT_EQ(steps[2].rfind("为放入歌曲空间, 噪声隔一个去掉踩镲 (", 0), 0u) << steps[2];
    EXPECT_EQ(steps[3].rfind("歌曲太长, 在第", 0), 0u) << steps[3];
    EXPECT_NE(steps[3].find("(原有600小节)"), std::string::npos) << steps[3];

    const auto& voices = result.report.voices;
    EXPECT_EQ(voices[arrange::kSquare2].droppedFit, 9600u);
    EXPECT_EQ(voices[arrange::kSquare2].notes, 0u);
    EXPECT_EQ(voices[arrange::kDpcm].droppedFit, 2400u);
    EXPECT_EQ(voices[arrange::kSquare1].notes + voices[arrange::kSquare1].droppedFit, 9600u);
    // Whole bars: the song ends on a bar line, every kept voice to the end.
    ASSERT_GT(result.report.bars, 0u);
    EXPECT_EQ(voices[arrange::kSquare1].notes, 16 * result.report.bars);
    EXPECT_EQ(voices[arrange::kTriangle].notes, 16 * result.report.bars);

    kelvane::ConversionReport check = kelvane::AnalyzeSong(result.midi);
    EXPECT_TRUE(check.succeeded);
    EXPECT_FALSE(check.songBlockFull);
    EXPECT_LE(check.songBlockUsed, 32768u);
    // The last bar that fits: one more would not.
    EXPECT_GT(check.songBlockUsed, 32768u - 200u);
}

TEST(ArrangeFit, OnlyAsMuchIsDroppedAsTheSongNeeds) {
    // Three tonal voices of sixteenths: dropping Square2 is enough.
    auto result = ArrangeAuto(BusySong(400, false, true));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(FitWarnings(result), std::vector<std::string>{"为放入歌曲空间, 去掉了方波2 (6400音)"});
    EXPECT_EQ(result.report.voices[arrange::kSquare1].notes, 6400u);
    EXPECT_EQ(result.report.voices[arrange::kTriangle].notes, 6400u);
    EXPECT_EQ(result.report.voices[arrange::kSquare1].droppedFit, 0u);
    EXPECT_EQ(result.report.bars, 0u);

    auto small = ArrangeAuto(BusySong(8, true, true));
    ASSERT_TRUE(small.ok);
    EXPECT_TRUE(FitWarnings(small).empty());
}

TEST(ArrangeFit, AFineGridGivesWayToTheCoarsestBeforeAVoiceDoes) {
    // Three voices of notes of ten eighth-note triplets (1.67 s) at 120 BPM:
    // on their fine grid (40 ms) each note needs a wait byte, on a sixteenth
    // (125 ms) none, and only that makes the song fit.
    constexpr int kNotes = 3700;
    Track melody, second, bass;
    melody.Program(0, 80);
    second.Program(0, 48, 1);
    bass.Program(0, 33, 2);
    for (int n = 0; n < kNotes; ++n) {
        const std::uint32_t length = 1600;
        melody.NoteOn(0, 72 + n % 12).NoteOff(length, 72 + n % 12);
        second.NoteOn(0, 60 + n % 12, 80, 1).NoteOff(length, 60 + n % 12, 0, 1);
        bass.NoteOn(0, 36 + n % 12, 90, 2).NoteOff(length, 36 + n % 12, 0, 2);
    }
    MidiFile file;
    file.Add(Track().Tempo(0, 500000).End(0)).Add(melody.End(0)).Add(second.End(0)).Add(bass.End(0));
    auto result = ArrangeAuto(file.Build());
    ASSERT_TRUE(result.ok) << result.error;
    std::vector<std::string> steps = FitWarnings(result);
    ASSERT_EQ(steps.size(), 1u) << result.report.unitMs << " ms, " << result.report.songBlockUsed << " bytes";
    EXPECT_EQ(steps[0].rfind("为放入歌曲空间, 时间单位从", 0), 0u) << steps[0];
    EXPECT_NE(steps[0].find("毫秒放宽到125毫秒"), std::string::npos) << steps[0];
    for (int v : {arrange::kSquare1, arrange::kSquare2, arrange::kTriangle})
        EXPECT_EQ(result.report.voices[static_cast<std::size_t>(v)].notes, std::uint32_t(kNotes)) << v;
    ConvertedSong converted = ConvertArranged(result.midi);
    ASSERT_TRUE(converted.converted);
    EXPECT_EQ(converted.tempo, (std::array<int, 4>{8, 7, 7, 7}));
    EXPECT_DOUBLE_EQ(result.report.unitMs, 125.0);
}

TEST(ArrangeReport, CountsAndBytesEqualTheEngineStreams) {
    // Volume changes, programs, lyrics and long notes, all of which cost bytes.
    Track melody, bass, kit;
    melody.Program(0, 73).Controller(0, 7, 100);
    bass.Program(0, 33, 1);
    for (int i = 0; i < 64; ++i) {
        int key = 60 + (i * 5) % 24;
        if (i % 8 == 0) melody.Controller(0, 7, 40 + i).Controller(0, 11, 100, 0);
        melody.Lyric(0, "la").NoteOn(0, key).NoteOff(i % 5 == 0 ? 2400 : 240, key);
        bass.NoteOn(0, 40, 90, 1).NoteOff(i % 7 == 0 ? 9000 : 480, 40, 0, 1);
        kit.NoteOn(0, i % 2 ? 38 : 36, 100, 9).NoteOff(i % 9 == 0 ? 20000 : 240, i % 2 ? 38 : 36, 0, 9);
    }
    Bytes midi = MidiFile().Add(Track().End(0)).Add(melody.End(0)).Add(bass.End(0)).Add(kit.End(0)).Build();
    auto result = ArrangeAuto(midi);
    ASSERT_TRUE(result.ok) << result.error;
    ConvertedSong converted = ConvertArranged(result.midi);
    ASSERT_TRUE(converted.converted);
    std::size_t total = 14;
    for (int v = 0; v < arrange::kVoiceCount; ++v) {
        SCOPED_TRACE(arrange::VoiceName(v));
        const auto& voice = result.report.voices[static_cast<std::size_t>(v)];
        EXPECT_EQ(voice.notes, converted.voices[static_cast<std::size_t>(v)].size());
        EXPECT_EQ(voice.bytes, converted.bytes[static_cast<std::size_t>(v)]);
        total += voice.bytes;
    }
    EXPECT_EQ(result.report.songBlockUsed, total);
    EXPECT_EQ(result.report.voices[arrange::kSquare1].notes, 64u);
    EXPECT_EQ(result.report.voices[arrange::kNoise].notes + result.report.voices[arrange::kDpcm].notes, 64u);
}

TEST(ArrangeReport, ApplyToFillsTheArrangementsShareOnly) {
    arrange::ArrangementReport mine;
    mine.voices[arrange::kTriangle].sources = {"track 2, channel 2: Fretless Bass"};
    mine.voices[arrange::kTriangle].droppedShort = 3;
    mine.voices[arrange::kTriangle].movedOctave = 4;
    mine.voices[arrange::kTriangle].droppedFit = 5;
    mine.warnings = {"忽略了弯音 (2个)"};
    kelvane::ConversionReport report;
    report.voices[arrange::kTriangle].notes = 77;
    report.warnings = {"engine"};
    mine.ApplyTo(report);
    EXPECT_TRUE(report.arranged);
    EXPECT_EQ(report.voices[arrange::kTriangle].sources, mine.voices[arrange::kTriangle].sources);
    EXPECT_EQ(report.voices[arrange::kTriangle].droppedShort, 3u);
    EXPECT_EQ(report.voices[arrange::kTriangle].movedOctave, 4u);
    EXPECT_EQ(report.voices[arrange::kTriangle].droppedFit, 5u);
    EXPECT_EQ(report.voices[arrange::kTriangle].notes, 77u);
    EXPECT_EQ(report.warnings, (std::vector<std::string>{"engine", "忽略了弯音 (2个)"}));
}

}  // namespace
}  // namespace kelvane::test
