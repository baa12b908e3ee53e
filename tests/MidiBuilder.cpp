#include "MidiBuilder.h"

namespace kelvane::test {

void PutVarLen(Bytes& out, std::uint32_t value) {
    std::uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = value & 0x7F;
        value >>= 7;
    } while (value != 0);
    while (count > 1) out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

namespace {

std::uint8_t Byte(int value) { return static_cast<std::uint8_t>(value); }
std::uint8_t Byte(std::uint32_t value) { return static_cast<std::uint8_t>(value); }

}  // namespace

Track& Track::Raw(const Bytes& bytes, long long delta) {
    if (delta >= 0) PutVarLen(events_, static_cast<std::uint32_t>(delta));
    events_.insert(events_.end(), bytes.begin(), bytes.end());
    return *this;
}

Track& Track::NoteOn(std::uint32_t delta, int note, int velocity, int channel) {
    return Raw({Byte(0x90 | channel), Byte(note), Byte(velocity)}, delta);
}

Track& Track::NoteOff(std::uint32_t delta, int note, int velocity, int channel) {
    return Raw({Byte(0x80 | channel), Byte(note), Byte(velocity)}, delta);
}

Track& Track::Controller(std::uint32_t delta, int number, int value, int channel) {
    return Raw({Byte(0xB0 | channel), Byte(number), Byte(value)}, delta);
}

Track& Track::Program(std::uint32_t delta, int program, int channel) {
    return Raw({Byte(0xC0 | channel), Byte(program)}, delta);
}

Track& Track::Aftertouch(std::uint32_t delta, int note, int pressure) {
    return Raw({0xA0, Byte(note), Byte(pressure)}, delta);
}

Track& Track::Tempo(std::uint32_t delta, std::uint32_t t) {
    return Raw({0xFF, 0x51, 0x03, Byte(t >> 16), Byte(t >> 8), Byte(t)}, delta);
}

Track& Track::Meta(std::uint32_t delta, int type, const std::string& data) {
    Raw({0xFF, Byte(type)}, delta);
    PutVarLen(events_, static_cast<std::uint32_t>(data.size()));
    events_.insert(events_.end(), data.begin(), data.end());
    return *this;
}

Track& Track::SysEx(std::uint32_t delta, const Bytes& data) {
    Raw({0xF0}, delta);
    PutVarLen(events_, static_cast<std::uint32_t>(data.size()));
    events_.insert(events_.end(), data.begin(), data.end());
    return *this;
}

Track& Track::End(std::uint32_t delta) { return Raw({0xFF, 0x2F, 0x00}, delta); }

MidiFile& MidiFile::AddChunk(const std::string& tag, std::uint32_t length, const test::Bytes& data) {
    chunks_.insert(chunks_.end(), tag.begin(), tag.end());
    for (int shift = 24; shift >= 0; shift -= 8) chunks_.push_back(Byte(length >> shift));
    chunks_.insert(chunks_.end(), data.begin(), data.end());
    ++tracks_;
    return *this;
}

MidiFile& MidiFile::Add(const Track& track, const std::string& tag) {
    return AddChunk(tag, static_cast<std::uint32_t>(track.Events().size()), track.Events());
}

Bytes MidiFile::Build() const {
    test::Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
    int announced = announced_ >= 0 ? announced_ : tracks_;
    for (int value : {format_, announced, division_}) {
        out.push_back(Byte(value >> 8));
        out.push_back(Byte(value));
    }
    out.insert(out.end(), chunks_.begin(), chunks_.end());
    return out;
}

}  // namespace kelvane::test
