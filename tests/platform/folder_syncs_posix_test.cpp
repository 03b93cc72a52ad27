// Saves that leave the sync of their folder pending, and the syncs that settle them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/atomic_file_calls_posix.h"
#include "support/temp_dir.h"

namespace {

// The folders synced, by the path of the descriptor synced; each sync fails while failSyncs holds.
std::vector<std::string> gSynced;
bool gFailSyncs = false;

int countedSync(int fd) {
    char path[4096];
    const ssize_t n =
        ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
    gSynced.emplace_back(path, n > 0 ? static_cast<std::size_t>(n) : 0);
    if (gFailSyncs) {
        errno = EIO;
        return -1;
    }
    return systemAtomicFileCalls().syncDirectory(fd);
}

class FolderSyncsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gSynced.clear();
        gFailSyncs = false;
        AtomicFileCalls calls = systemAtomicFileCalls();
        calls.syncDirectory = countedSync;
        setAtomicFileCalls(calls);
        std::filesystem::create_directory(dir / "a");
        std::filesystem::create_directory(dir / "b");
    }
    void TearDown() override { resetAtomicFileCalls(); }

    TempDir dir;
};


// Each save under a deferral is in place at once, its folder not synced; one sync of a folder
// settles every save into it before the sync began, and a failed sync fails exactly those. Saves
// without a deferral sync their folder as they always did.
TEST_F(FolderSyncsTest, OneSyncSettlesTheSavesIntoItsFolderBeforeIt) {
    struct Step {
        const char* save;        // a save of this file, pending; or, when null, `settle` is settled
        std::size_t settle = 0;  // the index among the steps of the save to settle
        bool failing = false;    // the syncs made by this step fail
        int error = 0;           // what the settling says
        std::vector<std::string> synced = {};  // after a settling: the folders synced by then
    };
    // As the descriptors synced name them.
    const std::string a = std::filesystem::canonical(dir / "a").string();
    const std::string b = std::filesystem::canonical(dir / "b").string();
    const struct {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"one sync for two saves",
         {{"a/1"}, {"a/2"}, {nullptr, 0, false, 0, {a}}, {nullptr, 1, false, 0, {a}}}},
        {"a save after a sync takes another",
         {{"a/1"},
          {nullptr, 0, false, 0, {a}},
          {"a/2"},
          {nullptr, 2, false, 0, {a, a}},
          {nullptr, 0, false, 0, {a, a}}}},
        {"each folder its own",
         {{"a/1"}, {"b/1"}, {nullptr, 1, false, 0, {b}}, {nullptr, 0, false, 0, {b, a}}}},
        {"a failed sync fails what it covered, only",
         {{"a/1"},
          {"a/2"},
          {nullptr, 1, true, EIO, {a}},
          {nullptr, 0, false, EIO, {a}},
          {"a/3"},
          {nullptr, 4, false, 0, {a, a}},
          {nullptr, 0, false, EIO, {a, a}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        gSynced.clear();
        FolderSyncs syncs;
        std::vector<std::optional<FolderSyncs::Pending>> pending;
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            gFailSyncs = step.failing;
            if (step.save != nullptr) {
                const std::vector<std::string> before = gSynced;
                const std::string path = dir / step.save;
                const FolderSyncs::Deferral deferral(syncs);
                ASSERT_TRUE(writeFileAtomically(path, path)) << i;
                EXPECT_EQ(readBytes(path), path) << i;
                pending.push_back(deferral.pending());
                EXPECT_TRUE(pending.back().has_value()) << i;
                EXPECT_EQ(gSynced, before) << i;  // no sync made
            } else {
                ASSERT_TRUE(pending[step.settle]) << i;
                const WriteFailure failure = syncs.settle(*pending[step.settle]);
                EXPECT_EQ(failure.error, step.error) << i;
                EXPECT_EQ(failure.cause,
                          step.error != 0 ? WriteFailure::Cause::System : WriteFailure::Cause::None)
                    << i;
                pending.emplace_back();
                EXPECT_EQ(gSynced, step.synced) << i;
            }
        }
        gFailSyncs = false;
    }

    // Saves never settled are synced when the syncs go; saves without a deferral sync at once.
    gSynced.clear();
    {
        FolderSyncs syncs;
        const FolderSyncs::Deferral deferral(syncs);
        ASSERT_TRUE(writeFileAtomically(dir / "b/4", "x"));
        EXPECT_TRUE(gSynced.empty());
    }
    EXPECT_EQ(gSynced, std::vector<std::string>{b});
    ASSERT_TRUE(writeFileAtomically(dir / "a/5", "x"));
    EXPECT_EQ(gSynced, (std::vector<std::string>{b, a}));
}

}  // namespace
