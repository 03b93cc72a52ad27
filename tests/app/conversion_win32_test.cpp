#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/convert_fixture.h"
#include "app/core/conversion.h"
#include "app/core/conversion_inputs.h"
#include "app/core/conversion_text.h"
#include "app/core/run_plan.h"
#include "platform/directories.h"
#include "platform/text.h"
#include "support/temp_dir.h"

// Conversions that meet what Windows has: read-only and hidden files, files that another program
// holds open, devices.
namespace {

const std::string kTwoWires = wire(10, 10, 50, 10) + wire(5, 5, 5, 9);
const std::string& kOld = kEarlierOutput;

DWORD attributesOf(const std::string& path) {
    return GetFileAttributesW(widePath(path).c_str());
}

// Holds a file open the way an editor may: nobody else may write, rename or delete it, and with
// `share` 0 not even read it.
class HeldOpen {
  public:
    explicit HeldOpen(const std::string& path, DWORD share = FILE_SHARE_READ)
        : handle_(CreateFileW(widePath(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    ~HeldOpen() {
        if (held()) {
            CloseHandle(handle_);
        }
    }
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

// Each refused source or target is reported and leaves the old target as it was, with no
// temporary file beside it.
TEST_F(Convert, RefusedSourcesAndTargets) {
    struct Case {
        std::string name;
        bool written;  // the name holds the two wires; else prepare makes what is there
        std::function<void()> prepare;
        FileOutcome outcome;
        std::string description;
        std::string held = {};        // a file that another program holds open, sharing nothing
        bool overwrite = false;       // converted with --overwrite
        bool overwriteHelps = false;  // replacingKeptOutputHelps
    };
    const std::string edited =
        "+TOVR3_DATA_V.1.0\r\n+PARTLIB,N:R,-PARTLIB\r\n-TOVR3_DATA_V.1.0\r\n";
    const std::vector<Case> cases = {
        {"folder.ce2", false,
         [&] { CreateDirectoryW(widePath(dir / "folder.ce2").c_str(), nullptr); },
         FileOutcome::NotRegularFile, "not a regular file"},
        {"NUL.ce2", false, [] {}, FileOutcome::NotRegularFile, "not a regular file"},
        {"con.ce2", false, [] {}, FileOutcome::NotRegularFile, "not a regular file"},
        {"missing.ce2", false, [] {}, FileOutcome::CannotOpen,
         "cannot be opened: No such file or directory"},
        {"readonly.ce2", true,
         [&] {
             writeBytes(dir / "readonly.ce3", kOld);
             SetFileAttributesW(widePath(dir / "readonly.ce3").c_str(), FILE_ATTRIBUTE_READONLY);
         },
         FileOutcome::CannotWrite, dir / "readonly.ce3" + " cannot be written: Permission denied"},
        {"locked.ce2", true, [&] { writeBytes(dir / "locked.ce3", kOld); },
         FileOutcome::CannotWrite,
         dir / "locked.ce3" + " cannot be written: in use by another program"},
        {"intofolder.ce2", true,
         [&] { CreateDirectoryW(widePath(dir / "intofolder.ce3").c_str(), nullptr); },
         FileOutcome::CannotWrite, dir / "intofolder.ce3" + " cannot be written: Is a directory"},
        {"already.ce3", false, [&] { writeBytes(dir / "already.ce3", kTwoWires); },
         FileOutcome::WouldOverwriteSource, "would overwrite its source"},
        // Held so that it cannot even be read: the cause is the other program, and --overwrite
        // would not get past it either.
        {"heldsource.ce2", true, [] {}, FileOutcome::CannotOpen,
         "cannot be opened: in use by another program", "heldsource.ce2"},
        {"heldkept.ce2", true, [&] { writeBytes(dir / "heldkept.ce3", kOld); },
         FileOutcome::KeepsEditedOutput,
         dir / "heldkept.ce3" + " cannot be read to check it: in use by another program",
         "heldkept.ce3"},
        {"heldreplaced.ce2", true, [&] { writeBytes(dir / "heldreplaced.ce3", edited); },
         FileOutcome::CannotWrite,
         dir / "heldreplaced.ce3" + " cannot be written: in use by another program",
         "heldreplaced.ce3", true},
        {"edited.ce2", true, [&] { writeBytes(dir / "edited.ce3", edited); },
         FileOutcome::KeepsEditedOutput,
         dir / "edited.ce3" + " holds data MORVEX does not write (saved by the editor?)", "", false,
         true},
    };
    for (const Case& c : cases) {
        if (c.written) {
            source(c.name, kTwoWires);
        }
        c.prepare();
    }
    HeldOpen locked(dir / "locked.ce3");
    ASSERT_TRUE(locked.held());
    std::deque<HeldOpen> heldWhole;
    for (const Case& c : cases) {
        if (!c.held.empty()) {
            ASSERT_TRUE(heldWhole.emplace_back(dir / c.held, 0).held()) << c.held;
        }
    }

    for (const Case& c : cases) {
        const FileReport r =
            c.overwrite
                ? convertFiles(RunPlan(RunFiles{filesBesideSources({dir / c.name}), {}, {}, {}},
                                       BatchRules{.replaceEdited = true}),
                               options)
                      .at(0)
                : convertOne(dir / c.name);
        EXPECT_EQ(r.outcome, c.outcome) << c.name;
        EXPECT_EQ(describeOutcome(r), c.description) << c.name;
        EXPECT_EQ(replacingKeptOutputHelps(r), c.overwriteHelps) << c.name;
    }
    heldWhole.clear();
    EXPECT_EQ(readBytes(dir / "heldreplaced.ce3"), edited);
    for (const char* name : {"readonly.ce3", "locked.ce3", "heldkept.ce3"}) {
        EXPECT_EQ(readBytes(dir / name), kOld) << name;
    }
    EXPECT_NE(attributesOf(dir / "readonly.ce3") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_NE(attributesOf(dir / "intofolder.ce3") & FILE_ATTRIBUTE_DIRECTORY, 0u);
    for (const std::string& path : listDirectory(dir.path()).others) {
        EXPECT_EQ(path.find(".morvex-"), std::string::npos) << path;
    }
    SetFileAttributesW(widePath(dir / "readonly.ce3").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A replaced file keeps being hidden; its content is the new one.
TEST_F(Convert, ReplacedFileKeepsItsAttributes) {
    const std::string path = source("x.ce2", kTwoWires);
    writeBytes(dir / "x.ce3", kOld);
    ASSERT_TRUE(SetFileAttributesW(widePath(dir / "x.ce3").c_str(), FILE_ATTRIBUTE_HIDDEN));
    const FileReport r = convertOne(path);
    ASSERT_EQ(r.outcome, FileOutcome::Converted) << describeOutcome(r);
    EXPECT_NE(readBytes(dir / "x.ce3"), kOld);
    EXPECT_NE(attributesOf(dir / "x.ce3") & FILE_ATTRIBUTE_HIDDEN, 0u);
}

// Names that differ only in letter case are one file here: listed both ways, it is converted twice,
// into one output, and no source is refused as replacing another's output.
TEST_F(Convert, OneFileWhateverTheLetterCase) {
    const std::string lower = source("x.ce2", kTwoWires);
    const std::string upper = dir / "X.CE2";
    const RunPlan plan(RunFiles{filesBesideSources({lower, upper}), {}, {}, {}}, BatchRules{});
    EXPECT_FALSE(plan.refused(0));
    EXPECT_FALSE(plan.refused(1));
    const std::vector<FileReport> reports = convertFiles({lower, upper}, options);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].outcome, FileOutcome::Converted) << describeOutcome(reports[0]);
    EXPECT_EQ(reports[1].outcome, FileOutcome::Converted) << describeOutcome(reports[1]);
    EXPECT_NE(readBytes(dir / "X.ce3").find("+WIRE"), std::string::npos);
    std::size_t outputs = 0;
    for (const std::string& path : listDirectory(dir.path()).others) {
        outputs += hasExtension(path, ".ce3") ? 1 : 0;
    }
    EXPECT_EQ(outputs, 1u);
}

}  // namespace
