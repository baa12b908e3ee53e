// A conversion allocates per run and per track, never per event: a song with
// four times the events must take no more allocations than the smaller one.
// An arrangement may add only the doublings of its vectors.
//
// The program replaces the global operator new to count, so it is a program
// of its own and not part of the engine tests.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <iostream>
#include <new>
#include <sstream>

#include "Arrange.h"
#include "BandSong.h"
#include "BenchSupport.h"
#include "Converter.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<std::size_t> allocations{0};

void* Allocate(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace kelvane::bench {
namespace {

struct RunCount {
    std::size_t events = 0;
    std::size_t allocations = 0;
    bool converted = false;
};

// Runs `once` twice and counts the allocations of the second run: what a
// front end that converts again and again sees. Returns what the run said.
template <typename Run>
bool CountSecondRun(Run once, std::size_t& counted) {
    once();
    allocations = 0;
    counting = true;
    bool ok = once();
    counting = false;
    counted = allocations;
    return ok;
}

RunCount CountRun(std::size_t songSize) {
    RunCount result;
    Bytes song = LargeSong(songSize, &result.events);
    Bytes image = Template();
    QuietFrontEnd frontEnd;
    DiscardingFileSystem files;
    files.Put(kTemplatePath, image);
    files.Put(kSongPath, song);
    Converter converter(frontEnd, files);
    result.converted = CountSecondRun([&] { return converter.Run(BenchRequest()).succeeded; },
                                      result.allocations);
    return result;
}

TEST(Allocation, CountDoesNotGrowWithTheEvents) {
    // Both songs overfill the song block, so both runs log the same status
    // lines and differ only in their events.
    RunCount small = CountRun(kLargeSongSize / 4);
    RunCount large = CountRun(kLargeSongSize);
    ASSERT_FALSE(small.converted);
    ASSERT_FALSE(large.converted);
    ASSERT_GT(large.events, 3 * small.events);
    std::cout << "allocations per run: " << small.allocations << " for " << small.events
              << " events, " << large.allocations << " for " << large.events << " events\n";
    EXPECT_GT(small.allocations, 0u);  // the counter is in place
    EXPECT_LE(large.allocations, small.allocations);
}

// The arrangement allocates its score's vectors, which grow with the song by
// doubling, and a fixed number of other things: never one per event.
RunCount CountArrangement(std::size_t songSize) {
    RunCount result;
    Bytes song = BandSong(songSize, &result.events);
    arrange::VoiceAssignment automatic;
    result.converted = CountSecondRun([&] { return arrange::Arrange(song, automatic).ok; }, result.allocations);
    return result;
}

TEST(Allocation, ArrangementGrowsOnlyByTheDoublingOfItsVectors) {
    RunCount small = CountArrangement(kLargeSongSize / 4);
    RunCount large = CountArrangement(kLargeSongSize);
    ASSERT_TRUE(small.converted);
    ASSERT_TRUE(large.converted);
    ASSERT_GT(large.events, 3 * small.events);
    std::cout << "arrangement allocations per run: " << small.allocations << " for " << small.events
              << " events, " << large.allocations << " for " << large.events << " events\n";
    // Four times the events: at most two more doublings of each of the
    // vectors that grow with the song (notes, texts, volume changes, the five
    // lines, the per-channel volume lists, bars...), about forty of them.
    constexpr std::size_t kGrowingVectors = 40;
    EXPECT_LE(large.allocations, small.allocations + 2 * kGrowingVectors);
}

}  // namespace
}  // namespace kelvane::bench
