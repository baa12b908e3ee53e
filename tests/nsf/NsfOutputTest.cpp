// What --nsf and --wav (and the dialog's 导出NSF) write after a conversion:
// each file replaced whole or not at all, the NSF kept whatever becomes of
// the WAV.
#include <gtest/gtest.h>

#include "LabelValues.h"
#include "Nsf.h"
#include "NsfOutput.h"
#include "SongLength.h"
#include "TestSupport.h"
#include "Wav.h"

namespace kelvane::test {
namespace {

// A converter whose last run was a short song, as the front ends hold it
// when they write the NSF.
struct ConvertedSong : InMemoryRun {
    ConvertedSong() {
        Track melody;
        melody.NoteOn(0, 60).NoteOff(480, 60).NoteOn(0, 64).NoteOff(480, 64);
        EXPECT_TRUE(Convert(MidiFile().Add(Track().Tempo(0, 500000).End(0)).Add(melody.End(0)).Build()));
    }
    Bytes NsfBlock() const {
        Bytes block(kSongBlockSize, 0xFF);  // as the NSF's frame holds it
        converter.EmitSongBlock(NsfLabelValues(), block.data());
        return block;
    }
    std::string Write(const NsfOutputs& outputs) { return WriteNsfOutputs(files, converter, "song", outputs); }
    std::vector<std::string> Written() const {
        std::vector<std::string> paths;
        for (const std::string& path : files.Paths())
            if (path.rfind("/out/", 0) == 0) paths.push_back(path);
        return paths;
    }
};

TEST(NsfOutput, WritesTheNsfOfTheConvertersLastSongAndItsWav) {
    ConvertedSong run;
    run.files.Put("/out/song.nsf", "old");
    ASSERT_EQ(run.Write({"/out/song.nsf", WavOutputAvailable() ? "/out/song.wav" : ""}), "");
    const Bytes block = run.NsfBlock();
    EXPECT_EQ(run.files.Get("/out/song.nsf"), BuildNsf(block, "song"));
    if (WavOutputAvailable()) {
        EXPECT_EQ(run.files.Get("/out/song.wav").size(), 44u + 2 * PreviewSamples(MeasureSong(block).frames));
    }
    EXPECT_EQ(run.files.openSinks, 0);
}

TEST(NsfOutput, WritesOnlyWhatIsAskedFor) {
    ConvertedSong run;
    EXPECT_EQ(run.Write({"/out/a.nsf", ""}), "");
    EXPECT_EQ(run.Write({"", ""}), "");
    EXPECT_EQ(run.Written(), (std::vector<std::string>{"/out/a.nsf"}));
}

TEST(NsfOutput, EachFailedFileIsItsOwnLineAndTheOtherIsStillWritten) {
    if (!WavOutputAvailable()) GTEST_SKIP() << "this build renders no WAV";
    ConvertedSong run;
    run.files.Put("/out/song.wav", "old wav");
    run.files.failWriteAt["/out/song.wav"] = 0;
    EXPECT_EQ(run.Write({"/out/song.nsf", "/out/song.wav"}), "cannot write the WAV file /out/song.wav");
    EXPECT_EQ(run.files.Text("/out/song.wav"), "old wav");
    EXPECT_TRUE(run.files.Has("/out/song.nsf"));

    // An NSF that cannot be written does not cost the WAV, rendered from memory.
    run.files.uncreatable.insert("/ro/song.nsf");
    EXPECT_EQ(run.Write({"/ro/song.nsf", "/out/new.wav"}), "cannot write the NSF file /ro/song.nsf");
    EXPECT_TRUE(run.files.Has("/out/new.wav"));
    run.files.uncreatable.insert("/ro/song.wav");
    EXPECT_EQ(run.Write({"/ro/song.nsf", "/ro/song.wav"}),
              "cannot write the NSF file /ro/song.nsf\ncannot write the WAV file /ro/song.wav");
    EXPECT_FALSE(run.files.Has("/ro/song.nsf") || run.files.Has("/ro/song.wav"));
    EXPECT_EQ(run.files.openSinks, 0);
}

TEST(NsfOutput, WithoutLibgmeTheNsfIsWrittenAndTheWavRefusedInWords) {
    if (WavOutputAvailable()) GTEST_SKIP() << "this build renders the WAV";
    ConvertedSong run;
    EXPECT_EQ(run.Write({"/out/a.nsf", "/out/a.wav"}), kWavUnavailable);
    EXPECT_EQ(run.Written(), (std::vector<std::string>{"/out/a.nsf"}));
}

}  // namespace
}  // namespace kelvane::test
