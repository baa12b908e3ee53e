// The arrangement stage: any Standard MIDI File in, a six-track format-1
// file in the driver's layout out (track 0 tempo, tracks 1 to 5 Square1,
// Square2, Triangle, Noise, DPCM), made to fit the song block. The unchanged
// engine then converts that file, so every rule of the engine holds for it.
//
// Portable C++17 without platform calls; the front ends read and write the
// files (app/cli/Arranging.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ConversionReport.h"

namespace kelvane::arrange {

enum Voice : int { kSquare1 = 0, kSquare2 = 1, kTriangle = 2, kNoise = 3, kDpcm = 4, kVoiceCount = 5 };

// "Square1" .. "DPCM", as the engine names the channels.
const char* VoiceName(int voice);
// "方波1" .. "DPCM", for status lines.
const char* VoiceNameZh(int voice);

// One source a voice is given by hand: a track (0 = the file's first track
// chunk, as the engine counts them), a MIDI channel 0-15, or both; -1 = any.
struct Selector {
    int track = -1;
    int channel = -1;
};

struct VoiceChoice {
    bool named = false;               // false: arranged as usual
    std::vector<Selector> selectors;  // empty with `named`: the voice stays silent ("none")
};

struct VoiceAssignment {
    std::array<VoiceChoice, kVoiceCount> voices;
};

// Parses "square1=t2,square2=t3c5,triangle=c4,noise=c10,dpcm=none"; several
// sources join with '+' ("square1=t2+t3"). An empty spec names no voice.
// False with the reason in Chinese in `error`; `assignment` is then unchanged.
bool ParseVoiceSpec(const std::string& spec, VoiceAssignment& assignment, std::string& error);

struct VoiceArrangement {
    std::vector<std::string> sources;  // "track 2, channel 1: Acoustic Grand Piano"
    std::string reason;                // why the first source: "melody: highest part 81 % of the time"
    std::uint32_t notes = 0;           // notes in the arranged track
    std::uint32_t droppedShort = 0;    // shorter than one time unit, not merged
    std::uint32_t droppedFit = 0;      // given up so that the song fits
    std::uint32_t movedOctave = 0;     // kept, moved by octaves into the octave table
    std::uint32_t hidden = 0;          // of its sources, under a higher (lower) note
    std::size_t bytes = 0;             // song-block bytes its stream takes, its end included
};

struct ArrangementReport {
    std::array<VoiceArrangement, kVoiceCount> voices;
    std::vector<std::string> warnings;  // Chinese, one line each
    std::size_t songBlockUsed = 0;      // bytes from $8000, as the engine counts them
    std::uint32_t tempo = 500000;       // microseconds per quarter note written
    std::uint32_t units = 0;            // the arranged song's length in time units
    std::uint32_t bars = 0;             // bars kept, when the song was shortened; else 0
    int fileTracks = 0;                 // the user's file's header: its tracks and division
    int fileDivision = 0;
    std::uint32_t chordNotesKept = 0;   // chord notes Square2's arpeggios play
    double sourceSeconds = 0;           // the MIDI file's length: to the end of its last note
    double movedShare = 0;              // share of the file's notes that start more than 30 ms off
    double onsetP95Ms = 0;              // 95 % of the file's notes start within this of their time
    double unitMs = 0;                  // the time unit, on average
    std::array<std::uint32_t, kVoiceCount> restsKept{};  // rests written as notes of their own
    std::uint32_t rests = 0;            // rests the tonal lines had, before the fit

    // The arrangement's share of a conversion report: sources, the drop
    // counts, the warnings, and `arranged`. The engine fills the rest from
    // the converted file.
    void ApplyTo(kelvane::ConversionReport& report) const;
};

struct ArrangeResult {
    bool ok = false;
    std::string error;                // Chinese, when not ok
    std::vector<std::uint8_t> midi;   // the arranged file
    ArrangementReport report;
};

struct ArrangeOptions {
    // Square2 plays the chord under the melody as a fast arpeggio where it
    // has nothing of its own, when a time unit lasts at most three frames.
    bool chordArpeggios = false;
};

// Never throws on bad data and never reads outside `midiBytes`. Not ok when
// the bytes are not a MIDI file or hold no notes at all.
ArrangeResult Arrange(const std::vector<std::uint8_t>& midiBytes, const VoiceAssignment& assignment,
                      const ArrangeOptions& options);
ArrangeResult Arrange(const std::vector<std::uint8_t>& midiBytes, const VoiceAssignment& assignment);

}  // namespace kelvane::arrange
