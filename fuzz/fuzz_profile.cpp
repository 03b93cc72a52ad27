// Arbitrary bytes as a settings file, into which one key is written. The key must read back as
// written, a second write of it must change nothing, and the file must keep every other byte:
// the old text is the new one less one span, which held no line end.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/core/profile_text.h"
#include "fuzz/fuzz_support.h"

namespace {

// The entry to write comes from the first bytes; names differ in letter case from the file's.
struct Entry {
    const char* section;
    const char* key;
    std::string value;
};

Entry entryFrom(std::string_view& input) {
    static const char* const sections[] = {"LARGE_FONT", "small_font", "A"};
    static const char* const keys[] = {"FACE", "size", "K"};
    Entry entry{sections[0], keys[0], {}};
    if (input.empty()) {
        return entry;
    }
    const auto choice = static_cast<unsigned char>(input.front());
    input.remove_prefix(1);
    entry.section = sections[choice % 3];
    entry.key = keys[choice / 3 % 3];
    const std::size_t length = std::min<std::size_t>(choice / 9 % 8, input.size());
    entry.value = std::string(input.substr(0, length));
    input.remove_prefix(length);
    return entry;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    Entry entry = entryFrom(input);
    // Values are read back without surrounding blanks, so none are written.
    while (!entry.value.empty() && isBlank(entry.value.back())) {
        entry.value.pop_back();
    }
    while (!entry.value.empty() && isBlank(entry.value.front())) {
        entry.value.erase(0, 1);
    }
    if (!fitsProfileLine(entry.section, entry.key, entry.value)) {
        return 0;
    }
    const std::string_view before = input;
    const std::string after = withProfileValue(before, entry.section, entry.key, entry.value);
    if (profileValue(after, entry.section, entry.key) != entry.value) {
        propertyFailed("the written key reads back differently");
    }
    if (withProfileValue(after, entry.section, entry.key, entry.value) != after) {
        propertyFailed("writing the same value again changed the text");
    }
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) {
        ++prefix;
    }
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    const std::string_view removed = before.substr(prefix, before.size() - prefix - suffix);
    if (removed.find('\n') != std::string_view::npos) {
        propertyFailed("more than one line changed");
    }
    return 0;
}
