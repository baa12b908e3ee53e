#include "WindowFrontEnd.h"

#include <memory>

std::string TakePayload(LPARAM lParam) {
    std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lParam));
    return text ? std::move(*text) : std::string();
}

// A message that cannot be posted (the queue is full) is sent instead: it
// then arrives late, but it arrives.
void WindowFrontEnd::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!PostMessageW(window_, message, wParam, lParam)) SendMessageW(window_, message, wParam, lParam);
}

void WindowFrontEnd::PostText(UINT message, WPARAM wParam, const std::string& text) {
    Post(message, wParam, reinterpret_cast<LPARAM>(new std::string(text)));
}

void WindowFrontEnd::ShowMessage(const std::string& text) {
    SendMessageW(window_, WM_RUN_BOX, 0, reinterpret_cast<LPARAM>(&text));
}

void WindowFrontEnd::ReplaceStatusText(const std::string& text, const std::string& appendedLine) {
    // A run logs its first line only after it has emptied the log.
    PostText(WM_RUN_STATUS, appendedLine.empty() ? 1 : 0, text);
}

void WindowFrontEnd::SetProgressRange(int trackCount) { Post(WM_RUN_PROGRESS, kProgressRange, trackCount); }

void WindowFrontEnd::SetProgressStep(int step) { Post(WM_RUN_PROGRESS, kProgressStep, step); }

void WindowFrontEnd::StepProgress() { Post(WM_RUN_PROGRESS, kProgressStepIt, 0); }

void WindowFrontEnd::ResetProgress() { Post(WM_RUN_PROGRESS, kProgressReset, 0); }

std::vector<std::string> WindowFrontEnd::StatusAdvice(const kelvane::ConversionReport& report) {
    return advice_ ? advice_(report) : std::vector<std::string>();
}

void WindowFrontEnd::AddLine(const std::string& line) { PostText(WM_RUN_LINE, 0, line); }

void WindowFrontEnd::Finished() { Post(WM_RUN_DONE, 0, 0); }
