#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

const std::string& scratchDirectory() {
    static const std::string dir = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/morvex-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            propertyFailed("cannot create a scratch directory");
        }
        return pattern;
    }();
    return dir;
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        propertyFailed("cannot read a saved file");
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeWholeFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = fopen(path.c_str(), "wb");
    if (f == nullptr || (size > 0 && fwrite(data, 1, size, f) != size) || fclose(f) != 0) {
        propertyFailed("cannot write the input file");
    }
}

FILE* openBytes(const uint8_t* data, size_t size) {
    // fmemopen refuses an empty buffer; an empty input reads as /dev/null.
    FILE* f =
        size > 0 ? fmemopen(const_cast<uint8_t*>(data), size, "rb") : fopen("/dev/null", "rb");
    if (f == nullptr) {
        propertyFailed("cannot open the input as a stream");
    }
    return f;
}

void propertyFailed(const char* what) {
    fprintf(stderr, "property failed: %s\n", what);
    abort();
}
