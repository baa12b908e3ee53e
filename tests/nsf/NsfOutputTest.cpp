// What --nsf and --wav write: both files replaced whole or not at all.
#include <gtest/gtest.h>

#include "MemoryFileSystem.h"
#include "Nsf.h"
#include "NsfOutput.h"
#include "NsfTestSupport.h"
#include "Wav.h"

namespace kelvane::test {
namespace {

Bytes ShortSong() {
    return SongBlock({4, 4, 4, 4}, {Join({Note(9, 3, 10), Closing(), {kEnd}}), {}, {}, {}, {}});
}

TEST(NsfOutput, WritesTheNsfAndTheWavOfASong) {
    MemoryFileSystem files;
    files.Put("/out/song.nsf", "old");
    Bytes block = ShortSong();
    std::string error = WriteNsfOutputs(files, block, "song", {"/out/song.nsf", "/out/song.wav"});
    ASSERT_EQ(error, "");
    EXPECT_EQ(files.Get("/out/song.nsf"), BuildNsf(block, "song"));
    const Bytes& wav = files.Get("/out/song.wav");
    // libgme's start, 30 frames of song and one second.
    EXPECT_EQ(wav.size(), 44u + 2 * (kGmeFirstPlayFrames + 30 + 50) * 882);
    EXPECT_EQ(files.Paths(), (std::vector<std::string>{"/out/song.nsf", "/out/song.wav"}));
    EXPECT_EQ(files.openSinks, 0);
}

TEST(NsfOutput, WritesOnlyWhatIsAskedFor) {
    MemoryFileSystem files;
    EXPECT_EQ(WriteNsfOutputs(files, ShortSong(), "song", {"/out/a.nsf", ""}), "");
    EXPECT_EQ(WriteNsfOutputs(files, ShortSong(), "song", {"", ""}), "");
    EXPECT_EQ(files.Paths(), (std::vector<std::string>{"/out/a.nsf"}));
}

TEST(NsfOutput, AFailedWriteKeepsTheOldFileAndSaysWhich) {
    MemoryFileSystem files;
    files.Put("/out/song.wav", "old wav");
    files.failWriteAt["/out/song.wav"] = 0;
    EXPECT_EQ(WriteNsfOutputs(files, ShortSong(), "song", {"/out/song.nsf", "/out/song.wav"}),
              "cannot write the WAV file /out/song.wav");
    EXPECT_EQ(files.Text("/out/song.wav"), "old wav");
    EXPECT_TRUE(files.Has("/out/song.nsf"));

    files.uncreatable.insert("/ro/song.nsf");
    EXPECT_EQ(WriteNsfOutputs(files, ShortSong(), "song", {"/ro/song.nsf", ""}),
              "cannot write the NSF file /ro/song.nsf");
    EXPECT_FALSE(files.Has("/ro/song.nsf"));
    EXPECT_EQ(files.openSinks, 0);
}

TEST(NsfOutput, WavNeedsLibgmeAndABlockOfTheRightSize) {
    MemoryFileSystem files;
    if (!WavOutputAvailable()) {
        EXPECT_EQ(WriteNsfOutputs(files, ShortSong(), "song", {"/out/a.nsf", "/out/a.wav"}),
                  kWavUnavailable);
        EXPECT_TRUE(files.Paths().empty());  // a refused WAV writes no NSF either
    }
    EXPECT_EQ(WriteNsfOutputs(files, Bytes(100), "song", {"/out/a.nsf", ""}),
              "no song block to write as an NSF");
    EXPECT_TRUE(files.Paths().empty());
}

}  // namespace
}  // namespace kelvane::test
