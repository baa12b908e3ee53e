// Whole folders of inputs: the outside suite of tricky MIDI files, and every
// input that ever broke the converter.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "RunCheck.h"

namespace kelvane::test {
namespace {

namespace fs = std::filesystem;

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> FilesIn(const fs::path& folder, const std::string& extension) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && (extension.empty() || entry.path().extension() == extension))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(OutsideSuite, EveryFileConvertsOrIsRefusedWithTheRightWords) {
    const fs::path folder = KELVANE_MIDI_SUITE;
    if (!fs::is_directory(folder)) GTEST_SKIP() << "no outside suite at " << folder;

    // Files whose names say how they must be refused.
    const std::map<std::string, std::string> refusals = {
        {"test-empty-file.mid", "MIDI文件无法识别"},
        {"test-not-a-midi-file.mid", "MIDI文件无法识别"},
        {"test-2-tracks-type-2.mid", "不支持的MIDI文件格式"},
    };
    CheckedRun run;
    std::vector<fs::path> files = FilesIn(folder, ".mid");
    EXPECT_FALSE(files.empty());
    int converted = 0;
    for (const fs::path& file : files) {
        EXPECT_EQ(run.ConvertAndCheck(ReadFile(file)), "") << file.filename();
        auto refusal = refusals.find(file.filename().string());
        if (refusal != refusals.end()) {
            EXPECT_EQ(run.ui.messages, std::vector<std::string>{refusal->second});
        }
        converted += run.result ? 1 : 0;
    }
    // Most of them are good files, and good files convert.
    EXPECT_GT(converted, static_cast<int>(files.size()) / 2);
}

// A file whose name starts with "template-" is an input of the template
// fuzzer: two set-up bytes, then the MIDI file. Any other is a MIDI file.
TEST(Regressions, EveryInputThatOnceBrokeTheConverter) {
    for (const fs::path& file : FilesIn(KELVANE_REGRESS_DIR, "")) {
        const std::string name = file.filename().string();
        if (name == "README.md") continue;
        CheckedRun run;
        Bytes input = ReadFile(file);
        if (name.rfind("template-", 0) == 0 && input.size() >= 2) {
            run.SetUp(input[0], input[1]);
            input.erase(input.begin(), input.begin() + 2);
        }
        EXPECT_EQ(run.ConvertAndCheck(input), "") << name;
    }
}

}  // namespace
}  // namespace kelvane::test
