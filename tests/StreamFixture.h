// One track converted on a chosen channel, with its stream's text and bytes.
#pragma once

#include <string>

#include "TestSupport.h"

namespace kelvane::test {

struct ChannelRun {
    InMemoryRun run;
    int channel;
    bool converted;

    // Converts a song whose track `channel` is `track`; the tracks before it
    // are empty, track 0 carries `conductor`.
    ChannelRun(int channelIn, const Track& track, int division = 480,
               const Track& conductor = Track().End(0))
        : channel(channelIn) {
        MidiFile file;
        file.Division(division).Add(conductor);
        for (int i = 1; i < channel; ++i) file.Add(Track().End(0));
        if (channel > 0) file.Add(track);
        converted = run.Convert(file.Build());
    }

    // The lines of the channel's stream, "\n" line ends, label excluded.
    std::string Text() const {
        static const char* kNames[] = {"", "Square1", "Square2", "Triangle", "Noise", "DPCM"};
        std::string text = run.Asm();
        std::string label = std::string("song_") + kNames[channel] + ":\r\n";
        std::size_t start = text.find(label);
        if (start == std::string::npos) return "<no label>";
        start += label.size();
        std::size_t end = text.find(";....", start);
        std::string lines = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string plain;
        for (char c : lines)
            if (c != '\r') plain += c;
        return plain;
    }

    // `count` bytes of the stream from the channel's pointer on.
    Bytes Stream(std::size_t count) const { return run.Block(run.Pointer(channel), count); }
};

}  // namespace kelvane::test
