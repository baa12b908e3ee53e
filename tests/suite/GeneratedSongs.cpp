#include "GeneratedSongs.h"

namespace kelvane::test {
namespace {

constexpr int kDivision = 480;
constexpr int kUnit = kDivision / 8;

// A line of notes, each `length` ticks long, with a rest of `gap` ticks before it.
Track& Line(Track& track, const std::vector<int>& notes, std::uint32_t length, std::uint32_t gap = 0) {
    for (int note : notes) track.NoteOn(gap, note).NoteOff(length, note);
    return track;
}

Bytes FiveChannels() {
    Track conductor;
    conductor.DeviceName(0, "Kelvane seed").Tempo(0, 500000)
        .Meta(0, 0x58, std::string("\x04\x02\x18\x08", 4))
        .Meta(0, 0x59, std::string("\x00\x00", 2))
        .Text(0, 0x01, "text").Text(0, 0x02, "(c) us").Text(0, 0x03, "name")
        .Controller(0, 7, 100).Program(0, 4).NoteOn(0, 60).NoteOff(kUnit, 60)
        .Tempo(4 * kUnit, 400000).End(0);

    Track square1;
    square1.Program(0, 80).Controller(0, 7, 120).Lyric(kUnit, "Twin").NoteOn(0, 60);
    // Running status: a note-on of velocity 0 ends the note, another starts one.
    square1.Raw({0x3C, 0x00}, 2 * kUnit).Lyric(0, "kle!  ").Raw({0x90, 0x43, 0x64}, 0)
        .Raw({0x43, 0x00}, 2 * kUnit).Controller(0, 11, 64);
    Line(square1, {65, 64, 62}, kUnit, kUnit).Lyric(0, "star.").NoteOn(0, 60).NoteOff(40 * kUnit, 60).End(0);

    Track square2;
    square2.Program(0, 81).Controller(0, 39, 80).Aftertouch(0, 48, 20)
        .Raw({0xD0, 0x30}, 0).Raw({0xE0, 0x00, 0x40}, 0);
    Line(square2, {48, 55, 52, 35, 36, 83, 84}, 3 * kUnit).Controller(0, 43, 8).End(kUnit);

    Track triangle;
    Line(triangle, {36, 43, 103, 104, 127}, 4 * kUnit).NoteOn(0, 40).NoteOff(161 * kUnit, 40).End(0);

    Track noise;
    Line(noise, {38, 50, 42, 38, 62}, kUnit, kUnit).NoteOn(0, 46).NoteOff(300 * kUnit, 46).End(0);

    Track dpcm;
    dpcm.SysEx(0, {0x7E, 0x7F, 0x09, 0x01, 0xF7}).Raw({0xF7, 0x01, 0xF7}, 0);
    Line(dpcm, {36, 38, 36, 48}, 2 * kUnit).NoteOn(0, 38).NoteOff(0, 38).End(0);

    return MidiFile().Division(kDivision)
        .Add(conductor).Add(square1).Add(square2).Add(triangle).Add(noise).Add(dpcm).Build();
}

Bytes FormatZero() {
    Track only;
    only.DeviceName(0, "one track").Tempo(0, 250000);
    Line(only, {60, 62, 64}, kUnit);
    only.End(0);
    return MidiFile().Format(0).Add(only).Build();
}

Bytes LongNotesAndWaits() {
    // Division 96: twelve ticks a unit.
    Track square1;
    square1.Controller(0, 7, 127).NoteOn(127 * 12, 60).NoteOff(128 * 12, 60).NoteOn(129 * 12, 61)
        .NoteOff(32 * 12, 61).NoteOn(0, 62).NoteOff(33 * 12, 62).NoteOn(0, 63).NoteOff(160 * 12, 63)
        .End(0);
    Track square2;
    square2.NoteOn(256 * 12, 70).NoteOff(5, 70).NoteOn(7, 71).NoteOff(12, 71).End(0);
    return MidiFile().Division(96).Add(Track().Tempo(0, 1000000).End(0)).Add(square1).Add(square2).Build();
}

Bytes Lyrics() {
    Track square1;
    square1.Lyric(0, "start").Lyric(kUnit, "one").Lyric(127 * kUnit, "two!  ").Lyric(128 * kUnit, "Hi  ")
        .Lyric(255 * kUnit, "line\r\nend?  ").Lyric(0, "same unit").Lyric(kUnit, "\"quoted\"")
        .Lyric(kUnit, "").Lyric(kUnit, " ").NoteOn(0, 60).NoteOff(kUnit, 60).End(0);
    Track square2;
    square2.Lyric(kUnit, "dropped on square2").NoteOn(0, 62).NoteOff(kUnit, 62).End(0);
    return MidiFile().Add(Track().End(0)).Add(square1).Add(square2).Build();
}

Bytes OddDivisions() {
    Track square1;
    square1.NoteOn(0, 60).Controller(59, 10, 0).Controller(1, 10, 0).NoteOff(1, 60).NoteOn(0, 62)
        .NoteOff(100, 62).End(0);
    // A division with its top bit set is a tick count like any other.
    return MidiFile().Division(100).Add(Track().End(0)).Add(square1).Build();
}

Bytes TopBitDivision() {
    Track square1;
    Line(square1, {60, 64}, 0x8000 / 8).End(0);
    return MidiFile().Division(0x8000).Add(Track().Tempo(0, 0xFFFFFF).End(0)).Add(square1).Build();
}

Bytes SkippedEvents() {
    Track conductor;
    conductor.Raw({0xFF, 0x00, 0x02, 0x00, 0x01}, 0)      // sequence number
        .Raw({0xFF, 0x51, 0x02, 0x07, 0xA1}, 0)           // a tempo too short to count
        .Raw({0xFF, 0x51, 0x04, 0x06, 0x1A, 0x80, 0x00}, 0)  // 400000 and one byte more
        .Meta(0, 0x08, "program name").Meta(0, 0x0A, "x").Meta(0, 0x4B, "tag").Meta(0, 0x60, "")
        .Meta(0, 0x7F, std::string(200, 'z'))             // a two-byte length
        .Meta(0, 0x20, std::string(1, '\0')).Meta(0, 0x21, std::string(1, '\0'))
        .Raw({0xFF, 0x54, 0x05, 0x60, 0x00, 0x03, 0x00, 0x00}, 0)
        .Raw({0xFF, 0xF8, 0x00}, 0).Raw({0xFF, 0x2F, 0x80, 0x00}, 0);  // end of track, length 80 00
    Track square1;
    square1.SysEx(0, Bytes(130, 0x11)).Raw({0xF1, 0x00}, 0).Raw({0xFE, 0x00}, 0)
        .Raw({0xB0, 0xC0, 0x40}, 0)  // a status byte without data is dropped
        .NoteOn(0, 60).NoteOff(kUnit, 60).End(0);
    return MidiFile().Add(conductor).Add(square1).Build();
}

Bytes TempoChanges() {
    Track conductor;
    for (std::uint32_t t : {500000u, 400000u, 600000u, 250000u, 1000000u, 0u, 0xFFFFFFu, 440000u})
        conductor.Tempo(kUnit, t);
    conductor.End(0);
    Track square1;
    square1.Tempo(0, 300000).NoteOn(0, 60).NoteOff(kUnit, 60).End(0);
    return MidiFile().Add(conductor).Add(square1).Build();
}

Bytes PercussionLabels() {
    Track noise;
    Line(noise, {36, 48, 60, 37, 49, 38}, kUnit);
    noise.End(0);
    Track dpcm;
    Line(dpcm, {36, 48, 38}, 0);
    dpcm.End(0);
    return MidiFile()
        .Add(Track().End(0)).Add(Track().End(0)).Add(Track().End(0)).Add(Track().End(0))
        .Add(noise).Add(dpcm).Build();
}

Bytes FailingTracks() {
    MidiFile file;
    file.Add(Track().Tempo(0, 600000).End(0));
    file.Add(Track().NoteOn(0, 60).Raw({0x40}, 0));             // a data byte where a status is due
    file.AddChunk("XYZW", 3, {1, 2, 3});                        // not a track chunk
    file.Add(Track().NoteOn(0, 64).NoteOff(kUnit, 64).Raw({0xFF, 0x2F, 0x01, 0x00}, 0));
    file.Add(Track().NoteOn(0, 38).NoteOff(kUnit, 38));          // no end of track
    return file.Build();
}

}  // namespace

Bytes SmallSong() {
    return MidiFile()
        .Add(Track().Tempo(0, 500000).DeviceName(0, "dev").End(0))
        .Add(Track().Program(0, 3).Controller(0, 7, 100).Lyric(kUnit, "la").NoteOn(0, 60)
                 .NoteOff(4 * kUnit, 60).End(0))
        .Add(Track().NoteOn(0, 38).NoteOff(kUnit, 38).End(0))
        .Build();
}

std::vector<GeneratedSong> GeneratedSongs() {
    return {
        {"five_channels", FiveChannels()},
        {"format_zero", FormatZero()},
        {"long_notes_and_waits", LongNotesAndWaits()},
        {"lyrics", Lyrics()},
        {"odd_divisions", OddDivisions()},
        {"top_bit_division", TopBitDivision()},
        {"skipped_events", SkippedEvents()},
        {"tempo_changes", TempoChanges()},
        {"percussion_labels", PercussionLabels()},
        {"failing_tracks", FailingTracks()},
        {"small_song", SmallSong()},
    };
}

}  // namespace kelvane::test
