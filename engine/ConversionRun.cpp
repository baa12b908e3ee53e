// One conversion, step by step, and the Converter that front ends hold.
#include <algorithm>
#include <initializer_list>
#include <ostream>

#include "ConversionState.h"
#include "Converter.h"
#include "Gbk.h"
#include "Messages.h"
#include "SongTables.h"

namespace kelvane {
namespace {

// Fills the %d and %s fields of a status-line pattern in order. Paths and
// names have no length limit, so nothing is cut.
std::string FormatLine(const char* pattern, std::initializer_list<std::string> values) {
    std::string line(pattern);
    std::size_t at = 0;
    for (const std::string& value : values) {
        at = line.find('%', at);
        line.replace(at, 2, value);
        at += value.size();
    }
    return line;
}

std::string FormatLine(const char* pattern, long long value) {
    return FormatLine(pattern, {std::to_string(value)});
}

const char kSeparator[] = ";...........................................................";

}  // namespace

ConversionState::ConversionState(FrontEnd& frontEndIn, FileSystem& filesIn, std::ostream& consoleIn)
    : frontEnd(frontEndIn), files(filesIn), console(consoleIn) {}

void ConversionState::Log(const std::string& line) { statusLog.Append(line, frontEnd); }

void ConversionState::Fail(const std::string& message) {
    frontEnd.ShowMessage(message);
    failed = true;
}

bool ConversionState::Run(const std::string& midiPathUtf8, const std::string& songNameUtf8) {
    midiPath = midiPathUtf8;
    songName = songNameUtf8;
    songNameGbk = Utf8ToGbk(songName);
    failed = false;
    // The file format's default tempo of 500000 microseconds per quarter note,
    // so a conductor track without a tempo event does not inherit the last run's.
    SetTempo(500000);
    frontEnd.ResetProgress();

    if (LoadMidiFile()) {
        bool headerRead = ReadHeaderChunk();
        bool reported = headerRead ? ConvertLoadedSong() : true;
        midiData = std::vector<std::uint8_t>();
        // A run that ends at its output set or at the track count shows only its box.
        if (!reported) return false;
        if (headerRead)
            for (const std::string& line : frontEnd.StatusAdvice(ConversionReport())) Log(line);
    }

    Log(FormatLine(msg::kOutputFileLine, {asmPath}));
    Log(failed ? msg::kFailure : msg::kSuccess);
    return !failed;
}

// From the output set to the image; false when the run ends without its
// final lines.
bool ConversionState::ConvertLoadedSong() {
    if (!OpenOutputSet()) return false;
    if (trackCount > kMaxTracks) {
        Fail(msg::kTooManyTracks);
        AbandonOutputSet();
        return false;
    }

    statusLog.Reset();
    Log(FormatLine(msg::kHeaderLine, {std::to_string(trackCount), std::to_string(division)}));
    frontEnd.SetProgressRange(trackCount);
    frontEnd.SetProgressStep(1);

    labelCount = 0;
    lyricCount = 0;
    hasLyrics = false;
    writeCursor = SongImage::kStreamStart;
    overflowTrack = -1;
    for (int i = 0; i < trackCount; ++i) {
        ConvertTrack(i);
        frontEnd.StepProgress();
    }

    bool written = CloseTextFiles();
    WriteLyricFile();
    written = WriteRomImage() && written;
    songImage.bytes = std::vector<std::uint8_t>();
    if (!written) {
        Log(msg::kCannotWriteOutput);
        failed = true;
    }
    return true;
}

void ConversionState::ConvertTrack(int i) {
    trackIndex = i;
    track = TrackState();
    track.channel = i;
    if (i >= 1) {
        asmFile.Text(kSeparator).EndLine();
        asmFile.Text(songNameGbk).Char('_').CText(kChannelNames[i]).Char(':').EndLine();
        auto slot = static_cast<std::uint16_t>(SongImage::kPointerTable + 2 * (i - 1));
        songImage.Store(slot, static_cast<std::uint8_t>(writeCursor & 0xFF));
        songImage.Store(static_cast<std::uint16_t>(slot + 1), static_cast<std::uint8_t>(writeCursor >> 8));
    }

    if (!ReadTrackChunkHeader()) {
        Log(FormatLine(msg::kBadTrackChunk, i));
        failed = true;
    } else {
        eventCursor = readOffset;
        eventEnd = readOffset + std::min<std::size_t>(chunkLength, midiSize - readOffset);
        if (!TranslateTrack()) {
            Log(FormatLine(msg::kBadTrackData, i));
            failed = true;
        }
    }
    if (overflowTrack == i) {
        Log(FormatLine(msg::kSongBlockFull, i));
        failed = true;
    }

    if (i == 0) {
        // The conductor track's last tempo event counts, even when it failed.
        asmFile.Text("\t\tdb\t\t").Decimal(tempo[0]).Char(',').Decimal(tempo[1]).Char(',')
            .Decimal(tempo[2]).Char(',').Decimal(tempo[3]).Text("\t\t; Tempo").EndLine();
        for (int k = 0; k < 4; ++k)
            songImage.Store(static_cast<std::uint16_t>(SongImage::kBlockStart + k),
                            static_cast<std::uint8_t>(tempo[k] & 0xFF));
        writeCursor = SongImage::kStreamStart;
        for (int j = 1; j < trackCount; ++j)
            asmFile.Text("\t\tdw\t\t").Text(songNameGbk).Char('_').CText(kChannelNames[j]).EndLine();
    }
    readOffset += std::min<std::size_t>(chunkLength, midiSize - readOffset);
}

Converter::Converter(FrontEnd& frontEnd, FileSystem& files, std::ostream& console)
    : state_(std::make_unique<ConversionState>(frontEnd, files, console)) {}

Converter::~Converter() = default;

void Converter::SetTemplatePath(const std::string& path) { state_->templatePathOverride = path; }

void Converter::SetRomPath(const std::string& path) { state_->romPathOverride = path; }

bool Converter::Run(const std::string& midiPath, const std::string& songName) {
    return state_->Run(midiPath, songName);
}

std::string Converter::StatusText() const { return state_->statusLog.Text(); }

}  // namespace kelvane
