// The words go with the tune: lyrics of one part, on the melody, as GBK,
// from meta lyrics on any part or the text events of karaoke files.
#include <gtest/gtest.h>

#include <cstdio>

#include "GroundTruth.h"
#include "Lyrics.h"

namespace kelvane::test {
namespace {

// A syllable on every note of the part: "<prefix>1 ", "<prefix>2 ", ...
void Sing(TruthPart& part, const std::string& prefix) {
    part.lyrics.clear();
    int n = 0;
    for (const TruthNote& note : part.notes) part.lyrics.push_back({note.start, prefix + std::to_string(++n) + " "});
}

std::string Joined(const std::vector<TruthLyric>& lyrics) {
    std::string text;
    for (const TruthLyric& lyric : lyrics) text += lyric.text;
    return text;
}

std::string Joined(const std::vector<PlayedLyric>& lyrics) {
    std::string text;
    for (const PlayedLyric& lyric : lyrics) text += lyric.text;
    return text;
}

// The share of the arranged lyrics that fall on a sounding Square1 note.
double UnderSquare1(const ArrangedSong& song) {
    std::size_t under = 0;
    for (const PlayedLyric& lyric : song.lyrics)
        for (const PlayedNote& note : song.voices[arrange::kSquare1])
            if (note.start <= lyric.unit && lyric.unit < note.end) {
                ++under;
                break;
            }
    return song.lyrics.empty() ? 0 : double(under) / double(song.lyrics.size());
}

bool HasWarning(const arrange::ArrangeResult& result, const std::string& start) {
    for (const std::string& warning : result.report.warnings)
        if (warning.rfind(start, 0) == 0) return true;
    return false;
}

struct LyricTally {
    int songs = 0, inOrder = 0;
    double under = 0;

    void Add(const std::string& label, const Bytes& midi, const std::string& expected) {
        auto result = ArrangeAuto(midi);
        ASSERT_TRUE(result.ok) << label << ": " << result.error;
        ArrangedSong song = ReadArranged(result.midi);
        ++songs;
        bool same = Joined(song.lyrics) == expected;
        inOrder += same ? 1 : 0;
        double share = UnderSquare1(song);
        under += share;
        EXPECT_TRUE(same) << label;
        EXPECT_GE(share, 0.99) << label;
    }
};

constexpr Layout kLayouts[] = {Layout::kScoreOrder, Layout::kShuffledPrograms, Layout::kOneChannel,
                               Layout::kWithDrums};

TEST(ArrangeLyrics, TheMelodysWordsInEveryLayoutAndTheSungPartIsTheMelody) {
    LyricTally tally;
    for (std::uint32_t seed = 200; seed < 212; ++seed) {
        // On the tune, as usual.
        Piece piece = FourParts(seed);
        Sing(piece.parts[0], "la");
        for (Layout layout : kLayouts)
            tally.Add("melody " + std::to_string(seed) + ", " + LayoutName(layout), WritePiece(piece, layout, seed),
                      Joined(piece.parts[0].lyrics));
        // On every part, as a choir score exports them: the soprano's words only.
        for (std::size_t p = 1; p < 4; ++p) Sing(piece.parts[p], std::string(1, "xSATB"[p + 1]));
        for (Layout layout : {Layout::kScoreOrder, Layout::kShuffledPrograms, Layout::kWithDrums}) {
            Bytes midi = WritePiece(piece, layout, seed);
            tally.Add("choir " + std::to_string(seed) + ", " + LayoutName(layout), midi, Joined(piece.parts[0].lyrics));
            EXPECT_TRUE(HasWarning(ArrangeAuto(midi), "歌词只取一个声部的: 另外3个声部的"));
        }
        // On an inner part: it is the sung line, so it is the melody.
        Piece inner = FourParts(seed);
        Sing(inner.parts[2], "lu");
        inner.melody = 2;
        for (Layout layout : {Layout::kScoreOrder, Layout::kShuffledPrograms, Layout::kWithDrums}) {
            Bytes midi = WritePiece(inner, layout, seed);
            tally.Add("tenor " + std::to_string(seed) + ", " + LayoutName(layout), midi, Joined(inner.parts[2].lyrics));
            auto result = ArrangeAuto(midi);
            EXPECT_EQ(Compare(inner, ReadArranged(result.midi)).square1Part, 2);
            EXPECT_EQ(result.report.voices[arrange::kSquare1].reason, "melody: carries the lyrics");
        }
    }
    std::printf("lyric songs: %d, syllables kept in order in %d, syllables under a Square1 note %.2f %%\n",
                tally.songs, tally.inOrder, 100 * tally.under / tally.songs);
    EXPECT_EQ(tally.inOrder, tally.songs);
}

TEST(ArrangeLyrics, NamedSquare1KeepsItsOwnWordsOrElseTheMostSyllables) {
    Piece piece = FourParts(230);
    Sing(piece.parts[0], "s");
    Sing(piece.parts[1], "a");
    Bytes midi = WritePiece(piece, Layout::kScoreOrder);
    arrange::VoiceAssignment alto;
    std::string error;
    ASSERT_TRUE(arrange::ParseVoiceSpec("square1=t2", alto, error));
    EXPECT_EQ(Joined(ReadArranged(arrange::Arrange(midi, alto).midi).lyrics), Joined(piece.parts[1].lyrics));

    // Square1 named on a part without words: the part with the most syllables.
    piece.parts[0].lyrics.resize(3);
    arrange::VoiceAssignment bass;
    ASSERT_TRUE(arrange::ParseVoiceSpec("square1=t4", bass, error));
    auto result = arrange::Arrange(WritePiece(piece, Layout::kScoreOrder), bass);
    EXPECT_EQ(Joined(ReadArranged(result.midi).lyrics), Joined(piece.parts[1].lyrics));
    EXPECT_TRUE(HasWarning(result, "歌词只取一个声部的: 另外1个声部的3个音节没有写入"));
}

// A karaoke file: tempo, then words as text events, then the accompaniment
// and the tune, all on one channel, one note at a time.
Bytes Karaoke(const Piece& piece, const std::vector<TruthLyric>& words, int tagTrack, int wordTrack) {
    MidiFile file;
    file.Division(piece.division);
    std::vector<std::vector<std::pair<std::uint32_t, std::string>>> texts(4);
    texts[static_cast<std::size_t>(tagTrack)].push_back({0, "@KMIDI KARAOKE FILE"});
    texts[static_cast<std::size_t>(tagTrack)].push_back({0, "@TA song"});
    for (const TruthLyric& word : words) texts[static_cast<std::size_t>(wordTrack)].push_back({word.tick, word.text});
    auto notes = [&](Track& track, const TruthPart& part, int index) {
        std::vector<std::pair<std::uint32_t, Bytes>> events;
        for (const auto& text : texts[static_cast<std::size_t>(index)]) {
            Bytes bytes = {0xFF, 0x01, static_cast<std::uint8_t>(text.second.size())};
            bytes.insert(bytes.end(), text.second.begin(), text.second.end());
            events.push_back({text.first, bytes});
        }
        for (const TruthNote& note : part.notes) {
            events.push_back({note.start, {0x90, static_cast<std::uint8_t>(note.key), 90}});
            events.push_back({note.end, {0x80, static_cast<std::uint8_t>(note.key), 0}});
        }
        using Event = std::pair<std::uint32_t, Bytes>;
        std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
            return a.first != b.first ? a.first < b.first : (a.second.front() == 0x80) > (b.second.front() == 0x80);
        });
        std::uint32_t at = 0;
        for (const auto& event : events) {
            track.Raw(event.second, event.first - at);
            at = event.first;
        }
        track.End(0);
    };
    Track conductor, wordsTrack, accompaniment, tune;
    conductor.Tempo(0, piece.tempos.front().micros);
    notes(conductor, TruthPart(), 0);
    notes(wordsTrack, TruthPart(), 1);
    notes(accompaniment, piece.parts[3], 2);
    notes(tune, piece.parts[0], 3);
    return file.Add(conductor).Add(wordsTrack).Add(accompaniment).Add(tune).Build();
}

TEST(ArrangeLyrics, KaraokeFilesAreArrangedAndTheirTextsAreTheWords) {
    LyricTally tally;
    for (std::uint32_t seed = 240; seed < 246; ++seed) {
        Piece piece = FourParts(seed);
        Sing(piece.parts[0], "k");
        std::vector<TruthLyric> words = piece.parts[0].lyrics;
        for (std::size_t i = 0; i < words.size(); i += 4) words[i].text = (i % 8 ? "/" : "\\") + words[i].text;
        std::string expected = Joined(piece.parts[0].lyrics);
        // '@' lines with the words on track 1; on track 0 with the words on
        // track 1; on track 1 with the words on track 2, beside the
        // accompaniment's notes.
        for (auto tracks : {std::make_pair(1, 1), std::make_pair(0, 1), std::make_pair(1, 2)}) {
            SCOPED_TRACE(std::to_string(seed) + ": tags " + std::to_string(tracks.first) + ", words " +
                         std::to_string(tracks.second));
            Bytes midi = Karaoke(piece, words, tracks.first, tracks.second);
            auto result = ArrangeAuto(midi);
            EXPECT_FALSE(HasWarning(result, "文件已是驱动的声道布局"));
            tally.Add("karaoke", midi, expected);
            EXPECT_EQ(Compare(piece, ReadArranged(result.midi)).square1Part, 0);
        }
    }
    std::printf("karaoke songs: %d, syllables kept in order in %d, syllables under a Square1 note %.2f %%\n",
                tally.songs, tally.inOrder, 100 * tally.under / tally.songs);
}

// A file laid out for the driver may carry words on track 1; words or
// karaoke lines on any other track make it a file to arrange.
TEST(ArrangeLyrics, OnlyWordsOnTrack1KeepTheDriversLayout) {
    auto build = [](int wordsTrack) {
        MidiFile file;
        file.Add(Track().Tempo(0, 500000).End(0));
        for (int t = 1; t <= 3; ++t) {
            Track track;
            const int key = t == 3 ? 45 : 76 - 5 * t;
            for (int i = 0; i < 8; ++i) {
                if (t == wordsTrack) track.Text(0, 0x01, i == 0 ? "@TTitle" : "/la");
                if (t == 1 && wordsTrack == 1) track.Lyric(0, "la");
                track.NoteOn(0, key + i % 2).NoteOff(480, key + i % 2);
            }
            file.Add(track.End(0));
        }
        return file.Build();
    };
    auto laidOut = ArrangeAuto(build(1));
    EXPECT_TRUE(HasWarning(laidOut, "文件已是驱动的声道布局"));
    EXPECT_EQ(ReadArranged(laidOut.midi).lyrics.size(), 8u);
    auto karaoke = ArrangeAuto(build(2));
    EXPECT_FALSE(HasWarning(karaoke, "文件已是驱动的声道布局"));
    ArrangedSong song = ReadArranged(karaoke.midi);
    EXPECT_EQ(Joined(song.lyrics), "lalalalalalala");
    EXPECT_EQ(Keys(song.voices[arrange::kTriangle]).front(), 45);
}

TEST(ArrangeLyrics, TextIsRecodedToGbk) {
    std::uint32_t unknown = 0;
    EXPECT_EQ(arrange::LyricTextToGbk("Lift up ", unknown), "Lift up ");
    EXPECT_EQ(arrange::LyricTextToGbk("你好", unknown), "\xC4\xE3\xBA\xC3");
    EXPECT_EQ(arrange::LyricTextToGbk("\xC4\xE3\xBA\xC3", unknown), "\xC4\xE3\xBA\xC3");  // already GBK
    EXPECT_EQ(arrange::LyricTextToGbk("Für", unknown), "F\xA8\xB9r");                     // UTF-8
    EXPECT_EQ(arrange::LyricTextToGbk("F\xFCr", unknown), "F\xA8\xB9r");                  // Windows-1252
    EXPECT_EQ(arrange::LyricTextToGbk("caf\xE9 ", unknown), "caf\xA8\xA6 ");
    EXPECT_EQ(unknown, 0u);
    EXPECT_EQ(arrange::LyricTextToGbk("ok? \xF0\x9F\x98\x80", unknown), "ok? ?");
    EXPECT_EQ(unknown, 1u);
    EXPECT_EQ(arrange::LyricTextToGbk("a\x8D", unknown), "a?");  // a byte Windows-1252 leaves unassigned
    EXPECT_EQ(unknown, 2u);
}

// The encoding is judged on the whole part's words: a syllable that alone
// would pass for GBK ("ü" and the next letter) is read as the rest are.
TEST(ArrangeLyrics, ArrangedLyricsReadAsGbkAndCharactersGbkLacksAreCounted) {
    Piece piece = FourParts(250);
    Sing(piece.parts[0], "x");
    struct Case {
        std::vector<std::string> syllables;
        std::string gbk;
        bool unknown;
    };
    // GBK has the pinyin letters (ü, é) but no ö.
    const std::vector<Case> cases = {
        {{"你", "好", "世界 "}, "\xC4\xE3\xBA\xC3\xCA\xC0\xBD\xE7 ", false},
        {{"\xC4\xE3", "\xBA\xC3", "\xCA\xC0\xBD\xE7 "}, "\xC4\xE3\xBA\xC3\xCA\xC0\xBD\xE7 ", false},
        {{"F\xFCr ", "dich, ", "sch\xF6n "}, "F\xA8\xB9r dich, sch?n ", true},
        {{"Für ", "dich, ", "schön "}, "F\xA8\xB9r dich, sch?n ", true},
        {{"caf\xE9 ", "F\xFCr "}, "caf\xA8\xA6 F\xA8\xB9r ", false},
        {{"\xF0\x9F\x8E\xB5", "la ", "\"hi\" "}, "?la 'hi' ", true},
    };
    for (const Case& c : cases) {
        Piece song = piece;
        for (std::size_t i = 0; i < c.syllables.size(); ++i) song.parts[0].lyrics[i].text = c.syllables[i];
        song.parts[0].lyrics.resize(c.syllables.size());
        auto result = ArrangeAuto(WritePiece(song, Layout::kScoreOrder));
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(Joined(ReadArranged(result.midi).lyrics), c.gbk);
        EXPECT_EQ(HasWarning(result, "歌词中有1个字符GBK没有, 写成了?"), c.unknown) << c.gbk;
    }
}

}  // namespace
}  // namespace kelvane::test
