// The Linux platform against a made-up machine: a mount table, a by-label
// directory and mount points that are temporary folders, and a recorder
// program standing in for the emulator and for Wine.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "LinuxPlatform.h"

namespace {

namespace fs = std::filesystem;
using kelvane::MountEntry;

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "kelvane-play.XXXXXX").string();
        path_ = mkdtemp(&pattern[0]) != nullptr ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// The lines the recorder wrote beside itself, waiting for the detached
// program to finish; empty when it never wrote them.
std::vector<std::string> RecordedLines(const std::string& dir) {
    const std::string path = dir + "/args.txt";
    for (int i = 0; i < 100 && !fs::exists(path); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(path));
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

void InstallRecorder(const std::string& as) {
    fs::copy_file(KELVANE_RECORD_ARGS, as, fs::copy_options::overwrite_existing);
    fs::permissions(as, fs::perms::owner_all);
}

TEST(MountTable, MountInfoGivesSourceMountPointAndDeviceNumber) {
    const std::vector<MountEntry> mounts = kelvane::ParseMountInfo(
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "40 22 8:17 / /media/u/My\\040Stick rw,nosuid shared:5 master:2 - vfat /dev/sdb1 rw\n"
        "41 22 0:5 / /proc rw - proc proc rw\n"
        "garbage line\n"
        "42 22 8:33 / /mnt/odd\\134name rw - vfat /dev/sdc1 rw\n");
    ASSERT_EQ(mounts.size(), 4u);
    EXPECT_EQ(mounts[0].mountPoint, "/");
    EXPECT_EQ(mounts[0].source, "/dev/sda1");
    EXPECT_EQ(mounts[1].mountPoint, "/media/u/My Stick");
    EXPECT_EQ(mounts[1].source, "/dev/sdb1");
    EXPECT_TRUE(mounts[1].hasDeviceNumber);
    EXPECT_EQ(mounts[1].major, 8u);
    EXPECT_EQ(mounts[1].minor, 17u);
    EXPECT_EQ(mounts[2].source, "proc");
    EXPECT_EQ(mounts[3].mountPoint, "/mnt/odd\\name");
}

TEST(MountTable, ProcMountsGivesSourceAndMountPointOnly) {
    const std::vector<MountEntry> mounts =
        kelvane::ParseMounts("/dev/sdb1 /media/a\\040b vfat rw 0 0\nbroken\n");
    ASSERT_EQ(mounts.size(), 1u);
    EXPECT_EQ(mounts[0].source, "/dev/sdb1");
    EXPECT_EQ(mounts[0].mountPoint, "/media/a b");
    EXPECT_FALSE(mounts[0].hasDeviceNumber);
}

TEST(MountTable, WinePathsGoThroughDriveZ) {
    EXPECT_EQ(kelvane::WinePath("/home/u/my tools/ROM.BIN"), "Z:\\home\\u\\my tools\\ROM.BIN");
    EXPECT_EQ(kelvane::WinePath("out/ROM.BIN"), "out\\ROM.BIN");
}

// A machine with four mounted sticks whose devices are plain files, found
// through by-label links the way udev makes them.
class MadeUpMachine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir.path().empty());
        for (const char* name : {"dev", "by-label", "media", "media/lower", "media/spaced",
                                 "media/first", "media/second", "program dir"}) {
            fs::create_directories(dir / name);
        }
        for (const char* device : {"sdb1", "sdc1", "sdd1", "sde1"}) {
            WriteFile(dir / "dev" + "/" + device, "");
        }
        fs::create_symlink("../dev/sdb1", dir / "by-label/px4");
        fs::create_symlink("../dev/sdc1", dir / "by-label/PX4\\x20");
        fs::create_symlink("../dev/sdd1", dir / "by-label/PX4");
        WriteFile(dir / "mountinfo",
                  "30 1 0:40 / " + dir.path() + "/media/lower rw - vfat " + dir.path() + "/dev/sdb1 rw\n" +
                  "31 1 0:41 / " + dir.path() + "/media/spaced rw - vfat " + dir.path() + "/dev/sdc1 rw\n" +
                  "32 1 0:42 / " + dir.path() + "/media/first rw - vfat " + dir.path() + "/dev/sdd1 rw\n" +
                  "33 1 0:43 / " + dir.path() + "/media/second rw - vfat " + dir.path() + "/dev/sde1 rw\n");
        paths.programDirectory = dir / "program dir";
        paths.byLabel = dir / "by-label";
        paths.mountInfo = dir / "mountinfo";
        paths.mounts = dir / "no-mounts";
        WriteFile(dir / "program dir/ROM.BIN", "new image");
    }

    TempDir dir;
    kelvane::LinuxPlatformPaths paths;
};

TEST_F(MadeUpMachine, LabelsComeFromByLabelLinksDecoded) {
    auto platform = kelvane::MakeLinuxPlatform(paths);
    const std::vector<std::string> roots = platform->DeviceRoots();
    ASSERT_EQ(roots.size(), 4u);
    EXPECT_EQ(roots[0], dir / "media/lower/");
    std::string label;
    EXPECT_TRUE(platform->VolumeLabel(roots[0], label));
    EXPECT_EQ(label, "px4");
    EXPECT_TRUE(platform->VolumeLabel(roots[1], label));
    EXPECT_EQ(label, "PX4 ");
    EXPECT_TRUE(platform->VolumeLabel(roots[2], label));
    EXPECT_EQ(label, "PX4");
    EXPECT_FALSE(platform->VolumeLabel(roots[3], label));  // no label at all
    EXPECT_FALSE(platform->VolumeLabel(dir / "elsewhere/", label));
}

TEST_F(MadeUpMachine, OnlyTheExactPx4StickReceivesTheImage) {
    WriteFile(dir / "media/first/ROM.BIN", "old image");
    auto platform = kelvane::MakeLinuxPlatform(paths);
    const kelvane::PlayResult result = kelvane::PlayImage(*platform);

    EXPECT_EQ(result.outcome, kelvane::PlayResult::Outcome::Copied) << result.error;
    EXPECT_EQ(ReadFile(dir / "media/first/ROM.BIN"), "new image");
    EXPECT_FALSE(fs::exists(dir / "media/lower/ROM.BIN"));
    EXPECT_FALSE(fs::exists(dir / "media/spaced/ROM.BIN"));
    EXPECT_FALSE(fs::exists(dir / "media/second/ROM.BIN"));
    // Nothing but the image is left on the stick.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "media/first"), fs::directory_iterator()), 1);
}

TEST_F(MadeUpMachine, ProcMountsServesWhenMountInfoIsMissing) {
    WriteFile(dir / "mounts", "" + dir.path() + "/dev/sdd1 " + dir.path() + "/media/second vfat rw 0 0\n");
    paths.mountInfo = dir / "no-mountinfo";
    paths.mounts = dir / "mounts";
    auto platform = kelvane::MakeLinuxPlatform(paths);
    EXPECT_EQ(kelvane::PlayImage(*platform).outcome, kelvane::PlayResult::Outcome::Copied);
    EXPECT_EQ(ReadFile(dir / "media/second/ROM.BIN"), "new image");
}

TEST_F(MadeUpMachine, WithoutUdevLabelsThereIsNoDevice) {
    paths.byLabel = dir / "no-by-label";
    paths.wine = dir / "no-wine";
    auto platform = kelvane::MakeLinuxPlatform(paths);
    const kelvane::PlayResult result = kelvane::PlayImage(*platform);
    EXPECT_EQ(result.outcome, kelvane::PlayResult::Outcome::EmulatorFailed);
    EXPECT_FALSE(fs::exists(dir / "media/first/ROM.BIN"));
}

TEST(LinuxCopy, MissingImageLeavesTheDeviceAlone) {
    TempDir dir;
    WriteFile(dir / "ROM.BIN", "old image");
    auto platform = kelvane::MakeLinuxPlatform(kelvane::LinuxPlatformPaths());
    std::string error;
    EXPECT_FALSE(platform->CopyReplacing(dir / "missing.bin", dir / "ROM.BIN", error));
    EXPECT_NE(error.find("missing.bin"), std::string::npos);
    EXPECT_EQ(ReadFile(dir / "ROM.BIN"), "old image");
}

TEST(LinuxCopy, UnwritableDestinationFailsAndLeavesNoTemporaryFile) {
    TempDir dir;
    WriteFile(dir / "image", "image");
    auto platform = kelvane::MakeLinuxPlatform(kelvane::LinuxPlatformPaths());
    std::string error;
    EXPECT_FALSE(platform->CopyReplacing(dir / "image", dir / "gone/ROM.BIN", error));
    EXPECT_FALSE(error.empty());
    // A directory named like the image cannot be replaced by a file.
    fs::create_directory(dir / "ROM.BIN");
    error.clear();
    EXPECT_FALSE(platform->CopyReplacing(dir / "image", dir / "ROM.BIN", error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST(LinuxCopy, CopiesAWholeLargeImage) {
    TempDir dir;
    std::string image(0x80000, '\0');
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7 + i / 255);
    WriteFile(dir / "image", image);
    auto platform = kelvane::MakeLinuxPlatform(kelvane::LinuxPlatformPaths());
    std::string error;
    ASSERT_TRUE(platform->CopyReplacing(dir / "image", dir / "ROM.BIN", error)) << error;
    EXPECT_EQ(ReadFile(dir / "ROM.BIN"), image);
    struct stat info;
    ASSERT_EQ(stat((dir / "ROM.BIN").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

class LinuxEmulator : public ::testing::TestWithParam<const char*> {};

TEST_P(LinuxEmulator, NativeDuzerGetsTheImagePathIntactAndDetached) {
    TempDir dir;
    const std::string program = dir / GetParam();
    fs::create_directories(program);
    InstallRecorder(program + "/duzer");
    kelvane::LinuxPlatformPaths paths;
    paths.programDirectory = program;
    paths.byLabel = dir / "none";
    paths.mountInfo = dir / "none";
    paths.mounts = dir / "none";
    auto platform = kelvane::MakeLinuxPlatform(paths);
    const kelvane::PlayResult result = kelvane::PlayImage(*platform);

    EXPECT_EQ(result.outcome, kelvane::PlayResult::Outcome::EmulatorStarted) << result.error;
    EXPECT_EQ(RecordedLines(program),
              (std::vector<std::string>{"1", program + "/ROM.BIN", "session leader"}));
}

TEST_P(LinuxEmulator, WineRunsDuzerExeWhenThereIsNoNativeOne) {
    TempDir dir;
    const std::string program = dir / GetParam();
    fs::create_directories(program);
    fs::create_directories(dir / "bin");
    WriteFile(program + "/duzer.exe", "MZ");
    InstallRecorder(dir / "bin/wine");
    kelvane::LinuxPlatformPaths paths;
    paths.programDirectory = program;
    paths.byLabel = dir / "none";
    paths.mountInfo = dir / "none";
    paths.wine = dir / "bin/wine";
    auto platform = kelvane::MakeLinuxPlatform(paths);
    const kelvane::PlayResult result = kelvane::PlayImage(*platform);

    EXPECT_EQ(result.outcome, kelvane::PlayResult::Outcome::EmulatorStarted) << result.error;
    EXPECT_EQ(RecordedLines(dir / "bin"),
              (std::vector<std::string>{"2", program + "/duzer.exe",
                                        kelvane::WinePath(program + "/ROM.BIN"), "session leader"}));
}

INSTANTIATE_TEST_SUITE_P(ProgramDirectories, LinuxEmulator,
                         ::testing::Values("tools", "my tools", "音乐工具"));

TEST(LinuxEmulatorFailure, SaysWhyWhenNothingCanRunIt) {
    TempDir dir;
    kelvane::LinuxPlatformPaths paths;
    paths.wine = dir / "no-wine";
    auto platform = kelvane::MakeLinuxPlatform(paths);
    std::string error;
    EXPECT_FALSE(platform->StartProgram(dir / "duzer.exe", {"x"}, error));
    EXPECT_NE(error.find("duzer.exe"), std::string::npos);

    WriteFile(dir / "duzer.exe", "MZ");
    error.clear();
    EXPECT_FALSE(platform->StartProgram(dir / "duzer.exe", {"x"}, error));
    EXPECT_NE(error.find("no-wine"), std::string::npos) << error;

    // A native duzer that is not executable does not count.
    WriteFile(dir / "duzer", "#!/bin/sh\n");
    fs::permissions(dir / "duzer", fs::perms::owner_read);
    error.clear();
    EXPECT_FALSE(platform->StartProgram(dir / "duzer.exe", {"x"}, error));
}

// A platform whose program directory is `program` and that finds no device.
std::unique_ptr<kelvane::PlayPlatform> EmulatorOnlyPlatform(const TempDir& dir, const std::string& program) {
    kelvane::LinuxPlatformPaths paths;
    paths.programDirectory = program;
    paths.byLabel = dir / "none";
    paths.mountInfo = dir / "none";
    paths.mounts = dir / "none";
    return kelvane::MakeLinuxPlatform(paths);
}

// Some callers ignore SIGCHLD; the system then reaps their children itself,
// and a start judged by waiting for a child would seem to fail.
TEST(LinuxEmulatorStart, StartsWhenTheCallerIgnoresSigchld) {
    TempDir dir;
    InstallRecorder(dir / "duzer");
    auto platform = EmulatorOnlyPlatform(dir, dir.path());
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous = {};
    ASSERT_EQ(sigaction(SIGCHLD, &ignore, &previous), 0);
    const kelvane::PlayResult result = kelvane::PlayImage(*platform);
    sigaction(SIGCHLD, &previous, nullptr);

    EXPECT_EQ(result.outcome, kelvane::PlayResult::Outcome::EmulatorStarted) << result.error;
    EXPECT_EQ(RecordedLines(dir.path()),
              (std::vector<std::string>{"1", dir / "ROM.BIN", "session leader"}));
}

TEST(LinuxEmulatorStart, AFailedExecIsReportedOnceWithItsReason) {
    TempDir dir;
    // Executable, but neither a program nor a script: the exec itself fails.
    WriteFile(dir / "duzer", "not a program\n");
    fs::permissions(dir / "duzer", fs::perms::owner_all);
    auto platform = EmulatorOnlyPlatform(dir, dir.path());
    const kelvane::PlayResult result = kelvane::PlayImage(*platform);

    EXPECT_EQ(result.outcome, kelvane::PlayResult::Outcome::EmulatorFailed);
    EXPECT_NE(result.error.find(std::strerror(ENOEXEC)), std::string::npos) << result.error;
    const std::string told = kelvane::DescribePlayResult(result);
    EXPECT_EQ(told.find("cannot start"), told.rfind("cannot start")) << told;
}

TEST(CommandLinePlay, WithoutAnImageSaysSoAndFails) {
    TempDir dir;
    const std::string command = std::string("'") + KELVANE_CLI + "' --play --rom '" +
                                (dir / "ROM.BIN") + "' > '" + (dir / "out") + "' 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(ReadFile(dir / "out").find("no ROM image " + (dir / "ROM.BIN")), std::string::npos)
        << ReadFile(dir / "out");
}

}  // namespace
