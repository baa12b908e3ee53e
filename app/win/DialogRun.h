// One run as the dialog's check boxes ask for it, on the worker thread: the
// extra outputs checked against the others, the song arranged when asked,
// converted, and its report and NSF written beside it. Everything the run
// shows goes through the window front end: boxes, the engine's status lines,
// and the dialog's own lines that name each extra output or why it is missing.
#pragma once

#include <string>
#include <vector>

#include "ConversionReport.h"
#include "Converter.h"
#include "FileSystem.h"
#include "WindowFrontEnd.h"

struct DialogRunRequest {
    std::string midiPath;  // UTF-8, as chosen
    std::string songName;
    std::string templatePath;
    std::string romPath;
    bool arrange = false;    // 自动编排: arrange first, write NAME.report.txt
    bool exportNsf = false;  // 导出NSF: write NAME.nsf after a success
    bool chordArpeggios = false;  // 和弦琶音: with arrange, Square2 plays the chords as arpeggios
};

// Runs the whole request; ends with frontEnd.Finished() whatever happened.
void RunDialogConversion(const DialogRunRequest& request, kelvane::Converter& converter,
                         kelvane::FileSystem& files, WindowFrontEnd& frontEnd);

// The lines the dialog logs before the output line of a run that wrote its
// outputs: what the arrangement gave each voice, and hints.
std::vector<std::string> DialogStatusAdvice(const kelvane::ConversionReport& report, const std::string& songName);

// A box's text as the dialog shows it: a run refused for its many tracks
// names the check box that would take them.
std::string DialogBoxText(const std::string& text, bool arranged);
