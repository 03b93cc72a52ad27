#pragma once

#include <string>
#include <vector>

#include "model/geometry.h"

// The sides of a part's body, clockwise from the left.
struct PinSide {
    static constexpr int Left = 0;
    static constexpr int Top = 1;
    static constexpr int Right = 2;
    static constexpr int Bottom = 3;
};

// The bit that stands for a side in a set of sides.
constexpr int32_t pinSideBit(int side) {
    return int32_t{1} << side;
}

// A pin of a library part: the body side it sits on in direction 0 and its position along that
// side in grid units (10 drawing units).
struct LibraryPin {
    int side = 0;
    int position = 0;
};

// What a component needs of its library part. A part without a body description has size
// (0, 0), block count 0 and no pins.
struct LibraryPart {
    std::string name;
    SchPoint size{0, 0};  // width and height in grid units, as drawn in direction 0
    int blockCount = 0;
    std::vector<LibraryPin> pins;
};

struct PartLibrary {
    std::vector<LibraryPart> parts;
};

inline constexpr int kMaxPartLibraries = 16;

// The process-wide registry of part libraries. The product registers none; the registry does
// not own the libraries, which must outlive every element that refers to their parts.
// Returns false, registering nothing, for a null library or when the registry is full.
bool registerPartLibrary(const PartLibrary* library);
void clearPartLibraries();
int partLibraryCount();

// Finds the first part whose name equals `name` ignoring ASCII case, in the registered libraries
// in order and then in `extra` (may be null). Stores the indexes through the non-null pointers.
const LibraryPart* findLibraryPart(const char* name, int* libraryIndex, int* partIndex,
                                   const PartLibrary* extra);
