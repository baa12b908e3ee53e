#include "WorstShapes.h"

#include "MidiBuilder.h"

namespace kelvane::bench {
namespace {

using test::Bytes;
using test::MidiFile;
using test::Track;

constexpr std::size_t kHeader = 14 + 8;  // "MThd" and one chunk header

std::uint8_t Byte(std::size_t value) { return static_cast<std::uint8_t>(value); }

Bytes SameKeyZeroLength(std::size_t size) {
    // The held note below makes the part one that a voice plays.
    Track track;
    track.NoteOn(0, 48).NoteOn(0, 60);
    // Running status from here on: six bytes a note.
    for (std::size_t i = 0; track.Events().size() + kHeader < size; ++i) {
        if (i > 0) track.Raw({60, 100}, 0);
        track.Raw({60, 0}, 0);
    }
    return MidiFile().Format(0).Add(track.NoteOff(480, 48).End(0)).Build();
}

Bytes TempoEveryTick(std::size_t size) {
    Track conductor, melody;
    for (std::size_t tick = 0; conductor.Events().size() + melody.Events().size() + 2 * kHeader < size; ++tick) {
        conductor.Tempo(tick == 0 ? 0 : 1, tick % 2 == 0 ? 500000 : 400000);
        const int key = 48 + static_cast<int>(tick % 36);
        melody.NoteOn(0, key).NoteOff(1, key);
    }
    return MidiFile().Division(24).Add(conductor.End(0)).Add(melody.End(0)).Build();
}

Bytes OverlappingPart(std::size_t size) {
    constexpr std::size_t kHeld = 100;  // ticks each note sounds; fewer than the 128 keys
    Track track;
    track.NoteOn(0, 0);
    for (std::size_t tick = 1; track.Events().size() + kHeader < size; ++tick) {
        track.Raw({Byte(tick % 128), 100}, 1);
        if (tick >= kHeld) track.Raw({Byte((tick - kHeld) % 128), 0}, 0);
    }
    return MidiFile().Division(96).Add(track.End(0)).Build();
}

Bytes ManyParts(std::size_t size) {
    MidiFile file;
    std::size_t total = 14;
    for (std::size_t i = 0; total < size; ++i) {
        const int channel = static_cast<int>(i % 16), key = 36 + static_cast<int>(i % 60);
        Track track;
        track.NoteOn(static_cast<std::uint32_t>(i % 4096) * 12, key, 100, channel).NoteOff(24, key, 0, channel).End(0);
        total += 8 + track.Events().size();
        file.Add(track);
    }
    return file.Division(96).Build();
}

Bytes ManyTexts(std::size_t size) {
    static const char* const kWords[] = {"la", "\xB8\xE8", "\"quoted\"", "line\r\nbreak"};
    Track track;
    for (std::size_t i = 0; track.Events().size() + kHeader < size; ++i) {
        const int key = 60 + static_cast<int>(i % 24);
        for (std::size_t w = 0; w < 3; ++w) track.Lyric(0, kWords[(i + w) % 4]);
        track.Text(0, 0x01, "@T").NoteOn(0, key).NoteOff(12, key);
    }
    return MidiFile().Format(0).Division(96).Add(track.End(0)).Build();
}

Bytes AllNotesOff(std::size_t size) {
    Track track;
    for (int channel = 0; channel < 16; ++channel)
        for (int key = 0; key < 128; ++key) track.NoteOn(0, key, 100, channel);
    track.Controller(480, 123, 0);
    while (track.Events().size() + kHeader < size) track.Raw({123, 0}, 0);
    return MidiFile().Format(0).Add(track.End(0)).Build();
}

Bytes OneKeyAtOnce(std::size_t size) {
    MidiFile file;
    std::size_t total = 14;
    while (total < size) {
        Track track;
        track.NoteOn(0, 60).NoteOff(480, 60).End(0);
        total += 8 + track.Events().size();
        file.Add(track);
    }
    return file.Build();
}

}  // namespace

std::string ShapeFileName(Shape shape) {
    switch (shape) {
        case Shape::kSameKeyZeroLength: return "same-key-zero-length";
        case Shape::kTempoEveryTick: return "tempo-every-tick";
        case Shape::kOverlappingPart: return "overlapping-part";
        case Shape::kManyParts: return "many-parts";
        case Shape::kManyTexts: return "many-texts";
        case Shape::kAllNotesOff: return "all-notes-off";
        case Shape::kOneKeyAtOnce: return "one-key-at-once";
    }
    return "";
}

std::vector<std::uint8_t> WorstShapeSong(Shape shape, std::size_t size) {
    switch (shape) {
        case Shape::kSameKeyZeroLength: return SameKeyZeroLength(size);
        case Shape::kTempoEveryTick: return TempoEveryTick(size);
        case Shape::kOverlappingPart: return OverlappingPart(size);
        case Shape::kManyParts: return ManyParts(size);
        case Shape::kManyTexts: return ManyTexts(size);
        case Shape::kAllNotesOff: return AllNotesOff(size);
        case Shape::kOneKeyAtOnce: return OneKeyAtOnce(size);
    }
    return {};
}

}  // namespace kelvane::bench
