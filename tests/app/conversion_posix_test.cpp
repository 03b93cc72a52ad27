#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/convert_fixture.h"
#include "app/core/conversion.h"
#include "app/core/conversion_inputs.h"
#include "app/core/conversion_text.h"
#include "app/core/kept_outputs.h"
#include "app/core/run_plan.h"
#include "platform/atomic_file_calls_posix.h"
#include "platform/atomic_file_faults.h"
#include "support/temp_dir.h"

// Conversions that meet what POSIX systems have: links, FIFOs, permissions, names that differ
// only in letter case, and the failing writes of the save's fault seam.
namespace {

namespace fs = std::filesystem;

// Each hostile source or target is reported and the batch goes on with the good file that follows
// it; every old target keeps its bytes and no temporary file is left behind.
TEST_F(Convert, HostileFilesDoNotStopTheBatch) {
    const std::string twoWires = wire(10, 10, 50, 10) + wire(5, 5, 5, 9);
    const std::string& old = kEarlierOutput;
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
        {.fileDone = [&](const FileReport&, std::size_t done, std::size_t) { beforeFile(done); }},
        {}, 1);  // the faults are set between one file and the next
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

// The plan of a run refuses, before anything is written, a file whose output is its own source,
// another source or the settings file of the run (also through a link), or the output of an
// earlier file from another source; the same file listed twice, by one path or two, is converted
// twice. Outputs that differ only in letter case are two files here.
TEST_F(Convert, RunPlanRefusesOutputsThatAreOtherFilesOfTheRun) {
    const std::string twoWires = wire(10, 10, 50, 10) + wire(5, 5, 5, 9);
    const std::string x = source("x.ce2", twoWires);
    const std::string upper = source("x.CE2", twoWires);
    const std::string capital = source("X.ce2", twoWires);
    ASSERT_EQ(link(x.c_str(), (dir / "hard.ce2").c_str()), 0);
    const std::string hard = dir / "hard.ce2";
    const std::string dotted = dir.path() + "/./x.ce2";
    const std::string a = source("a.ce2", twoWires);
    const std::string b = source("b.ce2", twoWires);
    writeBytes(dir / "b.ce3", kEarlierOutput);
    fs::create_symlink("b.ce3", dir / "a.ce3");  // a's output is b's
    const std::string self = source("self.ce3", twoWires);
    const std::string selfSource = source("self.ce2", twoWires);
    // c's output is a link onto d, a source of the same run; e's a link not there yet onto f.ce2.
    const std::string c = source("c.ce2", twoWires);
    const std::string d = source("d.ce2", twoWires);
    fs::create_symlink("d.ce2", dir / "c.ce3");
    const std::string e = source("e.ce2", twoWires);
    fs::create_symlink("f.ce2", dir / "e.ce3");
    const std::string f = dir / "f.ce2";
    fs::create_directory(dir / "sub");
    const std::string viaSub = dir / "sub/../f.ce2";
    const std::string settings = dir / "MORVEX.INI";
    writeBytes(settings, "[LARGE_FONT]\r\n");
    const std::string g = source("g.ce2", twoWires);
    fs::create_symlink("MORVEX.INI", dir / "g.ce3");

    // What the plan says of each file: "-" converted, "self" its own source, "earlier N" the
    // output of file N, "source N" the source of file N, "settings" the settings file.
    const auto decided = [&](const std::vector<std::string>& sources) {
        const RunPlan plan(RunFiles{filesBesideSources(sources), {}, settings, {}}, BatchRules{});
        const auto indexOf = [&](const std::string& path) {
            return std::to_string(std::find(sources.begin(), sources.end(), path) -
                                  sources.begin());
        };
        std::vector<std::string> said;
        for (std::size_t i = 0; i < sources.size(); ++i) {
            const std::optional<FileReport>& r = plan.refused(i);
            if (!r) {
                said.push_back("-");
            } else if (r->outcome == FileOutcome::WouldOverwriteSource) {
                said.push_back("self");
            } else if (r->outcome == FileOutcome::WouldReplaceEarlierOutput) {
                said.push_back("earlier " + indexOf(r->earlierSource));
            } else if (r->clash.role == RunFileRole::Source) {
                said.push_back("source " + indexOf(r->clash.path));
            } else {
                said.push_back(r->clash.role == RunFileRole::Settings ? "settings" : "?");
            }
        }
        return said;
    };
    using Said = std::vector<std::string>;
    struct Case {
        std::vector<std::string> sources;
        Said said;
    };
    const std::vector<Case> cases = {
        // Sources whose names differ only in case are different files here, with one output.
        {{x, upper}, {"-", "earlier 0"}},
        {{upper, x}, {"-", "earlier 0"}},
        {{x, upper, x, upper}, {"-", "earlier 0", "-", "earlier 0"}},
        {{x, x}, {"-", "-"}},
        // Outputs that differ only in case are different files here: both are written.
        {{x, capital}, {"-", "-"}},
        // Different paths of one file with one output, or outputs that are one existing file.
        {{x, dotted}, {"-", "-"}},
        {{a, b}, {"-", "earlier 0"}},
        {{b, a, b}, {"-", "earlier 0", "-"}},
        // A source that would overwrite itself writes nothing; nor does another source whose
        // output it is.
        {{self, selfSource}, {"self", "source 0"}},
        {{selfSource}, {"-"}},
        // One file under two names, with two outputs.
        {{x, hard}, {"-", "-"}},
        // An output that is, through a link, another source of the run: refused whatever the
        // order, and however that source is named; alone, c's output is no file of the run.
        {{c, d}, {"source 1", "-"}},
        {{d, c}, {"-", "source 0"}},
        {{c}, {"-"}},
        {{e, viaSub}, {"source 1", "-"}},
        // An output that is the settings file of the run.
        {{g}, {"settings"}},
        {{}, {}},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(decided(test.sources), test.said) << ::testing::PrintToString(test.sources);
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

// A KiCad file is planned as an SVG is, against every file of the run, and an existing one that
// MORVEX did not write is kept unless the rules replace it.
TEST_F(Convert, RunPlanDecidesEachKicadFile) {
    const std::string twoWires = wire(10, 10, 50, 10) + wire(5, 5, 5, 9);
    const std::string x = source("x.ce2", twoWires);
    const std::string y = source("y.ce2", twoWires);
    const std::string settings = dir / "MORVEX.INI";
    writeBytes(settings, "[LARGE_FONT]\r\n");
    const std::string drawn = dir / "d.ce3";
    writeBytes(drawn, kEarlierOutput);
    const auto kicadOf = [](const std::string& path) {
        return path.substr(0, path.size() - 4) + ".kicad_sch";
    };
    const auto file = [&](const std::string& from, std::string kicad, std::string output = {}) {
        return BatchFile{
            from, output.empty() ? makeCe3Path(from) : std::move(output), {}, std::move(kicad)};
    };
    const std::string earlier = " written from " + x + " in this batch";
    struct Case {
        std::string name;
        std::vector<BatchFile> batch;
        std::vector<std::string> said;  // each file's KiCad refusal; "-" for none
        std::string report = {};
        std::string reportProblem = {};
    };
    const std::vector<Case> cases = {
        {"onto another source",
         {file(x, y), file(y, kicadOf(y))},
         {"would overwrite the source " + y + " of this batch", "-"}},
        {"onto the settings",
         {file(x, settings)},
         {"would overwrite the settings file " + settings}},
        {"onto a drawing",
         {file(x, drawn)},
         {"would overwrite the drawing " + drawn + " of this batch"}},
        {"onto an earlier output",
         {file(x, kicadOf(x)), file(y, dir / "x.ce3")},
         {"-", "would replace " + dir / "x.ce3" + earlier}},
        {"onto an earlier KiCad file",
         {file(x, kicadOf(x)), file(y, kicadOf(x))},
         {"-", "would replace " + kicadOf(x) + earlier}},
        {"the same source twice", {file(x, kicadOf(x)), file(x, kicadOf(x))}, {"-", "-"}},
        {"a report onto it",
         {file(x, kicadOf(x))},
         {"-"},
         kicadOf(x),
         "would replace " + kicadOf(x) + earlier},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunFiles files{c.batch, {{drawn, {}, 0, dir / "d.kicad_sch"}}, settings, c.report};
        const RunPlan plan(std::move(files), BatchRules{});
        std::vector<std::string> said;
        for (std::size_t i = 0; i < c.batch.size(); ++i) {
            const std::optional<DrawingReport>& refused = plan.kicadRefused(i);
            said.push_back(refused ? refused->text : "-");
            EXPECT_FALSE(refused && (refused->ok || refused->kept));
        }
        EXPECT_EQ(said, c.said);
        EXPECT_EQ(plan.reportProblem(), c.reportProblem);
    }
    // An output onto an earlier KiCad file is refused as one onto an earlier output.
    const RunPlan outputOnKicad(
        RunFiles{{file(x, kicadOf(x)), file(y, {}, kicadOf(x))}, {}, {}, {}}, BatchRules{});
    ASSERT_TRUE(outputOnKicad.refused(1));
    EXPECT_EQ(describeOutcome(*outputOnKicad.refused(1)), "would replace " + kicadOf(x) + earlier);

    // What the file at the KiCad path holds decides whether it is kept.
    struct Existing {
        std::optional<std::string> bytes;  // nothing: no file
        bool replaceEdited;
        bool kept;
    };
    const std::string foreign = "(kicad_sch (version 20230121) (generator eeschema))\n";
    const std::string ours = std::string(kKicadWrittenStart) + "\n)\n";
    const std::vector<Existing> existing = {
        {foreign, false, true},
        {foreign, true, false},
        {ours.substr(0, 30), false, true},  // cut short before the generator
        {ours, false, false},
        {"", false, false},
        {std::nullopt, false, false},
    };
    for (const Existing& e : existing) {
        SCOPED_TRACE(e.bytes.value_or("no file"));
        fs::remove(kicadOf(x));
        if (e.bytes) {
            writeBytes(kicadOf(x), *e.bytes);
        }
        const RunPlan plan(RunFiles{{file(x, kicadOf(x))}, {}, {}, {}},
                           BatchRules{.replaceEdited = e.replaceEdited});
        const std::optional<DrawingReport>& refused = plan.kicadRefused(0);
        EXPECT_EQ(refused.has_value(), e.kept);
        if (refused) {
            EXPECT_TRUE(refused->kept);
            EXPECT_EQ(refused->text, kicadOf(x) + " exists and was not written by MORVEX");
        }
    }
}

// What another program puts at the output while the conversion writes it (here, while the
// temporary is synced, the last step before the rename) is seen by a last look and decided again.
std::function<void()> appear;  // run once, at the first sync
int syncThenAppear(int fd) {
    if (appear) {
        std::exchange(appear, {})();
    }
    return ::fsync(fd);
}

TEST_F(Convert, OutputThatAppearsWhileItIsWrittenIsDecidedAgain) {
    const std::string twoWires = wire(10, 10, 50, 10) + wire(5, 5, 5, 9);
    const std::string edited =
        "+TOVR3_DATA_V.1.0\r\n+PARTLIB,N:R,-PARTLIB\r\n-TOVR3_DATA_V.1.0\r\n";
    struct Case {
        std::string name;
        std::function<void(const std::string& output)> appearing;
        FileOutcome outcome;
    };
    const std::vector<Case> cases = {
        {"a drawing saved in the editor",
         [&](const std::string& output) { writeBytes(output, edited); },
         FileOutcome::KeepsEditedOutput},
        {"an earlier conversion",
         [](const std::string& output) { writeBytes(output, kEarlierOutput); },
         FileOutcome::Converted},
        {"a link onto another source",
         [&](const std::string& output) { fs::create_symlink("other.ce2", output); },
         FileOutcome::WouldOverwriteRunFile},
        {"nothing", [](const std::string&) {}, FileOutcome::Converted},
    };
    const std::string other = source("other.ce2", twoWires);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string x = source("x.ce2", twoWires);
        const std::string output = dir / "x.ce3";
        fs::remove(output);
        appear = [&] { c.appearing(output); };
        AtomicFileCalls calls = systemAtomicFileCalls();
        calls.syncFile = syncThenAppear;
        setAtomicFileCalls(calls);
        const RunPlan plan(RunFiles{filesBesideSources({x, other}), {}, {}, {}}, BatchRules{});
        const std::vector<FileReport> reports = convertFiles(plan, options, {}, {}, 1);
        resetAtomicFileCalls();
        ASSERT_EQ(reports.size(), 2u);
        EXPECT_EQ(reports[0].outcome, c.outcome) << describeOutcome(reports[0]);
        if (c.outcome == FileOutcome::KeepsEditedOutput) {
            EXPECT_EQ(readBytes(output), edited);
        } else if (c.outcome == FileOutcome::WouldOverwriteRunFile) {
            EXPECT_EQ(describeOutcome(reports[0]),
                      "would overwrite the source " + other + " of this batch");
            EXPECT_EQ(readBytes(other), twoWires);
        } else {
            EXPECT_NE(readBytes(output).find("X1:10,Y1:10"), std::string::npos);
        }
    }
}

// A KiCad file that another program puts in place while the drawing is converted is decided
// again by a last look just before it is replaced.
TEST_F(Convert, KicadFileThatAppearsMeanwhileIsDecidedAgain) {
    const std::string twoWires = wire(10, 10, 50, 10) + wire(5, 5, 5, 9);
    const std::string foreign = "(kicad_sch (version 20230121) (generator eeschema))\n";
    const std::string ours = std::string(kKicadWrittenStart) + " (made x.kicad_sch))";
    const std::string other = source("other.ce2", twoWires);
    struct Case {
        std::string name;
        std::function<void(const std::string& kicad)> appearing;
        std::string said;  // the KiCad file's report; empty: written
    };
    const std::vector<Case> cases = {
        {"a schematic saved in KiCad",
         [&](const std::string& kicad) { writeBytes(kicad, foreign); },
         dir / "x.kicad_sch exists and was not written by MORVEX"},
        {"an earlier one of MORVEX",
         [&](const std::string& kicad) { writeBytes(kicad, ours + "old"); }, ""},
        {"a link onto another source",
         [&](const std::string& kicad) { fs::create_symlink("other.ce2", kicad); },
         "would overwrite the source " + other + " of this batch"},
    };
    // The schematic's text names its file, so that a wrong name would show.
    const DrawingHooks hooks{.kicad = [&](const SchDocument&, const std::string& name) {
        return KicadSchematic{std::string(kKicadWrittenStart) + " (made " + name + "))",
                              {3, 0, 0, 1}};
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string x = source("x.ce2", twoWires);
        const std::string kicad = dir / "x.kicad_sch";
        fs::remove(kicad);
        appear = [&] { c.appearing(kicad); };  // at the sync of x.ce3, before the KiCad file
        AtomicFileCalls calls = systemAtomicFileCalls();
        calls.syncFile = syncThenAppear;
        setAtomicFileCalls(calls);
        std::vector<BatchFile> batch = filesBesideSources({x, other});
        batch[0].kicad = kicad;
        const RunPlan plan(RunFiles{batch, {}, {}, {}}, BatchRules{});
        const std::vector<FileReport> reports = convertFiles(plan, options, {}, hooks, 1);
        resetAtomicFileCalls();
        ASSERT_EQ(reports.size(), 2u);
        ASSERT_TRUE(reports[0].kicad);
        EXPECT_FALSE(reports[1].kicad);
        EXPECT_EQ(reports[0].kicad->ok, c.said.empty());
        if (c.said.empty()) {
            EXPECT_EQ(reports[0].kicad->text,
                      "KiCad: " + kicad + " (3 nets; 1 T-join without a junction)");
            EXPECT_EQ(readBytes(kicad), ours);
        } else {
            EXPECT_EQ(reports[0].kicad->text, c.said);
            EXPECT_EQ(readBytes(kicad),
                      c.name == "a link onto another source" ? twoWires : foreign);
        }
    }
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
