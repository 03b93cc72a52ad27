// A conversion interrupted at any step of its saves leaves each target old or new, never partial,
// and nothing else in the folder: no temporary file, not even a hidden one. Only SIGKILL may leave
// the temporaries that have a name at that instant, which the next save into the folder removes.
// The saves are stopped at each step by a test build of the converter (held_saves), and the
// signal is sent while they wait there.
#include <gtest/gtest.h>
#include <signal.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "ce2_builder/ce2_builder.h"
#include "platform/atomic_file.h"
#include "run_process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace ce2build;

// Enough for a .ce3 file of several writes (a save hands its output on in blocks of 64 KiB).
constexpr int kWires = 4'000;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGKILL};

// An earlier output, which a conversion replaces.
constexpr char kOld[] =
    "+TOVR3_DATA_V.1.0\r\n+SHEETINFO,EL:0,VL:0,W:1500,H:1000,-SHEETINFO\r\n"
    "-TOVR3_DATA_V.1.0\r\n";

enum class Targets { NoneOrOld, None, Old };  // what the targets are before the run

// A step at which the saves stop, and what the folder holds there and after an interruption.
struct Stop {
    const char* step;  // held_saves --hold STEP
    bool named;        // each save takes a named temporary
    Targets targets;
    const char* kept;  // what each save has under a temporary name at the step, the same after
                       // SIGKILL: "new", "part of new" or nothing
    bool newAtStep;    // the targets hold the new content at the step, and after SIGKILL
    bool newAfterInterruption;  // after SIGINT, SIGTERM or SIGHUP
};

// Linking and renaming an unnamed temporary over a target hold interruptions back until the
// target is replaced.
constexpr Stop kStops[] = {
    {"open", false, Targets::NoneOrOld, nullptr, false, false},
    {"write", false, Targets::NoneOrOld, nullptr, false, false},
    {"sync", false, Targets::NoneOrOld, nullptr, false, false},
    {"link", false, Targets::None, nullptr, false, false},
    {"link", false, Targets::Old, nullptr, false, true},
    {"rename", false, Targets::Old, "new", false, true},
    {"sync-directory", false, Targets::NoneOrOld, nullptr, true, true},
    {"open", true, Targets::NoneOrOld, nullptr, false, false},
    {"write", true, Targets::NoneOrOld, "part of new", false, false},
    {"sync", true, Targets::NoneOrOld, "new", false, false},
    {"rename", true, Targets::NoneOrOld, "new", false, false},
    {"sync-directory", true, Targets::NoneOrOld, nullptr, true, true},
};

std::string wires() {
    std::string out;
    for (int i = 0; i < kWires; ++i) {
        out += line(kWire, 0, 10 + i % 500, 10, 50, 10 + i % 300);
    }
    return out;
}

// Each entry of a folder with what it holds ("drawing0.ce2: drawing", "drawing0.ce3: old"), a
// temporary by its kind alone ("temporary: new"), sorted.
std::vector<std::string> folderOf(const std::string& dir, const std::string& drawing,
                                  const std::string& fresh) {
    std::vector<std::string> entries;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        const std::string bytes = readBytes(entry.path().string());
        std::string what = std::to_string(bytes.size()) + " other bytes";
        if (bytes == drawing) {
            what = "drawing";
        } else if (bytes == kOld) {
            what = "old";
        } else if (bytes == fresh) {
            what = "new";
        } else if (!bytes.empty() && fresh.starts_with(bytes)) {
            what = "part of new";
        }
        entries.push_back((temporaryOwner(name) ? "temporary" : name) + ": " + what);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

// The sources, their targets (`target`: "old", "new" or nothing) and a temporary for each
// (`temporary`: its content, or nothing), as folderOf tells them.
std::vector<std::string> folderWith(const std::vector<std::string>& names, const char* target,
                                    const char* temporary) {
    std::vector<std::string> entries;
    for (const std::string& name : names) {
        entries.push_back(name + ".ce2: drawing");
        if (target != nullptr) {
            entries.push_back(name + ".ce3: " + target);
        }
        if (temporary != nullptr) {
            entries.push_back(std::string("temporary: ") + temporary);
        }
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

// Converts `files` copies of a drawing at once, stopped at each step in turn and interrupted
// there by each signal, over old targets and none.
void interruptAtEveryStep(bool named, int files) {
    const std::string drawing = wires();
    std::vector<std::string> names;
    std::vector<std::string> args = {MORVEX_HELD_SAVES, "-q", "--jobs", std::to_string(files)};
    if (named) {
        args.push_back("--named");
    }
    for (int i = 0; i < files; ++i) {
        names.push_back("drawing" + std::to_string(i));
        args.push_back(names.back() + ".ce2");
    }

    // The new content, as morvex-cli writes it, and how long that takes.
    std::string fresh;
    int timeout = 0;
    {
        TempDir dir;
        std::vector<std::string> convert = {MORVEX_CLI, "-q", "--jobs", std::to_string(files)};
        for (const std::string& name : names) {
            writeBytes(dir / (name + ".ce2"), drawing);
            convert.push_back(name + ".ce2");
        }
        const ProcessResult r = runProcess({convert, dir.path(), {}, 0});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        fresh = readBytes(dir / "drawing0.ce3");
        ASSERT_GT(fresh.size(), 16'384u);
        timeout = scaledTimeoutSeconds(r.elapsed);
    }

    for (const Stop& stop : kStops) {
        if (stop.named != named) {
            continue;
        }
        for (const bool over : {false, true}) {
            if (stop.targets == (over ? Targets::None : Targets::Old)) {
                continue;
            }
            const char* old = over ? "old" : nullptr;
            for (const int signal : kSignals) {
                SCOPED_TRACE(std::string(strsignal(signal)) + " at " + stop.step +
                             (over ? " over old targets" : ""));
                TempDir dir;
                for (const std::string& name : names) {
                    writeBytes(dir / (name + ".ce2"), drawing);
                    if (over) {
                        writeBytes(dir / (name + ".ce3"), kOld);
                    }
                }
                std::vector<std::string> held = args;
                held.insert(held.begin() + 1,
                            {"--hold", stop.step, std::to_string(files),
                             std::to_string(HeldRun::kReadyFd), std::to_string(HeldRun::kGoFd)});
                HeldRun run(held, dir.path(), timeout);
                const char said = run.waitUntilHeld();
                ASSERT_NE(said, 0) << "the saves did not stop there";

                const std::vector<std::string> atStep = folderOf(dir.path(), drawing, fresh);
                EXPECT_EQ(atStep, folderWith(names, stop.newAtStep ? "new" : old, stop.kept));

                run.interrupt(signal);
                // Saves that hold interruptions back go on, to be interrupted once they have
                // replaced their targets; the others stay where they are until the end.
                if (signal != SIGKILL && said == 'h') {
                    run.letGo();
                }
                const ProcessResult r = run.wait();
                ASSERT_FALSE(r.timedOut);
                // Ended by the signal itself, as if no handler had run.
                EXPECT_EQ(r.signal, signal) << "exit status " << r.exitCode;

                if (signal == SIGKILL) {
                    EXPECT_EQ(folderOf(dir.path(), drawing, fresh), atStep);
                    removeStaleTemporariesBeside(dir / "drawing0.ce3");
                    EXPECT_EQ(folderOf(dir.path(), drawing, fresh),
                              folderWith(names, stop.newAtStep ? "new" : old, nullptr));
                } else {
                    EXPECT_EQ(folderOf(dir.path(), drawing, fresh),
                              folderWith(names, stop.newAfterInterruption ? "new" : old, nullptr));
                }
            }
        }
    }
}

TEST(InterruptedSave, TemporaryWithoutName) {
    interruptAtEveryStep(false, 1);
}

// Where the file system offers no temporary without a name, the named one is removed when the
// run is interrupted; SIGKILL leaves no chance to.
TEST(InterruptedSave, NamedTemporary) {
    interruptAtEveryStep(true, 1);
}

// Several saves in flight at once, each stopped at the same step.
TEST(InterruptedSave, ParallelTemporariesWithoutName) {
    interruptAtEveryStep(false, 3);
}

TEST(InterruptedSave, ParallelNamedTemporaries) {
    interruptAtEveryStep(true, 3);
}

}  // namespace
