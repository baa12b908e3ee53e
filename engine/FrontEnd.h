// The one interface between the conversion engine and whatever shows it.
//
// Implemented by the front ends: the Windows dialog (app/win) and the command
// line (app/cli); tests implement it to record what a run shows. All texts are
// UTF-8; a front end converts them to whatever its platform displays.
#pragma once

#include <string>
#include <vector>

#include "ConversionReport.h"

namespace kelvane {

class FrontEnd {
public:
    virtual ~FrontEnd() = default;

    // A modal message with an OK button; returns when the user has closed it.
    virtual void ShowMessage(const std::string& text) = 0;

    // Replaces the whole status text (the six status lines joined, oldest
    // first). `appendedLine` is the line just logged, which is also the last
    // line of `text`; a console front end prints only that one.
    virtual void ReplaceStatusText(const std::string& text, const std::string& appendedLine) = 0;

    // The three progress-bar operations, in the order the run sends them.
    virtual void SetProgressRange(int trackCount) = 0;  // range 0..trackCount
    virtual void SetProgressStep(int step) = 0;         // always 1
    virtual void StepProgress() = 0;
    // Puts the bar back to 0; every run starts with it.
    virtual void ResetProgress() {}

    // Lines the run logs just before its "输出文件:" line, in a run that wrote
    // its outputs: the advice a front end gives in its status (the dialog). A
    // console front end prints its advice itself and returns none.
    virtual std::vector<std::string> StatusAdvice(const ConversionReport&) { return {}; }
};

}  // namespace kelvane
