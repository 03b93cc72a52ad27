#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ce3/ce3_writer.h"
#include "model/document.h"
#include "model/document_test_files.h"
#include "model/junction.h"
#include "platform/atomic_file_faults.h"

namespace {

const std::string kOld = "old content\r\n";

class AtomicSave : public TempDirTest {
  protected:
    void TearDown() override {
        setAtomicFileFaults(nullptr);
        TempDirTest::TearDown();
    }

    // A document holding one junction on the sheet, with one operation counted.
    static std::unique_ptr<SchDocument> sample() {
        auto doc = std::make_unique<SchDocument>();
        auto junction = std::make_unique<SchJunction>();
        junction->setP1({120, 80});
        doc->append(std::move(junction));
        return doc;
    }

    // What saving the sample writes, saved once without faults.
    std::string sampleBytes() {
        const std::string path = pathOf("reference.ce3");
        EXPECT_EQ(sample()->save(path.c_str()), 0);
        return readFile(path);
    }

    static void expectUnchanged(const SchDocument& doc, const std::string& context) {
        EXPECT_EQ(doc.elements.size(), 1u) << context;
        EXPECT_EQ(doc.opCounter, 1) << context;
        EXPECT_TRUE(doc.modified) << context;
        EXPECT_EQ(doc.elements.front()->stamp, 1) << context;
    }
};

TEST_F(AtomicSave, WriteFailureAtEveryByteLeavesTargetIntact) {
    const std::string expected = sampleBytes();
    ASSERT_GT(expected.size(), 60u);
    const std::string target = pathOf("target.ce3");
    const std::vector<std::string> names = {"reference.ce3", "target.ce3"};
    for (const bool unbuffered : {false, true}) {
        for (std::size_t limit = 0; limit < expected.size(); ++limit) {
            const std::string context =
                "limit " + std::to_string(limit) + (unbuffered ? " unbuffered" : " buffered");
            writeFile(target, kOld);
            AtomicFileFaults faults;
            faults.writeLimit = static_cast<int64_t>(limit);
            faults.unbuffered = unbuffered;
            setAtomicFileFaults(&faults);
            auto doc = sample();
            EXPECT_EQ(doc->save(target.c_str()), 1) << context;
            setAtomicFileFaults(nullptr);
            EXPECT_EQ(readFile(target), kOld) << context;
            EXPECT_EQ(entries(), names) << context;
            expectUnchanged(*doc, context);
        }
        // A limit of exactly the file's size is enough.
        AtomicFileFaults faults;
        faults.writeLimit = static_cast<int64_t>(expected.size());
        faults.unbuffered = unbuffered;
        setAtomicFileFaults(&faults);
        EXPECT_EQ(sample()->save(target.c_str()), 0);
        setAtomicFileFaults(nullptr);
        EXPECT_EQ(readFile(target), expected);
    }
}

// A file of several of the writer's blocks: a write that fails in any block, or at a block's end,
// fails the save and leaves the target as it was; with room for every byte the file holds what the
// document writes in memory.
TEST_F(AtomicSave, WriteFailureInALargeFileLeavesTargetIntact) {
    SchDocument doc;
    for (int32_t i = 0; i < 6000; ++i) {
        auto junction = std::make_unique<SchJunction>();
        junction->setP1({i % 1500, i / 10});
        doc.append(std::move(junction));
    }
    std::string expected;
    {
        Ce3Writer writer(&expected);
        doc.writeFile(writer);
    }
    const std::size_t block = Ce3Writer::kStreamBlockBytes;
    ASSERT_GT(expected.size(), 3 * block);
    const std::string target = pathOf("target.ce3");
    for (const std::size_t limit : {std::size_t{0}, block - 1, block, block + 1, 2 * block + 7,
                                    expected.size() - 1, expected.size()}) {
        writeFile(target, kOld);
        AtomicFileFaults faults;
        faults.writeLimit = static_cast<int64_t>(limit);
        setAtomicFileFaults(&faults);
        const bool enough = limit == expected.size();
        EXPECT_EQ(doc.write(target.c_str()), enough ? 0 : 1) << "limit " << limit;
        setAtomicFileFaults(nullptr);
        EXPECT_EQ(readFile(target), enough ? expected : kOld) << "limit " << limit;
        EXPECT_EQ(entries(), std::vector<std::string>{"target.ce3"}) << "limit " << limit;
    }
}

TEST_F(AtomicSave, FailingStepsReportFailure) {
    struct Case {
        const char* name;
        AtomicFileFaults faults;
        bool targetReplaced;  // only a failed directory sync comes after the rename
    };
    const auto with = [](bool AtomicFileFaults::*step) {
        AtomicFileFaults f;
        f.*step = true;
        return f;
    };
    const std::vector<Case> cases = {
        {"sync", with(&AtomicFileFaults::failSync), false},
        {"close", with(&AtomicFileFaults::failClose), false},
        {"rename", with(&AtomicFileFaults::failRename), false},
        {"directory sync", with(&AtomicFileFaults::failDirectorySync), true},
    };
    const std::string expected = sampleBytes();
    const std::string target = pathOf("target.ce3");
    for (const Case& c : cases) {
        for (const bool existing : {true, false}) {
            const std::string context = std::string(c.name) + (existing ? " existing" : " new");
            std::filesystem::remove(target);
            if (existing) {
                writeFile(target, kOld);
            }
            setAtomicFileFaults(&c.faults);
            auto doc = sample();
            EXPECT_EQ(doc->save(target.c_str()), 1) << context;
            setAtomicFileFaults(nullptr);
            expectUnchanged(*doc, context);
            if (c.targetReplaced) {
                EXPECT_EQ(readFile(target), expected) << context;
            } else if (existing) {
                EXPECT_EQ(readFile(target), kOld) << context;
            } else {
                EXPECT_FALSE(std::filesystem::exists(target)) << context;
            }
            const std::vector<std::string> names =
                (existing || c.targetReplaced)
                    ? std::vector<std::string>{"reference.ce3", "target.ce3"}
                    : std::vector<std::string>{"reference.ce3"};
            EXPECT_EQ(entries(), names) << context;
        }
    }
}

TEST_F(AtomicSave, UnwritableDestinationsFailWithoutTraces) {
    writeFile(pathOf("plain"), "a regular file");
    std::filesystem::create_directory(pathOf("sub"));
    ASSERT_EQ(mkfifo(pathOf("pipe").c_str(), 0600), 0);
    const std::vector<std::string> targets = {
        pathOf("missing/x.ce3"),  // no such directory
        pathOf("plain/x.ce3"),    // a regular file where a directory should be
        pathOf("sub"),            // an existing directory as target
        pathOf("pipe"),           // neither a file nor a directory
        "",
    };
    const auto before = entries();
    for (const std::string& target : targets) {
        auto doc = sample();
        EXPECT_EQ(doc->save(target.c_str()), 1) << target;
        expectUnchanged(*doc, target);
        EXPECT_EQ(entries(), before) << target;
    }
    EXPECT_EQ(readFile(pathOf("plain")), "a regular file");
    EXPECT_TRUE(std::filesystem::is_empty(pathOf("sub")));
    EXPECT_TRUE(std::filesystem::is_fifo(pathOf("pipe")));
}

TEST_F(AtomicSave, ReadOnlyTargetIsLeftAlone) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root";
    }
    const std::string target = pathOf("target.ce3");
    writeFile(target, kOld);
    ASSERT_EQ(chmod(target.c_str(), 0444), 0);
    auto doc = sample();
    EXPECT_EQ(doc->save(target.c_str()), 1);
    expectUnchanged(*doc, "read-only");
    EXPECT_EQ(readFile(target), kOld);
    EXPECT_EQ(entries(), std::vector<std::string>{"target.ce3"});
}

// Each step of a save fails cleanly, whether the temporary has a name or not, over an old target
// or none: the cause is reported, the target is old or absent, and no file is left beside it.
TEST_F(AtomicSave, EveryStepFailsCleanlyWithOrWithoutAName) {
    struct Step {
        const char* name;
        AtomicFileFaults faults;
        bool usedWithName;       // a named temporary is renamed, never linked
        bool usedWithoutTarget;  // a new target is linked straight under its name
    };
    const auto with = [](bool AtomicFileFaults::*step) {
        AtomicFileFaults f;
        f.*step = true;
        return f;
    };
    AtomicFileFaults fullDisk;
    fullDisk.writeLimit = 20;
    const std::vector<Step> steps = {
        {"none", {}, true, true},
        {"write", fullDisk, true, true},
        {"sync", with(&AtomicFileFaults::failSync), true, true},
        {"close", with(&AtomicFileFaults::failClose), true, true},
        {"rename", with(&AtomicFileFaults::failRename), true, true},
        {"hidden link", with(&AtomicFileFaults::failHiddenLink), false, false},
    };
    const std::string expected = sampleBytes();
    const std::string target = pathOf("target.ce3");
    for (const bool named : {false, true}) {
        for (const bool existing : {false, true}) {
            for (const Step& step : steps) {
                const std::string context = std::string(step.name) + (named ? " named" : "") +
                                            (existing ? " existing" : " new");
                std::filesystem::remove(target);
                if (existing) {
                    writeFile(target, kOld);
                }
                AtomicFileFaults faults = step.faults;
                faults.noUnnamedTemporary = named;
                setAtomicFileFaults(&faults);
                SchSaveOutcome outcome;
                const int result = sample()->save(target.c_str(), &outcome);
                setAtomicFileFaults(nullptr);

                const bool stepUsed =
                    (named ? step.usedWithName : true) && (existing || step.usedWithoutTarget);
                const bool fails = stepUsed && std::string(step.name) != "none";
                EXPECT_EQ(result, fails ? 1 : 0) << context;
                EXPECT_EQ(outcome.written, !fails) << context;
                if (fails) {
                    EXPECT_EQ(outcome.failure.cause, WriteFailure::Cause::System) << context;
                    EXPECT_NE(describeWriteFailure(outcome.failure), "") << context;
                }
                const std::string now = existing || !fails ? readFile(target) : "";
                EXPECT_EQ(now, fails ? (existing ? kOld : "") : expected) << context;
                EXPECT_EQ(entries(), (existing || !fails
                                          ? std::vector<std::string>{"reference.ce3", "target.ce3"}
                                          : std::vector<std::string>{"reference.ce3"}))
                    << context;
            }
        }
    }
}

// Root replacing a user's file leaves it the user's: owner, group and mode, set-group-ID bit
// included (changing the owner clears it, so the mode is set after).
TEST_F(AtomicSave, ReplacedFileKeepsOwnerGroupAndMode) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root may give a file to another user";
    }
    const std::string target = pathOf("target.ce3");
    // Another user's file, and one of this user's, whose temporary has its owner already.
    for (const auto& [uid, gid] : {std::pair<uid_t, gid_t>{1234, 2345}, {geteuid(), getegid()}}) {
        for (const mode_t mode : {mode_t{0640}, mode_t{02640}, mode_t{0604}}) {
            writeFile(target, kOld);
            ASSERT_EQ(chown(target.c_str(), uid, gid), 0);
            ASSERT_EQ(chmod(target.c_str(), mode), 0);
            ASSERT_EQ(sample()->save(target.c_str()), 0);
            struct stat st {};
            ASSERT_EQ(stat(target.c_str(), &st), 0);
            EXPECT_EQ(st.st_uid, uid) << std::oct << mode;
            EXPECT_EQ(st.st_gid, gid) << std::oct << mode;
            EXPECT_EQ(st.st_mode & 07777, mode) << std::oct << mode;
            EXPECT_NE(readFile(target), kOld);
        }
    }
}

// A symbolic link is followed only where the kernel's protected-symlink rule would follow it: not
// in a sticky, world-writable folder when it belongs to neither the folder's owner nor the user.
TEST_F(AtomicSave, SymbolicLinksInSharedFoldersFollowTheProtectedRule) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "links of other users can only be made by root";
    }
    constexpr uid_t kOther = 1234;
    struct Case {
        const char* name;
        mode_t folderMode;
        uid_t folderOwner;
        uid_t linkOwner;
        bool followed;
    };
    const std::vector<Case> cases = {
        {"shared folder, another user's link", 01777, 0, kOther, false},
        {"shared folder owned by the link's owner", 01777, kOther, kOther, true},
        {"shared folder, the user's own link", 01777, kOther, 0, true},
        {"world-writable, not sticky", 0777, 0, kOther, true},
        {"sticky, not world-writable", 01775, 0, kOther, true},
    };
    const std::string victim = pathOf("victim");
    const std::string folder = pathOf("shared");
    for (const Case& c : cases) {
        for (const bool chained : {false, true}) {
            const std::string context =
                std::string(c.name) + (chained ? ", reached by a link" : "");
            writeFile(victim, kOld);
            std::filesystem::remove_all(folder);
            std::filesystem::remove(pathOf("first.ce3"));
            ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
            ASSERT_EQ(chown(folder.c_str(), c.folderOwner, 0), 0);
            ASSERT_EQ(chmod(folder.c_str(), c.folderMode), 0);
            const std::string link = folder + "/x.ce3";
            ASSERT_EQ(symlink(victim.c_str(), link.c_str()), 0);
            ASSERT_EQ(lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);
            // A first link in a private folder leads to the one in the shared folder.
            std::string target = link;
            if (chained) {
                target = pathOf("first.ce3");
                ASSERT_EQ(symlink(link.c_str(), target.c_str()), 0);
            }
            SchSaveOutcome outcome;
            EXPECT_EQ(sample()->save(target.c_str(), &outcome), c.followed ? 0 : 1) << context;
            EXPECT_EQ(readFile(victim) == kOld, !c.followed) << context;
            if (!c.followed) {
                EXPECT_EQ(outcome.failure.cause, WriteFailure::Cause::ProtectedLink) << context;
            }
            EXPECT_TRUE(std::filesystem::is_symlink(link)) << context;
        }
    }
}

}  // namespace
