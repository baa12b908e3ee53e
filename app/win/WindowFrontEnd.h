// The engine's front end while a conversion runs on the worker thread. Every
// call becomes a message to the dialog's window, whose thread alone touches
// the controls: status texts and progress are posted with their payload on the
// heap (the window's handler owns and frees it), so none is lost or torn; a
// message box is sent, so the run waits until the user has closed it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "FrontEnd.h"
#include "Win32.h"

// The messages, in the order a run sends them. The handlers' side of the
// payloads is spelled out in TakePayload.
enum RunMessage : UINT {
    WM_RUN_STATUS = WM_APP + 1,  // lParam: std::string*, the status text; wParam: 1 for a fresh start
    WM_RUN_LINE,                 // lParam: std::string*, a line of the dialog's own
    WM_RUN_PROGRESS,             // wParam: a ProgressChange, lParam: its value
    WM_RUN_BOX,                  // sent; lParam: const std::string*, the box's text, not owned
    WM_RUN_DONE,                 // the run has ended; nothing follows it
};

enum ProgressChange : WPARAM { kProgressRange, kProgressStep, kProgressStepIt, kProgressReset };

// The handler's side of WM_RUN_STATUS and WM_RUN_LINE: the text, owned.
std::string TakePayload(LPARAM lParam);

class WindowFrontEnd : public kelvane::FrontEnd {
public:
    using Advice = std::function<std::vector<std::string>(const kelvane::ConversionReport&)>;

    // The window everything goes to; set before the first run.
    void SetWindow(HWND window) { window_ = window; }
    // The lines the coming run logs before its output line. Set on the
    // window's thread before the worker starts, read only by the worker.
    void SetAdvice(Advice advice) { advice_ = std::move(advice); }

    void ShowMessage(const std::string& text) override;
    void ReplaceStatusText(const std::string& text, const std::string& appendedLine) override;
    void SetProgressRange(int trackCount) override;
    void SetProgressStep(int step) override;
    void StepProgress() override;
    void ResetProgress() override;
    std::vector<std::string> StatusAdvice(const kelvane::ConversionReport& report) override;

    // A status line of the dialog's own, shown after the run's lines.
    void AddLine(const std::string& line);
    // The last message of a run.
    void Finished();

private:
    void Post(UINT message, WPARAM wParam, LPARAM lParam);
    void PostText(UINT message, WPARAM wParam, const std::string& text);

    HWND window_ = nullptr;
    Advice advice_;
};
