// A batch converted several files at a time gives what it gives one file at a time: the same
// files byte for byte, the same report lines in the same order and the same exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "ce2_builder/ce2_builder.h"
#include "demo/demo_drawing.h"
#include "run_process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace ce2build;

std::string wires(int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += line(kWire, 0, 10 + i % 500, 10, 50, 10 + i % 300);
    }
    return out;
}

// Every entry under root by its relative path: a file's bytes, a mark for the rest.
std::map<std::string, std::string> treeOf(const std::string& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        tree[fs::relative(entry.path(), root).string()] =
            entry.is_regular_file() ? readBytes(entry.path().string()) : "not a file";
    }
    return tree;
}

// Good, hostile, vanishing, colliding and unwritable sources, one that is not a regular file, and
// large ones (of `large` wires and half as many again) that are still converted while the next ones
// are done.
void writeMixedBatch(const std::string& root, int large) {
    const auto file = [&](const std::string& name, const std::string& bytes) {
        fs::create_directories(fs::path(root + "/" + name).parent_path());
        writeBytes(root + "/" + name, bytes);
    };
    std::mt19937 random(1511);
    for (int i = 0; i < 12; ++i) {
        std::string bytes = demoDrawing();
        bytes[random() % bytes.size()] ^= static_cast<char>(1 + i);
        file("tree/hostile" + std::to_string(i) + ".ce2", bytes.substr(0, random() % bytes.size()));
        file("tree/good" + std::to_string(i) + ".ce2", wires(2 + i * 7));
    }
    file("tree/big/large.ce2", wires(large));
    file("tree/big/larger.ce2", wires(large * 3 / 2));
    file("demo.ce2", demoDrawing());
    file("x.ce2", wires(3));
    file("x.CE2", wires(4));  // would replace x.ce3 written from x.ce2
    file("one.ce2", wires(1));
    file("u.ce2", wires(5));
    fs::create_directory(root + "/u.ce3");  // cannot be written
    fs::create_hard_link(root + "/demo.ce2", root + "/tree/same.ce2");
    fs::create_symlink("nowhere.ce2", root + "/tree/vanished.ce2");
    ASSERT_EQ(::mkfifo((root + "/tree/pipe.ce2").c_str(), 0644), 0);
}

// The run's results and the folder it leaves. A run with a timeout of 0 has none but the test's.
std::pair<ProcessResult, std::map<std::string, std::string>> convertMixedBatch(
    const std::string& root, const std::string& jobs, const std::vector<std::string>& options,
    int timeoutSeconds) {
    // Large files many times the size of the others, which are still converted while the next
    // ones are done: a KiCad schematic of these wires, which all cross, takes time that grows with
    // the square of their number, so that run has smaller ones.
    const bool kicad = std::find(options.begin(), options.end(), "--kicad") != options.end();
    writeMixedBatch(root, kicad ? 1'000 : 4'000);
    const std::vector<std::string> paths = {
        "demo.ce2", "tree",  "x.ce2",       "x.CE2",    "./demo.ce2",
        "one.ce2",  "u.ce2", "missing.ce2", "demo.ce2", "tree/big/larger.ce2"};
    std::vector<std::string> args = {MORVEX_CLI, "--jobs", jobs};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), paths.begin(), paths.end());
    ProcessResult result = runProcess({args, root, {{"LC_ALL", "C.UTF-8"}}, timeoutSeconds});
    return {std::move(result), treeOf(root)};
}

TEST(CliParallel, SameFilesReportsAndStatusAsOneAtATime) {
    // The drawings and the KiCad files of the second run are made on the threads that convert.
    const std::vector<std::vector<std::string>> runs = {{"--quiet"}, {"--svg", "--kicad"}};
    for (const std::vector<std::string>& options : runs) {
        SCOPED_TRACE(options.back());
        TempDir dir;
        // The run on four threads does the work of the run on one: a multiple of that run's time
        // tells a hang from a busy machine.
        const auto [one, oneTree] = convertMixedBatch(dir / "one", "1", options, 0);
        const auto [four, fourTree] =
            convertMixedBatch(dir / "four", "4", options, scaledTimeoutSeconds(one.elapsed));
        ASSERT_FALSE(four.timedOut);
        EXPECT_EQ(one.exitCode, 1);
        EXPECT_EQ(four.exitCode, one.exitCode);
        EXPECT_EQ(four.out, one.out);
        EXPECT_EQ(four.err, one.err);
        EXPECT_EQ(fourTree, oneTree);
        for (const char* outcome :
             {"demo.ce2 -> demo.ce3", "larger.ce2 -> ", "would replace", "fewer than two",
              "not a regular file", "cannot be written", "cannot be opened"}) {
            EXPECT_NE((one.out + one.err).find(outcome), std::string::npos) << outcome;
        }
        if (options.back() == "--kicad") {  // the trees compared hold the KiCad files
            EXPECT_NE(one.out.find("; KiCad: tree/good1.kicad_sch ("), std::string::npos);
        }
    }
}

}  // namespace
