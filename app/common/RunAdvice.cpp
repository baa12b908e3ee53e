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

std::string ChineseReportTable(const ConversionReport& report) {
    return ReportTable(report, InChinese);
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
