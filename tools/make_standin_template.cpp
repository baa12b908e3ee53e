// Writes a stand-in for the template ROM: 512 KB that only lets the converter
// run. The real template comes with the device.
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_standin_template OUTPUT\n");
        return 2;
    }
    constexpr std::size_t kSize = 0x80000;
    std::vector<unsigned char> image(kSize, 0xFF);
    static const char kMark[] = "KELVANE STAND-IN TEMPLATE: NOT A CONSOLE PROGRAM";
    for (std::size_t i = 0; i + sizeof kMark <= 0x1000; i += sizeof kMark)
        for (std::size_t k = 0; k + 1 < sizeof kMark; ++k) image[i + k] = static_cast<unsigned char>(kMark[k]);
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    bool ok = std::fwrite(image.data(), 1, kSize, out) == kSize;
    ok = std::fclose(out) == 0 && ok;
    return ok ? 0 : 1;
}
