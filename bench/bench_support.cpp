#include "bench/bench_support.h"

#include <map>

#include "bench/corpus.h"
#include "ce3/ce3_writer.h"
#include "ce3/record_names.h"
#include "model/document.h"
#include "model/sheet_info.h"

namespace {

constexpr uint64_t kSeed = 7;

}  // namespace

std::string& drawingBytes(std::size_t n) {
    static std::map<std::size_t, std::string> drawings;
    auto it = drawings.find(n);
    if (it == drawings.end()) {
        it = drawings.emplace(n, benchcorpus::mixedDrawing(n, kSeed)).first;
    }
    return it->second;
}

FilePtr readStream(std::string& bytes) {
    return FilePtr(fmemopen(bytes.data(), bytes.size(), "rb"));
}

int decodeInto(std::string& ce2, SchDocument& doc, const ConversionOptions& options) {
    const FilePtr stream = readStream(ce2);
    return stream ? readCe2File(stream.get(), doc, options) : 0;
}

std::string ce3Text(SchDocument& doc) {
    std::string text;
    Ce3Writer writer(&text);
    writer.writeToken(kCe3Magic.open());
    writer.endLine();
    SchSheetInfo sheetInfo;
    sheetInfo.p1 = doc.sheetSize;
    sheetInfo.writeCe3(writer, nullptr);
    doc.writeElements(writer, doc.elements, false, nullptr);
    writer.writeToken(kCe3Magic.close());
    writer.endLine();
    return text;
}

void countElements(benchmark::State& state, std::size_t n) {
    const auto elements = static_cast<double>(n);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(n));
    state.counters["per_element"] = benchmark::Counter(
        elements, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void elementRange(benchmark::internal::Benchmark* b) {
    b->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);
}
