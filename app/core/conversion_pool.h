#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "app/core/conversion.h"

// Where the file in hand has got (see ConversionProgress::fileStage).
using StageSink = std::function<void(FileStage stage, uint64_t done, uint64_t total)>;

// Converts the file at an index of the list; `stage` is empty when no one listens.
using ListedConversion = std::function<FileReport(std::size_t index, const StageSink& stage)>;
// The report of a file at an index of the list that the batch was cancelled before it started.
using ListedCancellation = std::function<FileReport(std::size_t index)>;

// The files of a batch as a pool converts them.
struct PoolPlan {
    std::size_t count = 0;
    std::size_t jobs = 1;  // threads, and how many files may start beyond the first unfinished
    // For each file, the earlier files that must be finished before it starts.
    std::vector<std::vector<std::size_t>> after;
    ListedConversion convert;
    // For the files handed out once progress.cancelled reads true: since files are handed out in
    // list order, those cancelled all come after those converted.
    ListedCancellation cancel = {};
    // Run on the calling thread for each finished file just before its report is given, once the
    // file after it, when under way, has finished too (so that what it settles may serve both),
    // while the threads go on with the files after them; may change the report.
    std::function<void(std::size_t index, FileReport& report)> settle = {};
};

// Converts the files on up to plan.jobs threads of its own and gives progress and reports on the
// calling thread in list order (see ConversionProgress). Nothing when not one thread could be
// started: then nothing has been converted. An exception thrown by a conversion or a callback
// stops the handing out of files and is thrown again once every thread has finished its file.
std::optional<std::vector<FileReport>> convertOnPool(const PoolPlan& plan,
                                                     const ConversionProgress& progress);
