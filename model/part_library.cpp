#include "model/part_library.h"

#include <array>
#include <string_view>

#include "platform/text.h"

namespace {

// The registered libraries, in registration order; slots from `count` on are unused.
struct Registry {
    std::array<const PartLibrary*, kMaxPartLibraries> libraries{};
    int count = 0;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

}  // namespace

bool registerPartLibrary(const PartLibrary* library) {
    Registry& r = registry();
    if (library == nullptr || r.count >= kMaxPartLibraries) {
        return false;
    }
    r.libraries[static_cast<std::size_t>(r.count)] = library;
    ++r.count;
    return true;
}

void clearPartLibraries() {
    Registry& r = registry();
    r.libraries.fill(nullptr);
    r.count = 0;
}

int partLibraryCount() {
    return registry().count;
}

const LibraryPart* findLibraryPart(const char* name, int* libraryIndex, int* partIndex,
                                   const PartLibrary* extra) {
    if (name == nullptr) {
        return nullptr;
    }
    const std::string_view wanted(name);  // compared as C strings: up to the first NUL
    const Registry& r = registry();
    // The extra library is visited last, as index `count`; an absent library ends the walk.
    for (int i = 0; i <= r.count; ++i) {
        const PartLibrary* library = i < r.count ? r.libraries[static_cast<std::size_t>(i)] : extra;
        if (library == nullptr) {
            break;
        }
        for (std::size_t j = 0; j < library->parts.size(); ++j) {
            if (equalIgnoringAsciiCase(library->parts[j].name.c_str(), wanted)) {
                if (libraryIndex != nullptr) {
                    *libraryIndex = i;
                }
                if (partIndex != nullptr) {
                    *partIndex = static_cast<int>(j);
                }
                return &library->parts[j];
            }
        }
    }
    return nullptr;
}
