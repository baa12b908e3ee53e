// Translating gives, for each track, a channel program: the driver commands in
// the order the stream plays them, with the comment lines in their places.
// The emitters (AsmText, SongBlock) turn programs into text and bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvane {

enum class Op : std::uint8_t {
    kWaits,        // a: units - 1 (0 to 127)
    kTimbreChange, // value: the timbre number, which names the label
    kVolumeChange, // a: 0 to 15
    kNote,         // a: pitch class, b: octave, value: length 1 to 32
    kLongTonalNote,  // a: pitch class, b: octave; the waits after it extend the note
    kPercussion,   // a: pitch class, which names the label; labelDue: the .h defines it here
    kClosingPair,  // silences a tonal channel
    kEndOfStream,
    kDeviceComment,      // value: offset of the device name in `texts`
    kAftertouchComment,
};

struct Command {
    Op op;
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    bool labelDue = false;
    std::uint32_t value = 0;
};

struct ChannelProgram {
    int channel = 0;            // the track index: 0 the conductor, 1 to 5 the channels
    bool chunkRead = false;     // the chunk was a track chunk
    bool translated = false;    // its events were read to a well-formed end
    std::vector<Command> commands;
    std::string texts;          // device names, each ended by a NUL

    // What the report counts.
    std::uint32_t notes = 0;              // note and percussion commands
    std::uint32_t droppedOverlap = 0;     // note-ons that replaced a held note
    std::uint32_t droppedZeroLength = 0;  // tonal notes shorter than one unit
    std::uint32_t noteOns = 0;            // every note-on the track holds
    std::uint64_t units = 0;              // how long the stream plays
    std::size_t bytes = 0;                // how many song-block bytes the stream takes

    void Clear(int channelIndex);

    // The command writers: each appends what one driver command is.
    void WriteWaits(std::uint32_t units);
    void WriteTonalNote(int note, std::uint32_t length);
    void WritePercussionNote(int note, std::uint32_t length, bool labelDue);
    void WriteVolume(int volume);
    void WriteTimbre(int timbre);
    void WriteChannelEnd();
    void WriteDeviceComment(const char* text);
    void WriteAftertouchComment();
};

}  // namespace kelvane
