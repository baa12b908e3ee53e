// The conversion report against the streams it describes: note commands and
// bytes per voice, the song block's use and the song's length.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "Analyze.h"
#include "ReportText.h"
#include "TestSupport.h"

namespace kelvane::test {
namespace {

const char* const kVoices[] = {"Square1", "Square2", "Triangle", "Noise", "DPCM"};

// Counts what the .asm text of each channel holds.
struct Counted {
    std::uint32_t notes[5] = {};
    std::size_t bytes[5] = {};
};

Counted CountText(const std::string& asmText) {
    Counted counted;
    int voice = -1;
    std::size_t start = 0;
    while (start < asmText.size()) {
        std::size_t end = asmText.find("\r\n", start);
        std::string line = asmText.substr(start, end - start);
        start = end + 2;
        for (int v = 0; v < 5; ++v)
            if (line == std::string("song_") + kVoices[v] + ":") voice = v;
        if (voice < 0) continue;
        if (line.find("MPCC_Inside+") != std::string::npos && line.find("$0f,1") == std::string::npos)
            ++counted.notes[voice];
        if (line.rfind("\t\tdb", 0) == 0)
            counted.bytes[voice] += Assemble(line + "\r\n", 0x8000).bytes.size();
    }
    return counted;
}

void ExpectReportMatchesText(const InMemoryRun& run, const ConversionReport& report) {
    Counted counted = CountText(run.Asm());
    std::size_t streams = 0;
    for (int v = 0; v < 5; ++v) {
        EXPECT_EQ(report.voices[static_cast<std::size_t>(v)].voice, kVoices[v]);
        EXPECT_EQ(report.voices[static_cast<std::size_t>(v)].notes, counted.notes[v]) << kVoices[v];
        EXPECT_EQ(report.voices[static_cast<std::size_t>(v)].bytes, counted.bytes[v]) << kVoices[v];
        streams += counted.bytes[v];
    }
    EXPECT_EQ(report.songBlockUsed, 14 + streams);
}

TEST(Report, CountsEqualTheStreamsOfGeneratedSongs) {
    std::mt19937 random(77);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int song = 0; song < 30; ++song) {
        MidiFile file;
        file.Add(Track().Tempo(0, 500000).End(0));
        for (int channel = 1; channel <= 5; ++channel) {
            Track t;
            for (int event = pick(0, 40); event > 0; --event) {
                int note = pick(30, 90);
                t.NoteOn(static_cast<std::uint32_t>(pick(0, 200)), note);
                // Some notes are cut by the next note-on, some last no time at all.
                if (pick(0, 4) > 0) t.NoteOff(static_cast<std::uint32_t>(pick(0, 3000)), note);
                if (pick(0, 6) == 0) t.Program(0, 3);
            }
            file.Add(t.End(0));
        }
        InMemoryRun run;
        ASSERT_TRUE(run.Convert(file.Build())) << song;
        ExpectReportMatchesText(run, run.report);
        // The analysis in memory sees the same song.
        ConversionReport analysis = AnalyzeSong(file.Build());
        for (std::size_t v = 0; v < 5; ++v) EXPECT_EQ(analysis.voices[v].bytes, run.report.voices[v].bytes);
        EXPECT_EQ(analysis.songBlockUsed, run.report.songBlockUsed);
    }
}

TEST(Report, DropsLengthAndJson) {
    // One quarter at 120 bpm is 8 units of 3 steps of 1/50 s (tempo 4,4,4,4).
    MidiFile file;
    file.Add(Track().Tempo(0, 500000).NoteOn(0, 50).NoteOff(480, 50).End(0));
    file.Add(Track().NoteOn(0, 60).NoteOn(240, 62).NoteOff(240, 62).NoteOn(0, 64).NoteOff(10, 64).End(0));
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(file.Build()));
    const ConversionReport& report = run.report;
    EXPECT_EQ(report.voices[0].notes, 1u);
    EXPECT_EQ(report.voices[0].droppedOverlap, 1u);     // 62 replaced the held 60
    EXPECT_EQ(report.voices[0].droppedZeroLength, 1u);  // 64 lasted less than a unit
    EXPECT_EQ(report.conductorNotes, 1u);
    EXPECT_EQ(report.fileNotes, 4u);
    EXPECT_EQ(report.tempo, (std::array<int, 4>{4, 4, 4, 4}));
    EXPECT_EQ(report.units, 8u);
    EXPECT_DOUBLE_EQ(report.seconds, 0.48);

    const std::string json = ReportJson(report);
    // The entry names its MIDI file as given and the files the run wrote.
    EXPECT_EQ(json.rfind("{\"midi\":\"/music/song.mid\",\"outputs\":[\"/music/song.asm\",\"/music/song.h\","
                         "\"/prog/ROM.BIN\"],\"voices\":[{\"voice\":\"Square1\",\"notes\":1,\"dropped\":{\"overlap\":1,\"zeroLength\":1},"
                         "\"bytes\":5},", 0),
              0u)
        << json;
    EXPECT_NE(json.find("\"songBlock\":{\"used\":19,\"size\":32768},\"seconds\":0.48,\"tempo\":[4,4,4,4]"),
              std::string::npos)
        << json;
    EXPECT_NE(ReportTable(report).find("length: 0:00 (0.48 s)"), std::string::npos);
}

// Sixteen quarter notes on Square1 at `micros` per quarter.
ConversionReport PlainRun(std::uint32_t micros) {
    Track square;
    for (int i = 0; i < 16; ++i) square.NoteOn(0, 60).NoteOff(480, 60);
    MidiFile file;
    file.Add(Track().Tempo(0, micros).End(0)).Add(square.End(0));
    InMemoryRun run;
    EXPECT_TRUE(run.Convert(file.Build()));
    return run.report;
}

TEST(Report, APlainConversionSaysHowFastTheDriverPlaysIt) {
    // 120 BPM: units of 62.5 ms played as 3 frames, 60 ms: 4.2 % fast.
    ConversionReport fast = PlainRun(500000);
    EXPECT_DOUBLE_EQ(fast.unitMs, 60.0);
    EXPECT_DOUBLE_EQ(fast.midiSeconds, 8.0);
    EXPECT_NEAR(fast.speed, 62.5 / 60, 1e-9);
    const std::string advice = TempoAdvice(fast, "--arrange", true);
    EXPECT_EQ(TempoAdvice(fast, "--arrange"), "");  // the front ends do not nag about a few per cent
    EXPECT_EQ(advice.rfind("提示: ", 0), 0u) << advice;
    EXPECT_NE(advice.find("plays this song 4.2% fast (1.042 times its speed)"), std::string::npos) << advice;
    EXPECT_NE(advice.find("--arrange"), std::string::npos) << advice;
    EXPECT_NE(ReportTable(fast).find("timing: unit 60.00 ms; 7.68 s at the driver's tempo against the MIDI file's "
                                     "8.00 s; speed x1.042\n" + advice + "\n"),
              std::string::npos)
        << ReportTable(fast);
    EXPECT_NE(ReportJson(fast).find("\"unitMs\":60.00,\"midiSeconds\":8.00,\"speed\":1.0417"), std::string::npos);

    // 93.75 BPM: units of exactly 4 frames; 92.3 BPM: 1.6 % fast. No advice.
    ConversionReport exact = PlainRun(640000);
    EXPECT_DOUBLE_EQ(exact.speed, 1.0);
    EXPECT_EQ(TempoAdvice(exact, "--arrange", true), "");
    ConversionReport close = PlainRun(650000);
    EXPECT_NEAR(close.speed, 81.25 / 80, 1e-9);
    EXPECT_EQ(TempoAdvice(close, "--arrange", true), "");
}

TEST(Report, UnitsOfNoTimeAreCalledTooFastNotSilent) {
    // 2000 BPM: tempo bytes 1,1,1,1, the song takes no time at the driver.
    ConversionReport report = PlainRun(30000);
    EXPECT_EQ(report.tempo, (std::array<int, 4>{1, 1, 1, 1}));
    EXPECT_EQ(report.seconds, 0.0);
    EXPECT_EQ(report.speed, 0.0);
    const std::string advice = TempoAdvice(report, "--arrange");
    EXPECT_EQ(advice.rfind("提示: tempo bytes 1,1,1,1 are below 2", 0), 0u) << advice;
    EXPECT_NE(advice.find("far too fast"), std::string::npos);
    EXPECT_NE(advice.find("--arrange"), std::string::npos);
    EXPECT_NE(ReportTable(report).find("speed no time at the driver's tempo\n" + advice + "\n"), std::string::npos);
    EXPECT_NE(ReportJson(report).find("\"speed\":null"), std::string::npos);
    // An arranged song gets no such advice: the arrangement re-times it.
    report.arranged = true;
    EXPECT_EQ(TempoAdvice(report, "--arrange", true), "");
}

TEST(Report, TheExampleSong) {
    InMemoryRun run;
    std::ifstream in(KELVANE_SOURCE_DIR "/examples/example.mid", std::ios::binary);
    Bytes midi((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(run.Convert(midi));
    ExpectReportMatchesText(run, run.report);
}

}  // namespace
}  // namespace kelvane::test
