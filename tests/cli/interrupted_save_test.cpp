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

#include "ce2_builder/ce2_builder.h"
#include "run_process.h"
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

// Runs the converter on `files` copies of a large drawing at once to its end, then again and
// again with a signal sent at a random moment of the time a whole run takes, over old targets or
// none.
void interruptSaves(const char* program, const std::vector<int>& signals, int files = 1) {
    TempDir dir;
    std::vector<std::string> names;
    std::vector<std::string> args = {program, "-q", "--jobs", std::to_string(files)};
    for (int i = 0; i < files; ++i) {
        const std::string name = files == 1 ? "big" : "big" + std::to_string(i);
        writeBytes(dir / (name + ".ce2"), largeDrawing());
        names.push_back(name);
        args.push_back(name + ".ce2");
    }
    // An earlier output, which a conversion replaces.
    const std::string old =
        "+TOVR3_DATA_V.1.0\r\n+SHEETINFO,EL:0,VL:0,W:1500,H:1000,-SHEETINFO\r\n"
        "-TOVR3_DATA_V.1.0\r\n";
    const ProcessRequest convert{args, dir.path(), {{"LC_ALL", "C.UTF-8"}}};

    // The shortest of three whole runs: the signals then fall inside a run however busy the
    // machine is.
    microseconds whole = microseconds::max();
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(runProcess(convert).exitCode, 0);
        whole = std::min(whole, std::chrono::duration_cast<microseconds>(
                                    std::chrono::steady_clock::now() - start));
    }
    const std::string fresh = readBytes(dir / (names[0] + ".ce3"));
    ASSERT_GT(fresh.size(), 1'000'000u);

    std::mt19937 random(20240611);
    std::uniform_int_distribution<long> moment(0, whole.count() * 9 / 10);
    int interrupted = 0;
    for (const int signal : signals) {
        for (int run = 0; run < kRunsPerSignal; ++run) {
            const bool existing = run % 2 == 0;
            for (const std::string& name : names) {
                if (existing) {
                    writeBytes(dir / (name + ".ce3"), old);
                } else {
                    fs::remove(dir / (name + ".ce3"));
                }
            }
            ProcessRequest request = convert;
            request.killSignal = signal;
            request.killAfter = microseconds(moment(random));
            SCOPED_TRACE(std::string(strsignal(signal)) + " after " +
                         std::to_string(request.killAfter.count()) + " us" +
                         (existing ? " over old targets" : ""));
            const ProcessResult r = runProcess(request);
            ASSERT_FALSE(r.timedOut);
            // Ended by the signal itself, as if no handler had run, unless it came too late.
            EXPECT_TRUE(r.exitCode == 0 || r.signal == signal) << r.exitCode << " " << r.signal;
            interrupted += r.signal == signal ? 1 : 0;

            std::vector<std::string> expected;
            for (const std::string& name : names) {
                const std::string target = dir / (name + ".ce3");
                const bool written = fs::exists(target);
                if (r.exitCode == 0 || (written && readBytes(target) != old)) {
                    EXPECT_EQ(readBytes(target), fresh) << name;
                } else if (existing) {
                    EXPECT_EQ(readBytes(target), old) << name;
                }
                EXPECT_TRUE(written || !existing) << name;
                expected.push_back(name + ".ce2");
                if (written) {
                    expected.push_back(name + ".ce3");
                }
            }
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
    interruptSaves(MORVEX_NAMED_TEMPORARY_SAVES, {SIGINT, SIGTERM});
}

// Several saves in flight at once, each with a named temporary: none is left behind.
TEST(InterruptedSave, ParallelNamedTemporaries) {
    interruptSaves(MORVEX_NAMED_TEMPORARY_SAVES, {SIGINT, SIGTERM}, 3);
}

}  // namespace
