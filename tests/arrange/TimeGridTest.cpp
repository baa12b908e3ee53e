// The arranged song keeps time on the driver's own grid: the tempo bytes the
// engine makes of the written tempo, every onset near its real time, the
// song as long as the MIDI file; rests written as notes at volume 0; notes
// in the octaves the chip sounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Analyze.h"
#include "ArrangedSong.h"
#include "Fit.h"
#include "MidiBuilder.h"
#include "SongCost.h"
#include "TestSupport.h"
#include "TimedSong.h"
#include "Timing.h"
#include "TrackTranslator.h"

namespace kelvane::test {
namespace {

constexpr std::uint32_t kQ = 480;

double UnitSeconds(const std::array<int, 4>& tempo) { return (tempo[0] + tempo[1] + tempo[2] + tempo[3] - 4) / 200.0; }

double SecondsOfUnit(std::uint32_t unit, const std::array<int, 4>& tempo) {
    int bytes[4] = {tempo[0], tempo[1], tempo[2], tempo[3]};
    return SongSeconds(unit, bytes);
}

TEST(ArrangeTimeGrid, EveryGridsTempoGivesTheEngineItsTempoBytes) {
    for (int whole = 1; whole <= 104; ++whole) {
        for (int extra = 0; extra < 4; ++extra) {
            arrange::Grid grid{whole, extra};
            if (grid.TempoMicros() > 0xFFFFFF) continue;
            int tempo[4];
            SetTempo(grid.TempoMicros(), tempo);
            std::array<int, 4> frames = grid.Frames();
            for (int k = 0; k < 4; ++k)
                ASSERT_EQ(tempo[k] - 1, frames[static_cast<std::size_t>(k)]) << whole << "+" << extra << "/4";
            // Grid points and the engine's own count of time agree.
            for (std::uint32_t unit : {0u, 1u, 2u, 3u, 4u, 5u, 1001u}) {
                ASSERT_NEAR(double(grid.FrameOf(unit)) / 50, SongSeconds(unit, tempo), 1e-9);
                // The point itself and anything nearer to it than to its
                // neighbours rounds to it.
                double at = double(grid.FrameOf(unit)) * 20000;
                EXPECT_EQ(grid.Nearest(at), unit);
                EXPECT_EQ(grid.Nearest(at + 0.45 * frames[unit % 4] * 20000), unit);
                if (unit > 0) {
                    EXPECT_EQ(grid.Nearest(at - 0.45 * frames[(unit + 3) % 4] * 20000), unit);
                }
            }
        }
    }
}

// What a song at a tempo map becomes: its length at the driver's tempo and
// how far its Square1 onsets lie from their real time.
struct Kept {
    double unit = 0;
    double seconds = 0;
    double real = 0;
    double p95 = 0;
    double worst = 0;
    double movedShare = 0;
    std::array<int, 4> tempo{};
};

Kept Measure(const TimedSong& song, const char* name) {
    Kept kept;
    auto result = ArrangeAuto(song.midi);
    EXPECT_TRUE(result.ok) << result.error;
    ConvertedSong converted = ConvertArranged(result.midi);
    EXPECT_TRUE(converted.converted);
    if (!result.ok || !converted.converted) return kept;
    kept.tempo = converted.tempo;
    kept.unit = UnitSeconds(converted.tempo);
    ConversionReport check = AnalyzeSong(result.midi);
    kept.seconds = check.seconds;
    kept.real = song.seconds;
    kept.movedShare = result.report.movedShare;
    std::vector<double> errors;
    for (const StreamNote& note : converted.voices[arrange::kSquare1]) {
        if (note.volume == 0) continue;  // a rest
        double at = SecondsOfUnit(note.start, converted.tempo);
        if (errors.size() < song.onsets.size()) errors.push_back(std::abs(at - song.onsets[errors.size()]));
    }
    EXPECT_EQ(errors.size(), song.onsets.size()) << name;
    kept.p95 = Percentile(errors, 0.95);
    kept.worst = errors.empty() ? 0 : *std::max_element(errors.begin(), errors.end());
    std::printf("[ timing ] %-22s tempo %d,%d,%d,%d unit %6.2f ms  length %8.3f s of %8.3f s (%+.3f%%)  "
                "onsets p95 %5.1f ms, worst %5.1f ms, moved >30 ms %.1f%%\n",
                name, kept.tempo[0], kept.tempo[1], kept.tempo[2], kept.tempo[3], kept.unit * 1000, kept.seconds,
                kept.real, 100 * (kept.seconds - kept.real) / kept.real, kept.p95 * 1000, kept.worst * 1000,
                100 * kept.movedShare);
    return kept;
}

void ExpectInTime(const Kept& kept, const char* name) {
    SCOPED_TRACE(name);
    for (int steps : kept.tempo) EXPECT_GE(steps, 2);
    EXPECT_LE(std::abs(kept.seconds - kept.real), std::max(kept.unit, 0.005 * kept.real));
    EXPECT_LE(kept.p95, 0.025);
}

TEST(ArrangeTimeGrid, SongsAtManyTemposLastTheirLengthAndKeepTheirOnsets) {
    struct Case {
        const char* name;
        std::uint32_t tempo;
        std::uint32_t slot;
        double sounding;
    };
    const Case cases[] = {
        {"60 BPM eighths", 1000000, kQ / 2, 0.5},  {"100 BPM sixteenths", 600000, kQ / 4, 0.75},
        {"120 BPM sixteenths", 500000, kQ / 4, 1.0}, {"120 BPM triplets", 500000, kQ / 3, 0.6},
        {"150 BPM eighths", 400000, kQ / 2, 0.5},  {"400 BPM eighths", 150000, kQ / 2, 0.5},
        {"93.75 BPM sixteenths", 640000, kQ / 4, 0.5},
    };
    for (const Case& c : cases) ExpectInTime(Measure(TimedMelody({{0, c.tempo}}, 96, c.slot, c.sounding), c.name), c.name);
}

TEST(ArrangeTimeGrid, AFastFinaleInASlowSongKeepsItsOnsets) {
    // 60 BPM for twelve beats (the longest tempo), then sixteenths at 150.
    TimedSong song = TimedMelody({{0, 1000000}, {12 * kQ, 400000}}, 48 + 64, kQ / 4, 0.5);
    // Quarters first: the melody's slots are sixteenths throughout, so the
    // slow part has them too.
    Kept kept = Measure(song, "60 then 150 BPM");
    ExpectInTime(kept, "60 then 150 BPM");
    EXPECT_LE(kept.movedShare, 0.02);
    EXPECT_LE(kept.worst, 0.030);
}

TEST(ArrangeTimeGrid, ATempoThatFitsWholeFramesGetsAnEvenCycle) {
    // 93.75 BPM: a sixteenth is 8 frames.
    Kept even = Measure(TimedMelody({{0, 640000}}, 64, kQ / 4, 1.0), "93.75 BPM even");
    EXPECT_EQ(even.tempo[0], even.tempo[3]);
    EXPECT_EQ(even.tempo[1], even.tempo[3]);
    EXPECT_EQ(even.tempo[2], even.tempo[3]);
    EXPECT_EQ(even.worst, 0.0);
}

TEST(ArrangeTimeGrid, ASongAt2000BpmIsNotSilent) {
    // Twelve quarter notes of 30 ms: units of at least one frame.
    TimedSong song = TimedMelody({{0, 30000}}, 12, kQ, 1.0);
    Kept kept = Measure(song, "2000 BPM quarters");
    for (int steps : kept.tempo) EXPECT_GE(steps, 2);
    EXPECT_GT(kept.seconds, 0.0);
    EXPECT_LE(std::abs(kept.seconds - song.seconds), std::max(kept.unit, 0.005 * song.seconds));
}

TEST(ArrangeTimeGrid, ASongWhoseLastNoteNoVoicePlaysStillLastsAsLongAsTheFile) {
    // Four quarter notes (2 s), and at 3 s a note of 4 ms, too short for any
    // voice: a rest at volume 0 on Square1 holds the song to the file's end.
    Track melody;
    for (int i = 0; i < 4; ++i) melody.NoteOn(0, 72 + i).NoteOff(kQ, 72 + i);
    melody.NoteOn(2 * kQ, 80).NoteOff(4, 80);
    auto result = ArrangeAuto(MidiFile().Add(Track().Tempo(0, 500000).End(0)).Add(melody.End(0)).Build());
    ASSERT_TRUE(result.ok) << result.error;
    ConversionReport check = AnalyzeSong(result.midi);
    EXPECT_NEAR(result.report.sourceSeconds, 3.004, 1e-3);
    EXPECT_NEAR(check.seconds, result.report.sourceSeconds, result.report.unitMs / 1000);
    ConvertedSong converted = ConvertArranged(result.midi);
    const auto& square = converted.voices[arrange::kSquare1];
    ASSERT_EQ(square.size(), 5u);
    EXPECT_EQ(square.back().volume, 0);
    std::size_t predicted = 14;
    for (const auto& voice : result.report.voices) predicted += voice.bytes;
    EXPECT_EQ(predicted, check.songBlockUsed);
}

TEST(ArrangeRests, AGapIsARestAtVolumeZeroAndTheNoteEndsAtItsEnd) {
    // Staccato quarters at 93.75 BPM, the melody at volume 100 (level 12).
    Track melody;
    melody.Controller(0, 7, 100);
    for (int i = 0; i < 8; ++i) melody.NoteOn(i == 0 ? 0 : kQ / 2, 60 + i).NoteOff(kQ / 2, 60 + i);
    Bytes midi = MidiFile().Add(Track().Tempo(0, 640000).End(0)).Add(melody.End(0)).Build();
    auto result = ArrangeAuto(midi);
    ASSERT_TRUE(result.ok);
    ConvertedSong converted = ConvertArranged(result.midi);
    const auto& stream = converted.voices[arrange::kSquare1];
    ASSERT_EQ(stream.size(), 15u);  // eight notes, seven rests
    for (std::size_t i = 0; i < stream.size(); ++i) {
        EXPECT_EQ(stream[i].volume, i % 2 == 0 ? 12 : 0) << i;
        EXPECT_EQ(stream[i].length, stream[0].length) << i;  // the note as long as the rest
    }
    EXPECT_EQ(result.report.restsKept[arrange::kSquare1], 7u);
    EXPECT_EQ(result.report.rests, 7u);
    EXPECT_EQ(result.report.voices[arrange::kSquare1].notes, 8u);
    // Bytes as the engine counts them, rests included.
    EXPECT_EQ(result.report.voices[arrange::kSquare1].bytes, converted.bytes[arrange::kSquare1]);

    // The conversion report counts notes, not rests.
    InMemoryRun run;
    ASSERT_TRUE(run.Convert(result.midi));
    ConversionReport report = run.report;
    result.report.ApplyTo(report);
    EXPECT_EQ(report.voices[arrange::kSquare1].notes, 8u);
    EXPECT_EQ(report.voices[arrange::kSquare1].rests, 7u);
}

TEST(ArrangeRests, RestsAreTheFirstDetailToGoAndTheLongestAreKept) {
    // Square1 with rests of 1, 2, 3 ... units; a block only a little too small.
    std::array<arrange::VoiceLine, arrange::kVoiceCount> lines;
    std::uint32_t at = 0;
    for (std::uint32_t i = 0; i < 40; ++i) {
        arrange::VoiceNote note;
        note.start = at;
        note.end = at + 4;
        note.key = 60;
        note.restAfter = i + 1 < 40;
        lines[arrange::kSquare1].notes.push_back(note);
        at = note.end + 1 + i % 10;
        lines[arrange::kSquare2].notes.push_back(note);
    }
    std::vector<arrange::LyricLine> lyrics;
    arrange::Score score;
    arrange::Timing timing(score);
    arrange::ArrangementReport report;
    std::vector<std::uint32_t> none;
    const std::size_t full = arrange::SongCost(lines, none).Total();
    // Each rest here costs 4 bytes: give up room for five of Square1's.
    auto fitted = lines;
    arrange::FitSong(fitted, lyrics, score, timing, full - 20, report);
    ASSERT_FALSE(report.warnings.empty());
    EXPECT_EQ(report.warnings[0], "为放入歌曲空间, 去掉了5处休止, 保留最长的73处");
    EXPECT_EQ(fitted[arrange::kSquare2].notes.size(), 40u);  // Square2 stays
    std::uint32_t shortestKept = UINT32_MAX, longestDropped = 0;
    for (const auto& line : fitted) {
        for (std::size_t i = 0; i + 1 < line.notes.size(); ++i) {
            std::uint32_t length = line.notes[i + 1].start - line.notes[i].end;
            if (line.notes[i].restAfter) shortestKept = std::min(shortestKept, length);
            else longestDropped = std::max(longestDropped, length);
        }
    }
    EXPECT_LE(longestDropped, shortestKept);
    EXPECT_EQ(arrange::SongCost(fitted, none).Total(), full - 20);
}

TEST(ArrangeOctaves, SquaresSoundFromGSharp1AndTheTriangleFromGSharp0) {
    // Square1 a melody reaching down to MIDI 26 and 31; the bass down to 15.
    Track melody, bass;
    bass.Program(0, 33, 1);
    for (int key : {72, 26, 31, 32, 70}) melody.NoteOn(0, key).NoteOff(kQ, key);
    for (int key : {15, 19, 20, 40, 45}) bass.NoteOn(0, key, 100, 1).NoteOff(kQ, key, 0, 1);
    auto result = ArrangeAuto(MidiFile().Add(Track().End(0)).Add(melody.End(0)).Add(bass.End(0)).Build());
    ASSERT_TRUE(result.ok);
    ArrangedSong song = ReadArranged(result.midi);
    EXPECT_EQ(Keys(song.voices[arrange::kSquare1]), (std::vector<int>{72, 38, 43, 32, 70}));
    EXPECT_EQ(Keys(song.voices[arrange::kTriangle]), (std::vector<int>{27, 31, 20, 40, 45}));
    EXPECT_EQ(result.report.voices[arrange::kSquare1].movedOctave, 2u);
    EXPECT_EQ(result.report.voices[arrange::kTriangle].movedOctave, 2u);
}

}  // namespace
}  // namespace kelvane::test
