#include "StatusLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvane::win {
namespace {

// A font of cells: Chinese characters take two, everything else one.
int Cells(const std::wstring& text) {
    int width = 0;
    for (wchar_t c : text) width += c >= 0x2E80 ? 2 : 1;
    return width;
}

// The lines an edit control makes of `text` when it may break only where
// MayBreakBefore allows: each line as long as fits, else cut where it must.
std::vector<std::wstring> Wrap(const std::wstring& text, int width) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start + 1;
        while (end < text.size() && Cells(text.substr(start, end + 1 - start)) <= width) ++end;
        if (end < text.size()) {
            std::size_t at = end;
            while (at > start && !MayBreakBefore(text.c_str(), text.size(), at)) --at;
            if (at > start) end = at;
        }
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

bool Breaks(const std::wstring& text, std::size_t i) { return MayBreakBefore(text.c_str(), text.size(), i); }

TEST(StatusLineBreaks, NumberStaysWithItsUnit) {
    const std::wstring line = L"编排: 方波1 312音, 方波2 120音, 三角波 201音, 噪声 4565击, DPCM 96击; 歌曲空间 61%";
    for (int width = 8; width <= 60; ++width) {
        const std::vector<std::wstring> pieces = Wrap(line, width);
        for (std::size_t i = 1; i < pieces.size(); ++i) {
            const wchar_t before = pieces[i - 1].back();
            const wchar_t first = pieces[i].front();
            const bool split = before >= L'0' && before <= L'9';
            const bool mark = first == L',' || first == L';' || first == L'%';
            EXPECT_FALSE(split || mark) << "width " << width << ", line " << i << " starts after a number or with a mark";
        }
    }
    EXPECT_FALSE(Breaks(L"4565击", 4));
    EXPECT_FALSE(Breaks(L"1,234", 1));
    EXPECT_FALSE(Breaks(L"1,234", 2));
    EXPECT_FALSE(Breaks(L"61%", 2));
    EXPECT_FALSE(Breaks(L"方波1", 2));
}

TEST(StatusLineBreaks, ChineseTextBreaksBetweenCharactersAndAfterItsPunctuation) {
    const std::wstring hint = L"请勾选“自动编排”，把任何MIDI文件编排到五个声道";
    EXPECT_TRUE(Breaks(hint, 1));               // 请|勾
    EXPECT_TRUE(Breaks(hint, 3));               // 选|“ : an opening quote goes with what follows
    EXPECT_FALSE(Breaks(hint, 4));              // “|自
    EXPECT_FALSE(Breaks(hint, 8));              // 排|” : a closing quote stays
    EXPECT_FALSE(Breaks(hint, 9));              // ”|， : so does the comma
    EXPECT_TRUE(Breaks(hint, 10));              // ，|把
    EXPECT_FALSE(Breaks(hint, hint.find(L'M')));      // 何|MIDI
    EXPECT_FALSE(Breaks(hint, hint.find(L'I') + 1));  // inside MIDI
    EXPECT_FALSE(Breaks(hint, hint.find(L'文')));      // MIDI|文: a word and its Chinese neighbour stay
}

TEST(StatusLineBreaks, SpacesAndPathSeparatorsBreak) {
    const std::wstring line = L"输出文件:C:\\我的 音乐\\a.asm";
    EXPECT_TRUE(Breaks(line, line.find(L"音乐")));        // after the space
    EXPECT_FALSE(Breaks(line, line.find(L' ')));          // never before it
    EXPECT_TRUE(Breaks(line, line.find(L"a.asm")));        // after '\'
    EXPECT_FALSE(Breaks(line, line.find(L"C:")));          // ':' then a letter
    EXPECT_FALSE(Breaks(line, 0));
    EXPECT_FALSE(Breaks(line, line.size()));
}

TEST(StatusLineBreaks, NextAndPreviousBreakFindTheNearestPlace) {
    const std::wstring text = L"ab cd ef";
    EXPECT_EQ(3u, NextBreak(text.c_str(), text.size(), 0));
    EXPECT_EQ(3u, NextBreak(text.c_str(), text.size(), 3));
    EXPECT_EQ(6u, NextBreak(text.c_str(), text.size(), 4));
    EXPECT_EQ(text.size(), NextBreak(text.c_str(), text.size(), 7));
    EXPECT_EQ(3u, PreviousBreak(text.c_str(), text.size(), 6));
    EXPECT_EQ(0u, PreviousBreak(text.c_str(), text.size(), 3));
    EXPECT_EQ(6u, PreviousBreak(text.c_str(), text.size(), 100));
    const std::wstring word = L"MIDI";
    EXPECT_EQ(word.size(), NextBreak(word.c_str(), word.size(), 0));
    EXPECT_EQ(0u, PreviousBreak(word.c_str(), word.size(), word.size()));
}

TEST(StatusPaths, FoundWhereADriveOrAServerStarts) {
    EXPECT_EQ(5u, PathStart(L"输出文件:C:\\a\\b.asm"));
    EXPECT_EQ(7u, PathStart(L"已导出NSF：\\\\server\\share\\b.nsf"));
    EXPECT_EQ(std::wstring::npos, PathStart(L"转换成功!"));
    EXPECT_EQ(std::wstring::npos, PathStart(L"ab:\\c"));  // a letter inside a word is no drive
    EXPECT_EQ(std::wstring::npos, PathStart(L"C:"));
}

TEST(StatusPaths, ShortenedInTheMiddleKeepingTheFileName) {
    const std::wstring path = L"C:\\我的 音乐\\卡拉OK 合集 第二卷\\森林\\第九首 森林关卡 背景音乐 (完整版).mid";
    const std::wstring name = L"\\第九首 森林关卡 背景音乐 (完整版).mid";
    EXPECT_EQ(path, CompactPath(path, Cells(path), Cells));
    EXPECT_EQ(L"C:\\我的 音乐\\卡拉OK 合集 第二卷\\..." + name, CompactPath(path, Cells(path) - 1, Cells));
    EXPECT_EQ(L"C:\\我的 音乐\\..." + name, CompactPath(path, Cells(L"C:\\我的 音乐\\..." + name), Cells));
    EXPECT_EQ(L"C:\\..." + name, CompactPath(path, Cells(L"C:\\..." + name), Cells));
    // Nothing fits: the shortest form, whose name the box then wraps.
    EXPECT_EQ(L"C:\\..." + name, CompactPath(path, 10, Cells));
}

TEST(StatusPaths, RootsAndFilesWithoutFoldersStayWhole) {
    EXPECT_EQ(L"\\\\server\\share\\...\\song.mid",
              CompactPath(L"\\\\server\\share\\folder one\\folder two\\song.mid", 27, Cells));
    const std::wstring inRoot = L"C:\\a very long file name.mid";
    EXPECT_EQ(inRoot, CompactPath(inRoot, 5, Cells));
    EXPECT_EQ(L"C:\\...\\b.mid", CompactPath(L"C:\\a folder\\b.mid", 12, Cells));
    EXPECT_EQ(L"name.mid", CompactPath(L"name.mid", 3, Cells));
}

TEST(StatusPaths, LineKeepsItsTextAndFitsItsPath) {
    const std::wstring line = L"输出文件:C:\\一\\二\\三\\song.asm";
    EXPECT_EQ(line, FitLine(line, Cells(line), Cells));
    const std::wstring fitted = FitLine(line, Cells(line) - 2, Cells);
    EXPECT_EQ(L"输出文件:C:\\一\\...\\song.asm", fitted);
    EXPECT_LE(Cells(fitted), Cells(line) - 2);
    const std::wstring plain = L"编排: 方波1 312音, 方波2 120音";
    EXPECT_EQ(plain, FitLine(plain, 4, Cells));  // no path: the box wraps it
}

TEST(StatusPunctuation, SharedLinesGetChinesePunctuation) {
    EXPECT_EQ("编排：方波1 312音，方波2 0音；歌曲空间 61%",
              WithChinesePunctuation("编排: 方波1 312音, 方波2 0音; 歌曲空间 61%"));
    EXPECT_EQ("提示: 歌曲名“my song-1”不是合法的汇编标号",
              WithChinesePunctuation("提示: 歌曲名\"my song-1\"不是合法的汇编标号"));
    // A name the user chose keeps its own marks.
    EXPECT_EQ("提示: 歌曲名“a, b: c”不是合法的汇编标号",
              WithChineseQuotes("提示: 歌曲名\"a, b: c\"不是合法的汇编标号"));
    // Marks without a space after them are parts of names and numbers.
    EXPECT_EQ("C:\\a,b;c.mid 1,234", WithChinesePunctuation("C:\\a,b;c.mid 1,234"));
    EXPECT_EQ("“a，b”", WithChinesePunctuation("\"a, b\""));
    EXPECT_EQ("", WithChinesePunctuation(""));
}

}  // namespace
}  // namespace kelvane::win
