#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "ce2_builder/ce2_builder.h"
#include "cli_texts.h"
#include "demo/demo_drawing.h"
#include "run_process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace ce2build;

class Cli : public ::testing::Test {
  protected:
    TempDir dir;

    // Runs the converter in the test's directory, with English system messages unless env
    // says otherwise.
    ProcessResult run(std::vector<std::string> args,
                      std::vector<std::pair<std::string, std::string>> env = {
                          {"LC_ALL", "C.UTF-8"}}) {
        args.insert(args.begin(), MORVEX_CLI);
        return runProcess({args, dir.path(), std::move(env)});
    }
    std::string file(const std::string& name, const std::string& bytes) {
        const std::string path = dir / name;
        fs::create_directories(fs::path(path).parent_path());
        writeBytes(path, bytes);
        return path;
    }
};

TEST_F(Cli, UsageErrors) {
    file("ok.ce2", kTwoWires);
    const std::string points = "a size in points must be a whole number: ";
    // The arguments, and the first line said, which says whose it is.
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no PATH given: name .ce2 files or directories to convert"},
        {{"--no-such-option", "ok.ce2"}, "unknown option: --no-such-option"},
        // An unknown option is the mistake, also when no PATH follows it.
        {{"--bogus"}, "unknown option: --bogus"},
        {{"--bogus", "--zap"}, "unknown option: --bogus --zap"},
        {{"--large-size", "12pt", "ok.ce2"}, "--large-size: " + points + "12pt"},
        {{"--small-size", "", "ok.ce2"}, "--small-size: " + points},
        {{"--large-size", "0x10", "ok.ce2"}, "--large-size: " + points + "0x10"},
        {{"--settings", "missing.ini", "ok.ce2"},
         "--settings: missing.ini: cannot be read: No such file or directory"},
        {{"--large-face"}, "--large-face needs a value"},
    };
    for (const auto& [args, said] : cases) {
        const ProcessResult r = run(args);
        EXPECT_EQ(r.exitCode, 2) << said;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "morvex-cli: " + said);
    }
    EXPECT_FALSE(fs::exists(dir / "ok.ce3"));
}

TEST_F(Cli, FaceOutsideCp932IsAUsageError) {
    file("ok.ce2", kTwoWires);
    const ProcessResult utf8 =
        run({"--small-face", "\U0001F600", "ok.ce2"}, {{"LC_ALL", "C.UTF-8"}});
    EXPECT_EQ(utf8.exitCode, 2);
    EXPECT_NE(utf8.err.find("--small-face"), std::string::npos) << utf8.err;
    // In the C locale only ASCII is known.
    EXPECT_EQ(run({"--large-face", "ＭＳ", "ok.ce2"}, {{"LC_ALL", "C"}}).exitCode, 2);
    EXPECT_FALSE(fs::exists(dir / "ok.ce3"));
}

TEST_F(Cli, HelpAndVersion) {
    const ProcessResult help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* word : {"PATH", "--large-face", "--large-size", "--small-face", "--small-size",
                             "--settings", "--quiet", "--version"}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }
    const ProcessResult version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string("morvex-cli ") + MORVEX_VERSION + "\n");
}

TEST_F(Cli, ConvertsOneFile) {
    const std::string src = file("x.CE2", kTwoWires);
    const ProcessResult r = run({src});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, src + " -> " + dir / "x.ce3" + ": 2 elements\n");
    EXPECT_EQ(r.err, kCompletion);  // one file: no summary
    EXPECT_TRUE(fs::is_regular_file(dir / "x.ce3"));
}

TEST_F(Cli, MixedBatch) {
    file("good.ce2", kTwoWires);
    file("one.ce2", line(kWire, 0, 10, 10, 50, 10));
    file("cut.ce2", kTwoWires + line(kWire, 0, 1, 2, 3, 4).substr(0, 6));
    file("notes.txt", "text");
    file("done.ce3", kTwoWires);
    file("empty.ce2", "");
    file("foreign.ce2", header({.corruptMagicAt = 5}) + kTwoWires);
    file("late.ce2", line(kWire, 0, 10, 10, 50, 10) + header({.corruptMagicAt = 5}) + kTwoWires);
    const ProcessResult r = run({"good.ce2", "one.ce2", "notes.txt", "missing.ce2", "done.ce3",
                                 "cut.ce2", "empty.ce2", "nothing", "foreign.ce2", "late.ce2"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              "good.ce2 -> good.ce3: 2 elements\n"
              "cut.ce2 -> cut.ce3: 2 elements; reading stopped at byte 20: record of type 3 cut "
              "short\n");
    EXPECT_EQ(r.err,
              "one.ce2: not converted: fewer than two elements\n"
              "notes.txt: not converted: neither a .ce2 file nor a directory\n"
              "missing.ce2: not converted: cannot be opened: No such file or directory\n"
              "done.ce3: not converted: neither a .ce2 file nor a directory\n"
              "empty.ce2: not converted: fewer than two elements\n"
              "nothing: not converted: cannot be opened: No such file or directory\n"
              "foreign.ce2: not converted: not a CE2 drawing (the header's identifier is wrong)\n"
              "late.ce2: not converted: fewer than two elements (reading stopped at byte 10: "
              "header with a wrong magic)\n"
              "10 files: 2 converted (1 in part), 8 not converted\n" +
                  kCompletion);
    EXPECT_FALSE(fs::exists(dir / "one.ce3"));
    EXPECT_EQ(readBytes(dir / "done.ce3"), kTwoWires);
}

TEST_F(Cli, SearchesDirectoriesInSortedOrder) {
    file("tree/b.ce2", kTwoWires);
    file("tree/a/Z.CE2", kTwoWires);
    file("tree/a/deep/m.ce2", kTwoWires);
    file("tree/a.ce2", kTwoWires);
    file("tree/one.ce2", line(kWire, 0, 10, 10, 50, 10));
    file("tree/skip.txt", kTwoWires);
    file("tree/skip.ce3", kTwoWires);
    fs::create_directory_symlink("..", dir / "tree/a/loop");
    fs::create_directory_symlink(dir / "tree/a/deep", dir / "tree/again");

    const ProcessResult r = run({"tree", "-q"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              "tree/a.ce2 -> tree/a.ce3: 2 elements\n"
              "tree/a/Z.CE2 -> tree/a/Z.ce3: 2 elements\n"
              "tree/a/deep/m.ce2 -> tree/a/deep/m.ce3: 2 elements\n"
              "tree/b.ce2 -> tree/b.ce3: 2 elements\n");
    // With -q, the summary stays, as not every file was converted.
    EXPECT_EQ(r.err,
              "tree/one.ce2: not converted: fewer than two elements\n"
              "5 files: 4 converted, 1 not converted\n");
}

TEST_F(Cli, UnreadableDirectoryIsReportedAndTheSearchGoesOn) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root";
    }
    file("tree/a.ce2", kTwoWires);
    file("tree/locked/b.ce2", kTwoWires);
    ASSERT_EQ(chmod((dir / "tree/locked").c_str(), 0), 0);
    const ProcessResult r = run({"tree", "-q"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "tree/a.ce2 -> tree/a.ce3: 2 elements\n");
    EXPECT_EQ(r.err, "tree/locked: not converted: directory cannot be read: Permission denied\n");
}

TEST_F(Cli, FifoIsSkippedWithoutBlocking) {
    file("tree/good.ce2", kTwoWires);
    ASSERT_EQ(mkfifo((dir / "tree/pipe.ce2").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((dir / "named.ce2").c_str(), 0600), 0);
    const ProcessResult r = run({"named.ce2", "tree", "--quiet"});
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "tree/good.ce2 -> tree/good.ce3: 2 elements\n");
    EXPECT_EQ(r.err,
              "named.ce2: not converted: not a regular file\n"
              "tree/pipe.ce2: not converted: not a regular file\n"
              "3 files: 1 converted, 2 not converted\n");
}

// The comment fonts: from the settings file, overridden for one run, never written back.
TEST_F(Cli, FontsFromSettingsAndOptions) {
    const std::string twoComments = comment({.x = 10, .y = 20, .sizeClass = 1, .text = "L"}) +
                                    comment({.x = 10, .y = 40, .sizeClass = 0, .text = "S"});
    file("c.ce2", twoComments);
    const std::string ini = file("fonts.ini",
                                 "[large_font]\r\nFACE=Arial\r\nSIZE=24\r\n"
                                 "[SMALL_FONT]\r\nface=Courier\r\n");
    const fs::file_time_type written = fs::last_write_time(ini);

    struct Case {
        std::vector<std::string> args;
        std::string large;
        std::string small;
    };
    const std::vector<Case> cases = {
        // The default large face, its space escaped.
        {{},
         "FN:\x82\x6C\x82\x72%20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E,FS:16",
         "FN:Verdana,FS:10"},
        {{"--settings", "fonts.ini"}, "FN:Arial,FS:32", "FN:Courier,FS:10"},
        {{"--settings", "fonts.ini", "--large-size", "9", "--small-face", "電源", "--small-size",
          "-5"},
         "FN:Arial,FS:12",
         "FN:\x93\x64\x8C\xB9,FS:4"},
        {{"--large-face", "", "--large-size", "200"}, "FN:,FS:80", "FN:Verdana,FS:10"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back("c.ce2");
        const ProcessResult r = run(args, {{"LC_ALL", "C.UTF-8"}});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string ce3 = readBytes(dir / "c.ce3");
        EXPECT_NE(ce3.find("S:L," + c.large + ","), std::string::npos) << ce3;
        EXPECT_NE(ce3.find("S:S," + c.small + ","), std::string::npos) << ce3;
    }
    EXPECT_EQ(fs::last_write_time(ini), written);
    EXPECT_FALSE(fs::exists(dir / "MORVEX.INI"));
}

// A settings file found where it is looked for but unusable is said, and the defaults apply.
TEST_F(Cli, UnusableSettingsFileIsSaid) {
    file("c.ce2", comment({.x = 10, .y = 40, .text = "S"}) + kTwoWires);
    file("MORVEX.INI", "[SMALL_FONT]\r\nFACE=Arial\r\n\x01\x02\r\n");
    const ProcessResult r = run({"-q", "c.ce2"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err.rfind("morvex-cli: " + dir / "MORVEX.INI: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("; the default fonts apply\n"), std::string::npos) << r.err;
    EXPECT_NE(readBytes(dir / "c.ce3").find("FN:Verdana"), std::string::npos);
}

TEST(Demo, CommittedFileIsTheGeneratorsOutput) {
    EXPECT_EQ(readBytes(MORVEX_SOURCE_DIR "/examples/demo.ce2"), demoDrawing());
}

TEST_F(Cli, ConvertsTheDemo) {
    file("demo.ce2", demoDrawing());
    const ProcessResult r = run({"demo.ce2"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "demo.ce2 -> demo.ce3: 13 elements; 1 element outside the sheet left out\n");
    EXPECT_EQ(r.err, kCompletion);
}

// Every file in the directory and below it, by path relative to it.
std::vector<std::string> filesIn(const std::string& root) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        names.push_back(fs::relative(entry.path(), root).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(Cli, SvgBesideEachConvertedDrawing) {
    file("demo.ce2", demoDrawing());
    file("one.ce2", line(kWire, 0, 10, 10, 50, 10));
    file("tree/a.ce2", kTwoWires);
    file("tree/b.ce3", "+TOVR3_DATA_V.1.0\r\n-TOVR3_DATA_V.1.0\r\n");
    const ProcessResult r = run({"--svg", "-q", "demo.ce2", "one.ce2", "tree"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              "demo.ce2 -> demo.ce3: 13 elements; 1 element outside the sheet left out; SVG "
              "written to demo.svg\n"
              "tree/a.ce2 -> tree/a.ce3: 2 elements; SVG written to tree/a.svg\n");
    EXPECT_EQ(r.err,
              "one.ce2: not converted: fewer than two elements\n"
              "3 files: 2 converted (1 in part), 1 not converted\n");
    // Only converted drawings are drawn, and a .ce3 file found in a directory is not.
    EXPECT_EQ(filesIn(dir.path()),
              (std::vector<std::string>{"demo.ce2", "demo.ce3", "demo.svg", "one.ce2", "tree",
                                        "tree/a.ce2", "tree/a.ce3", "tree/a.svg", "tree/b.ce3"}));
    // Drawn from the document as read: the wire that the .ce3 file leaves out is counted beyond
    // the sheet's edge, and the title line says what the report says.
    const std::string svg = readBytes(dir / "demo.svg");
    EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0u);
    EXPECT_EQ(svg.find("x1=\"-300\""), std::string::npos);
    EXPECT_NE(svg.find(">1 left out</text>"), std::string::npos);
    EXPECT_NE(svg.find(">13 elements; 1 element outside the sheet left out</text>"),
              std::string::npos);
    EXPECT_NE(svg.find(">回路図の例</text>"), std::string::npos);

    // Without --svg nothing is drawn.
    fs::remove(dir / "demo.svg");
    const ProcessResult plain = run({"-q", "demo.ce2"});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(plain.out,
              "demo.ce2 -> demo.ce3: 13 elements; 1 element outside the sheet left out\n");
    EXPECT_FALSE(fs::exists(dir / "demo.svg"));
}

TEST_F(Cli, Ce3PathsAreDrawnNotConverted) {
    const std::string drawing =
        "+TOVR3_DATA_V.1.0\r\n+WIRE,X1:-90,Y1:-50,X2:-50,Y2:-50,-WIRE\r\n"
        "+LABEL,X:90,Y:50,D:1,S:%3C%26%3E,-LABEL\r\n-TOVR3_DATA_V.1.0\r\n";
    file("good.CE3", drawing);
    file("text.ce3", "hello");
    // Drawn up to the record that stops the reading, and said where.
    file("broken.ce3",
         "+TOVR3_DATA_V.1.0\r\n+WIRE,X1:10,Y1:10,X2:50,Y2:10,-WIRE\r\n+WIRE,X1:1,-WIRE\r\n");
    ASSERT_EQ(mkfifo((dir / "pipe.ce3").c_str(), 0600), 0);
    const ProcessResult r =
        run({"--svg", "good.CE3", "text.ce3", "broken.ce3", "missing.ce3", "pipe.ce3"});
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              "good.CE3: SVG written to good.svg (2 elements; 1 element outside the sheet)\n"
              "broken.ce3: SVG written to broken.svg (1 element); drawn up to line 3: a WIRE "
              "record that cannot be read\n");
    EXPECT_EQ(r.err,
              "text.ce3: not drawn: not a CE3 file\n"
              "missing.ce3: not drawn: cannot be opened: No such file or directory\n"
              "pipe.ce3: not drawn: not a regular file\n");
    EXPECT_EQ(readBytes(dir / "good.CE3"), drawing);
    const std::string svg = readBytes(dir / "good.svg");
    EXPECT_NE(svg.find(">&lt;&amp;&gt;</text>"), std::string::npos);
    EXPECT_NE(svg.find(">1 left out</text>"), std::string::npos);  // the wire
    EXPECT_FALSE(fs::exists(dir / "text.svg"));
}

// A .ce3 file drawn and a conversion whose output it is write the same SVG file: whichever comes
// second in the run is not drawn, as an output that an earlier source writes.
TEST_F(Cli, SvgWrittenFromTwoSourcesIsDrawnOnce) {
    const struct {
        std::vector<std::string> args;
        std::string out;
        std::string err;
    } cases[] = {
        {{"x.ce2", "x.ce3"},
         "x.ce2 -> x.ce3: 2 elements; SVG written to x.svg\n",
         "x.ce3: not drawn: would replace x.svg written from x.ce2 in this batch\n"},
        {{"x.ce3", "x.ce2"},
         "x.ce3: SVG written to x.svg (1 element)\nx.ce2 -> x.ce3: 2 elements\n",
         "x.ce2: not drawn: would replace x.svg written from x.ce3 in this batch\n"},
        {{"x.ce3", "./x.ce3"},  // one file by two paths is drawn twice
         "x.ce3: SVG written to x.svg (1 element)\n./x.ce3: SVG written to ./x.svg (1 element)\n",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        file("x.ce2", kTwoWires);
        file("x.ce3",
             "+TOVR3_DATA_V.1.0\r\n+WIRE,X1:10,Y1:10,X2:50,Y2:10,-WIRE\r\n-TOVR3_DATA_V.1.0\r\n");
        std::vector<std::string> args{"--svg", "-q", "--overwrite"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProcessResult r = run(args);
        EXPECT_EQ(r.exitCode, c.err.empty() ? 0 : 1);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
}

TEST_F(Cli, SvgThatCannotBeWrittenIsReported) {
    file("x.ce2", kTwoWires);
    fs::create_directory(dir / "x.svg");
    const ProcessResult r = run({"--svg", "-q", "x.ce2"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "x.ce2 -> x.ce3: 2 elements\n");
    EXPECT_EQ(r.err, "x.ce2: not drawn: x.svg cannot be written: Is a directory\n");
    EXPECT_TRUE(fs::is_regular_file(dir / "x.ce3"));
    EXPECT_TRUE(fs::is_directory(dir / "x.svg"));
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"x.ce2", "x.ce3", "x.svg"}));
}

}  // namespace
