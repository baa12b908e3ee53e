// The cursor reads on their own, and whole runs over cut and damaged files.
#include <gtest/gtest.h>

#include <cstring>

#include "TrackCursor.h"
#include "TestSupport.h"

namespace kelvane::test {
namespace {

class Cursor : public ::testing::Test {
protected:
    Bytes data;
    TrackCursor cursor;
    TrackCursor* state = &cursor;

    void Load(const Bytes& bytes) {
        data = bytes;
        cursor.data = data.data();
        cursor.position = 0;
        cursor.end = data.size();
    }
};

TEST_F(Cursor, ReadVarLenValues) {
    struct Case {
        Bytes bytes;
        std::uint32_t value;
        std::size_t length;
    };
    std::vector<Case> cases = {
        {{0x00}, 0, 1},
        {{0x7F}, 127, 1},
        {{0x81, 0x00}, 128, 2},
        {{0xFF, 0xFF, 0xFF, 0x7F}, (1u << 28) - 1, 4},
        // Five and more bytes: the value keeps its low 32 bits.
        {{0x8F, 0xFF, 0xFF, 0xFF, 0x7F}, 0xFFFFFFFFu, 5},
        {{0x81, 0x80, 0x80, 0x80, 0x80, 0x00}, 0, 6},
    };
    for (const Case& c : cases) {
        Bytes bytes = c.bytes;
        bytes.push_back(0x55);
        Load(bytes);
        std::uint32_t value = 1234;
        ASSERT_TRUE(state->ReadVarLen(value));
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(state->position, c.length);
    }
}

TEST_F(Cursor, ReadsStopAtTheEndAndMoveNothing) {
    Load({0x81, 0x80});
    std::uint32_t value = 7;
    EXPECT_FALSE(state->ReadVarLen(value));
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(state->position, 0u);
    state->end = 1;
    std::uint8_t byte;
    EXPECT_TRUE(state->ReadByte(byte));
    EXPECT_FALSE(state->ReadByte(byte));
    EXPECT_FALSE(state->PeekByte(state->position, byte));
    EXPECT_FALSE(state->ReadText(1));
    EXPECT_FALSE(state->Skip(1));
    EXPECT_TRUE(state->Skip(0));
}

TEST_F(Cursor, ReadTextTurnsLineEndsIntoSpaces) {
    Load({'a', '\r', '\n', 'b', 'c'});
    ASSERT_TRUE(state->ReadText(4));
    EXPECT_STREQ(state->scratch, "a  b");
    EXPECT_EQ(state->position, 4u);
    ASSERT_TRUE(state->ReadText(0));
    EXPECT_STREQ(state->scratch, "");
    EXPECT_EQ(state->position, 4u);
}

TEST_F(Cursor, ReadTextKeepsTheFirst255BytesAndMovesPastAll) {
    Bytes text(300, 'x');
    Load(text);
    ASSERT_TRUE(state->ReadText(300));
    EXPECT_EQ(std::strlen(state->scratch), 255u);
    EXPECT_EQ(state->position, 300u);
}

TEST(DamagedFiles, EveryCutOfAValidFileConvertsOrFailsCleanly) {
    MidiFile file;
    file.Add(Track().Tempo(0, 500000).DeviceName(0, "dev").End(0));
    file.Add(Track().Program(0, 3).Controller(0, 7, 100).Lyric(0, "la").NoteOn(10, 60).NoteOff(240, 60).End(0));
    file.Add(Track().NoteOn(0, 38).NoteOff(60, 38).End(0));
    Bytes whole = file.Build();
    for (std::size_t size = 0; size < whole.size(); ++size) {
        InMemoryRun run;
        bool converted = run.Convert(Bytes(whole.begin(), whole.begin() + static_cast<long>(size)));
        EXPECT_FALSE(converted) << size;
        EXPECT_EQ(run.ui.appended.back(), "转换失败!\n") << size;
        EXPECT_EQ(run.files.openSinks, 0);
    }
}

TEST(DamagedFiles, ChunkLengthsThatLie) {
    for (std::uint32_t length : {0u, 1u, 0xFFFFFFFFu}) {
        InMemoryRun run;
        Track tune = Track().NoteOn(0, 60).NoteOff(240, 60).End(0);
        MidiFile file;
        file.Add(Track().End(0)).AddChunk("MTrk", length, tune.Events());
        bool converted = run.Convert(file.Build());
        if (length == 0xFFFFFFFFu) {
            // The chunk is cut at the end of the file, where the whole track lies.
            EXPECT_TRUE(converted);
        } else {
            EXPECT_FALSE(converted) << length;
            EXPECT_EQ(run.ui.appended[1], "***错误*** MIDI轨道1数据无法解析\n") << length;
        }
    }
}

}  // namespace
}  // namespace kelvane::test
