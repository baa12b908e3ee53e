#include "ProgramDirectory.h"

#ifdef _WIN32
#include "WideText.h"
#else
#include <climits>
#include <unistd.h>

#include <vector>
#endif

namespace kelvane {

#ifdef _WIN32

std::string ProgramDirectory() { return Narrow(ModuleDirectory()); }

#else

std::string ProgramDirectory() {
    // readlink truncates silently when the buffer is too small, so grow it
    // until the answer is shorter than the buffer.
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return std::string();
        if (static_cast<std::size_t>(length) < buffer.size()) {
            std::string path(buffer.data(), static_cast<std::size_t>(length));
            return path.substr(0, path.find_last_of('/') + 1);
        }
        buffer.resize(buffer.size() * 2);
    }
}

#endif

}  // namespace kelvane
