// CE3 reading: a whole CE3 file from a stream in memory into a list of elements.
#include "bench/bench_support.h"
#include "ce3/ce3_reader.h"
#include "model/document.h"
#include "model/sheet_info.h"

namespace {

void BM_Ce3Read(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    SchDocument doc;
    decodeInto(drawingBytes(n), doc, ConversionOptions{});
    std::string text = ce3Text(doc);
    const std::size_t written = doc.elements.size();
    doc.clear();
    for (auto _ : state) {
        const FilePtr stream = readStream(text);
        Ce3Reader reader(stream.get());
        std::string magic;
        reader.readToken(magic);
        SchElementList list;
        SchSheetInfo sheetInfo;
        if (!doc.readElements(reader, list, nullptr, &sheetInfo) || list.size() != written) {
            state.SkipWithError("the CE3 text did not read back whole");
            break;
        }
    }
    countElements(state, n);
}

}  // namespace

BENCHMARK(BM_Ce3Read)->Apply(elementRange);
