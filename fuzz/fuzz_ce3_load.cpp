// Arbitrary bytes as a .ce3 file: load, save, load the saved file and save again. The two saved
// files must be byte-identical.
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "model/document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = scratchDirectory() + "/load-input.ce3";
    const std::string first = scratchDirectory() + "/load-first.ce3";
    const std::string second = scratchDirectory() + "/load-second.ce3";
    writeWholeFile(input, data, size);

    SchDocument doc;
    const int result = doc.load(input.c_str());
    if (result < 0 || result > 2) {
        propertyFailed("load returned an unknown result");
    }
    if (doc.save(first.c_str()) != 0) {
        propertyFailed("saving a loaded drawing failed");
    }
    SchDocument reloaded;
    if (reloaded.load(first.c_str()) != 0) {
        propertyFailed("a saved drawing does not load back");
    }
    if (reloaded.save(second.c_str()) != 0) {
        propertyFailed("saving a reloaded drawing failed");
    }
    if (readWholeFile(first) != readWholeFile(second)) {
        propertyFailed("saving the reloaded file changed its bytes");
    }
    return 0;
}
