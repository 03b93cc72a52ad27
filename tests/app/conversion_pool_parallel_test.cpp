#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/core/conversion_pool.h"
#include "support/ce2_builder.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// What the threads of a pool did, as seen from inside the conversions.
struct Witness {
    std::mutex mutex;
    std::vector<bool> finished;
    std::vector<std::string> problems;

    explicit Witness(std::size_t count) : finished(count) {}

    void start(std::size_t index, const PoolPlan& plan) {
        const std::lock_guard lock(mutex);
        std::size_t firstUnfinished = 0;
        while (finished[firstUnfinished]) {
            ++firstUnfinished;
        }
        if (index > firstUnfinished + plan.jobs) {
            problems.push_back(std::to_string(index) + " started too far ahead");
        }
        for (const std::size_t earlier : plan.after[index]) {
            if (!finished[earlier]) {
                problems.push_back(std::to_string(index) + " ran with " + std::to_string(earlier));
            }
        }
    }
    void finish(std::size_t index) {
        const std::lock_guard lock(mutex);
        finished[index] = true;
    }
};

// Files of uneven length, each telling of its stages; some must follow earlier ones.
TEST(ParallelPool, ReportsInListOrderAndFilesThatShareWaitForEachOther) {
    for (const std::size_t jobs : {2u, 3u, 8u}) {
        SCOPED_TRACE(jobs);
        constexpr std::size_t kFiles = 40;
        Witness witness(kFiles);
        PoolPlan plan{kFiles, jobs, std::vector<std::vector<std::size_t>>(kFiles), {}};
        plan.after[9] = {4};
        plan.after[10] = {4, 9};
        plan.after[30] = {29};
        plan.convert = [&](std::size_t index, const StageSink& stage) {
            witness.start(index, plan);
            for (uint64_t done = 0; done < 3; ++done) {
                stage(FileStage::Reading, done, index);
                std::this_thread::sleep_for(std::chrono::microseconds((index * 7919) % 500));
            }
            witness.finish(index);
            FileReport report;
            report.source = std::to_string(index);
            return report;
        };
        const std::thread::id caller = std::this_thread::get_id();
        std::vector<std::string> heard;
        const auto hear = [&](const std::string& what) {
            heard.push_back(std::this_thread::get_id() == caller ? what : "elsewhere " + what);
        };
        std::size_t given = 0;
        ConversionProgress progress;
        progress.fileStarting = [&](std::size_t index) { hear("start " + std::to_string(index)); };
        progress.fileDone = [&](const FileReport& report, std::size_t done, std::size_t total) {
            hear("done " + report.source + " " + std::to_string(done) + "/" +
                 std::to_string(total));
            given = done;
        };
        progress.fileStage = [&](std::size_t index, FileStage, uint64_t done, uint64_t total) {
            if (index != given || total != index || done >= 3) {
                hear("stage of " + std::to_string(index) + " after " + std::to_string(given));
            }
        };
        const std::optional<std::vector<FileReport>> reports = convertOnPool(plan, progress);
        ASSERT_TRUE(reports);
        std::vector<std::string> expected;
        for (std::size_t i = 0; i < kFiles; ++i) {
            EXPECT_EQ((*reports)[i].source, std::to_string(i));
            expected.push_back("start " + std::to_string(i));
            expected.push_back("done " + std::to_string(i) + " " + std::to_string(i + 1) + "/40");
        }
        EXPECT_EQ(heard, expected);
        EXPECT_EQ(witness.problems, std::vector<std::string>{});
    }
}

// A conversion or a callback that throws ends the run with its exception, once every thread has
// finished its file.
TEST(ParallelPool, ExceptionEndsTheRun) {
    PoolPlan plan{30, 4, std::vector<std::vector<std::size_t>>(30), {}};
    plan.convert = [](std::size_t index, const StageSink&) {
        if (index == 12) {
            throw std::runtime_error("conversion");
        }
        return FileReport{};
    };
    EXPECT_THROW(convertOnPool(plan, {}), std::runtime_error);
    plan.convert = [](std::size_t, const StageSink&) { return FileReport{}; };
    ConversionProgress progress;
    progress.fileDone = [](const FileReport&, std::size_t done, std::size_t) {
        if (done == 5) {
            throw std::logic_error("callback");
        }
    };
    EXPECT_THROW(convertOnPool(plan, progress), std::logic_error);
}

// Entries that read or write one file, by whatever name, wait for each other: the same source by
// another path or a hard link, an output as another entry's source, an output not there yet
// through another path of its folder or in other letter case.
TEST(ParallelBatch, SharedFilesAreFound) {
    TempDir dir;
    const std::string twoWires = ce2build::line(ce2build::kWire, 0, 10, 10, 50, 10) +
                                 ce2build::line(ce2build::kWire, 0, 5, 5, 5, 9);
    for (const char* name : {"a.ce2", "b", "c.ce2", "d.ce2"}) {
        writeBytes(dir / name, twoWires);
    }
    fs::create_hard_link(dir / "a.ce2", dir / "hard.ce2");
    fs::create_directory(dir / "sub");
    const std::vector<std::string> sources = {
        dir / "a.ce2",        dir / "b",        dir / "c.ce2", dir / "./a.ce2",     dir / "b.ce3",
        dir / "sub/../c.ce3", dir / "hard.ce2", dir / "d.ce2", dir / "sub/../D.ce2"};
    const std::vector<std::vector<std::size_t>> expected = {{}, {}, {}, {0}, {1}, {2}, {3}, {}, {7}};
    EXPECT_EQ(findSharedFiles(sources, findOutputCollisions(sources)), expected);
}

// Memory that runs out while one file is converted on a thread fails that file only.
TEST(ParallelBatch, OutOfMemoryFailsOneFile) {
    TempDir dir;
    std::vector<std::string> sources;
    for (int i = 0; i < 6; ++i) {
        sources.push_back(dir / ("f" + std::to_string(i) + ".ce2"));
        writeBytes(sources.back(), ce2build::line(ce2build::kWire, 0, 10, 10, 50, 10) +
                                       ce2build::line(ce2build::kWire, 0, 5, 5, 5, 9));
    }
    const DrawingHook hook = [&](const SchDocument&, const std::string& output) -> FollowUp {
        if (output == dir / "f2.ce3") {
            throw std::bad_alloc();
        }
        return {};
    };
    const std::vector<FileReport> reports = convertFiles(sources, ConversionOptions{}, {}, hook, 3);
    ASSERT_EQ(reports.size(), sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        EXPECT_EQ(reports[i].outcome,
                  i == 2 ? FileOutcome::NotEnoughMemory : FileOutcome::Converted);
        EXPECT_EQ(fs::exists(dir / ("f" + std::to_string(i) + ".ce3")), i != 2);
    }
}

}  // namespace
