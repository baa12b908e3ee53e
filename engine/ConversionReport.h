// What one conversion gave each channel, for the status lines, for
// `kelvane --report` and for the arrangement's report.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvane {

struct VoiceReport {
    VoiceReport(const char* name = "") : voice(name) {}

    std::string voice;                 // "Square1" .. "DPCM"
    std::uint32_t notes = 0;           // note commands in the stream, tonal or percussion
    std::uint32_t droppedOverlap = 0;  // note-ons that replaced a held note
    std::uint32_t droppedZeroLength = 0;  // tonal notes shorter than one time unit
    std::size_t bytes = 0;             // song-block bytes of the stream, its end included

    // Filled by the arrangement only.
    std::vector<std::string> sources;  // "track 2, channel 1: Acoustic Grand Piano"
    std::string reason;                // why the first source: "named Lead"
    std::uint32_t droppedShort = 0;
    std::uint32_t droppedFit = 0;      // notes given up so that the song fits
    std::uint32_t movedOctave = 0;     // notes kept, moved by octaves into range
    std::uint32_t rests = 0;           // rests written as notes at volume 0, not counted in `notes`

    // A rest is a note command at volume 0, not a note of the song: counted
    // apart, once however often this is called.
    void CountRestsApart(std::uint32_t restCount) {
        if (rests == restCount) return;
        notes -= restCount < notes ? restCount : notes;
        rests = restCount;
    }
};

struct TrackProblem {
    enum class Kind { kBadChunk, kBadData, kBlockFull };
    int track;
    Kind kind;
};

struct ConversionReport {
    static constexpr std::size_t kSongBlockSize = 32768;
    static constexpr int kVoices = 5;

    std::string midiPath;     // the MIDI file as the front end gave it
    std::vector<std::string> outputs;  // every file the run wrote, in the order written

    bool succeeded = false;   // the run ended with its success line
    bool refused = false;     // the run ended with a message box before translating
    std::string message;      // that box's text

    int trackCount = 0;       // of the user's file, arranged or not
    int division = 0;
    std::array<VoiceReport, kVoices> voices = {"Square1", "Square2", "Triangle", "Noise", "DPCM"};
    std::uint32_t conductorNotes = 0;  // note-ons on the conductor track: no stream plays them
    std::uint32_t fileNotes = 0;       // note-ons in every track the run read
    std::size_t songBlockUsed = 0;     // from $8000 to the end of the last stream
    bool songBlockFull = false;        // a stream did not fit
    std::size_t SongBlockPercent() const { return (songBlockUsed * 100 + kSongBlockSize / 2) / kSongBlockSize; }
    std::uint32_t units = 0;           // the longest stream's length in time units
    double seconds = 0;                // `units` at the tempo rule: 1/50 s steps
    std::array<int, 4> tempo = {0, 0, 0, 0};
    // The driver's time against the MIDI file's: the unit the tempo bytes
    // give, on average; the file's length at its own tempo; and how much
    // faster the driver plays it (midiSeconds / seconds; 0 when the units
    // take no time at all).
    double unitMs = 0;
    double midiSeconds = 0;
    double speed = 0;
    // Filled by the arrangement only.
    double movedShare = 0;             // share of the file's notes that start more than 30 ms off
    std::uint32_t rests = 0;           // rests the arranged lines had before the fit
    std::vector<std::string> warnings;
    bool arranged = false;             // the song went through the arrangement first

    // How the run went, for its status lines.
    bool translated = false;           // it reached the tracks (and logged its header line)
    std::vector<TrackProblem> problems;  // in track order
    bool lyricsLost = false;           // the lyric table could not be written
    bool writeFailed = false;          // .asm, .h or the image could not be written whole
    std::string asmPath, hPath, lrcPath, romPath;
    bool lyricsWritten = false;
    bool romReplaced = false;          // "ROM.BIN" holds this song now

    explicit operator bool() const { return succeeded; }
};

}  // namespace kelvane
