#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/core/conversion.h"
#include "ce3/document.h"
#include "platform/atomic_file_faults.h"
#include "support/ce2_builder.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace ce2build;

TEST(Ce3Path, ReplacesOrAppendsTheExtension) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/work/x.ce2", "/work/x.ce3"},
        {"/work/X.CE2", "/work/X.ce3"},
        {"/old.set/x", "/old.set/x.ce3"},
        {"/d/.hidden", "/d/.ce3"},
        {"/d/a.b.ce2", "/d/a.b.ce3"},
        {"/d/x.", "/d/x.ce3"},
        {"x.ce2", "x.ce3"},
        {"noext", "noext.ce3"},
        {"a\\b.c:d", "a\\b.ce3"},
        {"/d/x.ce3", "/d/x.ce3"},
    };
    for (const auto& [source, output] : cases) {
        EXPECT_EQ(makeCe3Path(source), output) << source;
    }
}

TEST(PointSizes, ConvertAtNinetySixUnitsPerInch) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"12", 16},
        {"8", 10},
        {"9", 12},
        {"10", 13},
        {"", 0},
        {"pt", 0},
        {" 7pt", 9},
        {"-12", -16},
        {"-10", -13},  // truncates toward zero
        {"1610612735", 2147483646},
        {"1610612736", INT32_MAX},  // 2147483648 does not fit
        {"99999999999", INT32_MAX},
        {"-99999999999", INT32_MIN},
    };
    for (const auto& [text, units] : cases) {
        EXPECT_EQ(pointsToUnits(text), units) << text;
    }
    const ConversionOptions options = makeConversionOptions("L", "12", "S", "x");
    EXPECT_EQ(options.largeFontName, "L");
    EXPECT_EQ(options.largeFontSize, 16);
    EXPECT_EQ(options.smallFontName, "S");
    EXPECT_EQ(options.smallFontSize, 0);
}

std::string wire(int x1, int y1, int x2, int y2) {
    return line(kWire, 0, x1, y1, x2, y2);
}

class Convert : public ::testing::Test {
  protected:
    TempDir dir;
    ConversionOptions options = makeConversionOptions("Face", "12", "Small", "8");

    std::string source(const std::string& name, const std::string& bytes) {
        const std::string path = dir / name;
        writeBytes(path, bytes);
        return path;
    }
    FileReport convertOne(const std::string& path) {
        const std::vector<FileReport> reports = convertFiles({path}, options);
        EXPECT_EQ(reports.size(), 1u);
        return reports.empty() ? FileReport{} : reports[0];
    }
};

TEST_F(Convert, NeedsTwoElements) {
    const std::string one = source("one.ce2", header({}) + wire(10, 10, 50, 10));
    const std::string two = source("two.ce2", header({}) + wire(10, 10, 50, 10) + wire(5, 5, 5, 9));
    writeBytes(dir / "one.ce3", "old");

    const FileReport r1 = convertOne(one);
    EXPECT_EQ(r1.outcome, FileOutcome::TooFewElements);
    EXPECT_EQ(r1.elementsRead, 1);
    EXPECT_EQ(describeOutcome(r1), "fewer than two elements");
    EXPECT_EQ(readBytes(dir / "one.ce3"), "old");

    const FileReport r2 = convertOne(two);
    EXPECT_EQ(r2.outcome, FileOutcome::Converted);
    EXPECT_EQ(r2.output, dir / "two.ce3");
    EXPECT_EQ(r2.elementsRead, 2);
    EXPECT_EQ(r2.elementsWritten, 2);
    EXPECT_EQ(describeOutcome(r2), "2 elements");
    EXPECT_EQ(readBytes(r2.output),
              "+TOVR3_DATA_V.1.0\r\n"
              "+SHEETINFO,EL:0,VL:0,W:640,H:480,-SHEETINFO\r\n"
              "+WIRE,L:0,X1:10,Y1:10,X2:50,Y2:10,-WIRE\r\n"
              "+WIRE,L:0,X1:5,Y1:5,X2:5,Y2:9,-WIRE\r\n"
              "-TOVR3_DATA_V.1.0\r\n");
}

TEST_F(Convert, ReportsWhatWasLeftOut) {
    const std::string path =
        source("out.ce2", header({}) + wire(10, 10, 50, 10) + wire(-90, -90, -50, -90) +
                              wire(1, 2, 3, 4) + raw({7, 1, 2, 3}));
    const FileReport r = convertOne(path);
    ASSERT_EQ(r.outcome, FileOutcome::Converted);
    EXPECT_EQ(r.elementsRead, 3);
    EXPECT_EQ(r.elementsWritten, 2);
    EXPECT_EQ(r.elementsOutside, 1);
    EXPECT_EQ(r.reading.stop, Ce2Stop::UnknownType);
    const std::string stoppedAt = std::to_string(60 + 3 * 10);
    EXPECT_EQ(describeOutcome(r),
              "2 elements; 1 element outside the sheet left out; "
              "reading stopped at byte " +
                  stoppedAt + ": unknown record type 7");
}

TEST_F(Convert, SamePathTwiceIsConvertedTwice) {
    const std::string path = source("x.ce2", wire(10, 10, 50, 10) + wire(5, 5, 5, 9));
    std::vector<std::pair<std::size_t, std::size_t>> progress;
    const std::vector<FileReport> reports =
        convertFiles({path, path}, options,
                     {.fileDone = [&](const FileReport&, std::size_t done, std::size_t total) {
                         progress.emplace_back(done, total);
                     }});
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].outcome, FileOutcome::Converted);
    EXPECT_EQ(reports[1].outcome, FileOutcome::Converted);
    EXPECT_EQ(progress, (std::vector<std::pair<std::size_t, std::size_t>>{{1, 2}, {2, 2}}));
}

// The hook sees each document that is about to be saved, as read: elements outside the sheet
// included, nothing written yet. Its follow-up runs only once the file has been written.
TEST_F(Convert, DrawingHookSeesTheDocumentBeforeTheSave) {
    const std::string good =
        source("good.ce2", wire(10, 10, 50, 10) + wire(5, 5, 5, 9) + wire(-90, -90, -50, -90));
    const std::string one = source("one.ce2", wire(10, 10, 50, 10));
    const std::string blocked = source("blocked.ce2", wire(10, 10, 50, 10) + wire(5, 5, 5, 9));
    fs::create_directory(dir / "blocked.ce3");

    struct Seen {
        std::string output;
        std::size_t elements;
        bool outputExisted;
    };
    std::vector<Seen> seen;
    std::vector<std::string> followedUp;
    const DrawingHook hook = [&](const SchDocument& doc, const std::string& output) -> FollowUp {
        seen.push_back({output, doc.elements.size(), fs::exists(output)});
        return [&followedUp, output] {
            followedUp.push_back(output);
            return FollowUpReport{fs::is_regular_file(output), "after " + output};
        };
    };
    const std::vector<FileReport> reports = convertFiles({good, one, blocked}, options, {}, hook);
    ASSERT_EQ(reports.size(), 3u);
    ASSERT_EQ(seen.size(), 2u);  // not for the file too small to be saved
    EXPECT_EQ(seen[0].output, dir / "good.ce3");
    EXPECT_EQ(seen[0].elements, 3u);
    EXPECT_FALSE(seen[0].outputExisted);
    EXPECT_EQ(seen[1].output, dir / "blocked.ce3");

    EXPECT_EQ(followedUp, std::vector<std::string>{dir / "good.ce3"});
    EXPECT_EQ(reports[0].outcome, FileOutcome::Converted);
    EXPECT_EQ(reports[0].elementsWritten, 2);
    ASSERT_TRUE(reports[0].followUp);
    EXPECT_TRUE(reports[0].followUp->ok);
    EXPECT_EQ(reports[0].followUp->text, "after " + dir / "good.ce3");
    EXPECT_EQ(reports[1].outcome, FileOutcome::TooFewElements);
    EXPECT_FALSE(reports[1].followUp);
    EXPECT_EQ(reports[2].outcome, FileOutcome::CannotWrite);
    EXPECT_FALSE(reports[2].followUp);

    // A hook may give no follow-up.
    const auto quiet = convertFiles(
        {good}, options, {}, [](const SchDocument&, const std::string&) { return FollowUp(); });
    EXPECT_EQ(quiet[0].outcome, FileOutcome::Converted);
    EXPECT_FALSE(quiet[0].followUp);
}

// Each hostile source or target is reported and the batch goes on with the good file that follows
// it; every old target keeps its bytes and no temporary file is left behind.
TEST_F(Convert, HostileFilesDoNotStopTheBatch) {
    const std::string twoWires = wire(10, 10, 50, 10) + wire(5, 5, 5, 9);
    const std::string old = "old target\r\n";
    const auto oldTarget = [&](const std::string& name) { writeBytes(dir / name, old); };
    const auto symlinkTo = [&](const std::string& to, const std::string& name) {
        fs::create_symlink(to, dir / name);
    };

    source("already.ce3", twoWires);
    source("linked.ce2", twoWires);
    ASSERT_EQ(link((dir / "linked.ce2").c_str(), (dir / "linked.ce3").c_str()), 0);
    ASSERT_EQ(mkfifo((dir / "pipe.ce2").c_str(), 0600), 0);
    oldTarget("pipe.ce3");
    fs::create_directory(dir / "folder.ce2");
    oldTarget("folder.ce3");
    source("gone.ce2", twoWires);
    oldTarget("gone.ce3");
    symlinkTo("loop.other", "loop.ce2");
    symlinkTo("loop.ce2", "loop.other");
    oldTarget("loop.ce3");
    symlinkTo("nowhere.ce2", "dangling.ce2");
    oldTarget("dangling.ce3");
    // Targets that cannot be written: a directory, a link into a regular file, a link loop.
    source("blocked.ce2", twoWires);
    fs::create_directory(dir / "blocked.ce3");
    source("inside.ce2", twoWires);
    oldTarget("plain");
    symlinkTo("plain/inside.ce3", "inside.ce3");
    source("cycle.ce2", twoWires);
    symlinkTo("cycle.ce3", "cycle.ce3");
    // A save whose writes fail.
    source("failing.ce2", twoWires);
    oldTarget("failing.ce3");
    AtomicFileFaults failingWrites;
    failingWrites.writeLimit = 10;

    struct Case {
        std::string name;
        FileOutcome outcome;
        std::string description;
        std::function<void()> before = {};  // runs just before the file is converted
    };
    const std::string enoent = "cannot be opened: No such file or directory";
    const auto cannotWrite = [&](const std::string& name, const std::string& cause) {
        return dir / name + " cannot be written: " + cause;
    };
    const std::vector<Case> cases = {
        {"already.ce3", FileOutcome::WouldOverwriteSource, "would overwrite its source"},
        {"linked.ce2", FileOutcome::WouldOverwriteSource, "would overwrite its source"},
        {"pipe.ce2", FileOutcome::NotRegularFile, "not a regular file"},
        {"folder.ce2", FileOutcome::NotRegularFile, "not a regular file"},
        {"missing.ce2", FileOutcome::CannotOpen, enoent},
        {"gone.ce2", FileOutcome::CannotOpen, enoent, [&] { fs::remove(dir / "gone.ce2"); }},
        {"loop.ce2", FileOutcome::CannotOpen,
         "cannot be opened: Too many levels of symbolic links"},
        {"dangling.ce2", FileOutcome::CannotOpen, enoent},
        {"blocked.ce2", FileOutcome::CannotWrite, cannotWrite("blocked.ce3", "Is a directory")},
        {"inside.ce2", FileOutcome::CannotWrite, cannotWrite("inside.ce3", "Not a directory")},
        {"cycle.ce2", FileOutcome::CannotWrite,
         cannotWrite("cycle.ce3", "Too many levels of symbolic links")},
        {"failing.ce2", FileOutcome::CannotWrite,
         cannotWrite("failing.ce3", "No space left on device"),
         [&] { setAtomicFileFaults(&failingWrites); }},
    };

    // Case i is source 2i, a good file source 2i + 1.
    std::vector<std::string> sources;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        sources.push_back(dir / cases[i].name);
        sources.push_back(source("good" + std::to_string(i) + ".ce2", twoWires));
    }
    const auto beforeFile = [&](std::size_t index) {
        setAtomicFileFaults(nullptr);
        if (index % 2 == 0 && index < sources.size() && cases[index / 2].before) {
            cases[index / 2].before();
        }
    };
    beforeFile(0);
    const std::vector<FileReport> reports = convertFiles(
        sources, options,
        {.fileDone = [&](const FileReport&, std::size_t done, std::size_t) { beforeFile(done); }});
    setAtomicFileFaults(nullptr);

    ASSERT_EQ(reports.size(), sources.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const FileReport& r = reports[2 * i];
        EXPECT_EQ(r.outcome, cases[i].outcome) << cases[i].name;
        EXPECT_EQ(describeOutcome(r), cases[i].description) << cases[i].name;
        EXPECT_EQ(reports[2 * i + 1].outcome, FileOutcome::Converted) << cases[i].name;
    }
    EXPECT_EQ(readBytes(dir / "already.ce3"), twoWires);
    EXPECT_EQ(readBytes(dir / "linked.ce3"), twoWires);
    for (const char* name : {"pipe.ce3", "folder.ce3", "gone.ce3", "loop.ce3", "dangling.ce3",
                             "plain", "failing.ce3"}) {
        EXPECT_EQ(readBytes(dir / name), old) << name;
    }
    EXPECT_FALSE(fs::exists(dir / "missing.ce3"));
    EXPECT_TRUE(fs::is_directory(dir / "blocked.ce3"));
    EXPECT_TRUE(fs::is_symlink(dir / "cycle.ce3"));
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        EXPECT_NE(entry.path().filename().string().rfind(".morvex-", 0), 0u) << entry.path();
    }
}

// Sources that would write one output: only the first is converted; the same file listed twice,
// by one path or two, is converted twice.
TEST_F(Convert, OutputCollisionsAreFoundBeforeAnythingIsWritten) {
    const std::string twoWires = wire(10, 10, 50, 10) + wire(5, 5, 5, 9);
    const std::string x = source("x.ce2", twoWires);
    const std::string upper = source("x.CE2", twoWires);
    ASSERT_EQ(link(x.c_str(), (dir / "hard.ce2").c_str()), 0);
    const std::string hard = dir / "hard.ce2";
    const std::string dotted = dir.path() + "/./x.ce2";
    const std::string a = source("a.ce2", twoWires);
    const std::string b = source("b.ce2", twoWires);
    writeBytes(dir / "b.ce3", "old");
    fs::create_symlink("b.ce3", dir / "a.ce3");  // a's output is b's
    const std::string self = source("self.ce3", twoWires);
    const std::string selfSource = source("self.ce2", twoWires);

    using Found = std::vector<std::optional<std::size_t>>;
    const std::size_t none = SIZE_MAX;
    const auto found = [](std::initializer_list<std::size_t> indices) {
        Found f;
        for (const std::size_t i : indices) {
            f.push_back(i == SIZE_MAX ? std::nullopt : std::optional<std::size_t>(i));
        }
        return f;
    };
    struct Case {
        std::vector<std::string> sources;
        Found collisions;
    };
    const std::vector<Case> cases = {
        // Sources whose names differ only in case are different files here, with one output.
        {{x, upper}, found({none, 0})},
        {{upper, x}, found({none, 0})},
        {{x, upper, x, upper}, found({none, 0, none, 0})},
        {{x, x}, found({none, none})},
        // Different paths of one file with one output, or outputs that are one existing file.
        {{x, dotted}, found({none, none})},
        {{a, b}, found({none, 0})},
        {{b, a, b}, found({none, 0, none})},
        // A source that would overwrite itself writes nothing.
        {{self, selfSource}, found({none, none})},
        // One file under two names, with two outputs.
        {{x, hard}, found({none, none})},
        {{}, found({})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(findOutputCollisions(c.sources), c.collisions)
            << ::testing::PrintToString(c.sources);
    }

    // The refused source is reported without being read; the first one's output stays.
    writeBytes(upper, wire(20, 20, 60, 20) + wire(5, 5, 5, 9));
    const std::vector<FileReport> reports = convertFiles({x, upper, x}, options);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].outcome, FileOutcome::Converted);
    EXPECT_EQ(reports[1].outcome, FileOutcome::WouldReplaceEarlierOutput);
    EXPECT_EQ(reports[1].elementsRead, 0);
    EXPECT_EQ(describeOutcome(reports[1]),
              "would replace " + dir / "x.ce3" + " written from " + x + " in this batch");
    EXPECT_EQ(reports[2].outcome, FileOutcome::Converted);
    EXPECT_NE(readBytes(dir / "x.ce3").find("X1:10,Y1:10"), std::string::npos);
}

// Memory that runs out while one file is converted fails that file only, wherever it runs out.
TEST_F(Convert, OutOfMemoryFailsOneFile) {
    const std::string twoWires = wire(10, 10, 50, 10) + wire(5, 5, 5, 9);
    const std::string first = source("first.ce2", twoWires);
    const std::string drawn = source("drawn.ce2", twoWires);
    const std::string last = source("last.ce2", twoWires);
    writeBytes(dir / "first.ce3", "old");
    const DrawingHook hook = [&](const SchDocument&, const std::string& output) -> FollowUp {
        if (output == dir / "first.ce3") {
            throw std::bad_alloc();  // before the save
        }
        if (output == dir / "drawn.ce3") {
            return []() -> FollowUpReport { throw std::bad_alloc(); };  // after it
        }
        return {};
    };
    const std::vector<FileReport> reports = convertFiles({first, drawn, last}, options, {}, hook);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].outcome, FileOutcome::NotEnoughMemory);
    EXPECT_EQ(describeOutcome(reports[0]), "not enough memory");
    EXPECT_EQ(readBytes(dir / "first.ce3"), "old");
    EXPECT_EQ(reports[1].outcome, FileOutcome::Converted);
    ASSERT_TRUE(reports[1].followUp);
    EXPECT_FALSE(reports[1].followUp->ok);
    EXPECT_EQ(reports[1].followUp->text, "not enough memory");
    EXPECT_EQ(reports[2].outcome, FileOutcome::Converted);
}

// A long file tells where it has got: reading from 0 bytes about every MiB, then writing and
// reading back from 0 elements every kSaveProgressElements.
TEST_F(Convert, ProgressFollowsALongFile) {
    // 40,000 wires, then headers (which add bytes but no element) up to 2.5 MiB.
    constexpr uint64_t kWires = 40'000;
    constexpr uint64_t kWireBytes = 10;
    constexpr uint64_t kHeaderBytes = 60;
    std::string drawing;
    for (uint64_t i = 0; i < kWires; ++i) {
        drawing += wire(10, 10, 50, 10);
    }
    const std::string headerRecord = header({});
    ASSERT_EQ(headerRecord.size(), kHeaderBytes);
    while (drawing.size() < std::size_t{5} << 19) {
        drawing += headerRecord;
    }
    const std::string small = source("small.ce2", wire(10, 10, 50, 10) + wire(5, 5, 5, 9));
    const std::string large = source("large.ce2", drawing);
    struct Seen {
        std::size_t index;
        FileStage stage;
        uint64_t done;
        uint64_t total;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> seen;
    std::vector<std::size_t> started;
    ConversionProgress progress;
    progress.fileStarting = [&](std::size_t index) { started.push_back(index); };
    progress.fileStage = [&](std::size_t index, FileStage stage, uint64_t done, uint64_t total) {
        seen.push_back({index, stage, done, total});
    };
    convertFiles({small, large}, options, progress);

    // Bytes are told at the first record boundary past each MiB.
    const uint64_t wiresEnd = kWires * kWireBytes;
    const auto boundary = [&](uint64_t bytes) {
        return bytes <= wiresEnd
                   ? (bytes + kWireBytes - 1) / kWireBytes * kWireBytes
                   : wiresEnd + (bytes - wiresEnd + kHeaderBytes - 1) / kHeaderBytes * kHeaderBytes;
    };
    const uint64_t first = boundary(kCe2ProgressBytes);
    std::vector<Seen> expected = {
        {0, FileStage::Reading, 0, 20},
        {0, FileStage::Writing, 0, 2},
        {0, FileStage::ReadingBack, 0, 2},
        {1, FileStage::Reading, 0, drawing.size()},
        {1, FileStage::Reading, first, drawing.size()},
        {1, FileStage::Reading, boundary(first + kCe2ProgressBytes), drawing.size()}};
    for (const FileStage stage : {FileStage::Writing, FileStage::ReadingBack}) {
        for (uint64_t done = 0; done <= kWires; done += kSaveProgressElements) {
            expected.push_back({1, stage, done, kWires});
        }
    }
    EXPECT_EQ(started, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(seen, expected);
}

TEST_F(Convert, UnreadableSource) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root";
    }
    const std::string path = source("locked.ce2", wire(10, 10, 50, 10) + wire(5, 5, 5, 9));
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    const FileReport r = convertOne(path);
    EXPECT_EQ(r.outcome, FileOutcome::CannotOpen);
    EXPECT_EQ(r.openError, EACCES);
    EXPECT_FALSE(fs::exists(dir / "locked.ce3"));
}

}  // namespace
