// The files on disk: whole reads, and the image replaced only when complete.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "DiskFileSystem.h"

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

TEST_F(DiskFiles, AReplacementWritesBytesUnchanged) {
    auto sink = files.CreateReplacing(Path("out.asm"));
    ASSERT_TRUE(sink);
    EXPECT_TRUE(sink->Write("a\r\nb\n", 5));
    EXPECT_TRUE(sink->Close());
    EXPECT_EQ(Contents(Path("out.asm")), "a\r\nb\n");
    EXPECT_FALSE(files.CreateReplacing(""));
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
    // Relative spellings of a file yet to come, from the working folder.
    const fs::path working = fs::current_path();
    fs::current_path(dir);
    const bool relative = files.SameFile("image.bin", "./image.bin") && files.SameFile("image.bin", Path("image.bin"));
    fs::current_path(working);
    EXPECT_TRUE(relative);
    EXPECT_FALSE(files.SameFile("", ""));
}

#ifndef _WIN32

class ReplacedFiles : public DiskFiles {
protected:
    bool Replace(const std::string& path, const std::string& content) {
        auto sink = files.CreateReplacing(path);
        return sink && sink->Write(content.data(), content.size()) && sink->Close();
    }
    static unsigned ModeOf(const std::string& path) {
        struct stat info;
        return stat(path.c_str(), &info) == 0 ? static_cast<unsigned>(info.st_mode & 07777) : 0u;
    }
};

TEST_F(ReplacedFiles, TheNewFileTakesTheOldFilesModeAndTheTemporaryIsOursAlone) {
    const std::string song = Path("song.asm");
    std::ofstream(song) << "old";
    for (unsigned mode : {0600u, 0640u, 0444u, 0755u}) {
        ASSERT_EQ(chmod(song.c_str(), static_cast<mode_t>(mode)), 0);
        auto sink = files.CreateReplacing(song);
        ASSERT_TRUE(sink);
        // While it is written, the temporary lets nobody else read it.
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (entry.path().filename() != "song.asm") {
                EXPECT_EQ(ModeOf(entry.path().string()), 0600u);
            }
        }
        ASSERT_TRUE(sink->Write("new", 3));
        ASSERT_TRUE(sink->Close());
        EXPECT_EQ(ModeOf(song), mode);
        EXPECT_EQ(Contents(song), "new");
    }
    // Root gives the new file back to the old one's owner and group.
    if (geteuid() == 0) {
        ASSERT_EQ(chown(song.c_str(), 65534, 65534), 0);
        ASSERT_TRUE(Replace(song, "theirs"));
        struct stat info;
        ASSERT_EQ(stat(song.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
    }
    // A first output gets the mode the umask gives any new file.
    const mode_t mask = umask(022);
    EXPECT_TRUE(Replace(Path("fresh.h"), "h"));
    umask(mask);
    EXPECT_EQ(ModeOf(Path("fresh.h")), 0644u);
}

TEST_F(ReplacedFiles, TwoTemporariesBesideOneTargetNeverShareAName) {
    auto first = files.CreateReplacing(Path("ROM.BIN"));
    auto second = files.CreateReplacing(Path("ROM.BIN"));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(Entries(), 2u);
    EXPECT_TRUE(first->Write("one", 3) && second->Write("two", 3));
    EXPECT_TRUE(first->Close() && second->Close());
    EXPECT_EQ(Contents(Path("ROM.BIN")), "two");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(ReplacedFiles, ALinkKeepsPointingAtItsFileWhichHoldsTheNewContent) {
    fs::create_directories(dir / "device");
    std::ofstream((dir / "device" / "ROM.BIN").string()) << "old";
    chmod((dir / "device" / "ROM.BIN").c_str(), 0600);
    // An absolute link, a relative one, and a link to that link.
    fs::create_symlink(dir / "device" / "ROM.BIN", dir / "absolute.bin");
    fs::create_symlink("device/ROM.BIN", dir / "relative.bin");
    fs::create_symlink("relative.bin", dir / "chained.bin");
    for (const char* link : {"absolute.bin", "relative.bin", "chained.bin"}) {
        ASSERT_TRUE(Replace(Path(link), link));
        EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
        EXPECT_EQ(Contents((dir / "device" / "ROM.BIN").string()), link);
        EXPECT_EQ(ModeOf((dir / "device" / "ROM.BIN").string()), 0600u);
        EXPECT_TRUE(files.IsLink(Path(link)));
    }
    EXPECT_FALSE(files.IsLink(Path("device/ROM.BIN")));
    // No temporary is left beside the link or beside the file.
    EXPECT_EQ(Entries(), 4u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "device"), fs::directory_iterator()), 1);
}

TEST_F(ReplacedFiles, ADanglingLinkGetsItsFileMadeWhereItPoints) {
    fs::create_directories(dir / "device");
    fs::create_symlink("device/ROM.BIN", dir / "ROM.BIN");
    ASSERT_TRUE(Replace(Path("ROM.BIN"), "image"));
    EXPECT_TRUE(fs::is_symlink(dir / "ROM.BIN"));
    EXPECT_EQ(Contents((dir / "device" / "ROM.BIN").string()), "image");
    // A link into a folder that is not there, or a loop of links, is no place to write.
    fs::create_symlink("gone/ROM.BIN", dir / "lost.bin");
    EXPECT_FALSE(files.CreateReplacing(Path("lost.bin")));
    fs::create_symlink("loop-b", dir / "loop-a");
    fs::create_symlink("loop-a", dir / "loop-b");
    EXPECT_FALSE(files.CreateReplacing(Path("loop-a")));
    EXPECT_TRUE(fs::is_symlink(dir / "lost.bin"));
}

TEST_F(ReplacedFiles, AFolderThatCannotBeWrittenRefusesAndKeepsTheOldFile) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes into a read-only folder; tests/cli/files-test.sh checks it as another user";
    }
    std::ofstream(Path("song.asm")) << "old";
    chmod(dir.c_str(), 0555);
    EXPECT_FALSE(files.CreateReplacing(Path("song.asm")));
    chmod(dir.c_str(), 0755);
    EXPECT_EQ(Contents(Path("song.asm")), "old");
    EXPECT_EQ(Entries(), 1u);
}

#endif

}  // namespace
}  // namespace kelvane
