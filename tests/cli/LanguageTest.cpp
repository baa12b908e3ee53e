// The language the command line speaks, the catalogue it reads, and the
// report table the dialog writes in Chinese.
#include <gtest/gtest.h>

#include <string>

#include "ConversionReport.h"
#include "Language.h"
#include "MemoryFileSystem.h"
#include "ReportText.h"
#include "RunAdvice.h"
#include "Translation.h"

namespace {

using kelvane::Language;
using kelvane::cli::LanguageOf;

TEST(UserLanguage, TheLocaleVariablesDecideInGettextsOrder) {
    EXPECT_EQ(LanguageOf("", "", "zh_CN.UTF-8", "", ""), Language::kChinese);
    EXPECT_EQ(LanguageOf("", "", "en_GB.UTF-8", "", ""), Language::kEnglish);
    EXPECT_EQ(LanguageOf("C", "zh_CN", "zh_CN", "", ""), Language::kEnglish);
    EXPECT_EQ(LanguageOf("", "zh_SG.GB2312", "C", "", ""), Language::kChinese);
    // LANGUAGE chooses only for a locale that is not C.
    EXPECT_EQ(LanguageOf("", "", "de_DE.UTF-8", "zh_CN:de", ""), Language::kChinese);
    EXPECT_EQ(LanguageOf("", "", "zh_CN.UTF-8", "en:zh_CN", ""), Language::kEnglish);
    EXPECT_EQ(LanguageOf("", "", "POSIX", "zh_CN", ""), Language::kEnglish);
    EXPECT_EQ(LanguageOf("C.UTF-8", "", "", "zh", ""), Language::kEnglish);
}

TEST(UserLanguage, WithoutLocaleVariablesTheInterfaceLanguageDecides) {
    EXPECT_EQ(LanguageOf("", "", "", "", "zh"), Language::kChinese);
    EXPECT_EQ(LanguageOf("", "", "", "", "en"), Language::kEnglish);
    EXPECT_EQ(LanguageOf("", "", "", "", ""), Language::kEnglish);
    // A variable set by hand (an MSYS shell) still wins on Windows.
    EXPECT_EQ(LanguageOf("", "", "C", "", "zh"), Language::kEnglish);
}

TEST(UserLanguage, OnlyZhCountsAsChinese) {
    for (const char* name : {"zh", "zh_CN", "zh_TW.Big5", "zh-Hans", "ZH_cn", "zh.UTF-8", "zh@latin"})
        EXPECT_TRUE(kelvane::IsChineseLocale(name)) << name;
    for (const char* name : {"", "z", "zha_XX", "en_ZH", "C", "zu_ZA"})
        EXPECT_FALSE(kelvane::IsChineseLocale(name)) << name;
}

TEST(Catalogue, FindsEveryKindOfTextAndFallsBackToTheMsgid) {
    EXPECT_STREQ(kelvane::Translate(Language::kChinese, "Square1"), "方波1");
    EXPECT_STREQ(kelvane::Translate(Language::kChinese, "{1} would overwrite {2}"), "{1} 会覆盖{2}");
    // Texts with line ends and quotes, as the help has them.
    EXPECT_STREQ(kelvane::Translate(Language::kChinese, "  -h, --help            show this text and exit\n"),
                 "  -h, --help            显示本说明并退出\n");
    const char* unknown = "a text no translator has seen";
    EXPECT_EQ(kelvane::Translate(Language::kChinese, unknown), unknown);
    EXPECT_EQ(kelvane::Translate(Language::kEnglish, "Square1"), std::string("Square1"));
    EXPECT_STREQ(kelvane::Translate(Language::kChinese, ""), "");
}

TEST(Catalogue, FillPutsTheArgumentsWhereTheTextSays) {
    EXPECT_EQ(kelvane::Fill("{2} before {1}", {"a", "b"}), "b before a");
    EXPECT_EQ(kelvane::Fill("{1}{1}", {"x"}), "xx");
    // A place without an argument, and braces that are no place, stay.
    EXPECT_EQ(kelvane::Fill("{3} {x} {1", {"a"}), "{3} {x} {1");
    EXPECT_EQ(kelvane::Fill("{1}", {"{2}", "no"}), "{2}");
}

kelvane::ConversionReport ArrangedReport() {
    kelvane::ConversionReport report;
    report.arranged = true;
    report.translated = true;
    report.succeeded = true;
    report.romReplaced = true;
    report.voices[0].notes = 312;
    report.voices[0].sources = {"track 2, channel 1: Acoustic Grand Piano", "an unusual source"};
    report.voices[3].notes = 480;
    report.problems.push_back({4, kelvane::TrackProblem::Kind::kBadData});
    report.conductorNotes = 7;
    report.songBlockUsed = 32768;
    report.songBlockFull = true;
    report.seconds = 83.4;
    report.tempo = {6, 6, 6, 6};
    report.unitMs = 125;
    report.midiSeconds = 83.4;
    report.speed = 1;
    report.movedShare = 0.05;
    report.rests = 3;
    report.voices[0].rests = 2;
    report.warnings = kelvane::ConversionWarnings(report);
    report.warnings.push_back("去掉了方波2 (12音)");
    return report;
}

TEST(ChineseReport, EveryWordOfTheTableIsChineseAndTheNumbersStay) {
    const std::string table = kelvane::ChineseReportTable(ArrangedReport());
    EXPECT_EQ(table,
              "声道         音符     重叠       过短   字节   短音 为容量        移八度\n"
              "方波1         312        0          0      0      0      0             0\n"
              "    来自 音轨2，通道1: Acoustic Grand Piano\n"
              "    来自 an unusual source\n"
              "方波2           0        0          0      0      0      0             0\n"
              "三角波          0        0          0      0      0      0             0\n"
              "噪声          480        0          0      0      0      0             0\n"
              "DPCM            0        0          0      0      0      0             0\n"
              "指挥轨: 7个音符未播放\n"
              "歌曲空间: 32768 / 32768 字节 (100%)，已满\n"
              "长度: 1:23 (83.40 秒)，速度 6,6,6,6\n"
              "时值: 单位 125.00 毫秒；按驱动的速度 83.40 秒，MIDI文件 83.40 秒；速度比 x1.000\n"
              "重排时值: 5.0%的音符起点偏移超过30毫秒；休止保留 2/3 处\n"
              "提示: 音轨4含有无法解析的数据\n"
              "提示: 指挥轨上的7个音符不会播放\n"
              "提示: 去掉了方波2 (12音)\n");
}

TEST(ChineseReport, TheEnglishTableKeepsItsWords) {
    const std::string table = kelvane::ReportTable(ArrangedReport());
    EXPECT_NE(table.find("    from track 2, channel 1: Acoustic Grand Piano\n"), std::string::npos);
    EXPECT_NE(table.find("warning: track 4 holds data that cannot be parsed\n"), std::string::npos);
    EXPECT_NE(table.find("song block: 32768 of 32768 bytes (100%), full\n"), std::string::npos);
}

TEST(ChineseReport, TheDialogsReportFileIsTheChineseTableWithWindowsLineEnds) {
    kelvane::test::MemoryFileSystem files;
    ASSERT_TRUE(kelvane::WriteReportFile(files, "song.report.txt", ArrangedReport()));
    std::string expected = "\xEF\xBB\xBF";
    for (char c : kelvane::ChineseReportTable(ArrangedReport()))
        expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(files.Text("song.report.txt"), expected);
}

}  // namespace
