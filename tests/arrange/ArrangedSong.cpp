#include "ArrangedSong.h"

#include "TestSupport.h"
#include "TrackTranslator.h"

namespace kelvane::test {

namespace {

std::uint32_t VarLen(const std::vector<std::uint8_t>& data, std::size_t& at) {
    std::uint32_t value = 0;
    while (at < data.size()) {
        std::uint8_t byte = data[at++];
        value = value << 7 | (byte & 0x7F);
        if (!(byte & 0x80)) break;
    }
    return value;
}

}  // namespace

// Only what the writer writes: no running status, no system-exclusive data.
ArrangedSong ReadArranged(const std::vector<std::uint8_t>& midi) {
    ArrangedSong song;
    if (midi.size() < 14) return song;
    song.format = midi[9];
    song.tracks = midi[11];
    song.division = midi[12] << 8 | midi[13];
    const std::uint32_t unitTicks = static_cast<std::uint32_t>(song.division / 8);
    std::size_t at = 14;
    for (int track = 0; track < song.tracks && at + 8 <= midi.size(); ++track) {
        std::size_t length = static_cast<std::size_t>(midi[at + 4]) << 24 | midi[at + 5] << 16 | midi[at + 6] << 8 |
                             midi[at + 7];
        std::size_t end = at + 8 + length;
        at += 8;
        std::uint32_t tick = 0;
        int held = -1;
        std::uint32_t heldStart = 0;
        int volume = 127;
        bool heldRest = false;
        while (at < end) {
            tick += VarLen(midi, at);
            std::uint8_t status = midi[at++];
            if (status == 0xFF) {
                std::uint8_t type = midi[at++];
                std::uint32_t size = VarLen(midi, at);
                std::string text(midi.begin() + static_cast<long>(at), midi.begin() + static_cast<long>(at + size));
                if (type == 0x51) song.tempo = static_cast<std::uint32_t>(midi[at] << 16 | midi[at + 1] << 8 | midi[at + 2]);
                if (type == 0x05 && track == 1) song.lyrics.push_back({tick / unitTicks, text});
                at += size;
            } else if ((status & 0xF0) == 0x90 || (status & 0xF0) == 0x80) {
                int key = midi[at], velocity = midi[at + 1];
                at += 2;
                bool on = (status & 0xF0) == 0x90 && velocity > 0;
                if (on) {
                    if (held >= 0) song.overlapping = true;
                    held = key;
                    heldStart = tick / unitTicks;
                    heldRest = volume == 0;
                } else if (key == held && track >= 1) {
                    if (heldRest)
                        ++song.rests[static_cast<std::size_t>(track - 1)];
                    else
                        song.voices[static_cast<std::size_t>(track - 1)].push_back({heldStart, tick / unitTicks, key});
                    held = -1;
                }
            } else if ((status & 0xF0) == 0xC0) {
                at += 1;
            } else if ((status & 0xF0) == 0xB0) {
                if (midi[at] == 7) volume = midi[at + 1];
                at += 2;
            } else {
                at += 2;
            }
        }
        at = end;
    }
    return song;
}

double SecondsOf(const ArrangedSong& song, std::uint32_t unit) {
    int tempo[4];
    SetTempo(song.tempo, tempo);
    return SongSeconds(unit, tempo);
}

std::uint32_t UnitAt(const ArrangedSong& song, double seconds) {
    std::uint32_t unit = 0;
    while (SecondsOf(song, unit + 1) <= seconds ||
           SecondsOf(song, unit + 1) - seconds < seconds - SecondsOf(song, unit))
        ++unit;
    return unit;
}

ConvertedSong ConvertArranged(const std::vector<std::uint8_t>& midi) {
    ConvertedSong song;
    InMemoryRun run;
    song.converted = run.Convert(midi);
    if (!song.converted) return song;
    Bytes header = run.Block(0x8000, 4);
    for (std::size_t k = 0; k < 4; ++k) song.tempo[k] = header[k];
    for (int v = 0; v < arrange::kVoiceCount; ++v) {
        const bool tonal = v <= arrange::kTriangle;
        std::uint16_t from = run.Pointer(v + 1);
        Bytes stream = run.Block(from, static_cast<std::size_t>(0x10000 - from));
        std::uint32_t time = 0;
        int volume = 15;
        std::size_t i = 0;
        auto waits = [&]() {
            std::uint32_t units = 0;
            while (i < stream.size() && stream[i] < 0x80) units += stream[i++] + 1u;
            return units;
        };
        while (i < stream.size() && stream[i] != 0xFF) {
            std::uint8_t command = stream[i++];
            if (command < 0x80) {
                time += command + 1u;  // the rest before the first note
            } else if ((command & 0xF0) == 0x90) {
                volume = command & 0x0F;
            } else if ((command & 0xF0) == 0xA0) {
                int pitchClass = command & 0x0F;
                std::uint32_t length;
                if (!tonal) {
                    length = waits();
                } else {
                    std::uint8_t operand = stream[i++];
                    if (pitchClass == 0x0F) continue;  // the closing pair
                    length = operand >= 0xF8 ? 32 + waits() : (operand >> 3) + 1u;
                }
                song.voices[static_cast<std::size_t>(v)].push_back({time, length, pitchClass, volume});
                time += length;
            }
        }
        song.bytes[static_cast<std::size_t>(v)] = i + 1;
    }
    return song;
}

arrange::ArrangeResult ArrangeAuto(const std::vector<std::uint8_t>& midi) {
    return arrange::Arrange(midi, arrange::VoiceAssignment());
}

std::vector<int> Keys(const std::vector<PlayedNote>& notes) {
    std::vector<int> keys;
    for (const PlayedNote& note : notes) keys.push_back(note.key);
    return keys;
}

}  // namespace kelvane::test
