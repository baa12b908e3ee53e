// Any bytes as the MIDI file's path: the song name and the output base path
// derived from it, and the name in GBK as the output files receive it.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Gbk.h"
#include "SongName.h"

namespace {

void Broken(const char* rule, const std::string& path) {
    std::fprintf(stderr, "kelvane fuzz: %s (path of %zu bytes)\n", rule, path.size());
    std::abort();
}

bool IsAscii(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), size);
    const std::string name = kelvane::SongNameOfPath(path);
    const std::string base = kelvane::BasePathOfPath(path);

    // The outputs stay in the MIDI file's folder: the base path is the path
    // less an extension that holds no separator, and ends with the name.
    if (path.compare(0, base.size(), base) != 0) Broken("the base path is not a prefix of the path", path);
    const std::string extension = path.substr(base.size());
    if (!extension.empty() && extension[0] != '.') Broken("what the base path drops is not an extension", path);
    for (char c : extension)
        if (kelvane::IsPathSeparator(c)) Broken("the extension holds a separator", path);
    for (char c : name)
        if (kelvane::IsPathSeparator(c)) Broken("the song name holds a separator", path);
    if (base.size() < name.size() || base.compare(base.size() - name.size(), name.size(), name) != 0)
        Broken("the base path does not end with the song name", path);

    // Each character becomes at most as many bytes as it had, and ASCII stays as it is.
    const std::string gbk = kelvane::Utf8ToGbk(name);
    if (gbk.size() > name.size()) Broken("the GBK name is longer than the UTF-8 one", path);
    if (IsAscii(name) && gbk != name) Broken("an ASCII name changed in GBK", path);
    return 0;
}
