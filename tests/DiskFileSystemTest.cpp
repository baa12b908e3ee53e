// The files on disk: whole reads, and the image replaced only when complete.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "FileSystem.h"

namespace kelvane {
namespace {
namespace fs = std::filesystem;

class DiskFiles : public ::testing::Test {
protected:
    fs::path dir;
    DiskFileSystem files;

    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kelvane-disk-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Path(const std::string& name) const { return (dir / fs::u8path(name)).u8string(); }
    static std::string Contents(const std::string& path) {
        std::ifstream in(fs::u8path(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::size_t Entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }
};

TEST_F(DiskFiles, ReadWholeTakesRegularFilesOnly) {
    using Result = FileSystem::ReadResult;
    std::vector<std::uint8_t> data{1};
    EXPECT_EQ(files.ReadWhole("", 100, data), Result::kCannotOpen);
    EXPECT_EQ(files.ReadWhole(Path("missing.mid"), 100, data), Result::kCannotOpen);
    EXPECT_EQ(files.ReadWhole(dir.u8string(), 100, data), Result::kCannotOpen);
    EXPECT_TRUE(data.empty());
    std::ofstream(fs::u8path(Path("歌曲.mid")), std::ios::binary) << "MThd\r\n\x1A";
    ASSERT_EQ(files.ReadWhole(Path("歌曲.mid"), 7, data), Result::kRead);
    EXPECT_EQ(std::string(data.begin(), data.end()), "MThd\r\n\x1A");
    EXPECT_EQ(files.ReadWhole(Path("歌曲.mid"), 6, data), Result::kTooLarge);
    ImageBuffer prefix;
    EXPECT_TRUE(files.ReadPrefix(Path("歌曲.mid"), 4, prefix));
    EXPECT_EQ(std::string(prefix.begin(), prefix.end()), "MThd");
    EXPECT_TRUE(files.ReadPrefix(Path("歌曲.mid"), 100, prefix));
    EXPECT_EQ(prefix.size(), 7u);
    std::ofstream(fs::u8path(Path("empty.mid")));
    EXPECT_EQ(files.ReadWhole(Path("empty.mid"), 100, data), Result::kRead);
    EXPECT_TRUE(data.empty());
}

TEST_F(DiskFiles, CreateWritesBytesUnchanged) {
    auto sink = files.Create(Path("out.asm"));
    ASSERT_TRUE(sink);
    EXPECT_TRUE(sink->Write("a\r\nb\n", 5));
    EXPECT_TRUE(sink->Close());
    EXPECT_EQ(Contents(Path("out.asm")), "a\r\nb\n");
    EXPECT_FALSE(files.Create(Path("no-dir/out.asm")));
    EXPECT_FALSE(files.Create(dir.u8string()));
    EXPECT_FALSE(files.Create(""));
}

TEST_F(DiskFiles, AReplacementTakesEffectOnlyWhenClosed) {
    std::ofstream(fs::u8path(Path("ROM.BIN")), std::ios::binary) << "old";
    {
        auto sink = files.CreateReplacing(Path("ROM.BIN"));
        ASSERT_TRUE(sink);
        EXPECT_TRUE(sink->Write("new", 3));
        EXPECT_EQ(Contents(Path("ROM.BIN")), "old");
        EXPECT_EQ(Entries(), 2u);  // the temporary file lies beside it
        EXPECT_TRUE(sink->Close());
    }
    EXPECT_EQ(Contents(Path("ROM.BIN")), "new");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(DiskFiles, AnAbandonedReplacementLeavesTheOldFileAndNoTemporary) {
    std::ofstream(fs::u8path(Path("ROM.BIN")), std::ios::binary) << "old";
    {
        auto sink = files.CreateReplacing(Path("ROM.BIN"));
        ASSERT_TRUE(sink);
        sink->Write("half", 4);
    }
    EXPECT_EQ(Contents(Path("ROM.BIN")), "old");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(DiskFiles, AReplacementNeedsAPlaceToWrite) {
    EXPECT_FALSE(files.CreateReplacing(Path("no-dir/ROM.BIN")));
    EXPECT_FALSE(files.CreateReplacing(dir.u8string()));
    auto sink = files.CreateReplacing(Path("新的/../ROM.BIN"));
    EXPECT_FALSE(sink);
}

TEST_F(DiskFiles, SameFileSeesThroughSpellings) {
    std::ofstream(fs::u8path(Path("tune.asm"))) << "x";
    EXPECT_TRUE(files.SameFile(Path("tune.asm"), (dir / "." / "tune.asm").u8string()));
    EXPECT_FALSE(files.SameFile(Path("tune.asm"), Path("tune.h")));
    // Files yet to come are the same when they spell one place.
    EXPECT_TRUE(files.SameFile(Path("missing.asm"), (dir / "." / "missing.asm").u8string()));
    EXPECT_FALSE(files.SameFile(Path("missing.asm"), Path("missing.h")));
    EXPECT_FALSE(files.SameFile("", ""));
}

}  // namespace
}  // namespace kelvane
