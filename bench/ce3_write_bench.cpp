// CE3 writing: every element record of a document through a stream.
#include "bench/bench_support.h"
#include "ce3/ce3_writer.h"
#include "model/document.h"

namespace {

void BM_Ce3Write(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    SchDocument doc;
    decodeInto(drawingBytes(n), doc, ConversionOptions{});
    const FilePtr sink(std::fopen("/dev/null", "wb"));
    if (!sink) {
        state.SkipWithError("cannot open /dev/null");
        return;
    }
    for (auto _ : state) {
        Ce3Writer writer(sink.get());
        doc.writeElements(writer, doc.elements, false, nullptr);
    }
    countElements(state, n);
}

}  // namespace

BENCHMARK(BM_Ce3Write)->Apply(elementRange);
