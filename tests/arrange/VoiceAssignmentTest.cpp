// --voices: reading the spec, and voices set by hand.
#include <gtest/gtest.h>

#include "ArrangedSong.h"
#include "MidiBuilder.h"

namespace kelvane::test {
namespace {

using arrange::ParseVoiceSpec;
using arrange::VoiceAssignment;

TEST(VoiceSpec, ReadsTracksChannelsBothAndNone) {
    VoiceAssignment assignment;
    std::string error;
    ASSERT_TRUE(ParseVoiceSpec("square1=t2,square2=t3c5,triangle=c4,noise=c10,dpcm=none", assignment, error))
        << error;
    const auto& v = assignment.voices;
    ASSERT_EQ(v[arrange::kSquare1].selectors.size(), 1u);
    EXPECT_EQ(v[arrange::kSquare1].selectors[0].track, 2);
    EXPECT_EQ(v[arrange::kSquare1].selectors[0].channel, -1);
    EXPECT_EQ(v[arrange::kSquare2].selectors[0].track, 3);
    EXPECT_EQ(v[arrange::kSquare2].selectors[0].channel, 4);
    EXPECT_EQ(v[arrange::kTriangle].selectors[0].track, -1);
    EXPECT_EQ(v[arrange::kTriangle].selectors[0].channel, 3);
    EXPECT_EQ(v[arrange::kNoise].selectors[0].channel, 9);
    EXPECT_TRUE(v[arrange::kDpcm].named);
    EXPECT_TRUE(v[arrange::kDpcm].selectors.empty());

    VoiceAssignment partial;
    ASSERT_TRUE(ParseVoiceSpec(" Square1 = T1+t4 ", partial, error)) << error;
    EXPECT_EQ(partial.voices[arrange::kSquare1].selectors.size(), 2u);
    EXPECT_FALSE(partial.voices[arrange::kTriangle].named);
    VoiceAssignment nothing;
    EXPECT_TRUE(ParseVoiceSpec("", nothing, error));
    for (const auto& voice : nothing.voices) EXPECT_FALSE(voice.named);
}

TEST(VoiceSpec, RefusesWhatItCannotReadInWordsAndLeavesTheAssignment) {
    const std::pair<const char*, const char*> cases[] = {
        {"square3=t1", "无法识别的声道设置: square3=t1"},
        {"square1", "无法识别的声道设置: square1"},
        {"square1=x2", "无法识别的来源: x2"},
        {"square1=t", "无法识别的来源: t"},
        {"noise=c17", "MIDI通道应在1到16之间: c17"},
        {"noise=c0", "MIDI通道应在1到16之间: c0"},
        {"dpcm=none,dpcm=c10", "声道重复设置: dpcm"},
    };
    for (const auto& [spec, words] : cases) {
        VoiceAssignment assignment;
        assignment.voices[arrange::kSquare1].named = true;
        std::string error;
        EXPECT_FALSE(ParseVoiceSpec(spec, assignment, error)) << spec;
        EXPECT_EQ(error.rfind(words, 0), 0u) << spec << ": " << error;
        EXPECT_TRUE(assignment.voices[arrange::kSquare1].named);
        EXPECT_TRUE(assignment.voices[arrange::kSquare1].selectors.empty());
    }
}

TEST(VoiceSpec, NamedVoicesTakeWhatTheyAreGivenAndTheRestIsArrangedAsUsual) {
    Track melody, bass, strings, horn, kit;
    melody.Program(0, 73);
    bass.Program(0, 33, 1);
    strings.Program(0, 48, 4);
    horn.Program(0, 60, 3);
    for (int i = 0; i < 8; ++i) {
        melody.NoteOn(0, 76 + i % 3).NoteOff(480, 76 + i % 3);
        bass.NoteOn(0, 36, 100, 1).NoteOff(480, 36, 0, 1);
        strings.NoteOn(0, 64, 100, 4).NoteOff(480, 64, 0, 4);
        horn.NoteOn(0, 55, 100, 3).NoteOff(480, 55, 0, 3);
        kit.NoteOn(0, i % 2 ? 38 : 36, 100, 9).NoteOff(480, i % 2 ? 38 : 36, 0, 9);
    }
    Bytes midi = MidiFile()
                     .Add(Track().End(0))
                     .Add(melody.End(0))   // track 1
                     .Add(bass.End(0))     // track 2
                     .Add(strings.End(0))  // track 3, channel 5
                     .Add(horn.End(0))     // track 4, channel 4
                     .Add(kit.End(0))      // track 5
                     .Build();
    VoiceAssignment assignment;
    std::string error;
    ASSERT_TRUE(ParseVoiceSpec("square1=t2,square2=t3c5,triangle=c4,noise=c10,dpcm=none", assignment, error));
    auto result = arrange::Arrange(midi, assignment);
    ASSERT_TRUE(result.ok) << result.error;
    ArrangedSong song = ReadArranged(result.midi);
    EXPECT_EQ(Keys(song.voices[arrange::kSquare1]), std::vector<int>(8, 36));
    EXPECT_EQ(Keys(song.voices[arrange::kSquare2]), std::vector<int>(8, 64));
    EXPECT_EQ(Keys(song.voices[arrange::kTriangle]), std::vector<int>(8, 55));
    EXPECT_EQ(Keys(song.voices[arrange::kNoise]), (std::vector<int>{36, 38, 36, 38, 36, 38, 36, 38}));
    EXPECT_TRUE(song.voices[arrange::kDpcm].empty());
    EXPECT_EQ(result.report.voices[arrange::kSquare1].sources,
              std::vector<std::string>{"track 2, channel 2: Electric Bass (finger)"});

    // A voice left out is arranged as usual: the melody still finds Square1.
    VoiceAssignment bassOnly;
    ASSERT_TRUE(ParseVoiceSpec("triangle=t2,square2=t9", bassOnly, error));
    auto usual = arrange::Arrange(midi, bassOnly);
    ASSERT_TRUE(usual.ok);
    ArrangedSong usualSong = ReadArranged(usual.midi);
    EXPECT_EQ(Keys(usualSong.voices[arrange::kSquare1]).front(), 76);
    EXPECT_EQ(Keys(usualSong.voices[arrange::kTriangle]), std::vector<int>(8, 36));
    EXPECT_TRUE(usualSong.voices[arrange::kSquare2].empty());
    EXPECT_FALSE(usualSong.voices[arrange::kDpcm].empty());
    bool warned = false;
    for (const std::string& warning : usual.report.warnings) warned |= warning == "方波2的来源t9在文件中没有音符";
    EXPECT_TRUE(warned);
}

}  // namespace
}  // namespace kelvane::test
