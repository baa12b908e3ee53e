// The events of one track chunk, turned into commands on the track's channel.
//
// Every event is checked whole before it acts: a length, data byte or text
// that lies past the end of the chunk makes the track fail with no effect of
// that event.
#include "TrackTranslator.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "SongTables.h"

namespace kelvane {
namespace {

enum MetaType : std::uint8_t {
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

bool LabelTable::FirstUse(int channel, int note) {
    for (int i = 0; i < count; ++i)
        if (entries[i].channel == channel && entries[i].note == note) return false;
    if (count < kCapacity) entries[count++] = {channel, note};
    return true;
}

// Four values of 1/50-second steps per time unit; the fraction of a step is
// spread over them as up to three extra steps. The two divisions, in double
// precision and in this order, are what the driver's tempo tables expect.
void SetTempo(std::uint32_t microsecondsPerQuarter, int (&tempo)[4]) {
    double r = 1000000.0 / static_cast<double>(microsecondsPerQuarter);
    double x = 50.0 / r;
    auto e = static_cast<std::uint8_t>(static_cast<int>(std::trunc(x * 0.125)));
    int f = static_cast<int>(std::trunc(x * 4 - 32.0 * e));
    tempo[0] = e + 1 + (f >= 8 ? 1 : 0);
    tempo[1] = e + 1 + (f >= 24 ? 1 : 0);
    tempo[2] = e + 1 + (f >= 16 ? 1 : 0);
    tempo[3] = e + 1;
}

double SongSeconds(std::uint64_t units, const int (&tempo)[4]) {
    constexpr double kStepsPerSecond = 50.0;
    std::uint64_t steps = 0;
    for (int k = 0; k < 4; ++k) {
        std::uint64_t unitsOfK = units / 4 + (static_cast<std::uint64_t>(k) < units % 4 ? 1 : 0);
        steps += unitsOfK * static_cast<std::uint64_t>(tempo[k] - 1);
    }
    return static_cast<double>(steps) / kStepsPerSecond;
}

TrackTranslator::TrackTranslator(const std::vector<std::uint8_t>& data, std::uint16_t division,
                                 LyricList& lyrics)
    : data_(data), unitTicks_(division >> 3u), lyrics_(lyrics) {
    lyrics_.count = 0;
}

void TrackTranslator::TranslateTrack(const TrackChunk& chunk, int channel, ChannelProgram& program,
                                     int (&tempo)[4]) {
    program.Clear(channel);
    program.chunkRead = chunk.isTrack;
    if (!chunk.isTrack) return;
    // Most events give at most one command; waits longer than 128 units are
    // the exception, so the list seldom grows after this.
    program.commands.reserve(std::min<std::size_t>(chunk.end - chunk.begin, std::size_t{1} << 22) + 16);
    program_ = &program;
    tempo_ = &tempo;
    track_ = TrackState();
    track_.channel = channel;
    cursor_.data = data_.data();
    cursor_.position = chunk.begin;
    cursor_.end = chunk.end;
    program.translated = Translate();
}

bool TrackTranslator::Translate() {
    tickRemainder_ = 0;
    lyricGap_ = 0;
    if (!ReadDeltaTime()) return false;
    for (;;) {
        std::uint8_t status;
        if (!cursor_.ReadByte(status)) return false;
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
            if (!cursor_.ReadVarLen(length) || !cursor_.Skip(length) || !ReadDeltaTime()) return false;
        } else if (!TranslateChannelMessages(status)) {
            return false;
        }
    }
}

bool TrackTranslator::TranslateMetaEvent(bool& endOfTrack) {
    std::uint8_t type;
    std::uint32_t length;
    if (!cursor_.ReadByte(type) || !cursor_.ReadVarLen(length) || !cursor_.Remains(length)) return false;
    if (type == kEndOfTrack) {
        if (length != 0) return false;
        program_->WriteChannelEnd();
        endOfTrack = true;
        return true;
    }
    if (type == kTempo && length >= 3) {
        const std::uint8_t* at = cursor_.data + cursor_.position;
        lastTempoMicros_ = static_cast<std::uint32_t>(at[0]) << 16 | static_cast<std::uint32_t>(at[1]) << 8 | at[2];
        SetTempo(lastTempoMicros_, *tempo_);
        return cursor_.Skip(length);
    }
    if (!IsTextType(type)) return cursor_.Skip(length);  // unknown types are skipped, as the format asks

    cursor_.ReadText(length);
    if (type == kDeviceName) {
        program_->WriteDeviceComment(cursor_.scratch);
    } else if (type == kLyric && track_.channel == kSquare1) {
        CaptureLyric();
    }
    return true;
}

void TrackTranslator::CaptureLyric() {
    // Past the list's capacity lyrics are dropped, and the gap keeps growing.
    if (lyrics_.count >= LyricList::kCapacity) return;
    lyrics_.gaps[lyrics_.count] = lyricGap_;
    std::strcpy(lyrics_.texts[lyrics_.count], cursor_.scratch);
    ++lyrics_.count;
    lyricGap_ = 0;
}

bool TrackTranslator::TranslateChannelMessages(std::uint8_t status) {
    std::uint8_t next;
    if (!cursor_.PeekByte(cursor_.position, next)) return false;
    // A status byte without data is dropped; the next byte is the next status.
    if (next & 0x80) return true;

    const int dataBytes = DataBytesOf(status);
    const bool conductor = track_.channel == kConductor;
    do {
        if (!cursor_.Remains(static_cast<std::uint32_t>(dataBytes))) return false;
        std::uint8_t first = cursor_.data[cursor_.position] & 0x7F;
        std::uint8_t second = dataBytes == 2 ? cursor_.data[cursor_.position + 1] & 0x7F : 0;
        cursor_.position += static_cast<std::size_t>(dataBytes);

        switch (status >> 4) {
            case 0x8:
                if (first == track_.heldNote) {
                    track_.pendingNote = track_.heldNote;
                    track_.heldNote = -1;
                }
                break;
            case 0x9:
                if (second == 0) {
                    if (track_.heldNote != -1 && first == track_.heldNote) {
                        track_.pendingNote = track_.heldNote;
                        track_.heldNote = -1;
                    }
                } else {
                    ++program_->noteOns;
                    if (track_.heldNote != -1 && !conductor) ++program_->droppedOverlap;
                    track_.heldNote = first;
                    if (track_.firstNote) {
                        // The conductor track has no stream to rest in.
                        if (!conductor) program_->WriteWaits(static_cast<std::uint32_t>(track_.pendingUnits));
                        track_.firstNote = false;
                        track_.pendingUnits = 0;
                    }
                }
                break;
            case 0xA:
                program_->WriteAftertouchComment();
                break;
            case 0xB:
                if (IsVolumeController(first) && !conductor) program_->WriteVolume(second >> 3);
                break;
            case 0xC:
                if (!conductor) program_->WriteTimbre(track_.timbreCount++);
                break;
            default:
                break;  // channel pressure and pitch bend have no command
        }

        if (!ReadDeltaTime()) return false;
        if (!cursor_.PeekByte(cursor_.position, next)) return false;
    } while (!(next & 0x80));
    return true;
}

bool TrackCursor::ReadText(std::uint32_t n) {
    if (!Remains(n)) return false;
    std::size_t kept = std::min<std::uint32_t>(n, kTextLimit);
    // An empty text may stand at the very end of the data, where indexing the
    // buffer would step past it.
    std::memcpy(scratch, data + position, kept);
    scratch[kept] = '\0';
    for (std::size_t i = 0; i < kept; ++i)
        if (scratch[i] == '\n' || scratch[i] == '\r') scratch[i] = ' ';
    position += n;
    return true;
}

}  // namespace kelvane
