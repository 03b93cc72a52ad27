#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "ce3/document.h"
#include "ce3/document_test_files.h"
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

}  // namespace
