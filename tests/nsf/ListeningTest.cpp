// MIDI songs converted and played through the NSF, measured one voice at a
// time as a listener hears them: repeated notes each start, rests are
// silent, every note sounds at its pitch, and the drums sound on their own
// voices. The figures go to the test output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>

#include "MidiBuilder.h"
#include "Nsf.h"
#include "NsfTestSupport.h"
#include "SongLength.h"
#include "SoundMeasure.h"
#include "TestSupport.h"
#include "Wav.h"

namespace kelvane::test {
namespace {

constexpr int kQuarter = 480;      // ticks
constexpr double kUnitMs = 60;     // 120 BPM: tempo bytes 4, units of 3 frames
constexpr double kQuarterMs = 8 * kUnitMs;
const OnsetOptions kDrumOnsets{2.0, 20, false};  // the window holds the kick's lowest period
const OnsetOptions kNoiseOnsets{2.0, 8, true};   // a hat over a snare: brighter, not louder

// The NSF of a MIDI file whose tracks 1 to 5 are `tracks`, at 120 BPM.
Bytes NsfOf(std::vector<Track> tracks) {
    MidiFile file;
    file.Add(Track().Tempo(0, 500000).End(0));
    tracks.resize(5);
    for (Track& track : tracks) file.Add(track.End(0));
    InMemoryRun run;
    EXPECT_TRUE(run.Convert(file.Build()));
    return BuildNsf(EmittedBlock(run.converter, NsfLabelValues()), "song");
}

// A plain conversion plays the track's notes: the squares up to MIDI 95, the
// triangle up to 71.
struct TonalVoice {
    int mask;
    int track;  // 0 to 2
    int lowest;
    int highest;
    const char* name;
};
constexpr TonalVoice kTonal[] = {{kVoiceSquare1, 0, 32, 95, "Square1"},
                                 {kVoiceSquare2, 1, 32, 95, "Square2"},
                                 {kVoiceTriangle, 2, 20, 71, "Triangle"}};

std::vector<Track> OnTrack(int index, Track track) {
    std::vector<Track> tracks(5);
    tracks[static_cast<std::size_t>(index)] = std::move(track);
    return tracks;
}

TEST(Listening, NineRepeatedHalfNotesEachStartAudibly) {
    for (const TonalVoice& voice : kTonal) {
        const int note = std::min(72, voice.highest - 11);  // C5, or C4 on the triangle
        Track track;
        for (int i = 0; i < 9; ++i) track.NoteOn(0, note).NoteOff(2 * kQuarter, note);
        VoiceSound sound = RenderVoice(NsfOf(OnTrack(voice.track, track)), voice.mask, 9 * 2 * kQuarterMs + 500);
        std::vector<double> onsets = OnsetsMs(sound);
        std::cout << Figures(std::string(voice.name) + " onsets (ms)", onsets) << "\n";
        ASSERT_EQ(onsets.size(), 9u) << voice.name;
        for (std::size_t i = 0; i < 9; ++i)
            EXPECT_NEAR(onsets[i], static_cast<double>(i) * 2 * kQuarterMs, 10) << voice.name << " note " << i;
        // The gap before a repeat is one frame; the note is there the rest of the time.
        for (std::size_t i = 0; i < 9; ++i) {
            double start = static_cast<double>(i) * 2 * kQuarterMs;
            EXPECT_LT(SilentShare(sound, start + 10, start + 2 * kQuarterMs - 30), 0.05) << voice.name << " note " << i;
        }
        EXPECT_NEAR(SoundLengthMs(sound), 9 * 2 * kQuarterMs, 30) << voice.name;
    }
}

TEST(Listening, ARestWrittenAsVolumeZeroIsSilentOnEveryToneAndOnNoise) {
    // Four notes, a rest of a quarter after each: the rest is a note at
    // controller 7 = 0, and the volume comes back before the next note.
    auto withRests = [](int note) {
        Track track;
        for (int i = 0; i < 4; ++i)
            track.NoteOn(0, note).NoteOff(kQuarter, note).Controller(0, 7, 0).NoteOn(0, note)
                .NoteOff(kQuarter, note).Controller(0, 7, 127);
        return track;
    };
    struct Case {
        int mask;
        int track;
        int note;
        const char* name;
    };
    for (Case c : {Case{kVoiceSquare1, 0, 72, "Square1"}, Case{kVoiceSquare2, 1, 60, "Square2"},
                   Case{kVoiceTriangle, 2, 84, "Triangle"}, Case{kVoiceNoise, 3, 38, "Noise"}}) {
        VoiceSound sound = RenderVoice(NsfOf(OnTrack(c.track, withRests(c.note))), c.mask, 8 * kQuarterMs + 200);
        std::vector<double> silent;
        for (int i = 0; i < 4; ++i) {
            double rest = (2 * i + 1) * kQuarterMs;
            silent.push_back(100 * SilentShare(sound, rest, rest + kQuarterMs));
            EXPECT_GE(silent.back(), 80) << c.name << " rest " << i;
            EXPECT_GT(RmsBetween(sound, rest - kQuarterMs + 5, rest - kQuarterMs + 60), 300) << c.name << " note " << i;
        }
        std::cout << Figures(std::string(c.name) + " silent share of each rest (%)", silent) << "\n";
    }
}

TEST(Listening, EveryNoteSoundsAtItsPitchTheLowestSquaresIncluded) {
    // From the lowest note each voice can sound (G#1 on the squares, G#0 on
    // the triangle) its four lowest notes, then a quarter note every fifth
    // semitone up to its highest.
    for (const TonalVoice& voice : kTonal) {
        std::vector<int> heard;
        for (int n = voice.lowest; n <= voice.highest; n += n < voice.lowest + 3 ? 1 : 5) heard.push_back(n);
        Track track;
        for (int n : heard) track.NoteOn(0, n).NoteOff(kQuarter, n);
        VoiceSound sound = RenderVoice(NsfOf(OnTrack(voice.track, track)), voice.mask,
                                       static_cast<double>(heard.size()) * kQuarterMs + 200);
        std::vector<double> cents;
        for (std::size_t i = 0; i < heard.size(); ++i) {
            double start = static_cast<double>(i) * kQuarterMs;
            cents.push_back(CentsOff(sound, start + 60, start + kQuarterMs - 40, heard[i]));
            EXPECT_LE(std::abs(cents.back()), 50) << voice.name << " MIDI " << heard[i];
        }
        std::cout << Figures(std::string(voice.name) + " cents off, from MIDI " + std::to_string(voice.lowest), cents) << "\n";
    }
}

TEST(Listening, NotesBelowWhatTheTimerSoundsAreNotRaisedButSilent) {
    // Stream notes under G#1 on a square and under G#0 on the triangle: the
    // driver plays none of them, rather than an octave higher.
    Bytes low;
    for (int pc = 0; pc < 8; ++pc) low = Join({low, Note(pc, 0, 4)});
    Bytes lowTriangle;
    for (int pc = 0; pc < 8; ++pc) lowTriangle = Join({lowTriangle, Note(pc, 0, 2), Note(pc + 4, 0, 1), Note(pc, 1, 1)});
    Bytes block = SongBlock({4, 4, 4, 4}, {Join({low, Note(8, 0, 4), Closing(), {kEnd}}), {},
                                           Join({lowTriangle, Note(8, 1, 4), Closing(), {kEnd}}), {}, {}});
    EXPECT_EQ(MeasureSong(block).unsoundableNotes, (std::array<std::uint64_t, 3>{8, 0, 24}));
    for (int mask : {kVoiceSquare1, kVoiceTriangle}) {
        VoiceSound sound = RenderVoice(BuildNsf(block, "low"), mask, 9 * 4 * kUnitMs + 100);
        EXPECT_DOUBLE_EQ(SilentShare(sound, 0, 8 * 4 * kUnitMs), 1.0) << mask;
        // G#: the lowest the channel sounds, at its pitch.
        double expected = mask == kVoiceTriangle ? 20 : 32;
        EXPECT_LE(std::abs(CentsOff(sound, 8 * 4 * kUnitMs + 40, 9 * 4 * kUnitMs - 20, expected)), 50) << mask;
    }
}

TEST(Listening, DpcmDrumsSoundOnTheDmcAndTheirKeyChoosesTheSample) {
    // Kick, snare and four toms, low to high, each a quarter apart.
    const int keys[] = {36, 38, 41, 43, 45, 47};
    Track track;
    for (int key : keys) track.NoteOn(0, key).NoteOff(kQuarter, key);
    Bytes nsf = NsfOf(OnTrack(4, track));
    VoiceSound dmc = RenderVoice(nsf, kVoiceDmc, 6 * kQuarterMs + 200);
    std::vector<double> onsets = OnsetsMs(dmc, kDrumOnsets);
    std::cout << Figures("DMC onsets (ms)", onsets) << "\n";
    ASSERT_EQ(onsets.size(), 6u);
    std::vector<double> pitch;
    for (std::size_t i = 0; i < 6; ++i) {
        double start = static_cast<double>(i) * kQuarterMs;
        EXPECT_NEAR(onsets[i], start, 5) << keys[i];
        EXPECT_GT(RmsBetween(dmc, start, start + 60), 300) << keys[i];
        pitch.push_back(MidiPitch(dmc, start + 5, start + 150));
    }
    std::cout << Figures("DMC pitch (MIDI)", pitch) << "\n";
    // Each tom sounds higher than the one below it; the kick lowest of all.
    for (std::size_t i = 2; i + 1 < 6; ++i) EXPECT_LT(pitch[i] + 1, pitch[i + 1]) << keys[i];
    EXPECT_LT(pitch[0], pitch[2]);
    // Nothing of them on the noise channel.
    EXPECT_DOUBLE_EQ(SilentShare(RenderVoice(nsf, kVoiceNoise, 6 * kQuarterMs), 0, 6 * kQuarterMs), 1.0);
}

TEST(Listening, ADpcmHitAtVolumeZeroPlaysNothing) {
    Track track;
    track.Controller(0, 7, 0).NoteOn(0, 36).NoteOff(kQuarter, 36).Controller(0, 7, 127).NoteOn(0, 38).NoteOff(kQuarter, 38);
    VoiceSound dmc = RenderVoice(NsfOf(OnTrack(4, track)), kVoiceDmc, 2 * kQuarterMs);
    EXPECT_DOUBLE_EQ(SilentShare(dmc, 0, kQuarterMs), 1.0);
    EXPECT_NEAR(FirstSoundMs(dmc), kQuarterMs, 5);
}

TEST(Listening, AHiHatInASnaresTailIsHeardAndSoIsOneBesideADpcmKick) {
    // Noise: a snare, a closed hat one unit later, another two units after
    // that; DPCM: a kick at the second hat.
    Track noise;
    noise.NoteOn(0, 38).NoteOff(60, 38).NoteOn(0, 42).NoteOff(120, 42).NoteOn(0, 42).NoteOff(kQuarter, 42);
    Track dpcm;
    dpcm.NoteOn(180, 36).NoteOff(kQuarter, 36);
    std::vector<Track> tracks(5);
    tracks[3] = noise;
    tracks[4] = dpcm;
    Bytes nsf = NsfOf(tracks);
    std::vector<double> noiseOnsets = OnsetsMs(RenderVoice(nsf, kVoiceNoise, 800), kNoiseOnsets);
    std::vector<double> dmcOnsets = OnsetsMs(RenderVoice(nsf, kVoiceDmc, 800), kDrumOnsets);
    std::cout << Figures("Noise onsets (ms)", noiseOnsets) << "\n" << Figures("DMC onsets (ms)", dmcOnsets) << "\n";
    ASSERT_EQ(noiseOnsets.size(), 3u);
    EXPECT_NEAR(noiseOnsets[0], 0, 5);
    EXPECT_NEAR(noiseOnsets[1], kUnitMs, 5);
    EXPECT_NEAR(noiseOnsets[2], 3 * kUnitMs, 5);
    ASSERT_EQ(dmcOnsets.size(), 1u);
    EXPECT_NEAR(dmcOnsets[0], 3 * kUnitMs, 5);
}

}  // namespace
}  // namespace kelvane::test
