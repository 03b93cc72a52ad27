// CE2 decoding: records from a stream in memory into a document's elements.
#include "bench/bench_support.h"
#include "model/document.h"

namespace {

void BM_Ce2Decode(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    std::string& ce2 = drawingBytes(n);
    const ConversionOptions options;
    for (auto _ : state) {
        SchDocument doc;
        if (decodeInto(ce2, doc, options) != static_cast<int>(n)) {
            state.SkipWithError("the drawing did not decode whole");
            break;
        }
    }
    countElements(state, n);
}

}  // namespace

BENCHMARK(BM_Ce2Decode)->Apply(elementRange);
