// A conversion interrupted at random points of a large save leaves its target old or new, never
// partial, and nothing else in the folder: no temporary file, not even a hidden one.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "run_process.h"
#include "support/ce2_builder.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace ce2build;
using std::chrono::microseconds;

constexpr int kElements = 60'000;
constexpr int kRunsPerSignal = 10;

std::string largeDrawing() {
    std::string out;
    for (int i = 0; i < kElements; ++i) {
        out += line(kWire, 0, 10 + i % 500, 10, 50, 10 + i % 300);
    }
    return out;
}

std::vector<std::string> namesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Runs the converter to its end, then again and again with a signal sent at a random moment of
// the time a whole run takes, over an old target or none.
void interruptSaves(const char* program, const std::vector<int>& signals) {
    TempDir dir;
    writeBytes(dir / "big.ce2", largeDrawing());
    const std::string target = dir / "big.ce3";
    const std::string old = "old drawing\r\n";
    const ProcessRequest convert{{program, "-q", "big.ce2"}, dir.path(), {{"LC_ALL", "C.UTF-8"}}};

    // The shortest of three whole runs: the signals then fall inside a run however busy the
    // machine is.
    microseconds whole = microseconds::max();
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(runProcess(convert).exitCode, 0);
        whole = std::min(whole, std::chrono::duration_cast<microseconds>(
                                    std::chrono::steady_clock::now() - start));
    }
    const std::string fresh = readBytes(target);
    ASSERT_GT(fresh.size(), 1'000'000u);

    std::mt19937 random(20240611);
    std::uniform_int_distribution<long> moment(0, whole.count() * 9 / 10);
    int interrupted = 0;
    for (const int signal : signals) {
        for (int run = 0; run < kRunsPerSignal; ++run) {
            const bool existing = run % 2 == 0;
            if (existing) {
                writeBytes(target, old);
            } else {
                fs::remove(target);
            }
            ProcessRequest request = convert;
            request.killSignal = signal;
            request.killAfter = microseconds(moment(random));
            SCOPED_TRACE(std::string(strsignal(signal)) + " after " +
                         std::to_string(request.killAfter.count()) + " us" +
                         (existing ? " over an old target" : ""));
            const ProcessResult r = runProcess(request);
            ASSERT_FALSE(r.timedOut);
            // Ended by the signal itself, as if no handler had run, unless it came too late.
            EXPECT_TRUE(r.exitCode == 0 || r.signal == signal) << r.exitCode << " " << r.signal;
            interrupted += r.signal == signal ? 1 : 0;

            const bool written = fs::exists(target);
            if (r.exitCode == 0 || (written && readBytes(target) != old)) {
                EXPECT_EQ(readBytes(target), fresh);
            } else if (existing) {
                EXPECT_EQ(readBytes(target), old);
            }
            EXPECT_TRUE(written || !existing);
            const std::vector<std::string> expected =
                written ? std::vector<std::string>{"big.ce2", "big.ce3"}
                        : std::vector<std::string>{"big.ce2"};
            EXPECT_EQ(namesIn(dir.path()), expected);
        }
    }
    // Most signals land while the converter runs.
    const int runs = static_cast<int>(signals.size()) * kRunsPerSignal;
    std::cout << interrupted << " of " << runs << " runs interrupted\n";
    EXPECT_GT(interrupted, runs / 2);
}

TEST(InterruptedSave, TemporaryWithoutName) {
    interruptSaves(MORVEX_CLI, {SIGKILL, SIGINT, SIGTERM});
}

// Where the file system offers no temporary without a name, the named one is removed when the
// run is interrupted; SIGKILL leaves no chance to.
TEST(InterruptedSave, NamedTemporary) {
    interruptSaves(MORVEX_CLI_NAMED_TEMPORARIES, {SIGINT, SIGTERM});
}

}  // namespace
