// Our own songs, built in code: the seeds of the fuzzer and the material the
// bad-input suite cuts and corrupts. Between them they reach every kind of
// event the translator knows, on every channel.
#pragma once

#include <string>
#include <vector>

#include "MidiBuilder.h"

namespace kelvane::test {

struct GeneratedSong {
    std::string name;  // a file name without extension
    Bytes midi;
};

std::vector<GeneratedSong> GeneratedSongs();

// A small song of three tracks that still holds a tempo, a device name, a
// lyric, a program change, a volume and notes: every byte of it matters.
Bytes SmallSong();

}  // namespace kelvane::test
