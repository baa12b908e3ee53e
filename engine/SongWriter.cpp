// The driver commands: each goes out as its assembler line, then as its bytes
// at the write cursor.
#include <cstring>

#include "ConversionState.h"
#include "SongTables.h"

namespace kelvane {
namespace {

constexpr char kDb[] = "\t\tdb\t\t";
constexpr char kEquate[] = "\t\tequ\t$00";
constexpr int kTriangleShift = 24;  // the triangle sounds two octaves below its name

}  // namespace

// The block closes at the first byte that would pass $FFFF (the 16-bit cursor
// has wrapped), so a song too long for it never writes outside the song block.
void ConversionState::PutSongByte(std::uint8_t byte) {
    if (overflowTrack < 0) {
        if (writeCursor >= SongImage::kBlockStart)
            songImage.Store(writeCursor, byte);
        else
            overflowTrack = trackIndex;
    }
    ++writeCursor;
}

void ConversionState::WriteWaits(std::uint32_t units) {
    while (units > kMaxWait - 1) {
        asmFile.Text(kDb).Text("MPCC_Wait+127").EndLine();
        PutSongByte(kWait + 0x7F);
        units -= kMaxWait;
    }
    if (units > 0) {
        asmFile.Text(kDb).Text("MPCC_Wait+").Decimal(units - 1).EndLine();
        PutSongByte(static_cast<std::uint8_t>(kWait + units - 1));
    }
}

void ConversionState::WriteTonalNote(int channel, int note, std::uint32_t length) {
    // The operand cannot say "no time": a note that ended within its own time
    // unit is left out, and the time goes on as before.
    if (length == 0) return;
    int lookup = channel == kTriangle ? note + kTriangleShift : note;
    int pitchClass = note % 12;
    int octave = lookup > 127 ? 5 : OctaveOf(lookup);
    const char* pitchName = kPitchNames[pitchClass];
    if (length <= kMaxShortNote) {
        unsigned lengthField = 8 * (length - 1);
        asmFile.Text(kDb).Text("MPCC_Inside+").CText(pitchName).Text(",$").Hex2(lengthField)
            .Char('+').Decimal(octave).EndLine();
        PutSongByte(static_cast<std::uint8_t>(kInside + pitchClass));
        PutSongByte(static_cast<std::uint8_t>(lengthField + octave));
    } else {
        asmFile.Text(kDb).Text("MPCC_Inside+").CText(pitchName).Text(",$F8+$").Decimal(octave)
            .EndLine();
        PutSongByte(static_cast<std::uint8_t>(kInside + pitchClass));
        PutSongByte(static_cast<std::uint8_t>(kLongNote + octave));
        WriteWaits(length - kMaxShortNote);
    }
}

void ConversionState::WritePercussionNote(int channel, int note, std::uint32_t length,
                                          bool labelDue) {
    const char* pitchName = kPitchNames[note % 12];
    const char* channelName = kChannelNames[channel];
    asmFile.Text(kDb).Text("MPCC_Inside+").Text(songNameGbk).Char('_').CText(channelName)
        .Char('_').CText(pitchName).EndLine();
    PutSongByte(kInside);
    if (labelDue) {
        hFile.Text(songNameGbk).Char('_').CText(channelName).Char('_').CText(pitchName)
            .Text(kEquate).EndLine();
    }
    WriteWaits(length);
}

void ConversionState::WriteVolume(int volume) {
    asmFile.Text(kDb).Text("MPCC_Volume+").Decimal(volume).EndLine();
    PutSongByte(static_cast<std::uint8_t>(kVolume + volume));
}

void ConversionState::WriteTimbre(int channel, int timbre) {
    const char* channelName = kChannelNames[channel];
    asmFile.Text(kDb).Text("MPCC_Timbre+").Text(songNameGbk).Char('_').CText(channelName)
        .Text("_Timbre").Decimal(timbre).EndLine();
    PutSongByte(kTimbre);
    hFile.Text(songNameGbk).Char('_').CText(channelName).Text("_Timbre").Decimal(timbre)
        .Text(kEquate).EndLine();
}

void ConversionState::WriteChannelEnd(int channel) {
    if (channel == kConductor) return;
    if (channel <= kTriangle) {
        asmFile.Text(kDb).Text("MPCC_Inside+$0f,1").EndLine();
        PutSongByte(kInside + kClosingPitch);
        PutSongByte(0x01);
    }
    asmFile.Text(kDb).Text("MPCC_End").EndLine();
    PutSongByte(kEnd);
}

}  // namespace kelvane
