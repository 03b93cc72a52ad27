// Arbitrary bytes as a .ce2 file: decode and save, then reload and save until the bytes are stable.
#include <cstdint>
#include <string_view>

#include "ce2/ce2_reader.h"
#include "fuzz/fuzz_support.h"
#include "model/document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string first = scratchDirectory() + "/ce2-first.ce3";
    const std::string second = scratchDirectory() + "/ce2-second.ce3";
    const std::string third = scratchDirectory() + "/ce2-third.ce3";
    ConversionOptions options;
    options.largeFontName = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";
    options.largeFontSize = 16;
    options.smallFontName = "Verdana";
    options.smallFontSize = 10;

    SchDocument doc;
    FILE* in = openBytes(data, size);
    Ce2ReadReport report;
    const int count = readCe2File(in, doc, options, &report);
    fclose(in);
    if (count < 0 || static_cast<size_t>(count) != doc.elements.size()) {
        propertyFailed("the count differs from the elements in the document");
    }
    // The bytes decoded where they lie in memory stop where and as the stream of them does.
    SchDocument fromBytes;
    Ce2ReadReport bytesReport;
    const int bytesCount = readCe2Bytes(std::string_view(reinterpret_cast<const char*>(data), size),
                                        fromBytes, options, &bytesReport);
    if (bytesCount != count || fromBytes.sheetSize != doc.sheetSize ||
        bytesReport.stop != report.stop || bytesReport.offset != report.offset ||
        bytesReport.type != report.type || bytesReport.commentLength != report.commentLength) {
        propertyFailed("bytes in memory read otherwise than a stream of them");
    }
    // Every element the save writes reads back, but lines of length zero, which a reader drops.
    std::size_t readable = 0;
    for (const auto& e : doc.elements) {
        readable += doc.saveFate(*e) == SchDocument::SaveFate::Written && e->isValid() ? 1 : 0;
    }
    if (doc.save(first.c_str()) != 0) {
        propertyFailed("saving a decoded drawing failed");
    }
    SchDocument reloaded;
    if (reloaded.load(first.c_str()) != 0) {
        propertyFailed("a saved drawing does not load back whole");
    }
    if (reloaded.elements.size() != readable) {
        propertyFailed("a saved drawing loads back with other elements than were written");
    }
    // The layers and a component's block number are written but not read back, so the first
    // reload may differ from the decoded drawing; from then on saving must be stable.
    if (reloaded.save(second.c_str()) != 0) {
        propertyFailed("saving a reloaded drawing failed");
    }
    SchDocument again;
    if (again.load(second.c_str()) != 0) {
        propertyFailed("a saved reload does not load back");
    }
    if (again.save(third.c_str()) != 0) {
        propertyFailed("saving a twice reloaded drawing failed");
    }
    if (readWholeFile(second) != readWholeFile(third)) {
        propertyFailed("saving a reloaded file changed its bytes");
    }
    return 0;
}
