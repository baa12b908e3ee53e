// One conversion, stage by stage, and the Converter that front ends hold.
#include <algorithm>

#include "AsmText.h"
#include "Converter.h"
#include "Gbk.h"
#include "Messages.h"
#include "MidiFile.h"
#include "OutputSet.h"
#include "SongBlock.h"
#include "StatusLines.h"
#include "SongTables.h"
#include "StatusLog.h"
#include "TranslatedSong.h"
#include "TranslationReport.h"

namespace kelvane {

// What a Converter keeps between runs: buffers that each run reuses, so a
// run allocates nothing per event, and the last run's programs.
struct Converter::State {
    State(FrontEnd& frontEndIn, FileSystem& filesIn) : frontEnd(frontEndIn), files(filesIn) {}

    FrontEnd& frontEnd;
    FileSystem& files;
    StatusLog statusLog;
    std::vector<std::uint8_t> midiData;
    SongImage image;
    MidiSong song;
    TranslatedSong translated;
    LyricList lyrics;

    ConversionReport Convert(const ConversionRequest& request);
    // Loads the MIDI bytes and reads the header and the chunk list; false
    // when the run ends with a box before its tracks.
    bool LoadMidiFile(const ConversionRequest& request, ConversionReport& report);
    void ConvertTracks(const ConversionRequest& request, OutputSet& outputs, ConversionReport& report);
    void Refuse(const char* message, ConversionReport& report);
};

void Converter::State::Refuse(const char* message, ConversionReport& report) {
    frontEnd.ShowMessage(message);
    report.message = message;
}

bool Converter::State::LoadMidiFile(const ConversionRequest& request, ConversionReport& report) {
    if (request.midiData) {
        midiData = *request.midiData;
    } else {
        switch (files.ReadWhole(request.midiPath, kMidiSizeLimit, midiData)) {
            case FileSystem::ReadResult::kRead:
                break;
            case FileSystem::ReadResult::kCannotOpen:
                Refuse(msg::kCannotOpenMidi, report);
                return false;
            case FileSystem::ReadResult::kTooLarge:
                Refuse(msg::kMidiTooLarge, report);
                return false;
        }
    }
    switch (ReadMidiSong(midiData, song)) {
        case HeaderProblem::kNone:
            return true;
        case HeaderProblem::kNotMidi:
            Refuse(msg::kNotMidi, report);
            return false;
        case HeaderProblem::kUnsupportedFormat:
            Refuse(msg::kUnsupportedFormat, report);
            return false;
    }
    return false;
}

ConversionReport Converter::State::Convert(const ConversionRequest& request) {
    ConversionReport report;
    // Nothing of the last run may stand beside this one's words.
    statusLog.Reset();
    frontEnd.ReplaceStatusText(statusLog.Text(), "");
    frontEnd.ResetProgress();
    translated.trackCount = 0;

    report.midiPath = request.midiPath;
    report.arranged = request.arrangedFrom != nullptr;
    if (LoadMidiFile(request, report)) {
        report.trackCount = report.arranged ? request.arrangedFrom->trackCount : song.trackCount;
        report.division = report.arranged ? request.arrangedFrom->division : song.division;
        OutputSet outputs(files);
        if (const char* refusal = outputs.Open(request.midiPath, request.templatePath, request.romPath, image)) {
            Refuse(refusal, report);
            report.refused = true;
        } else if (song.trackCount > kMaxTracks) {
            outputs.Abandon();
            Refuse(msg::kTooManyTracks, report);
            report.refused = true;
        } else {
            ConvertTracks(request, outputs, report);
        }
    }
    midiData = std::vector<std::uint8_t>();
    image = SongImage();
    AddWarnings(report);

    std::vector<std::string> advice;
    if (report.translated) advice = frontEnd.StatusAdvice(report);
    for (const std::string& line : StatusLines(report, advice)) statusLog.Append(line, frontEnd);
    return report;
}

void Converter::State::ConvertTracks(const ConversionRequest& request, OutputSet& outputs, ConversionReport& report) {
    report.asmPath = outputs.asmPath;
    report.hPath = outputs.hPath;
    report.lrcPath = outputs.lrcPath;
    report.romPath = outputs.romPath;
    frontEnd.SetProgressRange(song.trackCount);
    frontEnd.SetProgressStep(1);

    TranslateSong(midiData, song, translated, lyrics, [this] { frontEnd.StepProgress(); });

    const std::string songNameGbk = Utf8ToGbk(request.songName);
    WriteAsmText(translated, songNameGbk, outputs.asmFile, outputs.hFile);
    LabelValues zero;  // the .h file equates every label to $00
    SongBlock block(image.data() + kSongBlockOffset, zero);
    block.Emit(translated);

    ReportTranslation(translated, block, report);
    if (request.arrangedRests != nullptr)
        for (std::size_t v = 0; v < report.voices.size(); ++v) report.voices[v].CountRestsApart((*request.arrangedRests)[v]);

    // Each output replaces its old file now. The image only when it holds the
    // whole song, so that Play never hands on a broken one.
    bool written = outputs.CommitText();
    if (written) report.outputs.insert(report.outputs.end(), {outputs.asmPath, outputs.hPath});
    if (lyrics.count > 0) {
        report.lyricsWritten = outputs.CommitLyrics(lyrics, songNameGbk);
        report.lyricsLost = !report.lyricsWritten;
        if (report.lyricsWritten) report.outputs.push_back(outputs.lrcPath);
    }
    if (report.problems.empty()) {
        report.romReplaced = outputs.CommitImage(image);
        written = report.romReplaced && written;
        if (report.romReplaced) report.outputs.push_back(outputs.romPath);
    }
    outputs.Abandon();
    report.writeFailed = !written;
    report.succeeded = report.problems.empty() && !report.lyricsLost && written;
}

Converter::Converter(FrontEnd& frontEnd, FileSystem& files) : run_(std::make_unique<State>(frontEnd, files)) {}

Converter::~Converter() = default;

ConversionReport Converter::Run(const ConversionRequest& request) { return run_->Convert(request); }

void Converter::EmitSongBlock(const LabelValues& labels, std::uint8_t* block) const {
    SongBlock emitter(block, labels);
    emitter.Emit(run_->translated);
}

std::string Converter::StatusText() const { return run_->statusLog.Text(); }

}  // namespace kelvane
