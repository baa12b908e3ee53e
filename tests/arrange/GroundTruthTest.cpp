// The choice of parts measured on music whose parts are known: generated
// four-part pieces and songs with piano in four layouts, and each shape of
// file in which the melody or the bass was once taken from the wrong part.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kelvane::test
