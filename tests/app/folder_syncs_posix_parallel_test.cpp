// Batches on several threads whose saves leave the syncs of their folders to the calling thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "app/convert_fixture.h"
#include "app/core/conversion_text.h"
#include "platform/atomic_file_calls_posix.h"

namespace {

// What the system calls of the saves did, in the order they did it, from every thread.
std::mutex gEventsMutex;
std::vector<std::string> gEvents;
bool gFailFolderSyncs = false;

void logEvent(const std::string& event) {
    const std::lock_guard lock(gEventsMutex);
    gEvents.push_back(event);
}

int linkNamed(int fd, const char* path) {
    const int r = systemAtomicFileCalls().linkTarget(fd, path);
    if (r == 0) {
        logEvent("named " + std::string(path));
    }
    return r;
}

int renameNamed(const char* from, const char* to) {
    const int r = systemAtomicFileCalls().renameFile(from, to);
    if (r == 0) {
        logEvent("named " + std::string(to));
    }
    return r;
}

int syncLogged(int fd) {
    logEvent("sync " +
             std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd)).string());
    if (gFailFolderSyncs) {
        errno = EIO;
        return -1;
    }
    return systemAtomicFileCalls().syncDirectory(fd);
}

class ParallelConvert : public Convert {};

// With several files at once, each output is reported only once a sync of its folder has begun
// after the output took its name; one sync that fails fails each file it was to make durable, as
// a save's own failed sync does, the output in place all the same.
TEST_F(ParallelConvert, OutputsAreReportedOnceTheirFolderIsSynced) {
    namespace fs = std::filesystem;
    fs::create_directory(dir / "a");
    fs::create_directory(dir / "b");
    std::vector<std::string> sources;
    for (int i = 0; i < 8; ++i) {
        for (const char* folder : {"a/", "b/"}) {
            sources.push_back(source(folder + std::to_string(i) + ".ce2",
                                     wire(10, 10, 50, 10) + wire(5, 5, 5, 9 + i)));
            if (i % 2 == 0) {
                writeBytes(makeCe3Path(sources.back()), kEarlierOutput);  // replaced, not linked
            }
        }
    }
    for (const bool failing : {false, true}) {
        for (const std::size_t jobs : {2u, 3u}) {
            SCOPED_TRACE(std::to_string(jobs) + (failing ? " jobs, failing syncs" : " jobs"));
            gEvents.clear();
            gFailFolderSyncs = failing;
            AtomicFileCalls calls = systemAtomicFileCalls();
            calls.linkTarget = linkNamed;
            calls.renameFile = renameNamed;
            calls.syncDirectory = syncLogged;
            setAtomicFileCalls(calls);
            ConversionProgress progress;
            progress.fileDone = [](const FileReport& report, std::size_t, std::size_t) {
                logEvent("report " + report.output);
            };
            const std::vector<FileReport> reports =
                convertFiles(sources, options, progress, {}, jobs);
            resetAtomicFileCalls();
            ASSERT_EQ(reports.size(), sources.size());
            for (const FileReport& report : reports) {
                const std::string& output = report.output;
                const std::string folder =
                    "sync " + fs::canonical(fs::path(output).parent_path()).string();
                const auto at = [&](const std::string& event) {
                    return std::find(gEvents.begin(), gEvents.end(), event);
                };
                const auto named = at("named " + output);
                const auto reported = at("report " + output);
                ASSERT_TRUE(named < reported) << output;
                EXPECT_NE(std::find(named, reported, folder), reported) << output;
                EXPECT_EQ(report.outcome,
                          failing ? FileOutcome::CannotWrite : FileOutcome::Converted)
                    << output;
                if (failing) {
                    EXPECT_EQ(describeOutcome(report),
                              output + " cannot be written: Input/output error");
                }
                EXPECT_NE(readBytes(output).find("X1:10,Y1:10"), std::string::npos) << output;
            }
        }
    }
    gFailFolderSyncs = false;
}

}  // namespace
