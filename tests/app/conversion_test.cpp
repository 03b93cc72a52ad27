#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/convert_fixture.h"
#include "app/core/conversion.h"
#include "app/core/conversion_inputs.h"
#include "app/core/conversion_text.h"
#include "app/core/kicad_file.h"
#include "ce2_builder/ce2_builder.h"
#include "model/document.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace ce2build;

// The output and the KiCad schematic of a source.
TEST(Ce3Path, ReplacesOrAppendsTheExtension) {
    const std::vector<std::array<std::string, 3>> cases = {
        {"/work/x.ce2", "/work/x.ce3", "/work/x.kicad_sch"},
        {"/work/X.CE2", "/work/X.ce3", "/work/X.kicad_sch"},
        {"/old.set/x", "/old.set/x.ce3", "/old.set/x.kicad_sch"},
        {"/d/.hidden", "/d/.ce3", "/d/.kicad_sch"},
        {"/d/a.b.ce2", "/d/a.b.ce3", "/d/a.b.kicad_sch"},
        {"/d/x.", "/d/x.ce3", "/d/x.kicad_sch"},
        {"x.ce2", "x.ce3", "x.kicad_sch"},
        {"noext", "noext.ce3", "noext.kicad_sch"},
        {"a\\b.c:d", "a\\b.ce3", "a\\b.kicad_sch"},
        {"/d/x.ce3", "/d/x.ce3", "/d/x.kicad_sch"},
    };
    for (const auto& [source, output, kicad] : cases) {
        EXPECT_EQ(makeCe3Path(source), output) << source;
        EXPECT_EQ(makeKicadPath(source), kicad) << source;
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
    // Besides the wire outside the sheet: a label and a comment without text, whose records
    // would stop any reader, are left out too; a tag without text is written.
    const std::string emptyTexts = label({.x = 20, .y = 20}) + comment({.x = 30, .y = 30}) +
                                   tag({.x = 40, .y = 40}) + label({.x = -90, .y = -90});
    const std::string path =
        source("out.ce2", header({}) + wire(10, 10, 50, 10) + wire(-90, -90, -50, -90) +
                              wire(1, 2, 3, 4) + emptyTexts + raw({7, 1, 2, 3}));
    const FileReport r = convertOne(path);
    ASSERT_EQ(r.outcome, FileOutcome::Converted);
    EXPECT_EQ(r.elementsRead, 7);
    EXPECT_EQ(r.elementsWritten, 3);
    EXPECT_EQ(r.elementsOutside, 2);
    EXPECT_EQ(r.emptyTexts, 2);
    EXPECT_EQ(r.reading.stop, Ce2Stop::UnknownType);
    const std::string stoppedAt = std::to_string(60 + 3 * 10 + emptyTexts.size());
    EXPECT_EQ(describeOutcome(r),
              "3 elements; 2 elements outside the sheet left out; 2 empty texts left out; "
              "reading stopped at byte " +
                  stoppedAt + ": unknown record type 7");
    SchDocument written;
    ASSERT_EQ(written.load(r.output.c_str()), 0);
    EXPECT_EQ(written.elements.size(), 3u);
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

// The hook sees each document once its output has been written, as read: elements outside the
// sheet included. A file too small to be written, or whose output cannot be replaced (a
// directory), is not drawn.
TEST_F(Convert, DrawingHookSeesTheDocumentOnceWritten) {
    const std::string good =
        source("good.ce2", wire(10, 10, 50, 10) + wire(5, 5, 5, 9) + wire(-90, -90, -50, -90));
    const std::string one = source("one.ce2", wire(10, 10, 50, 10));
    const std::string blocked = source("blocked.ce2", wire(10, 10, 50, 10) + wire(5, 5, 5, 9));
    fs::create_directory(dir / "blocked.ce3");

    struct Seen {
        std::string output;
        std::size_t elements;
        bool outputWritten;
    };
    std::vector<Seen> seen;
    const DrawingHook hook = [&](const SchDocument& doc, const BatchFile& file) {
        seen.push_back({file.output, doc.elements.size(), fs::is_regular_file(file.output)});
        return DrawingReport{true, "drawn " + file.output};
    };
    // One file at a time: the hook keeps what it sees without a lock.
    const std::vector<FileReport> reports =
        convertFiles({good, one, blocked}, options, {}, {.svg = hook}, 1);
    ASSERT_EQ(reports.size(), 3u);
    ASSERT_EQ(seen.size(), 1u);  // not for the file too small to be written, nor the blocked one
    EXPECT_EQ(seen[0].output, dir / "good.ce3");
    EXPECT_EQ(seen[0].elements, 3u);
    EXPECT_TRUE(seen[0].outputWritten);

    EXPECT_EQ(reports[0].outcome, FileOutcome::Converted);
    EXPECT_EQ(reports[0].elementsWritten, 2);
    ASSERT_TRUE(reports[0].drawing);
    EXPECT_TRUE(reports[0].drawing->ok);
    EXPECT_EQ(reports[0].drawing->text, "drawn " + dir / "good.ce3");
    EXPECT_EQ(reports[1].outcome, FileOutcome::TooFewElements);
    EXPECT_FALSE(reports[1].drawing);
    EXPECT_EQ(reports[2].outcome, FileOutcome::CannotWrite);
    EXPECT_FALSE(reports[2].drawing);
}

// Memory that runs out while one file is converted fails that file only, wherever it runs out.
TEST_F(Convert, OutOfMemoryFailsOneFile) {
    const std::string twoWires = wire(10, 10, 50, 10) + wire(5, 5, 5, 9);
    const std::string first = source("first.ce2", twoWires);
    const std::string drawn = source("drawn.ce2", twoWires);
    const std::string last = source("last.ce2", twoWires);
    writeBytes(dir / "first.ce3", kEarlierOutput);
    const DrawingHook hook = [&](const SchDocument&, const BatchFile& file) {
        if (file.output == dir / "drawn.ce3") {
            throw std::bad_alloc();  // once the file is written
        }
        return DrawingReport{};
    };
    // Before the write: where the writing stage of the first file starts.
    ConversionProgress progress;
    progress.fileStage = [&](std::size_t index, FileStage stage, uint64_t, uint64_t) {
        if (index == 0 && stage == FileStage::Writing) {
            throw std::bad_alloc();
        }
    };
    const std::vector<FileReport> reports =
        convertFiles({first, drawn, last}, options, progress, {.svg = hook}, 1);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].outcome, FileOutcome::NotEnoughMemory);
    EXPECT_EQ(describeOutcome(reports[0]), "not enough memory");
    EXPECT_EQ(readBytes(dir / "first.ce3"), kEarlierOutput);
    EXPECT_EQ(reports[1].outcome, FileOutcome::Converted);
    EXPECT_EQ(readBytes(dir / "drawn.ce3"), readBytes(dir / "last.ce3"));  // the same drawing
    ASSERT_TRUE(reports[1].drawing);
    EXPECT_FALSE(reports[1].drawing->ok);
    EXPECT_EQ(reports[1].drawing->text, "not enough memory");
    EXPECT_EQ(reports[2].outcome, FileOutcome::Converted);
}

// A long file converted on its own tells where it has got: reading from 0 bytes about every MiB,
// then writing from 0 elements every kSaveProgressElements.
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
    convertFiles({small, large}, options, progress, {}, 1);

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
        {1, FileStage::Reading, 0, drawing.size()},
        {1, FileStage::Reading, first, drawing.size()},
        {1, FileStage::Reading, boundary(first + kCe2ProgressBytes), drawing.size()}};
    for (uint64_t done = 0; done <= kWires; done += kSaveProgressElements) {
        expected.push_back({1, FileStage::Writing, done, kWires});
    }
    EXPECT_EQ(started, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(seen, expected);
}

}  // namespace
