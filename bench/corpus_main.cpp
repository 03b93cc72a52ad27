// Writes the drawings that `make bench` converts.
//
// Usage: morvex-bench-corpus large FILE ELEMENTS
//        morvex-bench-corpus batch DIRECTORY FILES ELEMENTS
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/corpus.h"

namespace {

constexpr uint64_t kLargeSeed = 1;
constexpr uint64_t kBatchSeed = 1000;

bool writeFile(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::perror(path.c_str());
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) {
        std::perror(path.c_str());
        return false;
    }
    return true;
}

// A positive count, or 0 when text is not one.
std::size_t count(const char* text) {
    char* end = nullptr;
    const unsigned long long n = std::strtoull(text, &end, 10);
    return (*text != '\0' && *end == '\0') ? static_cast<std::size_t>(n) : 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: morvex-bench-corpus large FILE ELEMENTS\n"
                 "       morvex-bench-corpus batch DIRECTORY FILES ELEMENTS\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "large" && argc == 4 && count(argv[3]) > 0) {
        return writeFile(argv[2], benchcorpus::mixedDrawing(count(argv[3]), kLargeSeed)) ? 0 : 1;
    }
    if (mode == "batch" && argc == 5 && count(argv[3]) > 0 && count(argv[4]) > 0) {
        const std::size_t files = count(argv[3]);
        for (std::size_t i = 0; i < files; ++i) {
            char name[48];
            std::snprintf(name, sizeof name, "/drawing-%05zu.ce2", i + 1);
            if (!writeFile(argv[2] + std::string(name),
                           benchcorpus::mixedDrawing(count(argv[4]), kBatchSeed + i))) {
                return 1;
            }
        }
        return 0;
    }
    return usage();
}
