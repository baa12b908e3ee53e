// Readable MIDI files for tests:
//   MidiFile().Division(480).Add(Track().Tempo(0, 500000).End(0))
//             .Add(Track().NoteOn(0, 60).NoteOff(240, 60).End(0)).Build()
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvane::test {

using Bytes = std::vector<std::uint8_t>;

// Appends a variable-length quantity.
void PutVarLen(Bytes& out, std::uint32_t value);

class Track {
public:
    Track& NoteOn(std::uint32_t delta, int note, int velocity = 100, int channel = 0);
    Track& NoteOff(std::uint32_t delta, int note, int velocity = 64, int channel = 0);
    Track& Controller(std::uint32_t delta, int number, int value, int channel = 0);
    Track& Program(std::uint32_t delta, int program, int channel = 0);
    Track& Aftertouch(std::uint32_t delta, int note, int pressure);
    Track& Tempo(std::uint32_t delta, std::uint32_t microsecondsPerQuarter);
    Track& Meta(std::uint32_t delta, int type, const std::string& data);
    Track& Text(std::uint32_t delta, int type, const std::string& text) { return Meta(delta, type, text); }
    Track& Lyric(std::uint32_t delta, const std::string& text) { return Meta(delta, 0x05, text); }
    Track& DeviceName(std::uint32_t delta, const std::string& text) { return Meta(delta, 0x09, text); }
    Track& SysEx(std::uint32_t delta, const Bytes& data);
    Track& End(std::uint32_t delta);
    // Any bytes, a delta time before them when `delta` is not negative.
    Track& Raw(const Bytes& bytes, long long delta = -1);

    const Bytes& Events() const { return events_; }

private:
    Bytes events_;
};

class MidiFile {
public:
    MidiFile& Format(int format) { format_ = format; return *this; }
    MidiFile& Division(int division) { division_ = division; return *this; }
    // Overrides the track count the header announces.
    MidiFile& AnnouncedTracks(int count) { announced_ = count; return *this; }
    MidiFile& Add(const Track& track, const std::string& tag = "MTrk");
    // A chunk whose length field says `length` whatever its data holds.
    MidiFile& AddChunk(const std::string& tag, std::uint32_t length, const Bytes& data);
    test::Bytes Build() const;

private:
    int format_ = 1;
    int division_ = 480;
    int announced_ = -1;
    int tracks_ = 0;
    test::Bytes chunks_;
};

}  // namespace kelvane::test
