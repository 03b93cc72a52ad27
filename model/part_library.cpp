#include "model/part_library.h"

#include <array>

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

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whole C strings equal when ASCII letters are compared without regard to case.
bool equalIgnoringAsciiCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (asciiLower(*a) != asciiLower(*b)) {
            return false;
        }
    }
    return *a == *b;
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
    const Registry& r = registry();
    // The extra library is visited last, as index `count`; an absent library ends the walk.
    for (int i = 0; i <= r.count; ++i) {
        const PartLibrary* library = i < r.count ? r.libraries[static_cast<std::size_t>(i)] : extra;
        if (library == nullptr) {
            break;
        }
        for (std::size_t j = 0; j < library->parts.size(); ++j) {
            if (equalIgnoringAsciiCase(library->parts[j].name.c_str(), name)) {
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
