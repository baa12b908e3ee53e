#include "Conversions.h"

#include <vector>

#include "Arranging.h"
#include "Console.h"
#include "LabelAdvice.h"
#include "Messages.h"
#include "NsfOutput.h"
#include "ReportText.h"
#include "RunAdvice.h"
#include "SongName.h"

namespace kelvane::cli {
namespace {

constexpr char kLostNotesHint[] =
    "提示: 这首歌的大部分音符没有进入任何声道(格式0、指挥轨上的音符或一轨多声部); "
    "用 --arrange 把它编排到五个声道\n";
constexpr char kTooManyTracksHint[] = "提示: 用 --arrange 可以把任意多轨的MIDI文件编排到五个声道\n";

void Advise(const ConversionReport& report, const std::string& songName) {
    if (report.translated) {
        const std::string label = LabelAdvice(songName);
        if (!label.empty()) Print(stderr, label + "\n");
    }
    if (report.arranged) return;
    if (report.translated && MostNotesLost(report)) Print(stderr, kLostNotesHint);
    const std::string tempo = TempoAdvice(report, "--arrange");
    if (!tempo.empty()) Print(stderr, tempo + "\n");
    if (report.refused && report.message == msg::kTooManyTracks) Print(stderr, kTooManyTracksHint);
}

}  // namespace

bool OutputsCollide(FileSystem& files, const Options& options, const RunPaths& paths, std::string& problem) {
    std::vector<std::pair<std::string, std::string>> taken = {{paths.templatePath, "the template"},
                                                              {paths.romPath, "the ROM image"}};
    for (const std::string& midi : options.midiFiles) {
        const std::string base = BasePathOfPath(midi);
        taken.insert(taken.end(), {{midi, midi}, {base + ".asm", base + ".asm"}, {base + ".h", base + ".h"},
                                   {base + ".lrc", base + ".lrc"}});
    }
    const std::pair<const char*, const std::string*> named[] = {{"--nsf", &options.nsfPath},
                                                                {"--wav", &options.wavPath},
                                                                {"--save-arranged", &options.saveArrangedPath},
                                                                {"--report-json", &options.reportJsonPath}};
    for (const auto& [option, path] : named) {
        if (path->empty()) continue;
        for (const auto& [other, what] : taken) {
            if (!other.empty() && files.SameFile(*path, other)) {
                problem = std::string(option) + " would overwrite " + what;
                return true;
            }
        }
        taken.push_back({*path, std::string("the file of ") + option});
    }
    return false;
}

ConversionReport ConvertFile(Converter& converter, FileSystem& files, const Options& options,
                             const RunPaths& paths, const std::string& midiFile, bool& ok) {
    ConversionRequest request;
    request.midiPath = midiFile;
    request.templatePath = paths.templatePath;
    request.romPath = paths.romPath;
    request.songName = options.songName.empty() ? SongNameOfPath(midiFile) : options.songName;

    ArrangedFile arranged;
    if (options.arrange) {
        arranged = ArrangeMidiFile(files, midiFile, options.voiceSpec, options.saveArrangedPath);
        if (!arranged.ok && arranged.midi.empty()) {
            // Refused like a file the converter cannot read: in words, nothing written.
            Print(stderr, arranged.error + "\n");
            ok = false;
            ConversionReport report;
            report.refused = true;
            report.message = arranged.error;
            report.arranged = true;
            return report;
        }
        if (!arranged.ok) {
            Print(stderr, arranged.error + "\n");
            ok = false;
        }
        request.midiData = &arranged.midi;
    }

    ConversionReport report = converter.Run(request);
    if (options.arrange) arranged.report.ApplyTo(report);
    if (!report.succeeded) ok = false;

    if (report.succeeded && (!options.nsfPath.empty() || !options.wavPath.empty())) {
        const std::string failure = WriteNsfOutputs(files, converter,
                                                    request.songName, {options.nsfPath, options.wavPath});
        if (!failure.empty()) {
            Print(stderr, "kelvane: " + failure + "\n");
            ok = false;
        }
    }
    Advise(report, request.songName);
    return report;
}

}  // namespace kelvane::cli
