// The hand-off's decisions, against a fake machine whose drives, labels and
// failures each test sets up.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "Play.h"

namespace {

using kelvane::PlayResult;

class FakePlatform : public kelvane::PlayPlatform {
public:
    std::string programDirectory = "C:\\tools\\";
    std::vector<std::string> roots = kelvane::DriveRoots();
    std::map<std::string, std::string> labels;    // roots whose query succeeds
    std::map<std::string, std::string> garbage;   // roots whose query fails after writing this
    bool copySucceeds = true;
    bool startSucceeds = true;

    std::vector<std::string> queried;
    struct Copy { std::string from, to; };
    std::vector<Copy> copies;
    struct Start { std::string program; std::vector<std::string> args; };
    std::vector<Start> starts;

    std::string ProgramDirectory() override { return programDirectory; }
    std::vector<std::string> DeviceRoots() override { return roots; }
    bool VolumeLabel(const std::string& root, std::string& label) override {
        queried.push_back(root);
        if (garbage.count(root) != 0) {
            label = garbage[root];
            return false;
        }
        if (labels.count(root) == 0) {
            return false;
        }
        label = labels[root];
        return true;
    }
    bool CopyReplacing(const std::string& from, const std::string& to, std::string& error) override {
        copies.push_back({from, to});
        if (!copySucceeds) error = "no space left";
        return copySucceeds;
    }
    bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                      std::string& error) override {
        starts.push_back({program, args});
        if (!startSucceeds) error = "file not found";
        return startSucceeds;
    }
    bool FileExists(const std::string&) override { return true; }
};

TEST(PlayDevice, FirstPx4DriveReceivesTheImageAndProbingStops) {
    FakePlatform platform;
    platform.labels = {{"D:\\", "DATA"}, {"E:\\", "PX4"}, {"G:\\", "PX4"}};
    const PlayResult result = kelvane::PlayImage(platform);

    EXPECT_EQ(result.outcome, PlayResult::Outcome::Copied);
    ASSERT_EQ(platform.copies.size(), 1u);
    EXPECT_EQ(platform.copies[0].from, "C:\\tools\\ROM.BIN");
    EXPECT_EQ(platform.copies[0].to, "E:\\ROM.BIN");
    EXPECT_EQ(platform.queried, (std::vector<std::string>{"C:\\", "D:\\", "E:\\"}));
    EXPECT_TRUE(platform.starts.empty());
}

TEST(PlayDevice, LabelMustBeExactlyPx4) {
    for (const char* label : {"px4", "PX4 ", " PX4", "Px4", "PX", "PX45", ""}) {
        FakePlatform platform;
        platform.labels = {{"E:\\", label}};
        const PlayResult result = kelvane::PlayImage(platform);
        EXPECT_EQ(result.outcome, PlayResult::Outcome::EmulatorStarted) << '"' << label << '"';
        EXPECT_TRUE(platform.copies.empty()) << '"' << label << '"';
    }
}

TEST(PlayDevice, NearMissesBeforeTheDeviceAreSkipped) {
    FakePlatform platform;
    platform.labels = {{"D:\\", "px4"}, {"E:\\", "PX4 "}, {"F:\\", "PX4"}};
    kelvane::PlayImage(platform);
    ASSERT_EQ(platform.copies.size(), 1u);
    EXPECT_EQ(platform.copies[0].to, "F:\\ROM.BIN");
}

TEST(PlayDevice, DriveZIsNeverProbed) {
    FakePlatform platform;
    platform.labels = {{"Z:\\", "PX4"}};
    const PlayResult result = kelvane::PlayImage(platform);

    EXPECT_EQ(result.outcome, PlayResult::Outcome::EmulatorStarted);
    EXPECT_TRUE(platform.copies.empty());
    EXPECT_EQ(platform.queried.size(), 23u);
    EXPECT_EQ(platform.queried.back(), "Y:\\");
}

TEST(PlayDevice, FailedQueriesNeverMatchWhatTheyLeftInTheBuffer) {
    FakePlatform platform;
    platform.labels = {{"C:\\", "SYSTEM"}};
    platform.garbage = {{"D:\\", "PX4"}, {"E:\\", "PX4"}};
    const PlayResult result = kelvane::PlayImage(platform);
    EXPECT_EQ(result.outcome, PlayResult::Outcome::EmulatorStarted);
    EXPECT_TRUE(platform.copies.empty());
}

// A platform whose successful queries leave the buffer as they found it.
class SilentLabels : public FakePlatform {
public:
    bool VolumeLabel(const std::string& root, std::string& label) override {
        queried.push_back(root);
        if (root == "C:\\") {
            label = "PX4";
            return false;
        }
        return root == "D:\\";
    }
};

TEST(PlayDevice, SuccessfulQueryAfterAFailedOneStartsFromAnEmptyLabel) {
    SilentLabels platform;
    const PlayResult result = kelvane::PlayImage(platform);
    EXPECT_EQ(result.outcome, PlayResult::Outcome::EmulatorStarted);
    EXPECT_TRUE(platform.copies.empty());
    EXPECT_EQ(platform.queried.size(), 23u);
}

TEST(PlayDevice, FailedCopyIsReportedAndNothingElseHappens) {
    FakePlatform platform;
    platform.labels = {{"E:\\", "PX4"}};
    platform.copySucceeds = false;
    const PlayResult result = kelvane::PlayImage(platform);

    EXPECT_EQ(result.outcome, PlayResult::Outcome::CopyFailed);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.error, "no space left");
    EXPECT_TRUE(platform.starts.empty());  // a failed copy does not fall back to the emulator
}

TEST(PlayDevice, ImageElsewhereStillArrivesAsRomBin) {
    FakePlatform platform;
    platform.labels = {{"H:\\", "PX4"}};
    kelvane::PlayImage(platform, "D:\\out\\song.bin");
    ASSERT_EQ(platform.copies.size(), 1u);
    EXPECT_EQ(platform.copies[0].from, "D:\\out\\song.bin");
    EXPECT_EQ(platform.copies[0].to, "H:\\ROM.BIN");
}

TEST(PlayEmulator, GetsTheImagePathAsItsOneArgument) {
    for (const char* dir : {"C:\\tools\\", "C:\\my tools\\", "D:\\音乐 工具\\", "/opt/kelvane/"}) {
        FakePlatform platform;
        platform.programDirectory = dir;
        const PlayResult result = kelvane::PlayImage(platform);

        EXPECT_EQ(result.outcome, PlayResult::Outcome::EmulatorStarted);
        ASSERT_EQ(platform.starts.size(), 1u);
        EXPECT_EQ(platform.starts[0].program, std::string(dir) + "duzer.exe");
        EXPECT_EQ(platform.starts[0].args, std::vector<std::string>{std::string(dir) + "ROM.BIN"});
        EXPECT_TRUE(platform.copies.empty());
    }
}

TEST(PlayEmulator, EmulatorStaysBesideTheProgramWhenTheImageIsElsewhere) {
    FakePlatform platform;
    kelvane::PlayImage(platform, "E:\\songs\\a b.bin");
    ASSERT_EQ(platform.starts.size(), 1u);
    EXPECT_EQ(platform.starts[0].program, "C:\\tools\\duzer.exe");
    EXPECT_EQ(platform.starts[0].args, std::vector<std::string>{"E:\\songs\\a b.bin"});
}

TEST(PlayEmulator, MissingEmulatorIsReported) {
    FakePlatform platform;
    platform.startSucceeds = false;
    const PlayResult result = kelvane::PlayImage(platform);
    EXPECT_EQ(result.outcome, PlayResult::Outcome::EmulatorFailed);
    EXPECT_EQ(kelvane::DescribePlayResult(result),
              "no device labelled PX4; cannot start C:\\tools\\duzer.exe: file not found");
}

}  // namespace
