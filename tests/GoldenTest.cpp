// Whole songs against outputs kept in tests/data/golden, byte for byte: the
// .asm, .h and .lrc texts and the song block. The agreement tests pass any
// change that stays self-consistent; these do not.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "TestSupport.h"

namespace kelvane::test {
namespace {

const std::string kGolden = KELVANE_SOURCE_DIR "/tests/data/golden/";

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

TEST(Golden, EverySongGivesItsReferenceOutputs) {
    for (const char* name : {"example", "five_channels", "long_notes_and_waits", "lyrics", "percussion_labels"}) {
        SCOPED_TRACE(name);
        std::string midi;
        ASSERT_TRUE(ReadFile(kGolden + name + ".mid", midi));
        InMemoryRun run;
        const std::string base = std::string("/music/") + name;
        ASSERT_TRUE(run.Convert(Bytes(midi.begin(), midi.end()), base + ".mid"));

        std::string expected;
        ASSERT_TRUE(ReadFile(kGolden + name + ".asm-ref", expected));
        EXPECT_EQ(run.Asm(base), expected);
        ASSERT_TRUE(ReadFile(kGolden + name + ".h-ref", expected));
        EXPECT_EQ(run.H(base), expected);
        if (ReadFile(kGolden + name + ".lrc-ref", expected)) {
            EXPECT_EQ(run.Lrc(base), expected);
        } else {
            EXPECT_FALSE(run.files.Has(base + ".lrc"));
        }
        ASSERT_TRUE(ReadFile(kGolden + name + ".bin-ref", expected));
        Bytes block = run.Block(0x8000, expected.size());
        // The pointer slots of channels a song lacks are the template's.
        for (std::size_t slot = 4 + 2 * static_cast<std::size_t>(run.report.trackCount - 1); slot < 14; ++slot)
            block[slot] = static_cast<std::uint8_t>(expected[slot]);
        EXPECT_EQ(block, Bytes(expected.begin(), expected.end()));
    }
}

}  // namespace
}  // namespace kelvane::test
