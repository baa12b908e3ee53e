// Any bytes as the MIDI file of one whole conversion.
#include "FuzzRun.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kelvane::fuzz::ConvertAndCheck(kelvane::fuzz::SharedRun(), data, size);
    return 0;
}
