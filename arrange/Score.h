// What the tolerant reader makes of a MIDI file: parts of notes, the tempo
// map and the other events the arrangement looks at. Times are in the file's
// ticks until Timing turns them into time units.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvane::arrange {

constexpr std::uint8_t kUnknownProgram = 0xFF;
constexpr int kDrumChannel = 9;  // MIDI channel 10

struct Note {
    std::uint64_t startTick = 0;
    std::uint64_t endTick = 0;
    std::uint32_t start = 0;  // time units, filled by Timing
    std::uint32_t end = 0;
    std::uint32_t part = 0;
    std::uint8_t key = 0;
    std::uint8_t velocity = 0;
    std::uint8_t program = kUnknownProgram;
    bool retriggered = false;  // started where an earlier note of its key was cut
};

// One part per (track, MIDI channel) pair that has notes.
struct Part {
    int track = 0;
    int channel = 0;  // 0-15
    bool drums = false;
    std::uint8_t program = 0;
    std::uint32_t noteCount = 0;
};

struct TempoChange {
    std::uint64_t tick;
    std::uint32_t microsPerQuarter;
};

struct MeterChange {
    std::uint64_t tick;
    std::uint8_t numerator;
    std::uint8_t denominatorPower;  // 2 = quarter
};

struct VolumeChange {
    std::uint64_t tick;
    std::uint32_t unit;
    std::uint8_t channel;
    std::uint8_t controller;  // 7 or 11
    std::uint8_t value;
};

// A text kept in the score's text pool.
struct TimedText {
    std::uint64_t tick;
    std::uint32_t unit;
    int track;
    std::uint32_t offset;
    std::uint32_t length;
};

struct Score {
    int format = 1;
    int trackCount = 0;           // track chunks read
    int headerTracks = 0;         // as the header announces them
    std::uint16_t headerDivision = 0;  // as the header writes it, SMPTE or not
    std::uint32_t division = 480; // ticks per quarter note; SMPTE: see ticksPerSecond
    double ticksPerSecond = 0;    // non-zero for an SMPTE division
    std::uint16_t drumChannels = 1u << kDrumChannel;

    std::vector<Part> parts;
    std::vector<Note> notes;        // each part's notes in order of their start
    std::vector<TempoChange> tempos;
    std::vector<MeterChange> meters;
    std::vector<VolumeChange> volumes;
    std::vector<TimedText> lyrics;  // meta $05
    std::vector<TimedText> texts;   // meta $01, for .kar files
    std::vector<std::string> trackNames;  // meta $03 and $04 words, by track
    std::string textPool;

    std::uint64_t endTick = 0;
    double unitsPerQuarter = 8;          // time units a quarter note of the main tempo lasts, from Timing
    std::uint32_t pitchBends = 0;        // bends away from the centre, ignored
    std::uint32_t otherControllers = 0;  // controllers other than 7 and 11, ignored

    std::string Text(const TimedText& text) const { return textPool.substr(text.offset, text.length); }
};

}  // namespace kelvane::arrange
