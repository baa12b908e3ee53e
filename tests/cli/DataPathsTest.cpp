// Where the command line finds the template and puts the image: the search
// order over real folders, and what counts as a usable candidate.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "DataPaths.h"
#include "LastImage.h"

namespace {

namespace fs = std::filesystem;
using kelvane::DataEnvironment;
using kelvane::DataPaths;
using kelvane::ResolveDataPaths;
using kelvane::TemplateCandidates;
using Places = std::vector<std::string>;

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "kelvane-data.XXXXXX").string();
        path_ = mkdtemp(&pattern[0]) != nullptr ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteFile(const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << "template";
}

DataEnvironment Environment(const std::string& program, const std::string& dataHome,
                            const std::string& dataDirs, const std::string& home = "/home/u") {
    DataEnvironment environment;
    environment.programDirectory = program;
    environment.dataHome = dataHome;
    environment.dataDirs = dataDirs;
    environment.home = home;
    return environment;
}

TEST(TemplateCandidates, ProgramThenDataHomeThenEachDataDir) {
    EXPECT_EQ(TemplateCandidates(Environment("/opt/k/", "/data/home", "/sys/a:/sys/b/")),
              (Places{"/opt/k/RZ31ST.bin", "/data/home/kelvane/RZ31ST.bin",
                      "/sys/a/kelvane/RZ31ST.bin", "/sys/b/kelvane/RZ31ST.bin"}));
}

TEST(TemplateCandidates, UnsetVariablesTakeTheirDefaults) {
    EXPECT_EQ(TemplateCandidates(Environment("/opt/k/", "", "", "/home/u/")),
              (Places{"/opt/k/RZ31ST.bin", "/home/u/.local/share/kelvane/RZ31ST.bin",
                      "/usr/local/share/kelvane/RZ31ST.bin", "/usr/share/kelvane/RZ31ST.bin"}));
}

TEST(TemplateCandidates, RelativeEmptyAndRepeatedEntriesAreSkipped) {
    // A relative data home counts as unset; relative and empty data dirs
    // entries are dropped; a folder named twice is tried once.
    EXPECT_EQ(TemplateCandidates(Environment("/opt/k/", "data", "rel::/usr/share:/usr/share/")),
              (Places{"/opt/k/RZ31ST.bin", "/home/u/.local/share/kelvane/RZ31ST.bin",
                      "/usr/share/kelvane/RZ31ST.bin"}));
}

TEST(TemplateCandidates, WithoutAnyHomeTheUserFolderIsLeftOut) {
    EXPECT_EQ(TemplateCandidates(Environment("/opt/k/", "", "/sys", "")),
              (Places{"/opt/k/RZ31ST.bin", "/sys/kelvane/RZ31ST.bin"}));
    EXPECT_EQ(kelvane::UserDataDirectory(Environment("/opt/k/", "", "/sys", "")), "");
}

TEST(TemplateCandidates, PortableLayoutLooksOnlyBesideTheProgram) {
    DataEnvironment environment = Environment("C:\\tools\\", "/data/home", "/sys");
    environment.portable = true;
    EXPECT_EQ(TemplateCandidates(environment), (Places{"C:\\tools\\RZ31ST.bin"}));
    EXPECT_EQ(kelvane::UserDataDirectory(environment), "");
}

TEST(UserStateDirectory, StateHomeElseHomeAndNoneInThePortableLayout) {
    DataEnvironment environment = Environment("/opt/k/", "", "", "/home/u");
    EXPECT_EQ(kelvane::UserStateDirectory(environment), "/home/u/.local/state/kelvane/");
    environment.stateHome = "/state/";
    EXPECT_EQ(kelvane::UserStateDirectory(environment), "/state/kelvane/");
    EXPECT_EQ(kelvane::LastImageNote(environment), "/state/kelvane/last-rom");
    environment.stateHome = "relative";
    EXPECT_EQ(kelvane::UserStateDirectory(environment), "/home/u/.local/state/kelvane/");
    environment.home = "";
    EXPECT_EQ(kelvane::LastImageNote(environment), "");
    environment = Environment("/opt/k/", "", "", "/home/u");
    environment.portable = true;
    EXPECT_EQ(kelvane::LastImageNote(environment), "");
}

// Three places on disk, each with its own folder, for the resolution tests.
class Resolve : public ::testing::Test {
protected:
    TempDir dir;
    const std::string program = dir / "prog/";
    const std::string dataHome = dir / "home";
    const std::string dataDirs = (dir / "sys1") + ":" + (dir / "sys2");
    const std::string besideProgram = program + "RZ31ST.bin";
    const std::string inDataHome = dataHome + "/kelvane/RZ31ST.bin";
    const std::string inSys1 = dir / "sys1/kelvane/RZ31ST.bin";
    const std::string inSys2 = dir / "sys2/kelvane/RZ31ST.bin";

    void SetUp() override { fs::create_directories(program); }
    DataPaths Run(const std::string& templateOption = "", const std::string& romOption = "") {
        return ResolveDataPaths(Environment(program, dataHome, dataDirs), templateOption, romOption);
    }
};

TEST_F(Resolve, FirstMatchWins) {
    WriteFile(inSys2);
    EXPECT_EQ(Run().templatePath, inSys2);
    WriteFile(inSys1);
    EXPECT_EQ(Run().templatePath, inSys1);
    EXPECT_EQ(Run().searched, (Places{besideProgram, inDataHome, inSys1}));
    WriteFile(inDataHome);
    EXPECT_EQ(Run().templatePath, inDataHome);
    WriteFile(besideProgram);
    const DataPaths paths = Run();
    EXPECT_EQ(paths.templatePath, besideProgram);
    EXPECT_TRUE(paths.templateFound);
}

TEST_F(Resolve, ImageGoesBesideTheProgramOnlyWhenTheTemplateWasFoundThere) {
    WriteFile(besideProgram);
    DataPaths paths = Run();
    EXPECT_EQ(paths.romPath, program + "ROM.BIN");
    EXPECT_FALSE(paths.romInUserFolder);

    fs::remove(besideProgram);
    WriteFile(inSys1);
    paths = Run();
    EXPECT_EQ(paths.romPath, dataHome + "/kelvane/ROM.BIN");
    EXPECT_TRUE(paths.romInUserFolder);

    // A template named on the command line was not found beside the program,
    // even when it lies there.
    WriteFile(besideProgram);
    paths = Run(besideProgram);
    EXPECT_EQ(paths.romPath, dataHome + "/kelvane/ROM.BIN");
}

TEST_F(Resolve, AnUnreadableCandidateFallsThrough) {
    fs::create_directories(besideProgram);            // a folder of that name
    fs::create_directories(dataHome + "/kelvane");
    fs::create_symlink(dir / "nowhere", inDataHome);  // a dangling link
    WriteFile(inSys1);
    fs::permissions(inSys1, fs::perms::none);         // unreadable, except to root
    WriteFile(inSys2);

    const DataPaths paths = Run();
    const bool readsAnything = geteuid() == 0;
    EXPECT_EQ(paths.templatePath, readsAnything ? inSys1 : inSys2);
    EXPECT_TRUE(paths.templateFound);
    // The folder beside the program was no template, so the image stays away.
    EXPECT_TRUE(paths.romInUserFolder);
}

TEST_F(Resolve, NothingFoundNamesTheFirstPlaceAndListsAllSearched) {
    const DataPaths paths = Run();
    EXPECT_FALSE(paths.templateFound);
    EXPECT_EQ(paths.templatePath, besideProgram);
    EXPECT_EQ(paths.searched, (Places{besideProgram, inDataHome, inSys1, inSys2}));
}

TEST_F(Resolve, OptionsAreTakenAsGiven) {
    WriteFile(besideProgram);
    const DataPaths paths = Run(dir / "missing.bin", dir / "out/image.bin");
    EXPECT_EQ(paths.templatePath, dir / "missing.bin");
    EXPECT_FALSE(paths.templateFound);
    EXPECT_EQ(paths.searched, (Places{dir / "missing.bin"}));
    EXPECT_EQ(paths.romPath, dir / "out/image.bin");
    EXPECT_FALSE(paths.romInUserFolder);
}

TEST_F(Resolve, PortableLayoutKeepsTheImageBesideTheProgram) {
    DataEnvironment environment = Environment(program, dataHome, dataDirs);
    environment.portable = true;
    WriteFile(inDataHome);
    const DataPaths paths = ResolveDataPaths(environment, dir / "elsewhere.bin", "");
    EXPECT_EQ(paths.romPath, program + "ROM.BIN");
    EXPECT_FALSE(paths.romInUserFolder);
    EXPECT_EQ(ResolveDataPaths(environment, "", "").templatePath, besideProgram);
}

TEST(CreateParentFolders, MakesEveryMissingLevel) {
    TempDir dir;
    EXPECT_TRUE(kelvane::CreateParentFolders(dir / "a/b/c/ROM.BIN"));
    EXPECT_TRUE(fs::is_directory(dir / "a/b/c"));
    EXPECT_FALSE(fs::exists(dir / "a/b/c/ROM.BIN"));
    EXPECT_TRUE(kelvane::CreateParentFolders(dir / "a/b/c/ROM.BIN"));  // already there
}

TEST(CreateParentFolders, FailsWhenAFileStandsInTheWay) {
    TempDir dir;
    WriteFile(dir / "a");
    EXPECT_FALSE(kelvane::CreateParentFolders(dir / "a/b/ROM.BIN"));
}

}  // namespace
