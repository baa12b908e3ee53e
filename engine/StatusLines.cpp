#include "StatusLines.h"

#include "Messages.h"
#include "ReportText.h"
#include "SongTables.h"

namespace kelvane {

std::string FormatLine(const char* pattern, const std::vector<std::string>& values) {
    std::string line(pattern);
    std::size_t at = 0;
    for (const std::string& value : values) {
        at = line.find('%', at);
        line.replace(at, 2, value);
        at += value.size();
    }
    return line;
}

std::string ArrangementLine(const ConversionReport& report) {
    static const char* const kUnits[] = {"音", "音", "音", "击", "击"};
    // Our own line, not one of the converter's fixed ones: Chinese text, so
    // Chinese punctuation.
    std::string line = "编排：";
    for (std::size_t v = 0; v < report.voices.size(); ++v) {
        if (v > 0) line += "，";
        line += std::string(kChannelNamesZh[v + 1]) + " " + std::to_string(report.voices[v].notes) + kUnits[v];
    }
    return line + "；歌曲空间 " + std::to_string(report.SongBlockPercent()) + "%";
}

std::vector<std::string> StatusLines(const ConversionReport& report, const std::vector<std::string>& advice) {
    std::vector<std::string> lines;
    if (report.refused) return lines;
    if (report.translated) {
        lines.push_back(FormatLine(msg::kHeaderLine, {std::to_string(report.trackCount), std::to_string(report.division)}));
        if (report.arranged) lines.push_back(ArrangementLine(report) + "\n");
        for (const TrackProblem& problem : report.problems) {
            const char* pattern = problem.kind == TrackProblem::Kind::kBadChunk ? msg::kBadTrackChunk
                                  : problem.kind == TrackProblem::Kind::kBadData ? msg::kBadTrackData
                                                                                 : msg::kSongBlockFull;
            lines.push_back(FormatLine(pattern, {std::to_string(problem.track)}));
        }
        if (report.lyricsLost) lines.push_back(msg::kCannotCreateLyrics);
        if (report.writeFailed) lines.push_back(msg::kCannotWriteOutput);
        lines.insert(lines.end(), advice.begin(), advice.end());
    }
    lines.push_back(FormatLine(msg::kOutputFileLine, {report.asmPath}));
    lines.push_back(report.succeeded ? msg::kSuccess : msg::kFailure);
    return lines;
}

void AddWarnings(ConversionReport& report) {
    for (std::string& warning : ConversionWarnings(report)) report.warnings.push_back(std::move(warning));
}

}  // namespace kelvane
