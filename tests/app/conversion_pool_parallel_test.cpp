#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "app/core/conversion_inputs.h"
#include "app/core/conversion_pool.h"
#include "app/core/shared_files.h"
#include "support/temp_dir.h"

namespace {

// Files of uneven length that tell of their stages, some of which must wait for earlier ones:
// every callback comes on the calling thread in list order, each report settled there just before
// it is given, and no file starts before those it waits for have finished, nor more than `jobs`
// files beyond the first unfinished one.
TEST(ParallelPool, ReportsInListOrderAndFilesWaitAsPlanned) {
    for (const std::size_t jobs : {2u, 3u, 8u}) {
        constexpr std::size_t kFiles = 40;
        PoolPlan plan{kFiles, jobs, std::vector<std::vector<std::size_t>>(kFiles), {}};
        plan.after[9] = {4};
        plan.after[10] = {4, 9};
        plan.after[30] = {29};
        std::mutex mutex;
        std::vector<bool> finished(kFiles);
        std::vector<std::string> heard;  // problems seen by the threads, then the callbacks
        plan.convert = [&](std::size_t index, const StageSink& stage) {
            {
                const std::lock_guard lock(mutex);
                std::size_t firstUnfinished = 0;
                while (finished[firstUnfinished]) {
                    ++firstUnfinished;
                }
                bool early = index > firstUnfinished + jobs;
                for (const std::size_t earlier : plan.after[index]) {
                    early = early || !finished[earlier];
                }
                if (early) {
                    heard.push_back(std::to_string(index) + " started too early");
                }
            }
            for (uint64_t done = 0; done < 3; ++done) {
                stage(FileStage::Reading, done, index);
                std::this_thread::sleep_for(std::chrono::microseconds(index * 7919 % 500));
            }
            const std::lock_guard lock(mutex);
            finished[index] = true;
            FileReport report;
            report.source = std::to_string(index);
            return report;
        };
        const std::thread::id caller = std::this_thread::get_id();
        const auto hear = [&](const std::string& what) {
            heard.push_back(std::this_thread::get_id() == caller ? what : "elsewhere: " + what);
        };
        plan.settle = [&](std::size_t index, FileReport& report) {
            hear("settle " + std::to_string(index));
            report.source += " settled";
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
            EXPECT_EQ((*reports)[i].source, std::to_string(i) + " settled");
            expected.push_back("start " + std::to_string(i));
            expected.push_back("settle " + std::to_string(i));
            expected.push_back("done " + std::to_string(i) + " settled " + std::to_string(i + 1) +
                               "/40");
        }
        EXPECT_EQ(heard, expected) << jobs << " jobs";
    }
}

// A conversion or a callback that throws ends the run with its exception.
TEST(ParallelPool, ExceptionEndsTheRun) {
    PoolPlan plan{30, 4, std::vector<std::vector<std::size_t>>(30), {}};
    plan.convert = [](std::size_t index, const StageSink&) {
        return index == 12 ? throw std::runtime_error("conversion") : FileReport{};
    };
    EXPECT_THROW(convertOnPool(plan, {}), std::runtime_error);
    plan.convert = [](std::size_t, const StageSink&) { return FileReport{}; };
    ConversionProgress progress;
    progress.fileDone = [](const FileReport&, std::size_t done, std::size_t) {
        return done == 5 ? throw std::logic_error("callback") : void();
    };
    EXPECT_THROW(convertOnPool(plan, progress), std::logic_error);
}

// Entries wait for those that read or write one of their files: the same source by another path
// or a hard link, an output as another entry's source, an output not there yet through another
// path of its folder or in other letter case.
TEST(ParallelBatch, SharedFilesAreFound) {
    TempDir dir;
    for (const char* name : {"a.ce2", "b", "c.ce2", "d.ce2"}) {
        writeBytes(dir / name, "");
    }
    std::filesystem::create_hard_link(dir / "a.ce2", dir / "hard.ce2");
    std::filesystem::create_directory(dir / "sub");
    const std::vector<std::string> sources = {
        dir / "a.ce2",        dir / "b",        dir / "c.ce2", dir / "./a.ce2",     dir / "b.ce3",
        dir / "sub/../c.ce3", dir / "hard.ce2", dir / "d.ce2", dir / "sub/../D.ce2"};
    const std::vector<std::vector<std::size_t>> expected = {{},  {},  {}, {0}, {1},
                                                            {2}, {3}, {}, {7}};
    const std::vector<BatchFile> files = filesBesideSources(sources);
    EXPECT_EQ(findSharedFiles(files, std::vector<bool>(files.size())), expected);
}

}  // namespace
