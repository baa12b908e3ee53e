// The command line's side of a conversion: the status lines on standard
// output as the run logs them, the message boxes' texts on standard error.
#pragma once

#include <cstdio>
#include <string>

#include "Console.h"
#include "FrontEnd.h"
#include "Messages.h"

namespace kelvane::cli {

class ConsoleFrontEnd : public FrontEnd {
public:
    explicit ConsoleFrontEnd(std::string templateSearch) : templateSearch_(std::move(templateSearch)) {}

    void ShowMessage(const std::string& text) override {
        Print(stderr, text + "\n");
        if (text == msg::kCannotOpenTemplate && !templateSearch_.empty()) Print(stderr, templateSearch_);
    }
    void ReplaceStatusText(const std::string&, const std::string& appendedLine) override {
        Print(stdout, appendedLine);
        std::fflush(stdout);
    }
    void SetProgressRange(int) override {}
    void SetProgressStep(int) override {}
    void StepProgress() override {}

private:
    std::string templateSearch_;  // the line that follows a missing template
};

}  // namespace kelvane::cli
