#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/convert_fixture.h"
#include "app/core/batch_progress_state.h"
#include "app/core/batch_result.h"
#include "app/core/conversion_inputs.h"
#include "app/core/conversion_text.h"
#include "app/core/dialog_messages.h"
#include "app/core/dialog_model.h"
#include "app/core/profile_file.h"
#include "app/core/report_csv.h"
#include "support/temp_dir.h"

namespace {

using Paths = std::vector<std::string>;

bool fileExists(const std::string& path) {
    return std::filesystem::exists(pathFromUtf8(path));
}

// An order without regard to ASCII letter case, as a front end would give one.
bool caseless(const std::string& a, const std::string& b) {
    const auto lower = [](std::string s) {
        for (char& c : s) {
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
        return s;
    };
    return lower(a) < lower(b);
}

TEST(DialogModelFiles, DropsAndChoicesReplaceTheSortedList) {
    TempDir dir;
    ProfileFile settings(dir / "MORVEX.INI");
    DialogModel model(settings, caseless);
    // One step after the other on the same model: what each leaves in the list.
    const struct {
        bool isDrop;  // else a confirmed open-file dialog
        Paths given;
        bool taken;
        Paths listed;
    } steps[] = {
        {true, {"/w/c.txt", "/w/b.CE2", "/w/a.ce2"}, true, {"/w/a.ce2", "/w/b.CE2"}},
        {true, {"/w/c.txt"}, true, {}},
        {true, {"/w/x.ce2", "/w/x.ce2"}, true, {"/w/x.ce2", "/w/x.ce2"}},
        {true, {"/w/x.ce2"}, true, {"/w/x.ce2"}},
        {true,
         {"/w/archive.ce2.bak", "/w/A.Ce2", "/w/folder", "/w/dir.ce2/notes"},
         true,
         {"/w/A.Ce2"}},
        // A drop of nothing leaves the list as it was.
        {true, {}, false, {"/w/A.Ce2"}},
        // Paths that the order holds equal keep the order they came in.
        {true,
         {"/w/X.ce2", "/w/b.ce2", "/w/x.CE2", "/w/回路図/電源.ce2"},
         true,
         {"/w/b.ce2", "/w/X.ce2", "/w/x.CE2", "/w/回路図/電源.ce2"}},
        // The open-file dialog's choice is taken whole, whatever the names.
        {false,
         {"/w/Zeta.CE2", "/w/alpha.ce2", "/w/notes.txt", "/w/alpha.ce2"},
         true,
         {"/w/alpha.ce2", "/w/alpha.ce2", "/w/notes.txt", "/w/Zeta.CE2"}},
        {false, {}, true, {}},
    };
    for (const auto& step : steps) {
        if (step.isDrop) {
            EXPECT_EQ(model.drop(step.given), step.taken);
        } else {
            model.choose(step.given);
        }
        EXPECT_EQ(model.files(), step.listed);
    }
}

// Folders dropped or chosen stand for the .ce2 files below them, at any depth.
TEST(DialogModelFiles, FoldersGiveTheSourcesBelowThem) {
    TempDir dir;
    for (const char* folder : {"d/sub/deeper", "d/x.ce2", "empty", "only-text"}) {
        std::filesystem::create_directories(pathFromUtf8(dir / folder));
    }
    for (const char* file :
         {"d/b.ce2", "d/A.CE2", "d/notes.txt", "d/sub/c.Ce2", "d/sub/deeper/回路.ce2",
          "d/x.ce2/inner.ce2", "d/x.ce2/inner.txt", "only-text/a.ce3", "top.ce2"}) {
        // By its UTF-8 name on every system (writeBytes takes the narrow one).
        std::ofstream created(pathFromUtf8(dir / file));
        EXPECT_TRUE(created.good()) << file;
    }
    ProfileFile settings(dir / "MORVEX.INI");
    DialogModel model(settings, caseless);
    const auto in = [&dir](const Paths& names) {
        Paths paths;
        for (const std::string& name : names) {
            paths.push_back(dir / name);
        }
        return paths;
    };
    const struct {
        bool isDrop;  // else a confirmed open-file dialog
        Paths given;
        Paths listed;
    } steps[] = {
        {true,
         {"d"},
         {"d/A.CE2", "d/b.ce2", "d/sub/c.Ce2", "d/sub/deeper/回路.ce2", "d/x.ce2/inner.ce2"}},
        {true,
         {"d/sub", "top.ce2", "d/notes.txt"},
         {"d/sub/c.Ce2", "d/sub/deeper/回路.ce2", "top.ce2"}},
        // Folders without sources give nothing.
        {true, {"empty", "only-text"}, {}},
        {true, {"d/x.ce2", "d/x.ce2/inner.ce2"}, {"d/x.ce2/inner.ce2", "d/x.ce2/inner.ce2"}},
        // The open-file dialog's files are taken whole; its folders are searched.
        {false, {"d/notes.txt", "d/sub/deeper"}, {"d/notes.txt", "d/sub/deeper/回路.ce2"}},
        {false, {"only-text"}, {}},
    };
    // The search joins names with the system's separator ('\\' on Windows).
    const auto slashed = [](Paths paths) {
        for (std::string& path : paths) {
            std::replace(path.begin(), path.end(), '\\', '/');
        }
        return paths;
    };
    for (const auto& step : steps) {
        if (step.isDrop) {
            EXPECT_TRUE(model.drop(in(step.given)));
        } else {
            model.choose(in(step.given));
        }
        EXPECT_EQ(slashed(model.files()), slashed(in(step.listed)));
    }
}

// The CP932 bytes of "ＭＳ 明朝".
const std::string kMsMincho = "\x82\x6C\x82\x72 \x96\xBE\x92\xA9";

TEST(DialogModelFonts, FieldsComeFromTheSettings) {
    const struct {
        std::string file;  // empty: no settings file
        FontField large;
        FontField small;
    } cases[] = {
        {"",
         {"\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E", "ＭＳ Ｐゴシック", "12"},
         {"Verdana", "Verdana", "8"}},
        {"[LARGE_FONT]\r\nFACE=" + kMsMincho + "\r\nSIZE=14pt\r\n[small_font]\r\nsize=x\r\n",
         {kMsMincho, "ＭＳ 明朝", "14"},
         {"Verdana", "Verdana", "0"}},
        // Bytes that are no CP932 text show as near as they can.
        {"[SMALL_FONT]\r\nFACE=Ab\x82\xFF\xC3\xA9\r\n",
         {"\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E", "ＭＳ Ｐゴシック", "12"},
         {"Ab\x82\xFF\xC3\xA9", "Ab\xEF\xBF\xBD\xEF\xBF\xBD\xC3\xA9", "8"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (!c.file.empty()) {
            writeBytes(dir / "MORVEX.INI", c.file);
        }
        ProfileFile settings(dir / "MORVEX.INI");
        const DialogModel model(settings, caseless);
        for (const auto& [row, expected] :
             {std::pair{FontRow::Large, c.large}, std::pair{FontRow::Small, c.small}}) {
            const FontField& field = model.font(row);
            EXPECT_EQ(field.faceBytes, expected.faceBytes);
            EXPECT_EQ(field.face, expected.face);
            EXPECT_EQ(field.size, expected.size);
        }
        EXPECT_EQ(fileExists(dir / "MORVEX.INI"), !c.file.empty());
    }
}

TEST(DialogModelFonts, ConfirmedChoicesAndTheSettingsFile) {
    using Outcome = SettingsConfirmation::Outcome;
    const std::string stored = "[LARGE_FONT]\r\nFACE=" + kMsMincho +
                               "\r\nSIZE=14\r\n[SMALL_FONT]\r\nFACE=Ab\x82\xFF\r\nSIZE=8\r\n";
    const struct {
        const char* name;
        FontRow row;
        std::string family;
        int points;
        Outcome outcome;
        const char* mentioned;  // in the message
        FontField shown;
        std::string file;  // the settings file afterwards
    } cases[] = {
        {"another family",
         FontRow::Large,
         "ＭＳ ゴシック",
         11,
         Outcome::Saved,
         "",
         {"\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E", "ＭＳ ゴシック", "11"},
         "[LARGE_FONT]\r\nFACE=\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E\r\nSIZE=11\r\n"
         "[SMALL_FONT]\r\nFACE=Ab\x82\xFF\r\nSIZE=8\r\n"},
        // The family shown, confirmed: the stored bytes stay, also where they are no CP932.
        {"the family shown",
         FontRow::Small,
         "Ab\xEF\xBF\xBD\xEF\xBF\xBD",
         10,
         Outcome::Saved,
         "",
         {"Ab\x82\xFF", "Ab\xEF\xBF\xBD\xEF\xBF\xBD", "10"},
         "[LARGE_FONT]\r\nFACE=" + kMsMincho +
             "\r\nSIZE=14\r\n[SMALL_FONT]\r\nFACE=Ab\x82\xFF\r\nSIZE=10\r\n"},
        {"a family CP932 cannot hold",
         FontRow::Small,
         "Café Sans",
         12,
         Outcome::Refused,
         "Café Sans",
         {"Ab\x82\xFF", "Ab\xEF\xBF\xBD\xEF\xBF\xBD", "8"},
         stored},
        {"no family",
         FontRow::Large,
         " ",
         12,
         Outcome::Refused,
         "empty",
         {kMsMincho, "ＭＳ 明朝", "14"},
         stored},
        {"a line break",
         FontRow::Large,
         "Two\nLines",
         12,
         Outcome::Refused,
         "control characters",
         {kMsMincho, "ＭＳ 明朝", "14"},
         stored},
    };
    for (const auto& c : cases) {
        TempDir dir;
        writeBytes(dir / "MORVEX.INI", stored);
        ProfileFile settings(dir / "MORVEX.INI");
        DialogModel model(settings, caseless);
        const SettingsConfirmation confirmed = model.confirmFont(c.row, c.family, c.points);
        EXPECT_EQ(confirmed.outcome, c.outcome) << c.name;
        EXPECT_NE(confirmed.message.find(c.mentioned), std::string::npos) << c.name;
        EXPECT_EQ(confirmed.message.empty(), c.outcome == Outcome::Saved) << c.name;
        EXPECT_EQ(model.font(c.row).faceBytes, c.shown.faceBytes) << c.name;
        EXPECT_EQ(model.font(c.row).face, c.shown.face) << c.name;
        EXPECT_EQ(model.font(c.row).size, c.shown.size) << c.name;
        EXPECT_EQ(readBytes(dir / "MORVEX.INI"), c.file) << c.name;
    }
}

TEST(DialogModelFonts, UnwritableSettingsStillChangeTheRow) {
    TempDir dir;
    writeBytes(dir / "blocker", "");
    ProfileFile settings(dir / "blocker/MORVEX.INI");
    DialogModel model(settings, caseless);
    const SettingsConfirmation confirmed = model.confirmFont(FontRow::Large, "Arial", 20);
    EXPECT_EQ(confirmed.outcome, SettingsConfirmation::Outcome::NotSaved);
    // The path, and after it why the file could not be written (each system finds its own cause).
    const std::size_t cause = confirmed.message.find(settings.path() + ": ");
    ASSERT_NE(cause, std::string::npos) << confirmed.message;
    EXPECT_GT(confirmed.message.size(), cause + settings.path().size() + 2) << confirmed.message;
    EXPECT_EQ(model.font(FontRow::Large).face, "Arial");
    EXPECT_EQ(model.font(FontRow::Large).size, "20");
    // The conversion takes the fields as they are shown.
    EXPECT_EQ(model.options().largeFontName, "Arial");
    EXPECT_EQ(model.options().largeFontSize, 26);
    EXPECT_EQ(model.options().smallFontSize, 10);
}

TEST_F(Convert, DialogModelBatch) {
    ProfileFile settings(dir / "MORVEX.INI");
    DialogModel model(settings, caseless);
    EXPECT_FALSE(model.convert().result.has_value());  // an empty list: nothing at all

    const std::string header = ce2build::header({});
    const std::string good =
        source("good.ce2", header + wire(0, 10, 100, 10) + wire(0, 20, 90, 20));
    const std::string one = source("one.ce2", header + wire(0, 10, 100, 10));
    ASSERT_TRUE(model.drop({one, dir / "missing.ce2", good}));

    // While the batch runs the list stays and no second batch starts.
    ConversionProgress progress;
    int checks = 0;
    progress.fileDone = [&](const FileReport&, std::size_t, std::size_t) {
        EXPECT_TRUE(model.converting());
        EXPECT_FALSE(model.drop({dir / "other.ce2"}));
        model.choose({dir / "other.ce2"});
        EXPECT_FALSE(model.convert().result.has_value());
        ++checks;
    };
    const BatchStart start = model.convert(progress);
    ASSERT_TRUE(start.result.has_value());
    const BatchResult& outcome = *start.result;
    EXPECT_EQ(checks, 3);
    EXPECT_FALSE(model.converting());
    // One converted whole, two not converted: a summary, the completion message, the two.
    ASSERT_EQ(outcome.reports().size(), 3U);
    EXPECT_EQ(outcome.severity(), BatchSeverity::Warning);
    EXPECT_EQ(outcome.message(), "1 file converted. 2 files could not be converted.\n\n" +
                                     std::string(kCompletionMessage));
    const std::vector<std::pair<std::string, FileOutcome>> expected = {
        {good, FileOutcome::Converted},
        {dir / "missing.ce2", FileOutcome::CannotOpen},
        {one, FileOutcome::TooFewElements}};
    ASSERT_EQ(outcome.reports().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(outcome.reports()[i].source, expected[i].first);
        EXPECT_EQ(outcome.reports()[i].outcome, expected[i].second);
    }
    EXPECT_EQ(model.files(), (Paths{good, dir / "missing.ce2", one}));
    EXPECT_TRUE(fileExists(dir / "good.ce3"));
}

// An output folder takes each output to the file's path below the folder or file given, is kept
// in the settings, and refuses the batch when it cannot be a folder.
TEST_F(Convert, DialogModelOutputFolder) {
    const std::string drawing = ce2build::header({}) + wire(0, 10, 100, 10) + wire(0, 20, 90, 20);
    std::filesystem::create_directories(pathFromUtf8(dir / "arch/sub"));
    source("arch/a.ce2", drawing);
    source("arch/sub/b.ce2", drawing);
    const std::string top = source("top.ce2", drawing);
    const std::string out = dir / "out";
    ProfileFile settings(dir / "MORVEX.INI");
    DialogModel model(settings, caseless);
    ASSERT_TRUE(model.drop({dir / "arch", top}));
    const auto slashed = [](std::string path) {
        std::replace(path.begin(), path.end(), '\\', '/');
        return path;
    };

    // The first write makes the settings file and says where it is.
    const SettingsConfirmation made = model.chooseOutputFolder(out);
    EXPECT_EQ(made.outcome, SettingsConfirmation::Outcome::SavedInNewFile);
    EXPECT_EQ(made.message, settingsMadeMessage(settings.path()));
    EXPECT_EQ(model.title(), "MORVEX - 3 files - outputs to " + out);
    EXPECT_EQ(readBytes(settings.path()), "[OUTPUT]\r\nFOLDER=" + out + "\r\n");
    EXPECT_EQ(DialogModel(settings, caseless).outputFolder(), out);
    BatchStart start = model.convert();
    ASSERT_TRUE(start.result.has_value()) << start.refusal;
    std::vector<std::string> outputs;
    for (const FileReport& report : start.result->reports()) {
        EXPECT_EQ(report.outcome, FileOutcome::Converted) << report.source;
        outputs.push_back(slashed(report.output));
        EXPECT_TRUE(fileExists(report.output)) << report.output;
    }
    EXPECT_EQ(outputs, (Paths{slashed(out + "/a.ce3"), slashed(out + "/sub/b.ce3"),
                              slashed(out + "/top.ce3")}));
    EXPECT_FALSE(fileExists(dir / "top.ce3"));

    // A folder name that CP932 cannot hold is refused and changes nothing.
    EXPECT_EQ(model.chooseOutputFolder(dir / "\xF0\x9F\x98\x80").outcome,
              SettingsConfirmation::Outcome::Refused);
    EXPECT_EQ(model.outputFolder(), out);

    // A file in the folder's place: no batch, and why.
    writeBytes(dir / "taken", "x");
    EXPECT_EQ(model.chooseOutputFolder(dir / "taken").message, "");
    start = model.convert();
    EXPECT_FALSE(start.result.has_value());
    EXPECT_NE(start.refusal.find(dir / "taken"), std::string::npos) << start.refusal;

    // No folder: beside the sources again.
    EXPECT_EQ(model.chooseOutputFolder("").message, "");
    EXPECT_EQ(model.title(), "MORVEX - 3 files");
    start = model.convert();
    ASSERT_TRUE(start.result.has_value());
    EXPECT_TRUE(fileExists(dir / "top.ce3"));
}

// The result's report is the CLI's: every file's row, refused where --report is refused.
TEST_F(Convert, BatchResultSavesTheReport) {
    const std::string good =
        source("good.ce2", ce2build::header({}) + wire(0, 10, 100, 10) + wire(0, 20, 90, 20));
    const std::string one = source("one.ce2", ce2build::header({}) + wire(0, 10, 100, 10));
    ProfileFile settings(dir / "MORVEX.INI");
    writeBytes(settings.path(), "[OUTPUT]\r\n");
    DialogModel model(settings, caseless);
    ASSERT_TRUE(model.drop({one, good}));
    const BatchStart start = model.convert();
    ASSERT_TRUE(start.result.has_value());
    std::string rows(kCsvHeader);
    for (const FileReport& report : start.result->reports()) {
        rows += csvFileRow(report, false);
    }
    writeBytes(dir / "notes.csv", "my notes\r\n");
    const struct {
        std::string path;
        bool saved;
        std::string left;  // what the file holds afterwards
    } cases[] = {
        {dir / "report.csv", true, rows},
        {dir / "report.csv", true, rows},  // over its own earlier report
        {good, false, readBytes(good)},
        {dir / "good.ce3", false, readBytes(dir / "good.ce3")},
        {settings.path(), false, "[OUTPUT]\r\n"},
        {dir / "notes.csv", false, "my notes\r\n"},
    };
    for (const auto& c : cases) {
        const std::string problem = start.result->saveReport(c.path);
        EXPECT_EQ(problem.empty(), c.saved) << c.path << ": " << problem;
        if (!c.saved) {
            EXPECT_NE(problem.find(c.path), std::string::npos) << problem;
        }
        EXPECT_EQ(readBytes(c.path), c.left) << c.path;
    }
}

// Cancelled during a batch: the files under way are finished, the others are not started.
TEST_F(Convert, CancelledBatchFinishesTheFilesUnderWay) {
    const std::string header = ce2build::header({});
    std::vector<std::string> sources;
    for (int i = 0; i < 8; ++i) {
        sources.push_back(source("d" + std::to_string(i) + ".ce2",
                                 header + wire(0, 10, 100, 10) + wire(0, 20, 90, 20)));
    }
    const struct {
        std::size_t jobs;
        bool cancelFirst;  // else once the first file is done
    } cases[] = {{1, false}, {2, false}, {4, false}, {1, true}, {2, true}};
    for (const auto& c : cases) {
        for (const std::string& path : sources) {
            std::filesystem::remove(pathFromUtf8(makeCe3Path(path)));
        }
        std::atomic<bool> cancelled{c.cancelFirst};
        ConversionProgress progress;
        progress.cancelled = &cancelled;
        progress.fileDone = [&](const FileReport&, std::size_t, std::size_t) { cancelled = true; };
        const std::vector<FileReport> reports =
            convertFiles(sources, options, progress, {}, c.jobs);
        ASSERT_EQ(reports.size(), sources.size());
        // Files start in list order: those converted come before those cancelled.
        std::size_t converted = 0;
        while (converted < reports.size() && reports[converted].outcome == FileOutcome::Converted) {
            ++converted;
        }
        for (std::size_t i = 0; i < reports.size(); ++i) {
            const std::string what =
                "jobs " + std::to_string(c.jobs) + ", file " + std::to_string(i);
            EXPECT_EQ(reports[i].outcome,
                      i < converted ? FileOutcome::Converted : FileOutcome::Cancelled)
                << what;
            EXPECT_EQ(fileExists(makeCe3Path(sources[i])), i < converted) << what;
        }
        if (c.cancelFirst) {
            EXPECT_EQ(converted, 0U);
        } else {
            EXPECT_GE(converted, 1U);
        }
        // One at a time, only the file under way when the flag was set is finished.
        if (c.jobs == 1) {
            EXPECT_EQ(converted, c.cancelFirst ? 0U : 1U);
        }
        if (converted < reports.size()) {
            EXPECT_EQ(describeOutcome(reports.back()), "cancelled");
        }
    }
}

TEST(DialogMessages, BatchResultMessageAndRows) {
    FileReport whole;
    whole.source = "/w/ok.ce2";
    whole.output = "/w/ok.ce3";
    whole.outcome = FileOutcome::Converted;
    whole.elementsWritten = 12;
    FileReport outside = whole;
    outside.source = "/w/out.ce2";
    outside.elementsOutside = 1;
    FileReport emptyText = whole;
    emptyText.source = "/w/empty.ce2";
    emptyText.emptyTexts = 2;
    FileReport cut = whole;
    cut.source = "/w/cut.ce2";
    cut.reading.stop = Ce2Stop::CutRecord;
    FileReport few = whole;
    few.source = "/w/few.ce2";
    few.outcome = FileOutcome::TooFewElements;
    FileReport denied = whole;
    denied.source = "/w/x.ce2";
    denied.outcome = FileOutcome::NotRegularFile;
    // A failed file that still counts elements is not converted all the same.
    FileReport unwritten = outside;
    unwritten.source = "/w/unwritten.ce2";
    unwritten.outcome = FileOutcome::NotEnoughMemory;

    FileReport stopped = whole;
    stopped.source = "/w/s.ce2";
    stopped.outcome = FileOutcome::Cancelled;

    const std::string done = kCompletionMessage;
    const struct {
        const char* name;
        std::vector<FileReport> reports;
        BatchTally tally;
        BatchSeverity severity;
        std::string message;
        std::vector<std::string> order;  // the sources of the rows, as listed
    } cases[] = {
        {"every file whole",
         {whole, whole},
         {2, 0, 0, 0},
         BatchSeverity::Information,
         done,
         {"/w/ok.ce2", "/w/ok.ce2"}},
        {"one in part",
         {whole, outside},
         {1, 1, 0, 0},
         BatchSeverity::Warning,
         "2 files converted (1 of them in part).\n\n" + done,
         {"/w/out.ce2", "/w/ok.ce2"}},
        {"every way of being in part",
         {emptyText, cut, outside},
         {0, 3, 0, 0},
         BatchSeverity::Warning,
         "3 files converted (3 of them in part).\n\n" + done,
         {"/w/empty.ce2", "/w/cut.ce2", "/w/out.ce2"}},
        {"mixed: failures first, then those in part, then the rest",
         {outside, few, whole, denied, whole},
         {2, 1, 2, 0},
         BatchSeverity::Warning,
         "3 files converted (1 of them in part). 2 files could not be converted.\n\n" + done,
         {"/w/few.ce2", "/w/x.ce2", "/w/out.ce2", "/w/ok.ce2", "/w/ok.ce2"}},
        {"whole and failed, none in part",
         {whole, unwritten},
         {1, 0, 1, 0},
         BatchSeverity::Warning,
         "1 file converted. 1 file could not be converted.\n\n" + done,
         {"/w/unwritten.ce2", "/w/ok.ce2"}},
        // Nothing converted: no completion message.
        {"one file, failed",
         {few},
         {0, 0, 1, 0},
         BatchSeverity::Error,
         "1 file could not be converted.",
         {"/w/few.ce2"}},
        {"every file failed",
         {few, denied},
         {0, 0, 2, 0},
         BatchSeverity::Error,
         "None of the 2 files could be converted.",
         {"/w/few.ce2", "/w/x.ce2"}},
        // Cancelled: what was done, and never that the conversion finished; the files not
        // started come last.
        {"cancelled after the first file",
         {stopped, whole, stopped, few},
         {1, 0, 1, 2},
         BatchSeverity::Warning,
         "Cancelled: 1 file converted, 1 could not be converted, 2 not started.",
         {"/w/few.ce2", "/w/ok.ce2", "/w/s.ce2", "/w/s.ce2"}},
        {"cancelled with a file in part",
         {outside, stopped},
         {0, 1, 0, 1},
         BatchSeverity::Warning,
         "Cancelled: 1 file converted (1 of them in part), 0 could not be converted, 1 not "
         "started.",
         {"/w/out.ce2", "/w/s.ce2"}},
        {"cancelled before any file",
         {stopped},
         {0, 0, 0, 1},
         BatchSeverity::Error,
         "Cancelled: 0 files converted, 0 could not be converted, 1 not started.",
         {"/w/s.ce2"}},
    };
    for (const auto& c : cases) {
        const BatchResult result(c.reports, {});
        EXPECT_EQ(result.tally().whole, c.tally.whole) << c.name;
        EXPECT_EQ(result.tally().inPart, c.tally.inPart) << c.name;
        EXPECT_EQ(result.tally().notConverted, c.tally.notConverted) << c.name;
        EXPECT_EQ(result.tally().notStarted, c.tally.notStarted) << c.name;
        EXPECT_EQ(result.severity(), c.severity) << c.name;
        EXPECT_EQ(result.message(), c.message) << c.name;
        std::vector<std::string> order;
        std::string copied = c.message + "\n\n";
        for (const ResultRow& row : result.rows()) {
            order.push_back(c.reports[row.report].source);
            EXPECT_EQ(row.group, resultGroupOf(c.reports[row.report])) << c.name;
            EXPECT_EQ(row.text, describeFileLine(c.reports[row.report])) << c.name;
            copied += row.text + "\n";
        }
        EXPECT_EQ(order, c.order) << c.name;
        EXPECT_EQ(result.copiedText(), copied) << c.name;
        // Each filter keeps exactly its group's rows, in the same order.
        for (std::size_t g = 0; g < kResultGroups; ++g) {
            const auto group = static_cast<ResultGroup>(g);
            std::vector<std::string> kept;
            for (const ResultRow& row : result.rows(group)) {
                kept.push_back(c.reports[row.report].source);
            }
            std::vector<std::string> expected;
            for (const ResultRow& row : result.rows()) {
                if (row.group == group) {
                    expected.push_back(c.reports[row.report].source);
                }
            }
            EXPECT_EQ(kept, expected) << c.name << ", group " << g;
            EXPECT_EQ(result.count(group), expected.size()) << c.name << ", group " << g;
        }
    }
}

TEST(DialogMessages, CountsAreGroupedByThousands) {
    const std::pair<std::size_t, std::string> grouped[] = {
        {0, "0"}, {999, "999"}, {1000, "1,000"}, {1500, "1,500"}, {1234567, "1,234,567"}};
    for (const auto& [count, text] : grouped) {
        EXPECT_EQ(groupedCount(count), text);
    }
}

TEST(BatchProgress, ShownAfterTheDelayInStepsOfItsStages) {
    EXPECT_FALSE(BatchProgressState(3, std::chrono::hours(1)).update(1).has_value());

    BatchProgressState progress(2, std::chrono::milliseconds(0));
    constexpr int kFile = BatchProgressState::kStepsPerFile;
    constexpr int kRead = BatchProgressState::kReadingSteps;
    constexpr int kWritten = kRead + BatchProgressState::kWritingSteps;
    const struct {
        std::size_t done;
        FileStage stage;
        uint64_t stageDone, stageTotal;
        int value;
    } steps[] = {
        {0, FileStage::Reading, 0, 1000, 0},
        {0, FileStage::Reading, 500, 1000, kRead / 2},
        {1, FileStage::Writing, 0, 40, kFile + kRead},
        {1, FileStage::Writing, 20, 40, kFile + kRead + (kWritten - kRead) / 2},
        {1, FileStage::Writing, 80, 40, kFile + kWritten},  // no further than the stage
        {1, FileStage::Writing, 5, 0, kFile + kRead},
    };
    for (const auto& s : steps) {
        const auto shown = progress.updateFile(s.done, s.stage, s.stageDone, s.stageTotal);
        ASSERT_TRUE(shown.has_value());
        EXPECT_EQ(shown->value, s.value);
        EXPECT_EQ(shown->maximum, 2 * kFile);
        EXPECT_EQ(shown->label, "Converting: " + std::to_string(s.done) + " of 2 files");
    }
    EXPECT_FALSE(progress.update(2).has_value());  // every file done
}

}  // namespace
