#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/document.h"
#include "model/document_test_files.h"

// Saving where POSIX systems have more to say: file modes and symbolic links.
namespace {

TEST_F(SchDocumentFiles, SaveKeepsModeOfExistingTargetAndUsesUmaskForNewOne) {
    const std::string existing = pathOf("existing.ce3");
    writeFile(existing, "old");
    ASSERT_EQ(chmod(existing.c_str(), 0604), 0);
    const mode_t oldMask = umask(027);
    SchDocument doc;
    const int savedExisting = doc.save(existing.c_str());
    const std::string created = pathOf("created.ce3");
    const int savedCreated = doc.save(created.c_str());
    umask(oldMask);
    ASSERT_EQ(savedExisting, 0);
    ASSERT_EQ(savedCreated, 0);

    struct stat st {};
    ASSERT_EQ(stat(existing.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    ASSERT_EQ(stat(created.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);  // 0666 less the umask 027
}

TEST_F(SchDocumentFiles, SaveThroughSymlinkWritesTheFileItNames) {
    struct Case {
        const char* linkTo;
        int result;
        std::string written;  // the file that receives the drawing, empty when none
    };
    const std::vector<Case> cases = {
        {"real.ce3", 0, "real.ce3"},
        {"new.ce3", 0, "new.ce3"},  // a dangling link: the file it names is created
        {"missing/x.ce3", 1, ""},
        {"link.ce3", 1, ""},  // a link to itself
    };
    const std::string link = pathOf("link.ce3");
    for (const Case& c : cases) {
        writeFile(pathOf("real.ce3"), "old");
        std::filesystem::remove(pathOf("new.ce3"));
        std::filesystem::remove(link);
        ASSERT_EQ(symlink(c.linkTo, link.c_str()), 0);
        SchDocument doc;
        EXPECT_EQ(doc.save(link.c_str()), c.result) << c.linkTo;
        struct stat st {};
        ASSERT_EQ(lstat(link.c_str(), &st), 0) << c.linkTo;
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << c.linkTo;
        if (!c.written.empty()) {
            EXPECT_EQ(readFile(pathOf(c.written)), kOpen + sheetInfo(1500, 1000) + kClose)
                << c.linkTo;
        }
        if (c.written != "real.ce3") {
            EXPECT_EQ(readFile(pathOf("real.ce3")), "old") << c.linkTo;
        }
    }
}

}  // namespace
