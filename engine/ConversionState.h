// The record of one conversion and the operations that share it.
//
// The conversion is a set of member functions over one ConversionState: the
// run (ConversionRun.cpp) calls the MIDI reader (MidiReader.cpp), the output
// set (OutputSet.cpp), the track translator (TrackTranslator.cpp), which writes
// through the delta timing (DeltaTiming.cpp) and the command writers
// (SongWriter.cpp), and the lyric writer (LyricFile.cpp). Each step returns a
// boolean and reports in the program's own words (Messages.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "FrontEnd.h"
#include "SongImage.h"
#include "StatusLog.h"
#include "TextOut.h"

namespace kelvane {

constexpr int kMaxTracks = 6;           // the conductor track and five channels
constexpr int kLabelCapacity = 2048;
constexpr int kLyricCapacity = 2048;
constexpr int kLyricTextSize = 256;     // 255 bytes and a NUL
constexpr int kTextLimit = 255;         // meta-event texts keep at most this much
constexpr std::uint64_t kTrackUnitLimit = 4194304;  // 2^22 time units

enum Channel : std::int32_t {
    kConductor = 0,
    kSquare1 = 1,
    kSquare2 = 2,
    kTriangle = 3,
    kNoise = 4,
    kDpcm = 5,
};

struct TrackState {
    std::int32_t heldNote = -1;
    std::int32_t pendingNote = -1;
    std::int32_t pendingUnits = 0;
    std::int32_t timbreCount = 0;
    std::int32_t channel = 0;
    bool firstNote = true;
    // Time units of all the track's delta times, to stop a track that claims
    // more time than the song block could ever play.
    std::uint64_t elapsedUnits = 0;
};

struct LabelEntry {
    std::int32_t channel;
    std::int32_t note;
};

struct ConversionState {
    ConversionState(FrontEnd& frontEnd, FileSystem& files, std::ostream& console);

    FrontEnd& frontEnd;
    FileSystem& files;
    std::ostream& console;
    std::string templatePathOverride;
    std::string romPathOverride;
    StatusLog statusLog;

    bool failed = false;
    LabelEntry labelTable[kLabelCapacity] = {};
    std::int32_t labelCount = 0;
    std::int32_t tempo[4] = {4, 4, 4, 4};
    std::string songName;     // UTF-8, as the front end gave it
    std::string songNameGbk;  // as it is written into the output files
    std::string asmPath, hPath, lrcPath;
    TextOut asmFile, hFile;
    std::unique_ptr<ByteSink> romFile;
    std::string midiPath;
    std::vector<std::uint8_t> midiData;
    SongImage songImage;
    std::uint16_t writeCursor = SongImage::kStreamStart;
    std::size_t midiSize = 0;
    std::size_t readOffset = 0;
    std::uint16_t format = 0;
    std::uint16_t trackCount = 0;
    std::uint16_t division = 0;
    std::uint32_t chunkLength = 0;
    std::size_t eventCursor = 0;
    std::size_t eventEnd = 0;  // end of the current chunk's data, never past midiSize
    char scratch[512] = {};
    std::uint32_t tickRemainder = 0;
    std::uint32_t lyricGap = 0;
    bool hasLyrics = false;
    std::uint32_t lyricCount = 0;
    // Left uninitialised: entries are read only below lyricCount, and zeroing
    // half a megabyte touched every page of it in each process that converts.
    std::uint32_t lyricGaps[kLyricCapacity];
    char lyricTexts[kLyricCapacity][kLyricTextSize];
    TrackState track;

    int trackIndex = 0;         // the track being translated, for reports
    int overflowTrack = -1;     // the track whose byte did not fit the song block

    // The run.
    bool Run(const std::string& midiPathUtf8, const std::string& songNameUtf8);
    bool ConvertLoadedSong();
    void ConvertTrack(int index);
    void Log(const std::string& line);
    void Fail(const std::string& message);  // message box and `failed`

    // MIDI reading. Every cursor read is bounded by eventEnd and returns false
    // when the bytes it needs are not there; nothing moves then.
    bool LoadMidiFile();
    bool ReadHeaderChunk();
    bool ReadTrackChunkHeader();
    bool ReadByte(std::uint8_t& value);
    bool PeekByte(std::size_t position, std::uint8_t& value) const;
    bool ReadVarLen(std::uint32_t& value);
    bool ReadText(std::uint32_t n);
    bool Skip(std::uint32_t n);
    bool Remains(std::uint32_t n) const { return eventEnd - eventCursor >= n; }
    std::uint16_t ReadBE16(std::size_t position) const;
    std::uint32_t ReadBE32(std::size_t position) const;

    // Output set and image.
    bool OpenOutputSet();
    void AbandonOutputSet();
    bool CloseTextFiles();
    bool WriteRomImage();
    std::string TemplatePath() const;
    std::string RomPath() const;

    // Command writers.
    void PutSongByte(std::uint8_t byte);
    void WriteWaits(std::uint32_t units);
    void WriteTonalNote(int channel, int note, std::uint32_t length);
    void WritePercussionNote(int channel, int note, std::uint32_t length, bool labelDue);
    void WriteVolume(int volume);
    void WriteTimbre(int channel, int timbre);
    void WriteChannelEnd(int channel);

    // Track translation and timing.
    bool TranslateTrack();
    bool ReadDeltaTime();
    bool TranslateMetaEvent(bool& endOfTrack);
    bool TranslateChannelMessages(std::uint8_t status);
    void SetTempo(std::uint32_t microsecondsPerQuarter);
    void CaptureLyric();

    // Lyrics.
    void WriteLyricFile();
};

// The cursor reads run once or more per event, so they are inline.

inline bool ConversionState::ReadByte(std::uint8_t& value) {
    if (eventCursor >= eventEnd) return false;
    value = midiData[eventCursor++];
    return true;
}

inline bool ConversionState::PeekByte(std::size_t position, std::uint8_t& value) const {
    if (position >= eventEnd) return false;
    value = midiData[position];
    return true;
}

// The value keeps its low 32 bits however many bytes the quantity has.
inline bool ConversionState::ReadVarLen(std::uint32_t& value) {
    std::size_t cursor = eventCursor;
    std::uint32_t result = 0;
    std::uint8_t byte;
    do {
        if (cursor >= eventEnd) return false;
        byte = midiData[cursor++];
        result = (result << 7) + (byte & 0x7F);
    } while (byte & 0x80);
    eventCursor = cursor;
    value = result;
    return true;
}

}  // namespace kelvane
