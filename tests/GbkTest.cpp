// The GBK texts of the output files, checked against the system's converter.
#include <gtest/gtest.h>

#include <iconv.h>

#include "Gbk.h"
#include "Messages.h"

namespace kelvane {
namespace {

std::string IconvToGbk(const std::string& utf8) {
    iconv_t handle = iconv_open("GBK", "UTF-8");
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    char* outPointer = out.data();
    std::size_t inLeft = utf8.size();
    std::size_t outLeft = out.size();
    std::size_t result = iconv(handle, &in, &inLeft, &outPointer, &outLeft);
    iconv_close(handle);
    EXPECT_NE(result, static_cast<std::size_t>(-1));
    out.resize(out.size() - outLeft);
    return out;
}

TEST(Gbk, FixedCommentTextsAreGbk) {
    EXPECT_EQ(std::string(msg::kDeviceCommentGbk), IconvToGbk("\t;设备: "));
    EXPECT_EQ(std::string(msg::kAftertouchCommentGbk), IconvToGbk("\t;忽略: After_touch"));
}

TEST(Gbk, SongNamesConvertAndUnknownCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToGbk("song"), "song");
    EXPECT_EQ(Utf8ToGbk("我的歌"), IconvToGbk("我的歌"));
    EXPECT_EQ(Utf8ToGbk("a😀b"), "a?b");
    EXPECT_EQ(Utf8ToGbk("한"), "?");
    EXPECT_EQ(Utf8ToGbk(std::string("x\xFF\xC3y")), "x??y");
    EXPECT_EQ(Utf8ToGbk(""), "");
}

}  // namespace
}  // namespace kelvane
