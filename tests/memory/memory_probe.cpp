// Converts one .ce2 file or loads one .ce3 file and prints the element count with the peak
// resident set size before and after, in KiB:
//   memory_probe convert FILE   ->  elements=N written=W baseline_kib=B peak_kib=P
//   memory_probe load FILE      ->  result=R elements=N baseline_kib=B peak_kib=P
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/core/conversion.h"
#include "app/core/conversion_text.h"
#include "model/document.h"

namespace {

long peakKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: memory_probe convert|load FILE\n");
        return 2;
    }
    const long baseline = peakKib();
    if (std::strcmp(argv[1], "convert") == 0) {
        const std::vector<FileReport> reports = convertFiles({argv[2]}, ConversionOptions{});
        const FileReport& r = reports.front();
        std::printf("elements=%d written=%d baseline_kib=%ld peak_kib=%ld\n", r.elementsRead,
                    r.elementsWritten, baseline, peakKib());
        if (r.outcome != FileOutcome::Converted) {
            std::fprintf(stderr, "%s: %s\n", argv[2], describeOutcome(r).c_str());
            return 1;
        }
        return 0;
    }
    if (std::strcmp(argv[1], "load") == 0) {
        SchDocument doc;
        const int result = doc.load(argv[2]);
        std::printf("result=%d elements=%zu baseline_kib=%ld peak_kib=%ld\n", result,
                    doc.elements.size(), baseline, peakKib());
        return 0;
    }
    std::fprintf(stderr, "memory_probe: unknown command %s\n", argv[1]);
    return 2;
}
