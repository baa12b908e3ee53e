// The events of one track chunk, turned into commands on the track's channel.
//
// Every event is checked whole before it acts: a length, data byte or text
// that lies past the end of the chunk makes the track fail with no effect of
// that event.
#include <cmath>
#include <cstring>

#include "ConversionState.h"
#include "Messages.h"

namespace kelvane {
namespace {

enum MetaType : std::uint8_t {
    kSequenceNumber = 0x00,
    kLyric = 0x05,
    kDeviceName = 0x09,
    kEndOfTrack = 0x2F,
    kTempo = 0x51,
};

bool IsTextType(std::uint8_t type) {
    return (type >= 0x01 && type <= 0x07) || type == kDeviceName;
}

bool IsVolumeController(std::uint8_t number) {
    return number == 7 || number == 11 || number == 39 || number == 43;
}

// Data bytes that follow a channel status byte, by its upper four bits.
int DataBytesOf(std::uint8_t status) {
    switch (status >> 4) {
        case 0xC:
        case 0xD:
            return 1;
        default:
            return 2;
    }
}

}  // namespace

bool ConversionState::TranslateTrack() {
    tickRemainder = 0;
    lyricGap = 0;
    if (!ReadDeltaTime()) return false;
    for (;;) {
        std::uint8_t status;
        if (!ReadByte(status)) return false;
        if (status == 0xFF) {
            bool endOfTrack = false;
            if (!TranslateMetaEvent(endOfTrack)) return false;
            if (endOfTrack) return true;
            if (!ReadDeltaTime()) return false;
        } else if (status < 0x80) {
            // Running status holds only inside a run of channel messages.
            return false;
        } else if (status >= 0xF0) {
            std::uint32_t length;
            if (!ReadVarLen(length) || !Skip(length) || !ReadDeltaTime()) return false;
        } else if (!TranslateChannelMessages(status)) {
            return false;
        }
    }
}

bool ConversionState::TranslateMetaEvent(bool& endOfTrack) {
    std::uint8_t type;
    std::uint32_t length;
    if (!ReadByte(type) || !ReadVarLen(length) || !Remains(length)) return false;
    if (type == kEndOfTrack) {
        if (length != 0) return false;
        WriteChannelEnd(track.channel);
        endOfTrack = true;
        return true;
    }
    if (type == kTempo && length >= 3) {
        std::uint32_t t = static_cast<std::uint32_t>(midiData[eventCursor]) << 16 |
                          static_cast<std::uint32_t>(midiData[eventCursor + 1]) << 8 |
                          midiData[eventCursor + 2];
        SetTempo(t);
        return Skip(length);
    }
    if (!IsTextType(type)) return Skip(length);  // unknown types are skipped, as the format asks

    ReadText(length);
    if (type == kDeviceName) {
        asmFile.Text(msg::kDeviceCommentGbk).CText(scratch).EndLine();
    } else if (type == kLyric && track.channel == kSquare1) {
        CaptureLyric();
    }
    return true;
}

void ConversionState::CaptureLyric() {
    // Past the list's capacity lyrics are dropped, and the gap keeps growing.
    if (lyricCount >= kLyricCapacity) return;
    lyricGaps[lyricCount] = lyricGap;
    std::strcpy(lyricTexts[lyricCount], scratch);
    ++lyricCount;
    hasLyrics = true;
    lyricGap = 0;
}

// Four values of 1/50-second steps per time unit; the fraction of a step is
// spread over them as up to three extra steps. The two divisions, in double
// precision and in this order, are what the driver's tempo tables expect.
void ConversionState::SetTempo(std::uint32_t microsecondsPerQuarter) {
    double r = 1000000.0 / static_cast<double>(microsecondsPerQuarter);
    double x = 50.0 / r;
    auto e = static_cast<std::uint8_t>(static_cast<int>(std::trunc(x * 0.125)));
    int f = static_cast<int>(std::trunc(x * 4 - 32.0 * e));
    tempo[0] = e + 1 + (f >= 8 ? 1 : 0);
    tempo[1] = e + 1 + (f >= 24 ? 1 : 0);
    tempo[2] = e + 1 + (f >= 16 ? 1 : 0);
    tempo[3] = e + 1;
}

bool ConversionState::TranslateChannelMessages(std::uint8_t status) {
    std::uint8_t next;
    if (!PeekByte(eventCursor, next)) return false;
    // A status byte without data is dropped; the next byte is the next status.
    if (next & 0x80) return true;

    const int dataBytes = DataBytesOf(status);
    const bool conductor = track.channel == kConductor;
    do {
        if (!Remains(static_cast<std::uint32_t>(dataBytes))) return false;
        std::uint8_t first = midiData[eventCursor] & 0x7F;
        std::uint8_t second = dataBytes == 2 ? midiData[eventCursor + 1] & 0x7F : 0;
        eventCursor += static_cast<std::size_t>(dataBytes);

        switch (status >> 4) {
            case 0x8:
                if (first == track.heldNote) {
                    track.pendingNote = track.heldNote;
                    track.heldNote = -1;
                }
                break;
            case 0x9:
                if (second == 0) {
                    if (track.heldNote != -1 && first == track.heldNote) {
                        track.pendingNote = track.heldNote;
                        track.heldNote = -1;
                    }
                } else {
                    track.heldNote = first;
                    if (track.firstNote) {
                        // The conductor track has no stream to rest in.
                        if (!conductor) WriteWaits(static_cast<std::uint32_t>(track.pendingUnits));
                        track.firstNote = false;
                        track.pendingUnits = 0;
                    }
                }
                break;
            case 0xA:
                asmFile.Text(msg::kAftertouchCommentGbk).EndLine();
                break;
            case 0xB:
                if (IsVolumeController(first) && !conductor) WriteVolume(second >> 3);
                break;
            case 0xC:
                if (!conductor) WriteTimbre(track.channel, track.timbreCount++);
                break;
            default:
                break;  // channel pressure and pitch bend have no command
        }

        if (!ReadDeltaTime()) return false;
        if (!PeekByte(eventCursor, next)) return false;
    } while (!(next & 0x80));
    return true;
}

}  // namespace kelvane
