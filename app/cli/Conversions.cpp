#include "Conversions.h"

#include <set>
#include <vector>

#include "Arranging.h"
#include "Console.h"
#include "LabelAdvice.h"
#include "Language.h"
#include "Messages.h"
#include "NsfOutput.h"
#include "ReportText.h"
#include "RunAdvice.h"
#include "SongName.h"
#include "SongOutputs.h"

namespace kelvane::cli {
namespace {

// Two paths can name one file only when their last parts agree or one of
// them is a symbolic link, which outputs are written through; the file
// system, which is slow to ask, is asked only then.
bool MayBeSameFile(FileSystem& files, const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    return FoldedFileName(a) == FoldedFileName(b) || files.IsLink(a) || files.IsLink(b);
}

void Advise(const ConversionReport& report, const std::string& songName) {
    const std::string label = report.translated ? LabelAdvice(songName, Tr) : std::string();
    if (!label.empty()) Print(stderr, label + "\n");
    if (report.arranged) return;
    if (report.translated && MostNotesLost(report))
        Print(stderr, std::string(Tr("提示: most of this song's notes reach no channel (format 0, notes on the "
                                     "conductor track, or several parts in one track); --arrange fits it onto "
                                     "the five channels")) + "\n");
    const std::string tempo = TempoAdvice(report, "--arrange", false, Tr);
    if (!tempo.empty()) Print(stderr, tempo + "\n");
    if (report.refused && report.message == msg::kTooManyTracks)
        Print(stderr, std::string(Tr("提示: --arrange fits a MIDI file of any number of tracks onto the five "
                                     "channels")) + "\n");
}

}  // namespace

bool OutputsCollide(FileSystem& files, const Options& options, const RunPaths& paths, std::string& problem) {
    std::vector<std::pair<std::string, std::string>> taken = {{paths.templatePath, Tr("the template")},
                                                              {paths.romPath, Tr("the ROM image")}};
    for (const std::string& midi : options.midiFiles) {
        const std::string base = BasePathOfPath(midi);
        taken.insert(taken.end(), {{midi, midi}, {base + ".asm", base + ".asm"}, {base + ".h", base + ".h"},
                                   {base + ".lrc", base + ".lrc"}});
    }
    const std::pair<const char*, std::string Options::*> named[] = {{"--nsf", &Options::nsfPath},
                                                                    {"--wav", &Options::wavPath},
                                                                    {"--save-arranged", &Options::saveArrangedPath},
                                                                    {"--report-json", &Options::reportJsonPath}};
    std::set<std::string> checked;
    for (const std::string& midi : options.midiFiles) {
        const Options song = SongOptions(options, midi);
        for (const auto& [option, member] : named) {
            const std::string& path = song.*member;
            // One song's file named twice (the same MIDI file twice, or one
            // --report-json for all) is written once per run of it, losing nothing.
            if (path.empty() || !checked.insert(std::string(option) + '\n' + path).second) continue;
            for (const auto& [other, what] : taken) {
                if (MayBeSameFile(files, path, other) && files.SameFile(path, other)) {
                    problem = Fill(Tr("{1} would overwrite {2}"), {option, what});
                    return true;
                }
            }
            taken.push_back({path, Fill(Tr("the file of {1}"), {option})});
        }
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
        arrange::ArrangeOptions arranging;
        arranging.chordArpeggios = options.chords == "arpeggio";
        arranged = ArrangeMidiFile(files, midiFile, options.voiceSpec, options.saveArrangedPath, arranging);
        if (!arranged.ok && arranged.midi.empty()) {
            // Refused like a file the converter cannot read: in words, nothing written.
            Print(stderr, arranged.error + "\n");
            ok = false;
            ConversionReport report;
            report.midiPath = midiFile;
            report.refused = true;
            report.message = arranged.error;
            report.arranged = true;
            return report;
        }
        if (!arranged.ok) {
            Print(stderr, arranged.error + "\n");
            ok = false;
        }
        arranged.Into(request);
    }

    ConversionReport report = converter.Run(request);
    if (options.arrange) arranged.report.ApplyTo(report);
    if (options.arrange && arranged.ok && !options.saveArrangedPath.empty())
        report.outputs.insert(report.outputs.begin(), options.saveArrangedPath);
    if (!report.succeeded) ok = false;

    if (report.succeeded && (!options.nsfPath.empty() || !options.wavPath.empty())) {
        const std::string failure = WriteNsfOutputs(files, converter,
                                                    request.songName, {options.nsfPath, options.wavPath},
                                                    &report.outputs, Tr);
        if (!failure.empty()) {
            // One line for each file that failed; the others were written.
            std::size_t start = 0;
            for (std::size_t end; (end = failure.find('\n', start)) != std::string::npos; start = end + 1)
                Print(stderr, "kelvane: " + failure.substr(start, end - start) + "\n");
            Print(stderr, "kelvane: " + failure.substr(start) + "\n");
            ok = false;
        }
    }
    Advise(report, request.songName);
    return report;
}

}  // namespace kelvane::cli
