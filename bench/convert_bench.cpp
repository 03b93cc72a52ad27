// The whole conversion of one file: decode, save atomically, read back.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "app/core/conversion.h"
#include "bench/bench_support.h"

namespace {

// A directory of its own under the system's temporary directory, removed with its contents.
class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "morvex-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        if (!path_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(path_, ec);
        }
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

void BM_Convert(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const TempDir dir;
    const std::string source = dir.path() + "/drawing.ce2";
    const std::string& bytes = drawingBytes(n);
    const FilePtr out(std::fopen(source.c_str(), "wb"));
    if (dir.path().empty() || !out ||
        std::fwrite(bytes.data(), 1, bytes.size(), out.get()) != bytes.size() ||
        std::fflush(out.get()) != 0) {
        state.SkipWithError("cannot write the source drawing");
        return;
    }
    const std::vector<std::string> sources{source};
    const ConversionOptions options;
    for (auto _ : state) {
        const std::vector<FileReport> reports = convertFiles(sources, options);
        if (reports.size() != 1 || reports[0].outcome != FileOutcome::Converted) {
            state.SkipWithError("the drawing did not convert");
            break;
        }
    }
    countElements(state, n);
}

}  // namespace

BENCHMARK(BM_Convert)->Apply(elementRange)->UseRealTime();
// The smallest drawing that is written: its time is what every file costs whatever its size.
BENCHMARK(BM_Convert)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
