#include "ce3/converted_contents.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "ce3/ce3_reader.h"
#include "ce3/record_names.h"

namespace {

constexpr std::array kConvertedRecords = {
    kCe3SheetInfo, kCe3Junction, kCe3Entry, kCe3BusEntry,  kCe3Bus,     kCe3Wire,
    kCe3Dash,      kCe3Label,    kCe3Tag,   kCe3Component, kCe3Comment,
};

const Ce3RecordName* convertedRecord(std::string_view opener) {
    const auto it = std::find_if(kConvertedRecords.begin(), kConvertedRecords.end(),
                                 [&](const Ce3RecordName& name) { return name.open() == opener; });
    return it != kConvertedRecords.end() ? &*it : nullptr;
}

}  // namespace

bool holdsOnlyConvertedRecords(FILE* stream) {
    Ce3Reader reader(stream);
    std::string_view token;
    if (reader.nextToken(token) < 0 || token != kCe3Magic.open()) {
        return false;
    }
    for (;;) {
        if (reader.nextToken(token) < 0) {
            return false;  // cut short, or a broken escape
        }
        if (token == kCe3Magic.close()) {
            return reader.nextToken(token) < 0 && std::ferror(stream) == 0;
        }
        const Ce3RecordName* record = convertedRecord(token);
        if (record == nullptr || reader.skipUntil(record->close()) < 0) {
            return false;
        }
    }
}
