// Any bytes as the MIDI file, behind two bytes that set up the rest of the
// run: the template's size (or its absence) and one fault of the files, as
// CheckedRun::SetUp reads them.
#include "FuzzRun.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    kelvane::test::CheckedRun& run = kelvane::fuzz::SharedRun();
    run.SetUp(data[0], data[1]);
    kelvane::fuzz::ConvertAndCheck(run, data + 2, size - 2);
    return 0;
}
