#pragma once

#include <cstdio>

// Whether a CE3 text holds only what a conversion writes: the magic lines around a sheet
// information record and element records, and nothing after them. A file the editor has saved
// holds more (library information), and a conversion must not replace it.
bool holdsOnlyConvertedRecords(FILE* stream);
