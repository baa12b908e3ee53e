// Music whose parts are known, made in code: a four-part texture (soprano,
// alto, tenor, bass) or a tune with piano and bass, of any tempo, meter,
// length and tempo map, written in the layouts real files come in; and the
// measures that compare an arrangement with the parts it was made from.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "ArrangedSong.h"
#include "MidiBuilder.h"

namespace kelvane::test {

struct TruthNote {
    std::uint32_t start;  // ticks
    std::uint32_t end;
    int key;
};

struct TruthLyric {
    std::uint32_t tick;
    std::string text;
};

struct TruthPart {
    std::vector<TruthNote> notes;  // in order of their start; chords allowed
    int program = -1;              // -1: none written
    int channel = 0;
    std::string name;              // track name, as bytes
    bool drums = false;
    std::vector<TruthLyric> lyrics;  // written into the part's own track
};

struct TempoMark {
    std::uint32_t tick;
    std::uint32_t micros;  // per quarter note
};

struct Piece {
    int division = 480;
    int numerator = 4, denominatorPower = 2;
    std::vector<TempoMark> tempos;  // the first at tick 0
    std::vector<TruthPart> parts;
    int melody = 0;
    int bass = -1;
    std::uint32_t endTick = 0;

    double Seconds(std::uint32_t tick) const;
};

// A four-part chorale-like piece from `seed`: bars, meter, tempo, tempo
// changes and division all vary. Parts 0-3 are soprano, alto, tenor and
// bass, never crossing and never in unison. With `piano`, alto and tenor are
// one part playing both (a song with piano).
Piece FourParts(std::uint32_t seed, bool piano = false);

enum class Layout { kScoreOrder, kShuffledPrograms, kOneChannel, kWithDrums };
const char* LayoutName(Layout layout);

// Writes the piece: a conductor track, then per the layout one track per
// part (the parts' own programs and names), the tracks shuffled with General
// MIDI programs given to parts without one, every part in one track on one
// channel, or with a drum track added.
Bytes WritePiece(const Piece& piece, Layout layout, std::uint32_t seed = 1);

struct Agreement {
    double melodyInSquare1 = 0;  // share of the melody's notes Square1 plays
    double bassInTriangle = 0;   // share of the bass's notes the Triangle plays
    int square1Part = -1;        // the part Square1 plays most of the time
    double lowWithoutTriangle = 0;  // share of time some part sounds at or below G3 and the Triangle is silent
};

// Compares the arranged file with the piece, note by note: a note counts as
// played when the voice sounds its pitch class at its middle.
Agreement Compare(const Piece& piece, const ArrangedSong& song);

// The share of the time in which some pitched note at or below G3 sounds in
// `notes` (units, keys) and the Triangle of `song` is silent.
double LowWithoutTriangle(const std::vector<PlayedNote>& lowNotes, const ArrangedSong& song);

}  // namespace kelvane::test
