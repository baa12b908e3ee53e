#include "BandSong.h"

#include <array>
#include <string>

#include "MidiBuilder.h"

namespace kelvane::bench {
namespace {

constexpr std::uint32_t kQuarter = 480;
constexpr std::uint32_t kEighth = kQuarter / 2;
constexpr int kScale[] = {0, 2, 4, 5, 7, 9, 11, 12};

enum Instrument { kMelody, kCounter, kChords, kBass, kPad, kDrums, kInstruments };

void Bar(std::array<test::Track, kInstruments>& tracks, std::size_t bar, std::size_t& events) {
    static const char* const kWords[] = {"la", "li", "lu", "do", "re", "mi", "fa", "so"};
    const int root = kScale[bar % 8];
    test::Track& melody = tracks[kMelody];
    melody.Controller(0, 7, 90 + static_cast<int>(bar % 4) * 10);
    for (int i = 0; i < 8; ++i) {
        int key = 72 + kScale[(bar + static_cast<std::size_t>(i) * 3) % 8];
        melody.Lyric(0, kWords[i]).NoteOn(0, key).NoteOff(kEighth, key);
    }
    events += 25;
    test::Track& counter = tracks[kCounter];
    counter.Raw({0xE1, 0x00, 0x48}, 0);
    for (int i = 0; i < 4; ++i) {
        int key = 64 + kScale[(bar + static_cast<std::size_t>(i)) % 8];
        counter.NoteOn(0, key, 80, 1).NoteOff(kQuarter, key, 64, 1);
    }
    events += 9;
    test::Track& chords = tracks[kChords];
    for (int i = 0; i < 4; ++i) {
        int key = 55 + root;
        chords.NoteOn(0, key, 70, 2).Raw({static_cast<std::uint8_t>(key + 4), 70}, 0)
            .Raw({static_cast<std::uint8_t>(key + 7), 70}, 0)
            .Raw({static_cast<std::uint8_t>(key), 0}, kQuarter)
            .Raw({static_cast<std::uint8_t>(key + 4), 0}, 0)
            .Raw({static_cast<std::uint8_t>(key + 7), 0}, 0);
    }
    events += 24;
    test::Track& bass = tracks[kBass];
    for (int i = 0; i < 8; ++i) {
        int key = 36 + root + (i % 2) * 7;
        bass.NoteOn(0, key, 100, 3).NoteOff(kEighth, key, 64, 3);
    }
    events += 16;
    test::Track& pad = tracks[kPad];
    for (int k : {0, 4, 7}) pad.NoteOn(0, 60 + root + k, 50, 4);
    pad.NoteOff(4 * kQuarter, 60 + root, 0, 4).NoteOff(0, 64 + root, 0, 4).NoteOff(0, 67 + root, 0, 4);
    events += 6;
    test::Track& drums = tracks[kDrums];
    for (int i = 0; i < 8; ++i) {
        drums.NoteOn(0, 42, 70, 9);
        if (i % 4 == 0) drums.NoteOn(0, 36, 110, 9);
        if (i % 4 == 2) drums.NoteOn(0, 38, 100, 9);
        drums.NoteOff(kEighth, 42, 64, 9);
        if (i % 4 == 0) drums.NoteOff(0, 36, 64, 9);
        if (i % 4 == 2) drums.NoteOff(0, 38, 64, 9);
        events += 4;
    }
}

}  // namespace

std::vector<std::uint8_t> BandSong(std::size_t size, std::size_t* events) {
    std::size_t count = 0;
    std::array<test::Track, kInstruments> tracks;
    static const char* const kNames[kInstruments] = {"Melody", "Violin", "Piano", "Bass", "Strings", "Drums"};
    static const int kPrograms[kInstruments] = {73, 40, 0, 33, 48, 0};
    for (int i = 0; i < kInstruments; ++i) {
        int channel = i == kDrums ? 9 : i;
        tracks[static_cast<std::size_t>(i)].Text(0, 0x03, kNames[i]).Program(0, kPrograms[i], channel);
    }
    test::Track conductor;
    conductor.Text(0, 0x03, "Band").Meta(0, 0x58, std::string("\x04\x02\x18\x08", 4));
    std::size_t total = 0;
    for (std::size_t bar = 0; total < size; ++bar) {
        conductor.Tempo(bar == 0 ? 0 : 4 * kQuarter, bar % 32 < 16 ? 500000 : 476190);
        Bar(tracks, bar, count);
        total = conductor.Events().size();
        for (const test::Track& track : tracks) total += track.Events().size();
    }
    test::MidiFile file;
    file.Division(static_cast<int>(kQuarter));
    file.Add(conductor.End(0));
    for (test::Track& track : tracks) file.Add(track.End(0));
    if (events) *events = count;
    return file.Build();
}

}  // namespace kelvane::bench
