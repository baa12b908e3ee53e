// Songs shaped to find the slow paths of the arrangement: each is what a
// careless or hostile file can hold in bulk, grown to a given size. The
// benchmarks time them against the band song, and the arrangement fuzzer
// starts from them, so that a path that grows faster than the input shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvane::bench {

enum class Shape {
    kSameKeyZeroLength,  // one track: a held note, and notes of no length at one key, all at the first tick
    kTempoEveryTick,     // a tempo change on every tick beside a note on every tick
    kOverlappingPart,    // one part whose notes each sound through the next hundred
    kManyParts,          // a track of one note per part, on all sixteen channels
    kManyTexts,          // three lyrics and a text event before every note, some at one unit
    kAllNotesOff,        // every key of every channel sounding, then all-notes-off again and again
    kOneKeyAtOnce,       // a track per note, every note at one key from the first tick: like parts alike
};

constexpr Shape kShapes[] = {Shape::kSameKeyZeroLength, Shape::kTempoEveryTick, Shape::kOverlappingPart,
                             Shape::kManyParts, Shape::kManyTexts, Shape::kAllNotesOff, Shape::kOneKeyAtOnce};

// "same-key-zero-length", a file name without blanks.
std::string ShapeFileName(Shape shape);

// A file of `shape` of at least `size` bytes (a few bytes more at most).
std::vector<std::uint8_t> WorstShapeSong(Shape shape, std::size_t size);

}  // namespace kelvane::bench
