// Inputs and outputs on a real disk: a directory or a missing file as the
// MIDI path, read-only folders, and templates of the wrong size.
#include <gtest/gtest.h>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "DiskFileSystem.h"
#include "GeneratedSongs.h"
#include "SongName.h"
#include "TestSupport.h"

namespace kelvane::test {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

// A folder of its own under the system's temporary folder, removed at the end.
class Folder {
public:
    Folder() {
        static std::atomic<int> counter{0};
        path_ = fs::temp_directory_path() /
                ("kelvane-suite-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        fs::create_directories(path_);
        // Open to the unprivileged user that the read-only cases run as.
        fs::permissions(path_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec);
    }
    ~Folder() {
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(path_, ignored))
            if (entry.is_directory(ignored)) fs::permissions(entry.path(), fs::perms::owner_all, ignored);
        fs::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

    std::string MakeFolder(const std::string& name, fs::perms perms) const {
        fs::path folder = path_ / name;
        fs::create_directory(folder);
        fs::permissions(folder, perms);
        return folder.string();
    }

private:
    fs::path path_;
};

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Files in a folder other than the expected ones: leftovers of a replacement.
std::vector<std::string> Leftovers(const std::string& folder, const std::vector<std::string>& expected) {
    std::vector<std::string> extra;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end()) extra.push_back(name);
    }
    return extra;
}

struct Outcome {
    std::vector<std::string> messages;
    std::vector<std::string> lines;
    bool result = false;
};

Outcome ConvertOnDisk(const std::string& midiPath, const std::string& templatePath, const std::string& romPath) {
    RecordingFrontEnd ui;
    DiskFileSystem files;
    Converter converter(ui, files);
    Outcome outcome;
    outcome.result = converter.Run(Request(midiPath, SongNameOfPath(midiPath), templatePath, romPath)).succeeded;
    outcome.messages = ui.messages;
    outcome.lines = ui.appended;
    return outcome;
}

// Root writes into read-only folders, so as root the conversion runs in a
// child process that has become the unprivileged user; what it saw comes back
// through a pipe, one text after another, each ended by a NUL.
bool ConvertWithoutPrivileges(const std::string& midiPath, const std::string& templatePath,
                              const std::string& romPath, Outcome& outcome) {
    if (geteuid() != 0) {
        outcome = ConvertOnDisk(midiPath, templatePath, romPath);
        return true;
    }
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return false;
    pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        close(pipeEnds[0]);
        if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(2);
        Outcome seen = ConvertOnDisk(midiPath, templatePath, romPath);
        std::string report = seen.result ? "R1" : "R0";
        report += '\0';
        for (const std::string& m : seen.messages) report += "M" + m + '\0';
        for (const std::string& l : seen.lines) report += "L" + l + '\0';
        ssize_t written = write(pipeEnds[1], report.data(), report.size());
        _exit(written == static_cast<ssize_t>(report.size()) ? 0 : 3);
    }
    close(pipeEnds[1]);
    std::string report;
    char buffer[4096];
    ssize_t got;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) report.append(buffer, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
    std::size_t start = 0;
    while (start < report.size()) {
        std::size_t end = report.find('\0', start);
        std::string item = report.substr(start + 1, end - start - 1);
        if (report[start] == 'R') outcome.result = item == "1";
        if (report[start] == 'M') outcome.messages.push_back(item);
        if (report[start] == 'L') outcome.lines.push_back(item);
        start = end + 1;
    }
    return true;
}

const std::vector<std::string> kRefusedBeforeOutputs = {"输出文件:\n", "转换失败!\n"};

TEST(DiskInputs, ADirectoryAsTheMidiPath) {
    Folder folder;
    WriteFile(folder / "RZ31ST.bin", StandInTemplate());
    fs::create_directory(folder / "song.mid");
    Outcome outcome = ConvertOnDisk(folder / "song.mid", folder / "RZ31ST.bin", folder / "ROM.BIN");
    EXPECT_FALSE(outcome.result);
    EXPECT_EQ(outcome.messages, std::vector<std::string>{"无法打开MIDI文件"});
    EXPECT_EQ(outcome.lines, kRefusedBeforeOutputs);
    EXPECT_EQ(Leftovers(folder / "", {"RZ31ST.bin", "song.mid"}), std::vector<std::string>{});
}

TEST(DiskInputs, AMissingFileAndAnEmptyOne) {
    Folder folder;
    WriteFile(folder / "RZ31ST.bin", StandInTemplate());
    Outcome missing = ConvertOnDisk(folder / "missing.mid", folder / "RZ31ST.bin", folder / "ROM.BIN");
    EXPECT_EQ(missing.messages, std::vector<std::string>{"无法打开MIDI文件"});
    EXPECT_EQ(missing.lines, kRefusedBeforeOutputs);

    WriteFile(folder / "empty.mid", Bytes{});
    Outcome empty = ConvertOnDisk(folder / "empty.mid", folder / "RZ31ST.bin", folder / "ROM.BIN");
    EXPECT_EQ(empty.messages, std::vector<std::string>{"MIDI文件无法识别"});
    EXPECT_EQ(empty.lines, kRefusedBeforeOutputs);
    EXPECT_EQ(Leftovers(folder / "", {"RZ31ST.bin", "empty.mid"}), std::vector<std::string>{});
}

TEST(ReadOnlyFolders, TheMidiFilesFolder) {
    Folder folder;
    const std::string music = folder.MakeFolder("music", fs::perms::owner_all | fs::perms::others_read |
                                                             fs::perms::others_exec);
    const std::string program = folder.MakeFolder("program", fs::perms::all);
    WriteFile(music + "/song.mid", SmallSong());
    WriteFile(program + "/RZ31ST.bin", StandInTemplate());
    WriteFile(program + "/ROM.BIN", Bytes{'o', 'l', 'd'});
    fs::permissions(music, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                               fs::perms::others_exec);

    Outcome outcome;
    ASSERT_TRUE(ConvertWithoutPrivileges(music + "/song.mid", program + "/RZ31ST.bin", program + "/ROM.BIN", outcome));
    EXPECT_FALSE(outcome.result);
    EXPECT_EQ(outcome.messages, std::vector<std::string>{"无法创建输出文件"});
    EXPECT_TRUE(outcome.lines.empty());
    EXPECT_EQ(Leftovers(music, {"song.mid"}), std::vector<std::string>{});
    EXPECT_EQ(ReadFile(program + "/ROM.BIN"), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(Leftovers(program, {"RZ31ST.bin", "ROM.BIN"}), std::vector<std::string>{});
}

TEST(ReadOnlyFolders, TheImagesFolder) {
    Folder folder;
    const std::string music = folder.MakeFolder("music", fs::perms::all);
    const std::string program = folder.MakeFolder("program", fs::perms::owner_all | fs::perms::others_read |
                                                                 fs::perms::others_exec);
    WriteFile(music + "/song.mid", SmallSong());
    WriteFile(program + "/RZ31ST.bin", StandInTemplate());
    WriteFile(program + "/ROM.BIN", Bytes{'o', 'l', 'd'});
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                 fs::perms::others_exec);

    Outcome outcome;
    ASSERT_TRUE(ConvertWithoutPrivileges(music + "/song.mid", program + "/RZ31ST.bin", program + "/ROM.BIN", outcome));
    EXPECT_FALSE(outcome.result);
    EXPECT_EQ(outcome.messages, std::vector<std::string>{"无法创建输出文件"});
    EXPECT_TRUE(outcome.lines.empty());
    // The text files were begun before the image's folder was tried; none appears.
    EXPECT_FALSE(fs::exists(music + "/song.asm"));
    EXPECT_FALSE(fs::exists(music + "/song.h"));
    EXPECT_EQ(ReadFile(program + "/ROM.BIN"), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(Leftovers(program, {"RZ31ST.bin", "ROM.BIN"}), std::vector<std::string>{});
}

TEST(DiskTemplates, ZeroBytesOneByteShortADirectoryAndOneMegabyte) {
    struct Case {
        const char* what;
        std::size_t size;  // 0 with `directory` for a folder in its place
        bool directory;
        bool converts;
    };
    const Case cases[] = {
        {"0 bytes", 0, false, false},
        {"524287 bytes", kImageSize - 1, false, false},
        {"a directory", 0, true, false},
        {"1 MB", std::size_t{1} << 20, false, true},
    };
    for (const Case& c : cases) {
        Folder folder;
        WriteFile(folder / "song.mid", SmallSong());
        WriteFile(folder / "ROM.BIN", Bytes{'o', 'l', 'd'});
        if (c.directory) fs::create_directory(folder / "RZ31ST.bin");
        else WriteFile(folder / "RZ31ST.bin", StandInTemplate(c.size));
        Outcome outcome = ConvertOnDisk(folder / "song.mid", folder / "RZ31ST.bin", folder / "ROM.BIN");
        EXPECT_EQ(outcome.result, c.converts) << c.what;
        Bytes rom = ReadFile(folder / "ROM.BIN");
        if (c.converts) {
            Bytes templ = StandInTemplate(kImageSize);
            ASSERT_EQ(rom.size(), kImageSize) << c.what;
            EXPECT_TRUE(std::equal(rom.begin(), rom.begin() + kSongBlock, templ.begin())) << c.what;
            EXPECT_EQ(Leftovers(folder / "", {"song.mid", "ROM.BIN", "RZ31ST.bin", "song.asm", "song.h", "song.lrc"}),
                      std::vector<std::string>{});
        } else {
            EXPECT_EQ(outcome.messages, std::vector<std::string>{"无法打开RZ31ST.bin文件"}) << c.what;
            EXPECT_TRUE(outcome.lines.empty()) << c.what;
            EXPECT_EQ(rom, (Bytes{'o', 'l', 'd'})) << c.what;
            EXPECT_EQ(Leftovers(folder / "", {"song.mid", "ROM.BIN", "RZ31ST.bin"}), std::vector<std::string>{})
                << c.what;
        }
    }
}

TEST(DiskInputs, AFileOverTheLimitIsRefusedUnread) {
    Folder folder;
    WriteFile(folder / "RZ31ST.bin", StandInTemplate());
    // Sparse: the test takes no room and the converter must not allocate it.
    for (std::uintmax_t size : {(std::uintmax_t{64} << 20) + 1, std::uintmax_t{1} << 40}) {
        WriteFile(folder / "huge.mid", SmallSong());
        fs::resize_file(folder / "huge.mid", size);
        Outcome outcome = ConvertOnDisk(folder / "huge.mid", folder / "RZ31ST.bin", folder / "ROM.BIN");
        EXPECT_FALSE(outcome.result);
        EXPECT_EQ(outcome.messages, std::vector<std::string>{"MIDI文件太大"}) << size;
        EXPECT_EQ(outcome.lines, kRefusedBeforeOutputs);
        EXPECT_EQ(Leftovers(folder / "", {"RZ31ST.bin", "huge.mid"}), std::vector<std::string>{});
    }
}

// Outputs that would overwrite an input or each other, and a folder where an
// output goes: refused before anything is written, every file as it was.
TEST(DiskOutputs, CollisionsAndFoldersAreRefused) {
    Folder folder;
    const Bytes song = SmallSong();
    const Bytes templ = StandInTemplate();
    const Bytes oldAsm = {'o', 'l', 'd'};
    struct Case {
        const char* what;
        std::string rom;
        bool asmExists;
        bool asmIsFolder;
    };
    const Case cases[] = {
        {"--rom the .asm that exists", folder / "song.asm", true, false},
        {"--rom the .asm to come", folder / "song.asm", false, false},
        {"--rom the .h", folder / "./song.h", false, false},
        {"--rom the .lrc", folder / "song.lrc", false, false},
        {"--rom the MIDI file", folder / "song.mid", false, false},
        {"--rom the template", folder / "RZ31ST.bin", false, false},
        {"a folder as the .asm", folder / "ROM.BIN", false, true},
    };
    for (const Case& c : cases) {
        fs::remove_all(folder / "song.asm");
        WriteFile(folder / "song.mid", song);
        WriteFile(folder / "RZ31ST.bin", templ);
        if (c.asmExists) WriteFile(folder / "song.asm", oldAsm);
        if (c.asmIsFolder) fs::create_directory(folder / "song.asm");
        Outcome outcome = ConvertOnDisk(folder / "song.mid", folder / "RZ31ST.bin", c.rom);
        EXPECT_FALSE(outcome.result) << c.what;
        EXPECT_EQ(outcome.messages, std::vector<std::string>{"无法创建输出文件"}) << c.what;
        EXPECT_TRUE(outcome.lines.empty()) << c.what;
        EXPECT_EQ(ReadFile(folder / "song.mid"), song) << c.what;
        EXPECT_EQ(ReadFile(folder / "RZ31ST.bin"), templ) << c.what;
        if (c.asmExists) {
            EXPECT_EQ(ReadFile(folder / "song.asm"), oldAsm) << c.what;
        }
        EXPECT_EQ(Leftovers(folder / "", {"song.mid", "RZ31ST.bin", "song.asm"}), std::vector<std::string>{})
            << c.what;
    }
}

}  // namespace
}  // namespace kelvane::test
