#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Shared by the fuzz targets: a scratch directory for the files they save and load, preferring
// memory-backed storage so that the syncs of a save stay cheap.
const std::string& scratchDirectory();

// Reads a whole file; aborts when it cannot.
std::string readWholeFile(const std::string& path);

// Writes bytes to a file; aborts when it cannot.
void writeWholeFile(const std::string& path, const uint8_t* data, size_t size);

// A read-only stream over the bytes (an empty input gives an empty stream).
FILE* openBytes(const uint8_t* data, size_t size);

// Reports a broken property and aborts, so that the fuzzer keeps the input.
[[noreturn]] void propertyFailed(const char* what);
