// The choice of parts measured on music whose parts are known: generated
// four-part pieces and songs with piano in four layouts, and each shape of
// file in which the melody or the bass was once taken from the wrong part.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "GroundTruth.h"

namespace kelvane::test {
namespace {

constexpr Layout kLayouts[] = {Layout::kScoreOrder, Layout::kShuffledPrograms, Layout::kOneChannel,
                               Layout::kWithDrums};

struct Tally {
    double melody = 0, bass = 0, low = 0;
    int files = 0, wrong = 0;
    std::vector<std::string> wrongFiles;

    void Add(const std::string& label, const Piece& piece, const Bytes& midi) {
        auto result = ArrangeAuto(midi);
        ASSERT_TRUE(result.ok) << label << ": " << result.error;
        Agreement agreement = Compare(piece, ReadArranged(result.midi));
        melody += agreement.melodyInSquare1;
        bass += agreement.bassInTriangle;
        low += agreement.lowWithoutTriangle;
        ++files;
        if (agreement.square1Part != piece.melody) {
            ++wrong;
            wrongFiles.push_back(label);
        }
        if (agreement.melodyInSquare1 < 0.95 || agreement.bassInTriangle < 0.95)
            std::printf("  %s: melody %.1f %%, bass %.1f %%\n", label.c_str(), 100 * agreement.melodyInSquare1,
                        100 * agreement.bassInTriangle);
    }
    void Print(const char* what) const {
        std::printf("%s: %d files, melody notes in Square1 %.2f %%, bass notes in Triangle %.2f %%, "
                    "wrong-melody files %d, low notes without Triangle %.2f %%\n",
                    what, files, 100 * melody / files, 100 * bass / files, wrong, 100 * low / files);
        for (const std::string& file : wrongFiles) std::printf("  wrong melody: %s\n", file.c_str());
    }
};

// The melody rests a quarter of the time (every other phrase ends early); the
// alto sounds throughout.
Piece RestingTop(std::uint32_t seed) {
    Piece piece = FourParts(seed);
    std::vector<TruthNote> kept;
    const auto& notes = piece.parts[0].notes;
    for (std::size_t i = 0; i < notes.size(); ++i)
        if (i % 8 != 5 && i % 8 != 6) kept.push_back(notes[i]);
    piece.parts[0].notes = kept;
    return piece;
}

// A second part in the melody's own range, below it three times in four and
// sounding in its rests too.
Piece TwoTopParts(std::uint32_t seed) {
    Piece piece = FourParts(seed);
    TruthPart rival;
    rival.channel = 4;
    const auto& tune = piece.parts[0].notes;
    for (std::size_t i = 0; i < tune.size(); ++i) {
        std::uint32_t end = i + 1 < tune.size() ? tune[i + 1].start : tune[i].end;
        rival.notes.push_back({tune[i].start, end, tune[i].key + (i % 4 == 3 ? 1 : -1)});
    }
    piece.parts.push_back(rival);
    return piece;
}

// A descant above the tune for the last fifth of the piece.
Piece WithDescant(std::uint32_t seed) {
    Piece piece = FourParts(seed);
    TruthPart descant;
    descant.channel = 4;
    for (const TruthNote& note : piece.parts[0].notes)
        if (note.start >= piece.endTick / 5 * 4) descant.notes.push_back({note.start, note.end, note.key + 7});
    piece.parts.push_back(descant);
    return piece;
}

// A song with piano: the voice over a piano in broken chords that climb
// above the voice in every other figure.
Piece BrokenChordPiano(std::uint32_t seed) {
    Piece chorale = FourParts(seed);
    Piece song = chorale;
    TruthPart piano;
    piano.channel = 1;
    const std::uint32_t step = static_cast<std::uint32_t>(song.division) / (seed % 2 ? 2 : 4);
    for (const TruthNote& note : chorale.parts[1].notes) {
        const int figure[] = {note.key, note.key + 12, note.key + 16, note.key + 12};
        for (std::uint32_t t = note.start, i = 0; t + step <= note.end; t += step, ++i)
            piano.notes.push_back({t, t + step, figure[i % 4]});
    }
    song.parts = {chorale.parts[0], piano, chorale.parts[3]};
    song.bass = 2;
    return song;
}

TEST(ArrangeGroundTruth, FourPartPiecesInEveryLayout) {
    Tally tally;
    for (std::uint32_t seed = 1; seed <= 30; ++seed) {
        for (bool piano : {false, true}) {
            if (piano && seed % 3 != 0) continue;
            Piece piece = FourParts(seed, piano);
            for (Layout layout : kLayouts)
                tally.Add(std::to_string(seed) + (piano ? " piano, " : ", ") + LayoutName(layout), piece,
                          WritePiece(piece, layout, seed));
        }
    }
    // The shapes that once went wrong, in every layout but one channel, where
    // the parts are not told apart.
    for (std::uint32_t seed = 40; seed < 46; ++seed) {
        std::vector<std::pair<std::string, Piece>> shapes;
        shapes.emplace_back("resting top", RestingTop(seed));
        shapes.emplace_back("two top parts", TwoTopParts(seed));
        Piece horn = FourParts(seed);
        horn.parts[1].program = seed % 2 ? 60 : 68;
        shapes.emplace_back("horn or oboe below", horn);
        shapes.emplace_back("descant", WithDescant(seed));
        shapes.emplace_back("broken-chord piano", BrokenChordPiano(seed));
        for (const auto& shape : shapes)
            for (Layout layout : {Layout::kScoreOrder, Layout::kShuffledPrograms, Layout::kWithDrums})
                tally.Add(shape.first + " " + std::to_string(seed) + ", " + LayoutName(layout), shape.second,
                          WritePiece(shape.second, layout, seed));
    }
    tally.Print("generated suite");
    EXPECT_GE(tally.melody / tally.files, 0.99);
    EXPECT_GE(tally.bass / tally.files, 0.98);
    EXPECT_EQ(tally.wrong, 0);
    EXPECT_LT(tally.low / tally.files, 0.02);
}

arrange::ArrangeResult ArrangeChecked(const Bytes& midi) {
    auto result = ArrangeAuto(midi);
    EXPECT_TRUE(result.ok) << result.error;
    return result;
}

const std::string& Reason(const arrange::ArrangeResult& result, int voice) {
    return result.report.voices[static_cast<std::size_t>(voice)].reason;
}

TEST(ArrangeGroundTruth, TheReportSaysWhyTheMelodyWasChosen) {
    Piece piece = RestingTop(7);
    auto result = ArrangeChecked(WritePiece(piece, Layout::kScoreOrder));
    EXPECT_EQ(Reason(result, arrange::kSquare1), "melody: highest part 100 % of the time");
    EXPECT_EQ(Reason(result, arrange::kTriangle), "bass: lowest part 100 % of the time");
    EXPECT_EQ(result.report.voices[arrange::kSquare1].sources.front(), "track 1, channel 1: Acoustic Grand Piano");
    Bytes drums = WritePiece(piece, Layout::kWithDrums);
    EXPECT_EQ(Reason(ArrangeChecked(drums), arrange::kNoise), "the drum kit");
    EXPECT_EQ(Reason(ArrangeChecked(drums), arrange::kDpcm), "the kick of the drum kit");
}

// A track name marks its part's role, in ASCII, UTF-8 or GBK bytes, even on
// a part that is not the highest (lowest).
TEST(ArrangeGroundTruth, TrackNamesMarkTheMelodyAndTheBass) {
    const std::vector<std::pair<std::string, std::string>> melodyNames = {
        {"Melody", "Melody"}, {"LEAD guitar", "LEAD"}, {"Vocal", "Vocal"}, {"Voice 1", "Voice"},
        {"Tune", "Tune"},     {"Solo", "Solo"},        {"主旋律", "主旋律"}, {"\xD6\xF7\xD0\xFD\xC2\xC9", "主旋律"},
        {"旋律", "旋律"},     {"\xC8\xCB\xC9\xF9", "人声"}, {"人声", "人声"}};
    std::uint32_t seed = 60;
    for (const auto& name : melodyNames) {
        SCOPED_TRACE(name.second);
        Piece piece = FourParts(++seed);
        piece.parts[1].name = name.first;
        piece.melody = 1;
        auto result = ArrangeChecked(WritePiece(piece, Layout::kShuffledPrograms, seed));
        EXPECT_EQ(Compare(piece, ReadArranged(result.midi)).square1Part, 1);
        EXPECT_EQ(Reason(result, arrange::kSquare1), "named " + name.second);
    }
    const std::vector<std::pair<std::string, std::string>> bassNames = {
        {"Bass", "Bass"}, {"Bass Voice", "Bass"}, {"贝斯", "贝斯"}, {"\xB1\xB4\xCB\xB9", "贝斯"},
        {"\xB5\xCD\xD2\xF4", "低音"}};
    for (const auto& name : bassNames) {
        SCOPED_TRACE(name.second);
        Piece piece = FourParts(++seed);
        piece.parts[2].name = name.first;
        piece.bass = 2;
        auto result = ArrangeChecked(WritePiece(piece, Layout::kScoreOrder, seed));
        EXPECT_EQ(result.report.voices[arrange::kTriangle].sources.front(), "track 3, channel 3: Acoustic Grand Piano");
        EXPECT_EQ(Reason(result, arrange::kTriangle), "named " + name.second);
        EXPECT_GE(Compare(piece, ReadArranged(result.midi)).bassInTriangle, 0.99);
    }
    // A melody word inside another word is no name for the role.
    Piece piece = FourParts(++seed);
    piece.parts[1].name = "Missing Fortune";
    auto result = ArrangeChecked(WritePiece(piece, Layout::kScoreOrder, seed));
    EXPECT_EQ(Reason(result, arrange::kSquare1).rfind("melody: highest part", 0), 0u);
}

// A game song: a lead among pads, bells, effects, arpeggios and stabs, some
// of them above it now and then.
Piece GameSong(std::uint32_t seed) {
    Piece chorale = FourParts(seed);
    std::mt19937 rng(seed);
    Piece song = chorale;
    song.parts.clear();
    const std::uint32_t beat = static_cast<std::uint32_t>(song.division);
    auto part = [&](int program, int channel) {
        TruthPart p;
        p.program = program;
        p.channel = channel;
        return p;
    };
    // The tune, its longer notes broken into a note and its upper neighbour.
    TruthPart lead = part(80, 0);
    for (const TruthNote& note : chorale.parts[0].notes) {
        if (note.end - note.start < 2 * beat) {
            lead.notes.push_back(note);
            continue;
        }
        const std::uint32_t middle = note.start + (note.end - note.start) / 2;
        lead.notes.push_back({note.start, middle, note.key});
        lead.notes.push_back({middle, note.end, note.key + 2});
    }
    TruthPart bass = part(38, 1);
    bass.notes = chorale.parts[3].notes;
    TruthPart glockenspiel = part(9, 2), tinkle = part(112, 3), crystal = part(98, 4), pad = part(89, 5),
              arpeggio = part(81, 6), strings = part(48, 7), piano = part(0, 8), stabs = part(61, 10),
              harmony = part(65, 11), guitar = part(27, 12);
    for (std::uint32_t tick = 0; tick + 4 * beat <= song.endTick; tick += 4 * beat) {
        int key = 88 + static_cast<int>(rng() % 8);
        glockenspiel.notes.push_back({tick, tick + beat / 4, key});
        tinkle.notes.push_back({tick + 2 * beat, tick + 2 * beat + beat / 8, key + 4});
        if ((tick / beat) % 16 == 0) crystal.notes.push_back({tick + beat, tick + 3 * beat, 84});
        stabs.notes.push_back({tick + 3 * beat, tick + 3 * beat + beat / 4, 77});
        stabs.notes.push_back({tick + 3 * beat, tick + 3 * beat + beat / 4, 72});
    }
    // Pads and strings under the lead, an arpeggio above it now and then.
    for (const TruthNote& note : chorale.parts[1].notes) {
        pad.notes.push_back({note.start, note.end, note.key});
        pad.notes.push_back({note.start, note.end, note.key - 5});
        harmony.notes.push_back({note.start, note.end, note.key});
        strings.notes.push_back({note.start, note.end, note.key - 12});
    }
    for (const TruthNote& note : chorale.parts[2].notes) {
        piano.notes.push_back({note.start, note.end, note.key});
        piano.notes.push_back({note.start, note.end, note.key + 4});
        guitar.notes.push_back({note.start, note.end, note.key - 12 + 12 * (note.key < 52)});
        for (std::uint32_t t = note.start, i = 0; t + beat / 4 <= note.end; t += beat / 4, ++i)
            arpeggio.notes.push_back({t, t + beat / 4, note.key + 12 + static_cast<int>(i % 4) * 4});
    }
    // In every other song a string line holds long notes above the lead.
    TruthPart high = part(49, 13);
    const std::uint32_t bar = beat * static_cast<std::uint32_t>(song.numerator);
    if (seed % 2)
        for (const TruthNote& note : lead.notes)
            if (high.notes.empty() || note.start >= high.notes.back().end)
                high.notes.push_back({note.start, std::min(note.start + 2 * bar, song.endTick), note.key + 5});
    song.parts = {pad, glockenspiel, tinkle, crystal, arpeggio, strings, piano, lead, stabs, harmony, guitar, bass, high};
    song.melody = 7;
    song.bass = 11;
    return song;
}

TEST(ArrangeGroundTruth, ManyTrackSongsPutTheLeadOnSquare1) {
    Tally tally;
    for (std::uint32_t seed = 80; seed < 90; ++seed) {
        Piece song = GameSong(seed);
        for (Layout layout : {Layout::kScoreOrder, Layout::kShuffledPrograms, Layout::kWithDrums})
            tally.Add("game song " + std::to_string(seed) + ", " + LayoutName(layout), song,
                      WritePiece(song, layout, seed));
    }
    tally.Print("many-track songs");
    EXPECT_EQ(tally.wrong, 0);
    EXPECT_GE(tally.melody / tally.files, 0.95);
    auto result = ArrangeChecked(WritePiece(GameSong(81), Layout::kScoreOrder));
    EXPECT_EQ(Reason(result, arrange::kSquare1).rfind("lead line: ", 0), 0u) << Reason(result, arrange::kSquare1);
}

// A part named Bass enters after three fifths of the song; until then the
// piano's left hand plays the bass line, and the Triangle plays it.
TEST(ArrangeGroundTruth, TheTriangleFillsFromTheLowestPartBeforeTheBassEnters) {
    for (std::uint32_t seed = 100; seed < 106; ++seed) {
        SCOPED_TRACE(seed);
        Piece chorale = FourParts(seed);
        Piece song = chorale;
        TruthPart tune = chorale.parts[0], piano = chorale.parts[1], bass = chorale.parts[3];
        tune.program = 73;
        piano.program = 0;
        piano.channel = 1;
        piano.notes.insert(piano.notes.end(), chorale.parts[3].notes.begin(), chorale.parts[3].notes.end());
        std::sort(piano.notes.begin(), piano.notes.end(),
                  [](const TruthNote& a, const TruthNote& b) { return a.start < b.start; });
        bass.name = "Bass";
        bass.program = 33;
        bass.channel = 2;
        bass.notes.erase(std::remove_if(bass.notes.begin(), bass.notes.end(),
                                        [&](const TruthNote& note) { return note.start < song.endTick / 5 * 3; }),
                         bass.notes.end());
        song.parts = {tune, piano, bass};
        song.bass = 1;
        for (Layout layout : {Layout::kScoreOrder, Layout::kShuffledPrograms, Layout::kWithDrums}) {
            auto result = ArrangeChecked(WritePiece(song, layout, seed));
            Agreement agreement = Compare(song, ReadArranged(result.midi));
            EXPECT_LT(agreement.lowWithoutTriangle, 0.02) << LayoutName(layout);
            EXPECT_EQ(agreement.square1Part, 0);
            EXPECT_EQ(Reason(result, arrange::kTriangle), "named Bass");
        }
    }
}

}  // namespace
}  // namespace kelvane::test
