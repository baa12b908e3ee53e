// The tolerant reader. Every read is bounded by the end of its chunk or of
// the data; a track that runs off its end is read up to there.
#include "SmfReader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kelvane::arrange {
namespace {

constexpr char kNotMidi[] = "MIDI文件无法识别";
constexpr std::size_t kRiffSearch = 4096;  // how far into a RIFF wrapper the header may lie
constexpr std::size_t kNameLimit = 256;    // track-name words kept per track
constexpr std::uint16_t kPitchBendCentre = 0x2000;

std::uint32_t ReadBE32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

std::uint16_t ReadBE16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

// Where a note of one channel and key is sounding, and which part a channel's
// notes go to, stamped with the track so nothing is cleared between tracks.
struct OpenSlot {
    std::uint32_t stamp = 0;   // track + 1 while open
    std::uint32_t listed = 0;  // track + 1 once in the list of slots of its channel
    std::uint32_t note = 0;
};
struct PartSlot {
    std::uint32_t stamp = 0;
    std::uint32_t part = 0;
};

class TrackReader {
public:
    TrackReader(Score& score, std::array<OpenSlot, 16 * 128>& open, std::array<PartSlot, 16>& parts,
                std::array<std::vector<std::uint16_t>, 16>& openLists)
        : score_(score), open_(open), partSlots_(parts), openLists_(openLists) {}

    // Reads one chunk's events from `startTick` on; returns the track's end tick.
    std::uint64_t Read(const std::uint8_t* begin, const std::uint8_t* end, int track, std::uint64_t startTick);

private:
    bool VarLen(std::uint32_t& value);
    void Meta();
    void SysEx();
    void ChannelMessage(std::uint8_t status);
    void NoteOn(int channel, int key, int velocity);
    void NoteOff(int channel, int key);
    void AllNotesOff(int channel);
    std::uint32_t PartOf(int channel);
    void Close(std::uint32_t note, std::uint64_t tick);
    TimedText Keep(const std::uint8_t* text, std::uint32_t length);

    Score& score_;
    std::array<OpenSlot, 16 * 128>& open_;
    std::array<PartSlot, 16>& partSlots_;
    // By channel, the slots of the track's notes since the channel's last
    // all-notes-off: that message then looks at no slot twice, however many
    // of them a track sends.
    std::array<std::vector<std::uint16_t>, 16>& openLists_;
    const std::uint8_t* p_ = nullptr;
    const std::uint8_t* end_ = nullptr;
    std::uint32_t stamp_ = 0;
    int track_ = 0;
    std::uint64_t tick_ = 0;
    bool ended_ = false;
    bool skipDelta_ = false;  // a status byte stood where a data byte was due
    std::array<std::uint8_t, 16> programs_{};
};

// At most five bytes, as no real file has more; the value keeps its low 32 bits.
bool TrackReader::VarLen(std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 5; ++i) {
        if (p_ >= end_) return false;
        std::uint8_t byte = *p_++;
        value = (value << 7) | (byte & 0x7F);
        if (!(byte & 0x80)) return true;
    }
    return true;
}

std::uint64_t TrackReader::Read(const std::uint8_t* begin, const std::uint8_t* end, int track,
                                std::uint64_t startTick) {
    p_ = begin;
    end_ = end;
    track_ = track;
    stamp_ = static_cast<std::uint32_t>(track) + 1;
    tick_ = startTick;
    ended_ = false;
    skipDelta_ = false;
    programs_.fill(kUnknownProgram);
    for (auto& list : openLists_) list.clear();
    std::uint8_t running = 0;
    while (!ended_) {
        if (!skipDelta_) {
            std::uint32_t delta;
            if (!VarLen(delta)) break;
            tick_ += delta;
        }
        skipDelta_ = false;
        if (p_ >= end_) break;
        std::uint8_t status = *p_;
        if (status == 0xFF) {
            ++p_;
            Meta();
        } else if (status == 0xF0 || status == 0xF7) {
            ++p_;
            SysEx();
        } else if (status >= 0xF1) {
            // System common and real-time bytes have no place in a file; skip
            // them with the data bytes the common ones carry.
            ++p_;
            int data = status == 0xF2 ? 2 : (status == 0xF1 || status == 0xF3) ? 1 : 0;
            for (int i = 0; i < data && p_ < end_ && !(*p_ & 0x80); ++i) ++p_;
        } else if (status & 0x80) {
            ++p_;
            running = status;
            ChannelMessage(status);
        } else if (running != 0) {
            ChannelMessage(running);  // running status, kept across meta and sysex events
        } else {
            ++p_;  // a data byte with no status to run on
        }
    }
    for (const auto& list : openLists_)
        for (std::uint16_t slot : list)
            if (open_[slot].stamp == stamp_) Close(open_[slot].note, tick_);
    return tick_;
}

TimedText TrackReader::Keep(const std::uint8_t* text, std::uint32_t length) {
    TimedText kept{tick_, 0, track_, static_cast<std::uint32_t>(score_.textPool.size()), length};
    score_.textPool.append(reinterpret_cast<const char*>(text), length);
    return kept;
}

void TrackReader::Meta() {
    if (p_ >= end_) return;
    std::uint8_t type = *p_++;
    std::uint32_t length;
    if (!VarLen(length)) return;
    const std::uint8_t* data = p_;
    auto available = static_cast<std::uint32_t>(std::min<std::size_t>(length, static_cast<std::size_t>(end_ - p_)));
    p_ += available;
    switch (type) {
        case 0x2F:
            ended_ = true;
            break;
        case 0x51:
            if (available >= 3)
                score_.tempos.push_back({tick_, static_cast<std::uint32_t>(data[0]) << 16 |
                                                    static_cast<std::uint32_t>(data[1]) << 8 | data[2]});
            break;
        case 0x58:
            if (available >= 2 && data[0] > 0 && data[1] <= 6) score_.meters.push_back({tick_, data[0], data[1]});
            break;
        case 0x03:
        case 0x04: {
            std::string& name = score_.trackNames[static_cast<std::size_t>(track_)];
            std::size_t room = kNameLimit > name.size() ? kNameLimit - name.size() : 0;
            if (!name.empty() && room > 0) name += ' ', --room;
            name.append(reinterpret_cast<const char*>(data), std::min<std::size_t>(available, room));
            break;
        }
        case 0x05:
            score_.lyrics.push_back(Keep(data, available));
            break;
        case 0x01:
            score_.texts.push_back(Keep(data, available));
            break;
        default:
            break;
    }
}

// A Roland GS "use for rhythm part" message turns a channel into a drum channel.
void TrackReader::SysEx() {
    std::uint32_t length;
    if (!VarLen(length)) return;
    const std::uint8_t* data = p_;
    auto available = static_cast<std::size_t>(std::min<std::size_t>(length, static_cast<std::size_t>(end_ - p_)));
    p_ += available;
    static const std::uint8_t kGsRhythmPart[] = {0x41, 0x10, 0x42, 0x12, 0x40};
    if (available >= 8 && std::memcmp(data, kGsRhythmPart, 2) == 0 && std::memcmp(data + 2, kGsRhythmPart + 2, 3) == 0 &&
        (data[5] & 0xF0) == 0x10 && data[6] == 0x15) {
        int block = data[5] & 0x0F;
        int channel = block == 0 ? kDrumChannel : block <= 9 ? block - 1 : block;
        auto bit = static_cast<std::uint16_t>(1u << channel);
        score_.drumChannels = data[7] != 0 ? score_.drumChannels | bit : score_.drumChannels & ~bit;
    }
}

void TrackReader::ChannelMessage(std::uint8_t status) {
    int kind = status >> 4;
    int count = (kind == 0xC || kind == 0xD) ? 1 : 2;
    std::uint8_t data[2] = {0, 0};
    for (int i = 0; i < count; ++i) {
        if (p_ >= end_) return;
        if (*p_ & 0x80) {
            // A status byte without its data: drop it; the next byte is a status.
            skipDelta_ = true;
            return;
        }
        data[i] = *p_++;
    }
    int channel = status & 0x0F;
    switch (kind) {
        case 0x8:
            NoteOff(channel, data[0]);
            break;
        case 0x9:
            if (data[1] == 0)
                NoteOff(channel, data[0]);
            else
                NoteOn(channel, data[0], data[1]);
            break;
        case 0xB:
            if (data[0] == 7 || data[0] == 11) {
                score_.volumes.push_back({tick_, 0, static_cast<std::uint8_t>(channel), data[0], data[1]});
            } else if (data[0] == 120 || data[0] >= 123) {
                AllNotesOff(channel);
            } else {
                ++score_.otherControllers;
            }
            break;
        case 0xC:
            programs_[static_cast<std::size_t>(channel)] = data[0];
            break;
        case 0xE:
            if ((data[0] | data[1] << 7) != kPitchBendCentre) ++score_.pitchBends;
            break;
        default:
            break;  // aftertouch and channel pressure
    }
}

std::uint32_t TrackReader::PartOf(int channel) {
    PartSlot& slot = partSlots_[static_cast<std::size_t>(channel)];
    if (slot.stamp != stamp_) {
        slot.stamp = stamp_;
        slot.part = static_cast<std::uint32_t>(score_.parts.size());
        Part part;
        part.track = track_;
        part.channel = channel;
        score_.parts.push_back(part);
    }
    return slot.part;
}

void TrackReader::Close(std::uint32_t note, std::uint64_t tick) { score_.notes[note].endTick = tick; }

// A note-on of a key that is still sounding ends the earlier note there. A
// note-off at the very tick of such a note-on belongs to the earlier note, so
// the off-before-on order holds whatever order the file wrote them in.
void TrackReader::NoteOn(int channel, int key, int velocity) {
    auto slotIndex = static_cast<std::uint16_t>(channel * 128 + key);
    OpenSlot& slot = open_[slotIndex];
    bool retrigger = slot.stamp == stamp_;
    if (retrigger) Close(slot.note, tick_);
    Note note;
    note.startTick = tick_;
    note.endTick = tick_;
    note.part = PartOf(channel);
    note.key = static_cast<std::uint8_t>(key);
    note.velocity = static_cast<std::uint8_t>(velocity);
    note.program = programs_[static_cast<std::size_t>(channel)];
    note.retriggered = retrigger;
    slot.stamp = stamp_;
    slot.note = static_cast<std::uint32_t>(score_.notes.size());
    score_.notes.push_back(note);
    if (slot.listed != stamp_) {
        slot.listed = stamp_;
        openLists_[static_cast<std::size_t>(channel)].push_back(slotIndex);
    }
}

void TrackReader::NoteOff(int channel, int key) {
    OpenSlot& slot = open_[static_cast<std::size_t>(channel * 128 + key)];
    if (slot.stamp != stamp_) return;
    const Note& note = score_.notes[slot.note];
    if (note.retriggered && note.startTick == tick_) return;
    Close(slot.note, tick_);
    slot.stamp = 0;
}

void TrackReader::AllNotesOff(int channel) {
    std::vector<std::uint16_t>& list = openLists_[static_cast<std::size_t>(channel)];
    for (std::uint16_t slotIndex : list) {
        OpenSlot& slot = open_[slotIndex];
        if (slot.stamp == stamp_) {
            Close(slot.note, tick_);
            slot.stamp = 0;
        }
        slot.listed = 0;
    }
    list.clear();
}

// A program that a part's own track never set is the channel's first one in
// the file, as a player that reads all tracks at once would hear it.
void ResolvePrograms(Score& score) {
    std::array<std::uint8_t, 16> first;
    first.fill(kUnknownProgram);
    for (const Note& note : score.notes) {
        std::uint8_t& program = first[static_cast<std::size_t>(score.parts[note.part].channel)];
        if (program == kUnknownProgram) program = note.program;
    }
    for (Note& note : score.notes) {
        if (note.program == kUnknownProgram) {
            std::uint8_t program = first[static_cast<std::size_t>(score.parts[note.part].channel)];
            note.program = program == kUnknownProgram ? 0 : program;
        }
    }
    std::vector<bool> seen(score.parts.size(), false);
    for (const Note& note : score.notes) {
        Part& part = score.parts[note.part];
        ++part.noteCount;
        if (!seen[note.part]) part.program = note.program, seen[note.part] = true;
    }
    for (Part& part : score.parts) part.drums = (score.drumChannels >> part.channel) & 1;
}

}  // namespace

bool ReadScore(const std::uint8_t* data, std::size_t size, Score& score, std::string& error) {
    std::size_t at = 0;
    if (size >= 12 && std::memcmp(data, "RIFF", 4) == 0) {
        std::size_t limit = std::min(size, kRiffSearch) - 4;
        for (at = 12; at < limit && std::memcmp(data + at, "MThd", 4) != 0; ++at) {}
    }
    if (size < at + 14 || std::memcmp(data + at, "MThd", 4) != 0) {
        error = kNotMidi;
        return false;
    }
    std::uint32_t headerLength = ReadBE32(data + at + 4);
    score.format = ReadBE16(data + at + 8);
    std::uint16_t division = ReadBE16(data + at + 12);
    score.headerTracks = ReadBE16(data + at + 10);
    score.headerDivision = division;
    if (division & 0x8000) {
        int framesPerSecond = 256 - (division >> 8);
        double fps = framesPerSecond == 29 ? 29.97 : framesPerSecond;
        score.ticksPerSecond = fps * (division & 0xFF);
    }
    score.division = division & 0x8000 ? 480 : division == 0 ? 480 : division;

    std::size_t pos = at + 8 + std::min<std::size_t>(std::max<std::uint32_t>(headerLength, 6), size - at - 8);
    score.notes.reserve(size / 8);
    std::array<OpenSlot, 16 * 128> open{};
    std::array<PartSlot, 16> partSlots{};
    std::array<std::vector<std::uint16_t>, 16> openLists;
    TrackReader reader(score, open, partSlots, openLists);
    std::uint64_t formatTwoStart = 0;
    while (size - pos >= 8) {
        std::uint32_t length = ReadBE32(data + pos + 4);
        std::size_t begin = pos + 8;
        std::size_t available = std::min<std::size_t>(length, size - begin);
        if (std::memcmp(data + pos, "MTrk", 4) == 0) {
            int track = score.trackCount++;
            score.trackNames.emplace_back();
            std::uint64_t start = score.format == 2 ? formatTwoStart : 0;
            std::uint64_t end = reader.Read(data + begin, data + begin + available, track, start);
            formatTwoStart = end;
            score.endTick = std::max(score.endTick, end);
        }
        pos = begin + available;
    }
    ResolvePrograms(score);
    return true;
}

}  // namespace kelvane::arrange
