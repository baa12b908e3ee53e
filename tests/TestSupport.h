// A whole conversion in memory: a recording front end, the files, and a
// small assembler that spells the bytes a .asm text stands for.
#pragma once

#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Converter.h"
#include "FrontEnd.h"
#include "MemoryFileSystem.h"
#include "MidiBuilder.h"

namespace kelvane::test {

constexpr char kProgramDirectory[] = "/prog/";
constexpr char kTemplatePath[] = "/prog/RZ31ST.bin";
constexpr char kRomPath[] = "/prog/ROM.BIN";
constexpr std::size_t kImageSize = 0x80000;
constexpr std::size_t kSongBlock = 0x78000;

class RecordingFrontEnd : public FrontEnd {
public:
    std::vector<std::string> messages;
    std::vector<std::string> appended;   // every logged line, in order
    std::string statusText;
    std::vector<std::string> progress;   // "range 6", "step 1", "stepit"

    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void ReplaceStatusText(const std::string& text, const std::string& line) override {
        statusText = text;
        if (!line.empty()) appended.push_back(line);  // "" only redraws
    }
    void SetProgressRange(int n) override { progress.push_back("range " + std::to_string(n)); }
    void SetProgressStep(int n) override { progress.push_back("step " + std::to_string(n)); }
    void StepProgress() override { progress.push_back("stepit"); }
    void ResetProgress() override { progress.push_back("reset"); }
};

// The request a front end makes for `midiPath`: its song name, the template
// and the image in the program's folder unless given.
ConversionRequest Request(const std::string& midiPath, const std::string& songName,
                          const std::string& templatePath = kTemplatePath, const std::string& romPath = kRomPath);

// The converter's last song block emitted again with `labels`, as the NSF
// takes it: 32 KB from $8000 over end bytes.
Bytes EmittedBlock(const Converter& converter, const LabelValues& labels);

// A recognisable template: every byte differs from its neighbours.
Bytes StandInTemplate(std::size_t size = kImageSize);

struct InMemoryRun {
    MemoryFileSystem files;
    RecordingFrontEnd ui;
    Converter converter{ui, files};
    ConversionReport report;  // of the last Convert
    std::string templatePath = kTemplatePath;
    std::string romPath = kRomPath;

    InMemoryRun();
    // One run as a front end asks for it, with the paths above.
    ConversionReport Run(const std::string& midiPath, const std::string& songName) {
        return converter.Run(Request(midiPath, songName, templatePath, romPath));
    }
    // Puts the MIDI bytes at `path` and converts them with the path's song name.
    bool Convert(const Bytes& midi, const std::string& path = "/music/song.mid");
    std::string Asm(const std::string& base = "/music/song") const { return files.Text(base + ".asm"); }
    std::string H(const std::string& base = "/music/song") const { return files.Text(base + ".h"); }
    std::string Lrc(const std::string& base = "/music/song") const { return files.Text(base + ".lrc"); }
    const Bytes& Rom() const { return files.Get(kRomPath); }
    // Song block bytes from CPU address `from`, `count` of them: the image's,
    // or, when a failed run left the old image, the block the run emitted.
    Bytes Block(std::uint16_t from, std::size_t count) const;
    std::uint16_t Pointer(int channel) const;
};

// Text with "\n" line ends becomes the CR LF text the files hold.
std::string Crlf(const std::string& text);

// The bytes that the db/dw lines of an .asm text spell, assembled from
// `origin`, with MPCC_Wait = $00, MPCC_Timbre = $80, MPCC_Volume = $90,
// MPCC_Inside = $A0, MPCC_End = $FF, pitch names 0 to 11 and every other
// label from the .h file $00. Labels defined in the text get their addresses.
struct Assembly {
    Bytes bytes;
    std::map<std::string, std::uint16_t> labels;
};
Assembly Assemble(const std::string& asmText, std::uint16_t origin);

}  // namespace kelvane::test
