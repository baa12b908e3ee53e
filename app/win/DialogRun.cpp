#include "DialogRun.h"

#include <new>

#include "Arranging.h"
#include "LabelAdvice.h"
#include "Messages.h"
#include "NsfOutput.h"
#include "ReportText.h"
#include "RunAdvice.h"
#include "SongName.h"
#include "StatusLayout.h"
#include "Translation.h"

namespace {

// Where a plain conversion loses the music, the box or the status names the
// check box that would keep it.
const char kTooManyTracksHint[] = "请勾选“自动编排”，把任何MIDI文件编排到五个声道";
const char kLostNotesHint[] = "提示: 大部分音符没有进入任何声道，请勾选“自动编排”\n";

// The extra outputs, their boxes and their lines. A line that names a file
// ends with its path, which the status box may shorten in the middle.
const char kCannotWriteNsf[] = "无法写入NSF文件";
const char kCannotWriteReport[] = "无法写入报告文件";
const char kNsfWritten[] = "已导出NSF文件：";
const char kNsfNotWritten[] = "***错误*** 无法写入NSF文件：";
const char kNsfSkipped[] = "未导出NSF文件：转换没有成功";
const char kReportWritten[] = "已写入报告文件：";
const char kReportNotWritten[] = "***错误*** 无法写入报告文件：";
const char kWouldOverwrite[] = "***错误*** {1}会覆盖{2}：";

// A missing template: where the dialog looked, and where it belongs.
const char kTemplateLookedFor[] = "查找模板的位置：";
const char kTemplateBelongs[] = "请把RZ31ST.bin放在Kelvane.exe所在的文件夹中";

// The six empty lines a run starts from.
const char kEmptyStatus[] = "\n\n\n\n\n\n";

// The extra outputs may not stand where another file of the run is: a MIDI
// file named x.nsf would be replaced by its own NSF. The file system decides
// what is one file (a link, another spelling); two pairs of stat calls per
// file are nothing beside a conversion.
bool Collide(kelvane::FileSystem& files, const std::string& a, const std::string& b) {
    return !a.empty() && !b.empty() && files.SameFile(a, b);
}

struct Output {
    const char* what;
    std::string path;
};

// The status line for the first extra output that would overwrite another
// file of the run, or "" when none does.
std::string FindCollision(kelvane::FileSystem& files, const DialogRunRequest& request, const std::string& base) {
    std::vector<Output> extra;
    if (request.arrange) extra.push_back({"报告文件", base + ".report.txt"});
    if (request.exportNsf) extra.push_back({"NSF文件", base + ".nsf"});
    std::vector<Output> taken = {{"MIDI文件", request.midiPath}, {"输出文件", base + ".asm"},
                                 {"输出文件", base + ".h"},     {"歌词文件", base + ".lrc"},
                                 {"模板文件", request.templatePath}, {"ROM.BIN", request.romPath}};
    for (const Output& output : extra) {
        for (const Output& other : taken) {
            if (Collide(files, output.path, other.path)) {
                return kelvane::Fill(kWouldOverwrite, {output.what, other.what}) + output.path;
            }
        }
        taken.push_back(output);
    }
    return "";
}

void Refuse(WindowFrontEnd& frontEnd, const std::string& box, const std::string& line) {
    frontEnd.ResetProgress();
    frontEnd.ReplaceStatusText(kEmptyStatus, "");
    frontEnd.ShowMessage(box);
    if (!line.empty()) frontEnd.AddLine(line);
}

void Convert(const DialogRunRequest& request, kelvane::Converter& converter, kelvane::FileSystem& files,
             WindowFrontEnd& frontEnd) {
    const std::string base = kelvane::BasePathOfPath(request.midiPath);
    const std::string collision = FindCollision(files, request, base);
    if (!collision.empty()) {
        Refuse(frontEnd, kelvane::msg::kCannotCreateOutput, collision);
        return;
    }

    kelvane::ConversionRequest run;
    run.midiPath = request.midiPath;
    run.songName = request.songName;
    run.templatePath = request.templatePath;
    run.romPath = request.romPath;
    kelvane::ArrangedFile arranged;
    if (request.arrange) {
        kelvane::arrange::ArrangeOptions options;
        options.chordArpeggios = request.chordArpeggios;
        arranged = kelvane::ArrangeMidiFile(files, request.midiPath, "", "", options);
        if (!arranged.ok) {
            Refuse(frontEnd, arranged.error, "");
            return;
        }
        arranged.Into(run);
    }

    kelvane::ConversionReport report = converter.Run(run);
    if (report.refused && report.message == kelvane::msg::kCannotOpenTemplate) {
        frontEnd.AddLine(kTemplateLookedFor + request.templatePath);
        frontEnd.AddLine(kTemplateBelongs);
    }
    if (request.arrange && report.translated) {
        arranged.report.ApplyTo(report);
        const std::string path = base + ".report.txt";
        if (kelvane::WriteReportFile(files, path, report)) {
            frontEnd.AddLine(kReportWritten + path);
        } else {
            frontEnd.AddLine(kReportNotWritten + path);
            frontEnd.ShowMessage(kCannotWriteReport);
        }
    }
    if (request.exportNsf) {
        const std::string path = base + ".nsf";
        if (!report.succeeded) {
            frontEnd.AddLine(kNsfSkipped);
        } else if (kelvane::WriteNsfOutputs(files, converter, request.songName, {path, ""}).empty()) {
            frontEnd.AddLine(kNsfWritten + path);
        } else {
            frontEnd.AddLine(kNsfNotWritten + path);
            frontEnd.ShowMessage(kCannotWriteNsf);
        }
    }
}

}  // namespace

void RunDialogConversion(const DialogRunRequest& request, kelvane::Converter& converter,
                         kelvane::FileSystem& files, WindowFrontEnd& frontEnd) {
    try {
        Convert(request, converter, files, frontEnd);
    } catch (const std::bad_alloc&) {
        // A song too large for the memory at hand ends the run, not the program.
        frontEnd.ShowMessage(kelvane::msg::kOutOfMemory);
    }
    frontEnd.Finished();
}

std::vector<std::string> DialogStatusAdvice(const kelvane::ConversionReport& report, const std::string& songName) {
    std::vector<std::string> lines;
    const std::string advice = kelvane::LabelAdvice(songName);
    if (!advice.empty()) lines.push_back(kelvane::win::WithChineseQuotes(advice) + "\n");
    if (!report.arranged && kelvane::MostNotesLost(report)) lines.push_back(kLostNotesHint);
    const std::string tempo = kelvane::TempoAdvice(report, "“自动编排”", false, kelvane::InChinese);
    if (!tempo.empty()) lines.push_back(tempo + "\n");
    return lines;
}

std::string DialogBoxText(const std::string& text, bool arranged) {
    if (text == kelvane::msg::kTooManyTracks && !arranged) return text + "\n" + kTooManyTracksHint;
    return text;
}
