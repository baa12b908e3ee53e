// What the two conversion targets do with an input: one whole conversion in
// memory, judged by the suite's CheckedRun. A broken rule aborts the process,
// so that libFuzzer keeps the input as a finding.
#pragma once

#include <cstddef>
#include <cstdint>

#include "RunCheck.h"

namespace kelvane::fuzz {

// The one CheckedRun of the process: its conversions follow one another as
// the dialog's do.
test::CheckedRun& SharedRun();

// Converts `midi` in `run` as it is set up, checks it, and aborts on a broken rule.
void ConvertAndCheck(test::CheckedRun& run, const std::uint8_t* midi, std::size_t size);

}  // namespace kelvane::fuzz
