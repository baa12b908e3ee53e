#include "RunAdvice.h"

#include <memory>

#include "ReportText.h"
#include "Translation.h"

namespace kelvane {

bool MostNotesLost(const ConversionReport& report) {
    std::uint64_t streamed = 0;
    for (const VoiceReport& voice : report.voices) streamed += voice.notes;
    return report.fileNotes > 0 && 2 * streamed < report.fileNotes;
}

std::string ArrangementLine(const ConversionReport& report) {
    static const char* const kNames[] = {"方波1", "方波2", "三角波", "噪音", "DPCM"};
    static const char* const kUnits[] = {"音", "音", "音", "击", "击"};
    std::string line = "编排: ";
    for (std::size_t v = 0; v < report.voices.size(); ++v) {
        if (v > 0) line += ", ";
        line += std::string(kNames[v]) + " " + std::to_string(report.voices[v].notes) + kUnits[v];
    }
    const std::size_t size = ConversionReport::kSongBlockSize;
    return line + "; 歌曲空间 " + std::to_string((report.songBlockUsed * 100 + size / 2) / size) + "%";
}

std::string ChineseReportTable(const ConversionReport& report) {
    return ReportTable(report, [](const char* text) { return Translate(Language::kChinese, text); });
}

bool WriteReportFile(FileSystem& files, const std::string& path, const ConversionReport& report) {
    std::string text = "\xEF\xBB\xBF";
    for (char c : ChineseReportTable(report)) {
        if (c == '\n') text += '\r';
        text += c;
    }
    std::unique_ptr<ByteSink> sink = files.CreateReplacing(path);
    bool written = sink && sink->Write(text.data(), text.size());
    return sink && sink->Close() && written;
}

}  // namespace kelvane
