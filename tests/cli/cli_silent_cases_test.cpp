// What the converter once passed over in silence, each now reported with its cause and an exit
// status that says so.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/core/kept_outputs.h"
#include "ce2_builder/ce2_builder.h"
#include "cli_texts.h"
#include "demo/demo_drawing.h"
#include "program_copy.h"
#include "run_process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace ce2build;

const std::string kOtherWires = line(kWire, 0, 20, 20, 60, 20) + line(kWire, 0, 5, 5, 5, 9);
// An output saved by the editor: its library information is more than a conversion writes.
const std::string kEditedOutput =
    "+TOVR3_DATA_V.1.0\r\n+SHEETINFO,EL:0,VL:0,W:640,H:480,-SHEETINFO\r\n"
    "+PARTLIB,N:R,-PARTLIB\r\n-TOVR3_DATA_V.1.0\r\n";
// Outputs of a conversion damaged or changed since: a field added, cut short, its end lost to NULs.
const std::string kConvertedHead =
    "+TOVR3_DATA_V.1.0\r\n+SHEETINFO,EL:0,VL:0,W:640,H:480,-SHEETINFO\r\n"
    "+WIRE,L:0,X1:10,Y1:10,X2:50,Y2:10";
const std::string kFieldAdded =
    kConvertedHead + ",C:1,-WIRE\r\n+WIRE,L:0,X1:5,Y1:5,X2:5,Y2:9,-WIRE\r\n-TOVR3_DATA_V.1.0\r\n";
const std::string kCutOutput = kConvertedHead + ",-WIRE\r\n+WIRE,L:0,X1:5,Y1";
// What converting x.ce2 writes, and the same with a record after its closing line.
const std::string kConverted =
    "+TOVR3_DATA_V.1.0\r\n+SHEETINFO,EL:0,VL:0,W:1500,H:1000,-SHEETINFO\r\n"
    "+WIRE,L:0,X1:10,Y1:10,X2:50,Y2:10,-WIRE\r\n+WIRE,L:0,X1:5,Y1:5,X2:5,Y2:9,-WIRE\r\n"
    "-TOVR3_DATA_V.1.0\r\n";
const std::string kRecordAfterEnd = kConverted + "+PARTLIB,N:R,-PARTLIB\r\n";
// The output of an earlier conversion of another drawing.
const std::string kOtherConverted =
    "+TOVR3_DATA_V.1.0\r\n+SHEETINFO,EL:0,VL:0,W:640,H:480,-SHEETINFO\r\n"
    "+WIRE,L:0,X1:20,Y1:20,X2:60,Y2:20,-WIRE\r\n-TOVR3_DATA_V.1.0\r\n";
const std::string kNulFilledOutput = kConvertedHead + std::string(90, '\0');
constexpr uid_t kNobody = 65534;
// A KiCad schematic that MORVEX did not write, and one that it did.
const std::string kForeignKicad = "(kicad_sch (version 20230121) (generator eeschema)\n)\n";
const std::string kEarlierKicad = "(kicad_sch (version 20211123) (generator morvex)\n)\n";

void write(const TempDir& dir, const std::string& name, const std::string& bytes) {
    fs::create_directories(fs::path(dir / name).parent_path());
    writeBytes(dir / name, bytes);
}

// Permissions stop only a user who is not root: root runs the converter as nobody, over files
// handed to nobody.
std::optional<uid_t> unprivilegedUser() {
    return geteuid() == 0 ? std::optional<uid_t>(kNobody) : std::nullopt;
}

void handOver(const std::string& root) {
    if (geteuid() != 0) {
        return;
    }
    ASSERT_EQ(lchown(root.c_str(), kNobody, kNobody), 0);
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        ASSERT_EQ(lchown(entry.path().c_str(), kNobody, kNobody), 0) << entry.path();
    }
}

// A chain of folders of 200-byte names, `depth` deep under `top`; made folder by folder, since
// the whole path is longer than a path may be.
std::string makeDeepFolders(const std::string& top, int depth) {
    const std::string name(200, 'd');
    std::string path = "deep";
    fs::create_directory(top + "/deep");
    int fd = open((top + "/deep").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < depth && fd >= 0; ++i) {
        EXPECT_EQ(mkdirat(fd, name.c_str(), 0755), 0);
        const int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        close(fd);
        fd = next;
        path += "/" + name;
    }
    if (fd >= 0) {
        close(fd);
    }
    return path;
}

struct SilentCase {
    std::string name;
    std::function<void(const TempDir&)> setUp;
    std::vector<std::string> args;
    int exitCode;
    std::string out;
    std::string err;
    bool unprivileged = false;    // run as a user whom permissions stop
    std::string outputFile = {};  // standard output goes there
    std::string locale = "C.UTF-8";
    std::function<void(const TempDir&)> check = {};  // what the files hold afterwards
};

TEST(CliSilentCases, EachIsReportedWithItsCause) {
    const std::string deepName(200, 'd');
    std::string deepest = "deep";
    for (int i = 0; i < 21; ++i) {
        deepest += "/" + deepName;
    }
    ASSERT_GE(deepest.size(), std::size_t{PATH_MAX});
    const std::string notSettings =
        " is neither a section, a key=value line, a comment nor blank\n";

    const std::vector<SilentCase> cases = {
        // The settings file named with --settings.
        {"unreadable settings",
         [](const TempDir& d) {
             write(d, "s.ini", "[LARGE_FONT]\n");
             chmod((d / "s.ini").c_str(), 0);
         },
         {"--settings", "s.ini", "x.ce2"},
         2,
         "",
         "morvex-cli: --settings: s.ini: cannot be read: Permission denied\n",
         true},
        {"settings folder",
         [](const TempDir& d) { fs::create_directory(d / "s.ini"); },
         {"--settings", "s.ini", "x.ce2"},
         2,
         "",
         "morvex-cli: --settings: s.ini: not a regular file\n"},
        {"settings over 1 MiB",
         [](const TempDir& d) { write(d, "s.ini", "[A]\n" + std::string(1 << 20, ';')); },
         {"--settings", "s.ini", "x.ce2"},
         2,
         "",
         "morvex-cli: --settings: s.ini: larger than a settings file can be (1 MiB)\n"},
        {"drawing as settings",
         [](const TempDir& d) { write(d, "s.ini", kTwoWires); },
         {"--settings", "s.ini", "x.ce2"},
         2,
         "",
         "morvex-cli: --settings: s.ini: not a settings file: line 1 holds control bytes\n"},
        {"prose as settings",
         [](const TempDir& d) { write(d, "s.ini", "; fonts\r\nUse Arial for labels.\r\n"); },
         {"--settings", "s.ini", "x.ce2"},
         2,
         "",
         "morvex-cli: --settings: s.ini: not a settings file: line 2" + notSettings},
        // Standard output that cannot be written: the files are converted all the same.
        {"full standard output",
         {},
         {"x.ce2"},
         1,
         "",
         kCompletion + "morvex-cli: standard output cannot be written: No space left on device\n",
         false,
         "/dev/full",
         "C.UTF-8",
         [](const TempDir& d) { EXPECT_TRUE(fs::is_regular_file(d / "x.ce3")); }},
        // A face that the C locale cannot read.
        {"face in the C locale",
         {},
         {"--small-face", "ＭＳ 明朝", "x.ce2"},
         2,
         "",
         "morvex-cli: --small-face: \"ＭＳ 明朝\" cannot be read: the locale is C/POSIX, whose "
         "encoding holds only ASCII; set LC_ALL or LANG to a UTF-8 locale such as C.UTF-8\n",
         false,
         "",
         "C"},
        // Two sources with one output: the first one's stays.
        {"same output twice",
         [](const TempDir& d) { write(d, "x.CE2", kOtherWires); },
         {"-q", "x.ce2", "x.CE2", "x.ce2"},
         1,
         "x.ce2 -> x.ce3: 2 elements\nx.ce2 -> x.ce3: 2 elements\n",
         "x.CE2: not converted: would replace x.ce3 written from x.ce2 in this batch\n"
         "3 files: 2 converted, 1 not converted\n",
         false,
         "",
         "C.UTF-8",
         [](const TempDir& d) {
             EXPECT_NE(readBytes(d / "x.ce3").find("X1:10,Y1:10"), std::string::npos);
         }},
        // On a file system that tells case apart, names that differ only in case are two files.
        {"outputs that differ only in case",
         [](const TempDir& d) { write(d, "X.ce2", kOtherWires); },
         {"-q", "x.ce2", "X.ce2"},
         0,
         "x.ce2 -> x.ce3: 2 elements\nX.ce2 -> X.ce3: 2 elements\n",
         "",
         false,
         "",
         "C.UTF-8",
         [](const TempDir& d) { EXPECT_NE(readBytes(d / "X.ce3"), readBytes(d / "x.ce3")); }},
        {"same output across paths",
         [](const TempDir& d) { write(d, "tree/x.CE2", kOtherWires); },
         {"-q", "tree/x.ce2", "tree"},
         1,
         "tree/x.ce2 -> tree/x.ce3: 2 elements\ntree/x.ce2 -> tree/x.ce3: 2 elements\n",
         "tree/x.CE2: not converted: would replace tree/x.ce3 written from tree/x.ce2 in this "
         "batch\n"
         "3 files: 2 converted, 1 not converted\n"},
        // Folders met on the way that cannot be searched or whose path is too long.
        {"folder that cannot be searched",
         [](const TempDir& d) {
             write(d, "tree/a/sub/y.ce2", kTwoWires);
             write(d, "tree/b.ce2", kTwoWires);
             chmod((d / "tree/a").c_str(), 0444);  // listed, not searched
         },
         {"-q", "tree"},
         1,
         "tree/b.ce2 -> tree/b.ce3: 2 elements\ntree/x.ce2 -> tree/x.ce3: 2 elements\n",
         "tree/a/sub: not converted: directory cannot be read: Permission denied\n"
         "3 files: 2 converted, 1 not converted\n",
         true},
        {"path too long",
         [](const TempDir& d) { makeDeepFolders(d.path(), 21); },
         {"-q", "deep"},
         1,
         "",
         deepest + ": not converted: directory cannot be read: File name too long\n"},
        // An output that cannot be written names its cause.
        {"output is a folder",
         [](const TempDir& d) { fs::create_directory(d / "x.ce3"); },
         {"-q", "x.ce2"},
         1,
         "",
         "x.ce2: not converted: x.ce3 cannot be written: Is a directory\n"},
        // An output the user saved from the editor is kept, unless --overwrite is given.
        {"edited output",
         [](const TempDir& d) { write(d, "x.ce3", kEditedOutput); },
         {"-q", "x.ce2"},
         1,
         "",
         "x.ce2: not converted: x.ce3 holds data MORVEX does not write (saved by the editor?); "
         "--overwrite replaces it\n",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) { EXPECT_EQ(readBytes(d / "x.ce3"), kEditedOutput); }},
        {"edited output with --overwrite",
         [](const TempDir& d) { write(d, "x.ce3", kEditedOutput); },
         {"-q", "--overwrite", "x.ce2"},
         0,
         "x.ce2 -> x.ce3: 2 elements\n",
         ""},
        // An earlier output is checked whether or not it holds what is written now, and whether
        // or not the new one can be written.
        {"earlier output of another drawing",
         [](const TempDir& d) { write(d, "x.ce3", kOtherConverted); },
         {"-q", "x.ce2"},
         0,
         "x.ce2 -> x.ce3: 2 elements\n",
         "",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) { EXPECT_EQ(readBytes(d / "x.ce3"), kConverted); }},
        {"converted output with a record after its end",
         [](const TempDir& d) { write(d, "x.ce3", kRecordAfterEnd); },
         {"-q", "x.ce2"},
         1,
         "",
         "x.ce2: not converted: x.ce3 holds data after its closing line, at line 6; "
         "--overwrite replaces it\n",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) { EXPECT_EQ(readBytes(d / "x.ce3"), kRecordAfterEnd); }},
        {"edited output in a folder not writable",
         [](const TempDir& d) {
             write(d, "locked/x.ce2", kTwoWires);
             write(d, "locked/x.ce3", kEditedOutput);
             chmod((d / "locked").c_str(), 0555);
         },
         {"-q", "locked/x.ce2"},
         1,
         "",
         "locked/x.ce2: not converted: locked/x.ce3 holds data MORVEX does not write (saved by "
         "the editor?); --overwrite replaces it\n",
         true},
        {"dry run over an edited output",
         [](const TempDir& d) { write(d, "x.ce3", kEditedOutput); },
         {"--dry-run", "x.ce2"},
         1,
         "",
         "x.ce2: not converted: x.ce3 holds data MORVEX does not write (saved by the editor?); "
         "--overwrite replaces it\n"},
        // An output changed within a record, or damaged, is kept too, and its line says why.
        {"output with a field added",
         [](const TempDir& d) { write(d, "x.ce3", kFieldAdded); },
         {"-q", "x.ce2"},
         1,
         "",
         "x.ce2: not converted: x.ce3 line 3 holds a field MORVEX does not write; --overwrite "
         "replaces it\n",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) { EXPECT_EQ(readBytes(d / "x.ce3"), kFieldAdded); }},
        {"cut output",
         [](const TempDir& d) { write(d, "x.ce3", kCutOutput); },
         {"-q", "x.ce2"},
         1,
         "",
         "x.ce2: not converted: x.ce3 ends at line 4 without its closing line; --overwrite "
         "replaces it\n"},
        {"output ending in NUL bytes",
         [](const TempDir& d) { write(d, "x.ce3", kNulFilledOutput); },
         {"-q", "x.ce2"},
         1,
         "",
         "x.ce2: not converted: x.ce3 holds NUL bytes; --overwrite replaces it\n"},
        // Outputs under a folder of their own, at their paths below the PATH given.
        {"output folder",
         [](const TempDir& d) { write(d, "tree/sub/y.ce2", kTwoWires); },
         {"-q", "--output-dir", "out", "tree", "x.ce2"},
         1,
         "tree/sub/y.ce2 -> out/sub/y.ce3: 2 elements\ntree/x.ce2 -> out/x.ce3: 2 elements\n",
         "x.ce2: not converted: would replace out/x.ce3 written from tree/x.ce2 in this batch\n"
         "3 files: 2 converted, 1 not converted\n"},
        // A dry run decides as a run would and writes nothing.
        {"dry run",
         {},
         {"--dry-run", "x.ce2", "tree"},
         0,
         "x.ce2 -> x.ce3: would write 2 elements\ntree/x.ce2 -> tree/x.ce3: would write 2 "
         "elements\n",
         "2 files: 2 converted\n",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) {
             EXPECT_FALSE(fs::exists(d / "x.ce3"));
             EXPECT_FALSE(fs::exists(d / "tree/x.ce3"));
         }},
        {"dry run into a folder not writable",
         [](const TempDir& d) {
             write(d, "locked/x.ce2", kTwoWires);
             chmod((d / "locked").c_str(), 0555);
         },
         {"--dry-run", "locked/x.ce2"},
         1,
         "",
         "locked/x.ce2: not converted: locked/x.ce3 cannot be written: Permission denied\n",
         true},
        {"folder without drawings",
         [](const TempDir& d) { fs::create_directory(d / "empty"); },
         {"-q", "empty"},
         1,
         "",
         "morvex-cli: no .ce2 files under empty\n"},
        // The run's log as CSV, one row per file, quoted where a field needs it.
        {"report",
         [](const TempDir& d) { write(d, "a,b.ce2", kTwoWires); },
         {"-q", "--report", "r.csv", "a,b.ce2", "\"missing\".ce2"},
         1,
         "a,b.ce2 -> a,b.ce3: 2 elements\n",
         "\"missing\".ce2: not converted: cannot be opened: No such file or directory\n"
         "2 files: 1 converted, 1 not converted\n",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) {
             EXPECT_EQ(readBytes(d / "r.csv"),
                       "\xEF\xBB\xBFsource,output,outcome,elements written,left out,stopped at "
                       "byte,reason\r\n"
                       "\"a,b.ce2\",\"a,b.ce3\",converted,2,0,,\r\n"
                       "\"\"\"missing\"\".ce2\",\"\"\"missing\"\".ce3\",not converted,,,,cannot be "
                       "opened: No such file or directory\r\n");
         }},
        // Names that a spreadsheet would take for a formula or could not show: a leading ' and
        // \xNN for the bytes that are not UTF-8; Japanese in UTF-8 as it is.
        {"report of names a spreadsheet would misread",
         [](const TempDir& d) {
             for (const char* name : {"=x.ce2", "\x82\xA0.ce2", "回路.ce2"}) {
                 write(d, name, kTwoWires);
             }
         },
         {"-q", "--report", "r.csv", "=x.ce2", "\x82\xA0.ce2", "回路.ce2"},
         0,
         "=x.ce2 -> =x.ce3: 2 elements\n\x82\xA0.ce2 -> \x82\xA0.ce3: 2 elements\n"
         "回路.ce2 -> 回路.ce3: 2 elements\n",
         "",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) {
             EXPECT_EQ(readBytes(d / "r.csv"),
                       "\xEF\xBB\xBFsource,output,outcome,elements written,left out,stopped at "
                       "byte,reason\r\n"
                       "'=x.ce2,'=x.ce3,converted,2,0,,\r\n"
                       "\\x82\\xA0.ce2,\\x82\\xA0.ce3,converted,2,0,,\r\n"
                       "回路.ce2,回路.ce3,converted,2,0,,\r\n");
         }},
        {"report that cannot be written",
         {},
         {"--report", "nowhere/r.csv", "x.ce2"},
         2,
         "",
         "morvex-cli: --report: nowhere/r.csv: cannot be written: No such file or directory\n",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) { EXPECT_FALSE(fs::exists(d / "x.ce3")); }},
        // The report is never a file of the run, nor a file that is not an earlier report.
        {"report over a drawing",
         {},
         {"--report", "x.ce2", "tree"},
         2,
         "",
         "morvex-cli: --report: x.ce2 exists and is not a MORVEX report\n",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) {
             EXPECT_EQ(readBytes(d / "x.ce2"), kTwoWires);
             EXPECT_FALSE(fs::exists(d / "tree/x.ce3"));
         }},
        {"report over a source through a link",
         [](const TempDir& d) { fs::create_symlink("tree/x.ce2", d / "r.csv"); },
         {"--dry-run", "--report", "r.csv", "tree"},
         2,
         "",
         "morvex-cli: --report: r.csv: would overwrite the source tree/x.ce2 of this batch\n"},
        {"report over an output",
         {},
         {"--report", "tree/x.ce3", "tree"},
         2,
         "",
         "morvex-cli: --report: tree/x.ce3: would replace tree/x.ce3 written from tree/x.ce2 in "
         "this batch\n"},
        {"report over an SVG",
         {},
         {"--svg", "--report", "x.svg", "x.ce2"},
         2,
         "",
         "morvex-cli: --report: x.svg: would replace x.svg written from x.ce2 in this batch\n"},
        {"report over the settings",
         [](const TempDir& d) { write(d, "s.ini", "[LARGE_FONT]\r\n"); },
         {"--settings", "s.ini", "--report", "s.ini", "x.ce2"},
         2,
         "",
         "morvex-cli: --report: s.ini: would overwrite the settings file s.ini\n"},
        {"report over an earlier report",
         [](const TempDir& d) {
             write(d, "r.csv",
                   "\xEF\xBB\xBFsource,output,outcome,elements written,left out,stopped at "
                   "byte,reason\r\nold,row\r\n");
         },
         {"-q", "--report", "r.csv", "x.ce2"},
         0,
         "x.ce2 -> x.ce3: 2 elements\n",
         "",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) {
             EXPECT_EQ(readBytes(d / "r.csv").find("old,row"), std::string::npos);
         }},
        // An output is never another source of the run, --overwrite or not.
        {"output linked onto another source",
         [](const TempDir& d) {
             write(d, "y.ce2", kOtherWires);
             fs::create_symlink("x.ce2", d / "y.ce3");
         },
         {"-q", "--overwrite", "x.ce2", "y.ce2"},
         1,
         "x.ce2 -> x.ce3: 2 elements\n",
         "y.ce2: not converted: would overwrite the source x.ce2 of this batch\n"
         "2 files: 1 converted, 1 not converted\n",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) { EXPECT_EQ(readBytes(d / "x.ce2"), kTwoWires); }},
        // An output that cannot be read to check it is kept.
        {"unreadable output",
         [](const TempDir& d) {
             write(d, "x.ce3", "");
             chmod((d / "x.ce3").c_str(), 0200);
         },
         {"-q", "x.ce2"},
         1,
         "",
         "x.ce2: not converted: x.ce3 cannot be read to check it: Permission denied; "
         "--overwrite replaces it\n",
         true},
        // Every file of the run goes under --output-dir, the SVG of a .ce3 PATH too.
        {"drawing under an output folder",
         [](const TempDir& d) {
             write(d, "tree/d.ce3",
                   "+TOVR3_DATA_V.1.0\r\n+WIRE,X1:10,Y1:10,X2:50,Y2:10,-WIRE\r\n"
                   "-TOVR3_DATA_V.1.0\r\n");
         },
         {"--svg", "--output-dir", "out", "tree/d.ce3"},
         0,
         "tree/d.ce3: SVG written to out/d.svg (1 element)\n",
         "",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) {
             EXPECT_TRUE(fs::is_regular_file(d / "out/d.svg"));
             EXPECT_FALSE(fs::exists(d / "tree/d.svg"));
         }},
        // The report has a row for everything that sets the exit status.
        {"report of every outcome",
         [](const TempDir& d) {
             fs::create_directory(d / "empty");
             fs::create_directory(d / "x.svg");
             write(d, "text.ce3", "hello");
         },
         {"-q", "--svg", "--report", "r.csv", "empty", "text.ce3", "x.ce2"},
         1,
         "x.ce2 -> x.ce3: 2 elements\n",
         "morvex-cli: no .ce2 files under empty\n"
         "text.ce3: not drawn: not a CE3 file\n"
         "x.ce2: not drawn: x.svg cannot be written: Is a directory\n"
         "2 files: 1 converted, 1 not converted, 2 not drawn\n",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) {
             EXPECT_EQ(readBytes(d / "r.csv"),
                       "\xEF\xBB\xBFsource,output,outcome,elements written,left out,stopped at "
                       "byte,reason\r\n"
                       "empty,,not converted,,,,no .ce2 files under empty\r\n"
                       "text.ce3,text.svg,not drawn,,,,not a CE3 file\r\n"
                       "x.ce2,x.ce3,converted,2,0,,\r\n"
                       "x.ce2,x.svg,not drawn,,,,x.svg cannot be written: Is a directory\r\n");
         }},
        // A KiCad schematic beside each output: its counts, each but the nets only when not zero.
        {"KiCad file",
         [](const TempDir& d) { write(d, "demo.ce2", demoDrawing()); },
         {"-q", "--kicad", "x.ce2", "demo.ce2"},
         0,
         "x.ce2 -> x.ce3: 2 elements; KiCad: x.kicad_sch (0 nets)\n"
         "demo.ce2 -> demo.ce3: 13 elements; 1 element outside the sheet left out; KiCad: "
         "demo.kicad_sch (1 net; 1 part with pins placed from its wires)\n",
         "2 files: 2 converted (1 in part)\n",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) {
             // Begins as the rule that keeps files MORVEX did not write expects.
             EXPECT_EQ(readBytes(d / "x.kicad_sch").rfind(kKicadWrittenStart, 0), 0u);
         }},
        // An SVG that fails leaves the KiCad file written, and the other way round.
        {"SVG not drawn, KiCad file written",
         [](const TempDir& d) { fs::create_directory(d / "x.svg"); },
         {"-q", "--svg", "--kicad", "x.ce2"},
         1,
         "x.ce2 -> x.ce3: 2 elements; KiCad: x.kicad_sch (0 nets)\n",
         "x.ce2: not drawn: x.svg cannot be written: Is a directory\n"},
        {"SVG drawn, KiCad file not written",
         [](const TempDir& d) { fs::create_directory(d / "x.kicad_sch"); },
         {"-q", "--svg", "--kicad", "x.ce2"},
         1,
         "x.ce2 -> x.ce3: 2 elements; SVG written to x.svg\n",
         "x.ce2: KiCad file not written: x.kicad_sch cannot be written: Is a directory\n"},
        // A .ce3 PATH is read once for both files, converting nothing.
        {"KiCad file of a .ce3 PATH",
         [](const TempDir& d) {
             write(d, "tree/d.ce3",
                   "+TOVR3_DATA_V.1.0\r\n+WIRE,X1:10,Y1:10,X2:50,Y2:10,-WIRE\r\n"
                   "-TOVR3_DATA_V.1.0\r\n");
             write(d, "text.ce3", "hello");
         },
         {"--svg", "--kicad", "tree/d.ce3", "text.ce3"},
         1,
         "tree/d.ce3: SVG written to tree/d.svg (1 element); KiCad: tree/d.kicad_sch (0 nets)\n",
         "text.ce3: not drawn: not a CE3 file\n"
         "text.ce3: KiCad file not written: not a CE3 file\n",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) { EXPECT_FALSE(fs::exists(d / "text.kicad_sch")); }},
        {"KiCad files under an output folder",
         [](const TempDir& d) {
             write(d, "tree/d.ce3",
                   "+TOVR3_DATA_V.1.0\r\n+WIRE,X1:10,Y1:10,X2:50,Y2:10,-WIRE\r\n"
                   "-TOVR3_DATA_V.1.0\r\n");
         },
         {"-q", "--kicad", "--output-dir", "out", "tree", "tree/d.ce3"},
         0,
         "tree/x.ce2 -> out/x.ce3: 2 elements; KiCad: out/x.kicad_sch (0 nets)\n"
         "tree/d.ce3: KiCad: out/d.kicad_sch (0 nets)\n",
         "",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) {
             EXPECT_TRUE(fs::is_regular_file(d / "out/d.kicad_sch"));
             EXPECT_FALSE(fs::exists(d / "tree/x.kicad_sch"));
         }},
        // A KiCad file that MORVEX did not write, or that cannot be read to tell, is kept.
        {"foreign KiCad file kept",
         [](const TempDir& d) { write(d, "x.kicad_sch", kForeignKicad); },
         {"-q", "--kicad", "x.ce2", "tree"},
         1,
         "x.ce2 -> x.ce3: 2 elements\n"
         "tree/x.ce2 -> tree/x.ce3: 2 elements; KiCad: tree/x.kicad_sch (0 nets)\n",
         "x.ce2: KiCad file not written: x.kicad_sch exists and was not written by MORVEX; "
         "--overwrite replaces it\n"
         "2 files: 2 converted, 1 KiCad file not written\n",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) { EXPECT_EQ(readBytes(d / "x.kicad_sch"), kForeignKicad); }},
        {"unreadable KiCad file kept",
         [](const TempDir& d) {
             write(d, "x.kicad_sch", kEarlierKicad);
             chmod((d / "x.kicad_sch").c_str(), 0);
         },
         {"-q", "--kicad", "x.ce2"},
         1,
         "x.ce2 -> x.ce3: 2 elements\n",
         "x.ce2: KiCad file not written: x.kicad_sch cannot be read to check it: Permission "
         "denied; --overwrite replaces it\n",
         true},
        // A KiCad file that is another file of the run is not written, and counted in the summary.
        {"KiCad file onto a source",
         [](const TempDir& d) {
             write(d, "y.ce2", kOtherWires);
             fs::create_symlink("y.ce2", d / "x.kicad_sch");
         },
         {"-q", "--kicad", "x.ce2", "y.ce2"},
         1,
         "x.ce2 -> x.ce3: 2 elements\ny.ce2 -> y.ce3: 2 elements; KiCad: y.kicad_sch (0 nets)\n",
         "x.ce2: KiCad file not written: would overwrite the source y.ce2 of this batch\n"
         "2 files: 2 converted, 1 KiCad file not written\n",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) { EXPECT_EQ(readBytes(d / "y.ce2"), kOtherWires); }},
        // The report's row for each KiCad file: its counts, or why it was not written.
        {"report of KiCad files",
         [](const TempDir& d) { write(d, "tree/x.kicad_sch", kForeignKicad); },
         {"-q", "--kicad", "--report", "r.csv", "x.ce2", "tree"},
         1,
         "x.ce2 -> x.ce3: 2 elements; KiCad: x.kicad_sch (0 nets)\n"
         "tree/x.ce2 -> tree/x.ce3: 2 elements\n",
         "tree/x.ce2: KiCad file not written: tree/x.kicad_sch exists and was not written by "
         "MORVEX; --overwrite replaces it\n"
         "2 files: 2 converted, 1 KiCad file not written\n",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) {
             EXPECT_EQ(readBytes(d / "r.csv"),
                       "\xEF\xBB\xBFsource,output,outcome,elements written,left out,stopped at "
                       "byte,reason\r\n"
                       "x.ce2,x.ce3,converted,2,0,,\r\n"
                       "x.ce2,x.kicad_sch,KiCad written,,,,0 nets\r\n"
                       "tree/x.ce2,tree/x.ce3,converted,2,0,,\r\n"
                       "tree/x.ce2,tree/x.kicad_sch,KiCad not written,,,,tree/x.kicad_sch exists "
                       "and was not written by MORVEX\r\n");
         }},
        {"dry run of a KiCad file",
         [](const TempDir& d) { write(d, "demo.ce2", demoDrawing()); },
         {"-q", "--kicad", "--dry-run", "--report", "r.csv", "demo.ce2"},
         0,
         "demo.ce2 -> demo.ce3: would write 13 elements; 1 element outside the sheet left out; "
         "KiCad: would write demo.kicad_sch (1 net; 1 part with pins placed from its wires)\n",
         "",
         false,
         {},
         "C.UTF-8",
         [](const TempDir& d) {
             EXPECT_FALSE(fs::exists(d / "demo.kicad_sch"));
             EXPECT_FALSE(fs::exists(d / "demo.ce3"));
             EXPECT_NE(
                 readBytes(d / "r.csv")
                     .find("demo.ce2,demo.kicad_sch,KiCad would be written,,,,1 net; 1 part with "
                           "pins placed from its wires\r\n"),
                 std::string::npos);
         }},
        {"output folder that is a file",
         {},
         {"--output-dir", "x.ce2", "x.ce2"},
         2,
         "",
         "morvex-cli: --output-dir: x.ce2: not a directory\n"},
        {"read-only output",
         [](const TempDir& d) {
             write(d, "x.ce3", "");
             chmod((d / "x.ce3").c_str(), 0444);
         },
         {"-q", "x.ce2"},
         1,
         "",
         "x.ce2: not converted: x.ce3 cannot be written: Permission denied\n",
         true},
    };

    // Root runs the converter as the user nobody from a copy within that user's reach: the build
    // tree may lie in a folder closed to other users.
    std::optional<ProgramCopy> forNobody;
    if (unprivilegedUser()) {
        forNobody.emplace(MORVEX_CLI, *unprivilegedUser());
    }
    std::string skipped;
    for (const SilentCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.unprivileged && forNobody && forNobody->path().empty()) {
            skipped += (skipped.empty() ? "" : ", ") + c.name;
            continue;
        }
        TempDir dir;
        write(dir, "x.ce2", kTwoWires);
        write(dir, "tree/x.ce2", kTwoWires);
        if (c.setUp) {
            c.setUp(dir);
        }
        ProcessRequest request{{MORVEX_CLI}, dir.path(), {{"LC_ALL", c.locale}}};
        request.argv.insert(request.argv.end(), c.args.begin(), c.args.end());
        request.outputFile = c.outputFile;
        if (c.unprivileged) {
            handOver(dir.path());
            request.user = unprivilegedUser();
            if (forNobody) {
                request.argv[0] = forNobody->path();
            }
        }
        const ProcessResult r = runProcess(request);
        ASSERT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
        if (c.check) {
            c.check(dir);
        }
        // Put back what the case took away, so that the folder can be removed.
        chmod((dir / "tree/a").c_str(), 0755);
        chmod((dir / "locked").c_str(), 0755);
        runProcess({{"/bin/rm", "-rf", dir / "deep"}});
    }
    if (!skipped.empty()) {
        GTEST_SKIP() << "not run as nobody: " << skipped << "; " << forNobody->failure();
    }
}

// Every file below root, with its bytes, for telling that a run changed nothing.
std::map<std::string, std::string> snapshot(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        files[entry.path().string()] = entry.is_regular_file() ? readBytes(entry.path()) : "<dir>";
    }
    return files;
}

// A dry run's report in the real run's words: what it says it would write, as written.
std::string asWritten(std::string text) {
    for (const auto& [would, did] : {std::pair<std::string, std::string>{"would write ", ""},
                                     {"SVG would be written to ", "SVG written to "}}) {
        for (std::size_t at = text.find(would); at != std::string::npos;
             at = text.find(would, at)) {
            text.replace(at, would.size(), did);
        }
    }
    return text;
}

// A mixed tree of more than 200 entries: drawings to convert, too small and broken ones, edited
// and earlier outputs, a folder that cannot be written (for a user whom permissions stop), a
// folder with nothing to convert; and beside it a source 19 folders of 200-byte names deep, whose
// output under a folder of a long name has a path too long.
void makeMixedTree(const TempDir& d) {
    for (int i = 0; i < 210; ++i) {
        const std::string folder =
            i % 3 == 0 ? std::string("tree/locked/") : "tree/sub" + std::to_string(i % 4) + "/";
        const std::string name = folder + "d" + std::to_string(i);
        switch (i % 6) {
            case 0:
            case 1:
                write(d, name + ".ce2", kTwoWires);
                break;
            case 2:
                write(d, name + ".ce2", kTwoWires);
                write(d, name + ".ce3", kEditedOutput);
                break;
            case 3:
                write(d, name + ".ce2", kOtherWires);
                write(d, name + ".ce3", "");
                break;
            case 4:
                write(d, name + ".CE2", ce2build::line(ce2build::kWire, 0, 1, 1, 9, 1));
                break;
            default:
                write(d, name + ".ce2", "not a drawing");
                break;
        }
    }
    write(d, makeDeepFolders(d.path(), 19) + "/x.ce2", kTwoWires);
    fs::create_directories(d / "tree/empty");
}

// What a dry run says, line for line, equals what the real run then does, and the dry run writes
// nothing: in place, with --overwrite and into an output folder, with SVGs.
TEST(CliSilentCases, DryRunSaysWhatTheRunDoes) {
    std::optional<ProgramCopy> forNobody;
    if (unprivilegedUser()) {
        forNobody.emplace(MORVEX_CLI, *unprivilegedUser());
        if (forNobody->path().empty()) {
            GTEST_SKIP() << "not run as nobody: " << forNobody->failure();
        }
    }
    const std::string longOutputDir = "out/" + std::string(200, 'o') + "/" + std::string(200, 'p');
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> said;  // what standard error must hold among the rest
    } runs[] = {
        {{"-q", "--svg", "tree", "deep"}, {"Permission denied"}},
        {{"-q", "--svg", "--overwrite", "tree", "deep"}, {"Permission denied"}},
        {{"-q", "--svg", "--kicad", "tree", "deep"}, {"Permission denied"}},
        {{"-q", "--svg", "--output-dir", longOutputDir, "tree", "deep"}, {"File name too long"}},
        {{"-q", "--output-dir", "tree/locked/out", "tree"},
         {"--output-dir: tree/locked/out: cannot be created: Permission denied"}},
    };
    for (const auto& [args, said] : runs) {
        SCOPED_TRACE(::testing::PrintToString(args));
        TempDir dir;
        makeMixedTree(dir);
        handOver(dir.path());
        chmod((dir / "tree/locked").c_str(), 0555);
        const auto run = [&](bool dryRun) {
            ProcessRequest request{
                {forNobody ? forNobody->path() : MORVEX_CLI}, dir.path(), {{"LC_ALL", "C.UTF-8"}}};
            if (dryRun) {
                request.argv.push_back("--dry-run");
            }
            request.argv.insert(request.argv.end(), args.begin(), args.end());
            request.user = unprivilegedUser();
            return runProcess(request);
        };
        const std::map<std::string, std::string> before = snapshot(dir.path());
        const ProcessResult dry = run(true);
        ASSERT_FALSE(dry.timedOut);
        EXPECT_EQ(snapshot(dir.path()), before);
        const ProcessResult real = run(false);
        ASSERT_FALSE(real.timedOut);
        EXPECT_EQ(dry.exitCode, real.exitCode);
        EXPECT_EQ(asWritten(dry.out), real.out);
        EXPECT_EQ(dry.err, real.err);
        for (const std::string& text : said) {
            EXPECT_NE(real.err.find(text), std::string::npos) << text;
        }
        chmod((dir / "tree/locked").c_str(), 0755);
    }
}

// The copy runs as another user where the original, inside a folder closed to that user, cannot
// even be started (exit status 127 from runProcess).
TEST(ProgramCopy, AnotherUserRunsItWhereverTheOriginalLies) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root may run a program as another user";
    }
    const std::string temporaries = utf8Path(fs::temp_directory_path());
    if (!executableBy(temporaries, kNobody)) {
        GTEST_SKIP() << "nobody cannot enter " << temporaries;
    }
    struct Place {
        const char* name;
        mode_t folderMode;
        int originalExit;
    };
    for (const Place& p :
         {Place{"0700", 0700, 127}, Place{"0711", 0711, 0}, Place{"0755", 0755, 0}}) {
        SCOPED_TRACE(p.name);
        TempDir dir;
        fs::create_directory(dir / "new comer 回路");
        const std::string original = dir / "new comer 回路/morvex-cli";
        fs::copy_file(MORVEX_CLI, original);
        ASSERT_EQ(chmod(dir.path().c_str(), p.folderMode), 0);
        const ProcessResult before =
            runProcess({{original, "--version"}, "/", {}, 20, "", kNobody});
        EXPECT_EQ(before.exitCode, p.originalExit);

        const ProgramCopy copy(original, kNobody);
        ASSERT_NE(copy.path(), "") << copy.failure();
        EXPECT_EQ(fs::path(copy.path()).filename(), "morvex-cli");
        const ProcessResult after =
            runProcess({{copy.path(), "--version"}, "/", {}, 20, "", kNobody});
        EXPECT_EQ(after.exitCode, 0) << after.err;
        EXPECT_NE(after.out.find(MORVEX_VERSION), std::string::npos) << after.out;
    }
}

// Out of memory on one huge drawing fails that file; the files after it are converted with the
// memory it held given back. The address space is limited, which AddressSanitizer cannot bear.
TEST(CliSilentCases, OutOfMemoryFailsOnlyThatFile) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer needs far more address space than the limit leaves";
#endif
    TempDir dir;
    write(dir, "a.ce2", kTwoWires);
    std::string huge;
    for (int i = 0; i < 2'000'000; ++i) {
        huge += line(kWire, 0, i % 1000, 10, 50, i % 700);
    }
    write(dir, "b.ce2", huge);
    write(dir, "b.ce3", "old");
    write(dir, "c.ce2", kTwoWires);
    ProcessRequest request{
        {MORVEX_CLI, "-q", "a.ce2", "b.ce2", "c.ce2"}, dir.path(), {{"LC_ALL", "C.UTF-8"}}};
    request.addressSpace = uint64_t{96} << 20;  // some 2,000,000 elements need more than twice that
    request.timeoutSeconds = 60;
    const ProcessResult r = runProcess(request);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "a.ce2 -> a.ce3: 2 elements\nc.ce2 -> c.ce3: 2 elements\n");
    EXPECT_EQ(r.err,
              "b.ce2: not converted: not enough memory\n"
              "3 files: 2 converted, 1 not converted\n");
    EXPECT_EQ(readBytes(dir / "b.ce3"), "old");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"a.ce2", "a.ce3", "b.ce2", "b.ce3", "c.ce2", "c.ce3"}));
}

}  // namespace
