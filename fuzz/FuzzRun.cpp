#include "FuzzRun.h"

#include <cstdio>
#include <cstdlib>

namespace kelvane::fuzz {

test::CheckedRun& SharedRun() {
    static test::CheckedRun run;
    return run;
}

void ConvertAndCheck(test::CheckedRun& run, const std::uint8_t* midi, std::size_t size) {
    std::string broken = run.ConvertAndCheck(test::Bytes(midi, midi + size));
    if (!broken.empty()) {
        std::fprintf(stderr, "kelvane fuzz: a conversion broke a rule: %s\n", broken.c_str());
        std::abort();
    }
}

}  // namespace kelvane::fuzz
