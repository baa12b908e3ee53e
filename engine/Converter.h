// One engine entry point for both front ends: a Converter owns the
// ConversionState and the StatusLog for the life of its front end (the dialog
// or the command line) and runs one conversion per call of Run.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "FileSystem.h"
#include "FrontEnd.h"

namespace kelvane {

struct ConversionState;

class Converter {
public:
    // `console` receives the one line the run writes to standard output
    // (the lyric file that cannot be created).
    Converter(FrontEnd& frontEnd, FileSystem& files, std::ostream& console);
    ~Converter();
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Where the template is read and the image written; empty means
    // "RZ31ST.bin" and "ROM.BIN" in the program's directory.
    void SetTemplatePath(const std::string& path);
    void SetRomPath(const std::string& path);

    // One conversion of `midiPath` (UTF-8) whose labels start with
    // `songName` (UTF-8). Returns true when it ended with the success line.
    bool Run(const std::string& midiPath, const std::string& songName);

    // The status text as the front end was last told it.
    std::string StatusText() const;

private:
    std::unique_ptr<ConversionState> state_;
};

}  // namespace kelvane
