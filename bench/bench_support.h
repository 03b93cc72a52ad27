#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "ce2/ce2_reader.h"
#include "platform/files.h"

class SchDocument;

// The mixed CE2 drawing of n elements that every benchmark uses, generated once per n.
std::string& drawingBytes(std::size_t n);

// A stream reading bytes in place; bytes must outlive it.
FilePtr readStream(std::string& bytes);

// Decodes a CE2 drawing into doc as the conversion does; the number of elements appended.
int decodeInto(std::string& ce2, SchDocument& doc, const ConversionOptions& options);

// The CE3 file that saving doc writes, as text.
std::string ce3Text(SchDocument& doc);

// Reports throughput and time per element for n elements handled per iteration.
void countElements(benchmark::State& state, std::size_t n);

// The sizes of the scaling runs: 1,000 to 1,000,000 elements, by factors of ten.
void elementRange(benchmark::internal::Benchmark* b);
